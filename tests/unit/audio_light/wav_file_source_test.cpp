// The WAV source: the formats it reads, the files it refuses with one line, and files whose
// header lies or that end early. Files are written by wav_writer.h into a temporary folder.
#include "platform/wav_file_source.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <thread>

#include "platform/audio_source.h"
#include "platform/stop_event.h"
#include "wav_writer.h"

namespace {

using platform::AudioReadStatus;
using platform::CWavFileSource;
using wav_test::WavFormat;

struct ReadBack {
    std::vector<float> samples;
    AudioReadStatus last = AudioReadStatus::Failed;
};

ReadBack ReadAll(CWavFileSource& source) {
    ReadBack back;
    std::vector<float> block(700);  // not a multiple of the source's block
    for (;;) {
        const platform::AudioReadResult r = source.Read(block, 5000, -1);
        back.last = r.status;
        if (r.status != AudioReadStatus::Data) return back;
        back.samples.insert(back.samples.end(), block.begin(),
                            block.begin() + static_cast<std::ptrdiff_t>(r.count));
    }
}

class WavSourceTest : public ::testing::Test {
  protected:
    QTemporaryDir dir_;
};

TEST_F(WavSourceTest, ReadsEachFormatMixedToMono) {
    struct Case {
        const char* name;
        uint16_t tag;
        uint16_t subTag;
        int channels;
        int bits;
        bool otherChunks;
        float expected;  // every channel c carries 0.25 x (c + 1); mono is their mean
    };
    const Case cases[] = {
        {"pcm16 mono", 1, 1, 1, 16, false, 0.25f},
        {"pcm16 stereo", 1, 1, 2, 16, false, 0.375f},
        {"float 8 channels", 3, 3, 8, 32, false, 1.125f},  // beyond full scale: passed on
        {"extensible pcm16", 0xFFFE, 1, 2, 16, true, 0.375f},
        {"extensible float", 0xFFFE, 3, 3, 32, false, 0.5f},
        {"pcm16 with LIST and fact", 1, 1, 1, 16, true, 0.25f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WavFormat wav;
        wav.tag = c.tag;
        wav.subTag = c.subTag;
        wav.channels = c.channels;
        wav.bits = c.bits;
        wav.rate = 44100;
        wav.seconds = 0.1;
        wav.chunksBeforeFormat = c.otherChunks;
        wav.factChunk = c.otherChunks;
        wav.sample = [](double, int ch) { return 0.25 * (ch + 1); };
        CWavFileSource source(wav_test::Write(dir_, "f.wav", wav), CWavFileSource::Pacing::Unpaced);
        ASSERT_TRUE(source.Open().ok) << source.LastError();
        EXPECT_EQ(source.SampleRate(), 44100);
        const ReadBack back = ReadAll(source);
        EXPECT_EQ(back.last, AudioReadStatus::Ended);
        ASSERT_EQ(back.samples.size(), 4410u);
        const float tolerance = c.bits == 16 ? 1e-4f : 1e-6f;
        // 16-bit full scale stops one step short of 1.0.
        EXPECT_NEAR(back.samples.front(), std::min(c.expected, c.bits == 16 ? 0.99997f : 9.f),
                    tolerance);
        EXPECT_NEAR(back.samples.back(), back.samples.front(), tolerance);
    }
}

TEST_F(WavSourceTest, RefusesWhatItCannotReadWithOneLine) {
    struct Case {
        const char* name;
        WavFormat wav;
        const char* error;
    };
    auto with = [](auto change) {
        WavFormat wav;
        wav.seconds = 0.01;
        change(wav);
        return wav;
    };
    const Case cases[] = {
        {"24-bit", with([](WavFormat& s) { s.bits = 24; }), "unsupported WAV format: 24-bit PCM"},
        {"a-law", with([](WavFormat& s) { s.tag = 6, s.bits = 8; }),
         "unsupported WAV format: A-law"},
        {"8-bit", with([](WavFormat& s) { s.bits = 8; }), "unsupported WAV format: 8-bit PCM"},
        {"64-bit float", with([](WavFormat& s) { s.tag = 3, s.bits = 64; }),
         "unsupported WAV format: 64-bit float"},
        {"extensible 24-bit", with([](WavFormat& s) { s.tag = 0xFFFE, s.bits = 24; }),
         "unsupported WAV format: 24-bit PCM"},
        {"no channels", with([](WavFormat& s) { s.channels = 0; }),
         "unsupported WAV channel count: 0"},
        {"nine channels", with([](WavFormat& s) { s.channels = 9; }),
         "unsupported WAV channel count: 9"},
        {"rate 0", with([](WavFormat& s) { s.rate = 0; }), "unsupported WAV sample rate: 0"},
        {"rate 1,000,000", with([](WavFormat& s) { s.rate = 1000000, s.seconds = 0.001; }),
         "unsupported WAV sample rate: 1000000"},
        {"rate 7999", with([](WavFormat& s) { s.rate = 7999; }),
         "unsupported WAV sample rate: 7999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWavFileSource source(wav_test::Write(dir_, "bad.wav", c.wav),
                              CWavFileSource::Pacing::Unpaced);
        const platform::AudioOpenResult opened = source.Open();
        EXPECT_FALSE(opened.ok);
        EXPECT_EQ(opened.detail, c.error);
        // A refused source reads nothing.
        std::vector<float> block(16);
        EXPECT_EQ(source.Read(block, 0, -1).status, AudioReadStatus::Failed);
    }
}

TEST_F(WavSourceTest, BrokenHeadersAreRefused) {
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"empty", "", "not a WAV file: shorter than its header"},
        {"text", "hello, this is no sound", "not a WAV file: no RIFF/WAVE header"},
        {"no format", std::string("RIFF\x04\0\0\0WAVE", 12), "broken WAV file: no format chunk"},
        {"data first", std::string("RIFF\x0c\0\0\0WAVEdata\0\0\0\0", 20),
         "broken WAV file: data before the format chunk"},
        {"no data", wav_test::Header(WavFormat{}, 0).substr(0, 36),
         "broken WAV file: no data chunk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.path().toStdString() + "/broken.wav";
        std::ofstream(path, std::ios::binary) << c.bytes;
        CWavFileSource source(path, CWavFileSource::Pacing::Unpaced);
        EXPECT_EQ(source.Open().detail, c.error);
    }
    CWavFileSource missing(dir_.path().toStdString() + "/none.wav");
    EXPECT_NE(missing.Open().detail.find("cannot open"), std::string::npos);
}

TEST_F(WavSourceTest, DataThatDoesNotMatchItsHeaderEndsAtTheLastWholeSample) {
    struct Case {
        const char* name;
        int64_t declared;
        int64_t cut;
        size_t samples;
    };
    // 0.01 s stereo 16-bit at 48 kHz: 480 frames of 4 bytes.
    const Case cases[] = {
        {"declared beyond the file", 1'000'000, 0, 480},
        {"cut inside a sample", -1, 3, 479},
        {"declared shorter than the file", 402, 0, 100},  // 100 frames and half of one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WavFormat wav;
        wav.channels = 2;
        wav.seconds = 0.01;
        wav.declaredData = c.declared;
        wav.cutBytes = c.cut;
        CWavFileSource source(wav_test::Write(dir_, "short.wav", wav),
                              CWavFileSource::Pacing::Unpaced);
        ASSERT_TRUE(source.Open().ok);
        const ReadBack back = ReadAll(source);
        EXPECT_EQ(back.last, AudioReadStatus::Ended);
        EXPECT_EQ(back.samples.size(), c.samples);
    }
}

TEST_F(WavSourceTest, AFifoDeclaringTwoGigabytesIsStreamedUntilItsWriterCloses) {
    const std::string path = dir_.path().toStdString() + "/pipe";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    WavFormat wav;
    wav.seconds = 0.5;
    wav.sample = wav_test::Sine(440, 0.5);
    const std::string bytes = wav_test::Header(wav, 0x80000000u) + wav_test::Samples(wav);
    std::thread writer([&] {
        const int fd = open(path.c_str(), O_WRONLY);
        if (fd < 0) return;
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        close(fd);
    });
    CWavFileSource source(path, CWavFileSource::Pacing::Unpaced);
    ASSERT_TRUE(source.Open().ok);
    const ReadBack back = ReadAll(source);
    writer.join();
    EXPECT_EQ(back.last, AudioReadStatus::Ended);
    EXPECT_EQ(back.samples.size(), 24000u);
}

TEST_F(WavSourceTest, APacedReadWakesOnTheStopEvent) {
    WavFormat wav;
    wav.seconds = 10;
    CWavFileSource source(wav_test::Write(dir_, "long.wav", wav));
    ASSERT_TRUE(source.Open().ok);
    std::vector<float> block(1024);
    platform::StopEvent stop(platform::StopEvent::Mode::ManualReset);
    // The first block is due at once.
    EXPECT_EQ(source.Read(block, -1, stop.Fd()).status, AudioReadStatus::Data);
    // A read without a time-out returns as soon as the stop event fires, due or not.
    stop.Set();
    EXPECT_EQ(source.Read(block, -1, stop.Fd()).status, AudioReadStatus::Stopped);
}

TEST(AudioChoice, TheEnvironmentPicksTheSource) {
    using Kind = platform::AudioChoice::Kind;
    const struct {
        const char* value;
        Kind kind;
        const char* path;
        bool error;
    } cases[] = {
        {nullptr, Kind::Pulse, "", false},
        {"", Kind::Pulse, "", false},
        {"pulse", Kind::Pulse, "", false},
        {"none", Kind::None, "", false},
        {"file:/tmp/a b.wav", Kind::File, "/tmp/a b.wav", false},
        {"file:", Kind::None, "", true},
        {"alsa", Kind::None, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        const platform::AudioChoice choice = platform::ParseAudioChoice(c.value);
        EXPECT_EQ(choice.kind, c.kind);
        EXPECT_EQ(choice.path, c.path);
        EXPECT_EQ(!choice.error.empty(), c.error);
    }
}

}  // namespace
