// The recorder's worker and the main window's audio state: analyses reach the UI thread, an
// outage is reported once and retried, sound ends it, and the first keyboard gets levels,
// bands and the style colour; the recorder runs only while a connected keyboard is in a music
// effect.
#include "app/audio_recorder.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>
#include <atomic>

#include "app/main_audio.h"
#include "devices/device_test_support.h"
#include "devices/skelmora_keyboard_device.h"
#include "platform/wav_file_source.h"
#include "unit/audio_light/wav_writer.h"

namespace {

using platform::AudioOpenResult;
using platform::AudioReadResult;

// A source that refuses its first `refusals` opens, then plays silence-free samples.
class ScriptedSource : public platform::IAudioSource {
  public:
    explicit ScriptedSource(bool refuse) : refuse_(refuse) {}
    AudioOpenResult Open() override {
        if (refuse_) return {false, "no PulseAudio or PipeWire server answers"};
        return {true, {}};
    }
    int SampleRate() const override { return 8000; }
    AudioReadResult Read(std::span<float> mono, int, int) override {
        for (float& s : mono) s = 0.25f;
        return {platform::AudioReadStatus::Data, mono.size()};
    }
    std::string LastError() const override { return refuse_ ? "refused" : ""; }

  private:
    bool refuse_;
};

int g_outageLines = 0;
void CountOutages(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains("no sound to follow")) ++g_outageLines;
}

class RecorderTest : public devtest::EmulatedKeyboard {};

TEST_F(RecorderTest, AnOutageIsReportedAndLoggedOnceAndRetriedUntilSoundComes) {
    std::atomic<int> opens{0};
    CAudioRecorder recorder([&]() -> std::unique_ptr<platform::IAudioSource> {
        return std::make_unique<ScriptedSource>(++opens < 4);
    });
    recorder.SetRetryMs(10);
    QSignalSpy input(&recorder, &CAudioRecorder::inputChanged);
    QSignalSpy analyses(&recorder, &CAudioRecorder::analysis);
    g_outageLines = 0;
    const QtMessageHandler previous = qInstallMessageHandler(CountOutages);
    QLoggingCategory::setFilterRules("skelmora.audio.warning=true");
    recorder.SetWanted(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return analyses.count() > 5; }, 10000));
    recorder.Stop();
    qInstallMessageHandler(previous);
    EXPECT_EQ(opens.load(), 4);
    EXPECT_EQ(g_outageLines, 1);
    ASSERT_GE(input.count(), 2);
    EXPECT_FALSE(input[0][0].toBool());
    EXPECT_EQ(input[0][1].toString(), "no PulseAudio or PipeWire server answers");
    EXPECT_TRUE(input[1][0].toBool());
    EXPECT_EQ(input.count(), 2);
    EXPECT_TRUE(recorder.HasSound());
    EXPECT_FALSE(recorder.IsRunning());
}

TEST_F(RecorderTest, NoSourceChosenCapturesNothingAndStopsAtOnce) {
    CAudioRecorder recorder([] { return std::unique_ptr<platform::IAudioSource>(); });
    QSignalSpy input(&recorder, &CAudioRecorder::inputChanged);
    recorder.SetWanted(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return input.count() == 1; }, 5000));
    EXPECT_FALSE(recorder.HasSound());
    EXPECT_TRUE(recorder.NoSoundReason().contains("SKELMORA_AUDIO=none"));
    recorder.SetWanted(false);
    EXPECT_FALSE(recorder.IsRunning());
}

TEST_F(RecorderTest, AFileIsAnalysedAndPlayedAgainAfterItsEnd) {
    QTemporaryDir dir;
    wav_test::WavFormat wav;
    wav.seconds = 0.2;
    wav.sample = wav_test::Sine(1000, 1.0);
    const std::string path = wav_test::Write(dir, "tone.wav", wav);
    std::atomic<int> opens{0};
    CAudioRecorder recorder([&] {
        ++opens;
        return std::make_unique<platform::CWavFileSource>(
            path, platform::CWavFileSource::Pacing::Unpaced);
    });
    recorder.SetRetryMs(10);
    QSignalSpy analyses(&recorder, &CAudioRecorder::analysis);
    recorder.SetWanted(true);
    // 0.2 s at 48 kHz: 8 analyses a play.
    EXPECT_TRUE(QTest::qWaitFor([&] { return analyses.count() >= 16; }, 10000));
    recorder.Stop();
    EXPECT_GE(opens.load(), 2);
    const auto first = analyses[0][0].value<audio_light::AudioAnalysis>();
    EXPECT_NEAR(first.bands[3], 2000, 50);
}

class KeyboardInMusic : public devtest::EmulatedKeyboard {
  protected:
    void SetUp() override {
        devtest::EmulatedKeyboard::SetUp();
        keyboard_.SetBackend(bus_);
        keyboard_.SetCounts(170, 170);
        keyboard_.SetEffectCodes({0, 5, 29, 30});
    }
    void UseMode(uint8_t mode) {
        light::LightSettings settings;
        settings.mode = mode;
        keyboard_.SetLightSettings(light::ToWords(settings));
    }
    CSkelmoraKeyboardDevice keyboard_;
};

TEST_F(KeyboardInMusic, TheRecorderRunsOnlyWhileAConnectedKeyboardIsInAMusicEffect) {
    CMainAudio audio([this] { return std::vector<CSkelmoraUSBDevice*>{&keyboard_}; },
                     [] { return std::make_unique<ScriptedSource>(false); });
    const struct {
        bool connected;
        uint8_t mode;
        bool running;
    } steps[] = {
        {false, 2, false}, {true, 1, false}, {true, 2, true}, {true, 3, true}, {true, 0, false}};
    for (const auto& s : steps) {
        if (s.connected && !keyboard_.CommandChannel().IsOpened()) AttachCommandChannel(keyboard_);
        UseMode(s.mode);
        audio.Reconsider();
        EXPECT_EQ(audio.Recorder().IsRunning(), s.running) << int(s.mode);
    }
    audio.Stop();
}

TEST_F(KeyboardInMusic, AnalysesReachTheFirstKeyboard) {
    CSkelmoraKeyboardDevice second;
    CMainAudio audio(
        [&] {
            return std::vector<CSkelmoraUSBDevice*>{&keyboard_, &second};
        },
        [] { return std::unique_ptr<platform::IAudioSource>(); });
    profiles::AudioLightInfo info;
    info.audio_mode = 2;
    keyboard_.SetAudioLightInfo(info);
    UseMode(2);  // code 29
    audio_light::AudioAnalysis analysis;
    analysis.bands = {1, 2, 3, 4, 5, 6};
    analysis.level = 1500;
    // Level frames that change by 2000 in every used place: the means grow, and every third
    // frame the keyboard's rule takes them.
    for (int frame = 0; frame < 9; ++frame) {
        analysis.levels.fill(frame % 2 ? 2000 : 0);
        audio.OnAnalysis(analysis);
    }
    EXPECT_EQ(keyboard_.GetAudioInputs().bands, (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(keyboard_.GetAudioInputs().level, 1500);
    EXPECT_EQ(second.GetAudioInputs().level, 0);  // only the first keyboard hears
    EXPECT_EQ(audio.Processor().Counter(), 0);
    // The style colour reaches every keyboard at once.
    audio.SetStyleColour({9, 0, 4});
    EXPECT_EQ(audio.StyleColour().blue, 4);
    audio.Stop();
}

}  // namespace
