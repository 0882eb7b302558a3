// The keyboard's light: preview steps by effect code on its page, the custom colours on the
// light buttons, and the frames it streams (only wired, only in the sound-driven effects).
#include "controls/device_key_button.h"
#include "devices/light_preview.h"
#include "keyboard_page_fixture.h"
#include "ui/control_look.h"

namespace {

// Exposes the light thread's step so a test can run one without the thread.
class SteppedKeyboard : public CSkelmoraKeyboardDevice {
  public:
    using CSkelmoraKeyboardDevice::AfterLightPass;
    using CSkelmoraKeyboardDevice::CurrentLightMode;
    void Step() { RunLightStep(light::LightStep::OwnRoutine); }
    using CSkelmoraKeyboardDevice::StartLightThread;
};

light::LightSettings Settings(uint8_t mode, uint8_t red, uint8_t green, uint8_t blue) {
    light::LightSettings settings;
    settings.mode = mode;
    settings.brightness = 4;
    settings.speed = 2;
    settings.red = red;
    settings.green = green;
    settings.blue = blue;
    return settings;
}

class KeyboardPreview : public devtest::EmulatedKeyboard {
  protected:
    void SetUp() override {
        // The read-back stores the key map in the data folder: a temporary one.
        ASSERT_TRUE(home_.isValid());
        savedHome_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home_.path().toUtf8());
        devtest::EmulatedKeyboard::SetUp();
        device_.SetBackend(bus_);
        device_.SetCounts(170, 170);
        // The effect code of each mode of this keyboard's list.
        device_.SetEffectCodes({0, 5, 6, 21, 28, 29, 30, 23});
    }
    void TearDown() override {
        if (savedHome_.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", savedHome_);
        }
    }
    void Use(const light::LightSettings& settings) {
        device_.SetLightSettings(light::ToWords(settings));
    }
    // The keyboard's tables read back (126 key positions), then the request log emptied.
    void ReadTables() {
        ASSERT_TRUE(device_.ReadDeviceTables().ok());
        ASSERT_EQ(device_.Memory().positions, 126);
        firmware_->ClearRequestLog();
    }
    QTemporaryDir home_;
    QByteArray savedHome_;
    SteppedKeyboard device_;
};

TEST_F(KeyboardPreview, EachEffectCodeRunsItsStepAtItsPace) {
    const struct {
        uint8_t mode;                          // position in the mode list above
        uint8_t red, green, blue, brightness;  // LED 7 after one step
        uint8_t phase;                         // of the effect state after the step
        uint8_t speed2Threshold;
    } cases[] = {
        {1, 10, 20, 30, 255, 0, 5},   // code 5: static colour at level 4
        {4, 0, 0, 0, 0, 0, 5},        // code 28: off
        {0, 0, 0, 0, 0, 0, 5},        // code 0: off
        {7, 10, 20, 30, 255, 16, 5},  // code 23: blink, the first toggle lights it
        {2, 10, 20, 30, 0, 127, 5},   // code 6: breathing backwards, curve[127] = 0
        {3, 0, 0, 0, 0, 0, 3},        // code 21: custom colours (none yet: dark), 3 always
    };
    for (const auto& c : cases) {
        SteppedKeyboard device;
        device.SetCounts(170, 170);
        device.SetEffectCodes({0, 5, 6, 21, 28, 29, 30, 23});
        device.SetLightSettings(light::ToWords(Settings(c.mode, 10, 20, 30)));
        device.SetLed(7, 0x01020304u, 0);
        device.Step();
        const auto [word, extra] = device.GetLed(7);
        EXPECT_EQ(word, c.red | (c.green << 8) | (c.blue << 16) |
                            (static_cast<uint32_t>(c.brightness) << 24))
            << int(c.mode);
        EXPECT_EQ(device.GetEffectStateCopy().phase, c.phase) << int(c.mode);
        EXPECT_EQ(light::ThresholdAt(*device.CurrentLightMode(), 2), c.speed2Threshold)
            << int(c.mode);
    }
}

// The light thread runs a steady light (static, off) once and then only looks for a change:
// a new colour, and a new effect code for the same settings, still reach the LEDs. With host
// control of the lighting off it steps nothing until the control comes back.
TEST_F(KeyboardPreview, TheLightThreadFollowsChangesOfASteadyLight) {
    AttachCommandChannel(device_);
    Use(Settings(1, 10, 20, 30));  // code 5: static
    ASSERT_TRUE(device_.StartLightThread());
    const auto ledIs = [&](uint32_t word) {
        return QTest::qWaitFor([&] { return device_.GetLed(7).first == word; }, 5000);
    };
    EXPECT_TRUE(ledIs(0xFF1E140Au));
    Use(Settings(1, 40, 50, 60));
    EXPECT_TRUE(ledIs(0xFF3C3228u));
    device_.SetEffectCodes({0, 28, 6, 21, 5, 29, 30, 23});  // mode 1 is now code 28: off
    EXPECT_TRUE(ledIs(0u));
    device_.SetEffectCodes({0, 6, 5, 21, 28, 29, 30, 23});  // mode 1: breathing, it moves
    const uint32_t before = device_.GetLed(7).first;
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.GetLed(7).first != before; }, 5000));
    // Without host control of the lighting nobody reads the LEDs: the thread leaves them.
    device_.SetHostLightControl(false);
    QTest::qWait(150);
    const uint32_t off = device_.GetLed(7).first;
    QTest::qWait(300);
    EXPECT_EQ(device_.GetLed(7).first, off);
    device_.SetHostLightControl(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.GetLed(7).first != off; }, 5000));
    device_.StopWorkerThreads();
}

TEST_F(KeyboardPreview, TheSoundDrivenEffectsDrawWhatTheSoundSaid) {
    profiles::AudioLightInfo info;
    info.audio_mode = 1;  // bars
    info.background_blue = 200;
    info.foreground_red = 250;
    device_.SetAudioLightInfo(info);
    // No sound yet: the idle picture, every key the background.
    Use(Settings(5, 10, 20, 30));  // code 29
    device_.SetLed(51, 0x80112233u, 0);
    device_.Step();
    EXPECT_EQ(device_.GetLed(51).first, 0xFFC80000u);
    // Loud bands: the bars rise to the top row (key 51 is on the third row of column 10).
    const int loud[] = {2000, 2000, 2000, 2000, 2000, 2000, 77};
    device_.SetAudioBands(loud);
    EXPECT_EQ(device_.GetAudioInputs().bands[5], 2000);
    device_.Step();
    EXPECT_EQ(device_.GetLed(51).first, 0xFF0000FAu);
    // The spectrum effect draws in the style colour.
    device_.SetAudioStyleColour(0, 9, 0);
    Use(Settings(6, 10, 20, 30));  // code 30
    device_.Step();
    EXPECT_EQ(device_.GetLed(51).first, 0xFF00FF00u);
    // Both step every 2 ticks, whatever the speed.
    Use(Settings(5, 0, 0, 0));
    EXPECT_EQ(light::ThresholdAt(*device_.CurrentLightMode(), 0), 2);  // code 29
    Use(Settings(6, 0, 0, 0));
    EXPECT_EQ(light::ThresholdAt(*device_.CurrentLightMode(), 0), 2);  // code 30
    // The mode index is not the code: mode 29 of this list is past it, so code 29 as well.
    Use(Settings(29, 0, 0, 0));
    EXPECT_EQ(device_.CurrentEffectCode(), 29);
    device_.SetEffectCodes({});
    Use(Settings(5, 0, 0, 0));
    EXPECT_EQ(device_.CurrentEffectCode(), 5);
}

// The level rule runs on the keyboard's own accumulator: in code 29 with audio mode 2 three
// loud level arrays fire the reaction on key 51, which the rhythm then draws; in any other
// effect or audio mode the levels stay in the buffer and nothing fires.
TEST_F(KeyboardPreview, LoudLevelsFireTheRhythmsReactionOnKey51) {
    std::array<int, 500> levels{};
    std::fill_n(levels.begin(), 25, 5000);  // counts as 2000
    profiles::AudioLightInfo info;
    info.audio_mode = 2;
    info.foreground_green = 255;
    const struct {
        uint8_t mode;
        uint8_t audioMode;
        bool fires;
    } cases[] = {{5, 2, true}, {6, 2, false}, {5, 1, false}, {1, 2, false}};
    for (const auto& c : cases) {
        SteppedKeyboard device;
        device.SetCounts(170, 170);
        device.SetEffectCodes({0, 5, 6, 21, 28, 29, 30, 23});
        device.SetLightSettings(light::ToWords(Settings(c.mode, 0, 0, 0)));
        info.audio_mode = c.audioMode;
        device.SetAudioLightInfo(info);
        device.SetAudioLevels(levels);
        device.SetAudioLevels(levels);
        EXPECT_EQ(device.AudioAccumulator(), c.fires ? 50 : 0);
        device.SetAudioLevels(levels);
        const audio_light::AudioLightState state = device.GetAudioLightState();
        // Column 10, row 2 marked in the four planes at bytes 1, 24, 47, 70 + 10.
        for (const size_t byte : {11u, 34u, 57u, 80u})
            EXPECT_EQ(state.reaction[byte], c.fires ? 0x04 : 0) << int(c.mode) << " " << byte;
        EXPECT_EQ(device.AudioAccumulator(), 0);
        if (!c.fires) continue;
        device.Step();
        EXPECT_EQ(device.GetLed(51).first, 0xFF00FF00u);
    }
}

TEST_F(KeyboardPreview, FramesGoOutByKeyPositionOnlyWiredInTheSoundDrivenEffects) {
    AttachCommandChannel(device_);
    ReadTables();
    device_.SetKeyMap({{0, 2}, {1, 0}, {2, 255}, {3, 125}, {4, 126}});
    device_.SetLed(0, 0xFF102030u, 0);  // brightness 255: each byte c * 255 >> 8
    device_.SetLed(1, 0x80FF8040u, 0);  // brightness 128
    device_.SetLed(3, 0xFF0000FFu, 0);
    device_.SetLed(4, 0xFFFFFFFFu, 0);
    const uint8_t marks[] = {0x55, 0x55, 0x55};
    firmware_->SetArea(hid::kCmdStreamLightFrame, 378, marks);

    const uint8_t streamedModes[] = {5, 6};
    const uint8_t quietModes[] = {0, 1, 2, 3, 7};
    for (uint8_t mode : quietModes) {
        Use(Settings(mode, 1, 2, 3));
        EXPECT_TRUE(device_.SendLightFrame());
        device_.AfterLightPass();
    }
    EXPECT_TRUE(firmware_->RequestLog().empty());

    device_.SetWireless(true);
    Use(Settings(5, 1, 2, 3));
    EXPECT_TRUE(device_.SendLightFrame());
    device_.AfterLightPass();
    EXPECT_TRUE(firmware_->RequestLog().empty());
    device_.SetWireless(false);

    for (uint8_t mode : streamedModes) {
        Use(Settings(mode, 1, 2, 3));
        firmware_->ClearRequestLog();
        EXPECT_TRUE(device_.SendLightFrame()) << int(mode);
        EXPECT_TRUE(firmware_->RequestLog().empty()) << "the UI thread only hands it over";
        device_.AfterLightPass();
        EXPECT_EQ(firmware_->LightFrameChunks(), mode == 5 ? 7u : 14u);  // 378 bytes, 56 a chunk
        const std::vector<uint8_t> frame = firmware_->Area(hid::kCmdStreamLightFrame);
        ASSERT_GE(frame.size(), 378u);
        const std::vector<uint8_t> expectedStart{0x20, 0x40, 0x7F,   // key 1 at position 0
                                                 0x00, 0x00, 0x00,   // position 1: no key
                                                 0x2F, 0x1F, 0x0F};  // key 0 at position 2
        EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 9), expectedStart);
        EXPECT_EQ(frame[375], 0xFE);  // key 3 at position 125: red 0xFF
        EXPECT_EQ(frame[377], 0x00);
        EXPECT_EQ(frame[378], 0x55);  // key 4's position 126 is past the keyboard's 126
    }
    device_.SetHostLightControl(false);
    firmware_->ClearRequestLog();
    EXPECT_TRUE(device_.SendLightFrame());
    device_.AfterLightPass();
    EXPECT_TRUE(firmware_->RequestLog().empty());
}

TEST_F(KeyboardPreview, AFailedFramePausesTheStreamFor200Milliseconds) {
    uint32_t now = 5000;
    device_.SetClock([&now] { return now; });
    AttachCommandChannel(device_);
    ReadTables();
    device_.SetKeyMap({{0, 0}});
    Use(Settings(5, 1, 2, 3));  // code 29
    firmware_->AddFault({hid::kCmdStreamLightFrame, 0, emu::FaultKind::StatusFF, 1});
    EXPECT_TRUE(device_.SendLightFrame());
    device_.AfterLightPass();
    EXPECT_EQ(firmware_->RequestLog().size(), 1u);  // the first chunk failed, the rest not sent

    now += 199;
    EXPECT_FALSE(device_.SendLightFrame());
    device_.AfterLightPass();
    EXPECT_EQ(firmware_->RequestLog().size(), 1u);

    now += 1;
    EXPECT_TRUE(device_.SendLightFrame());
    device_.AfterLightPass();
    EXPECT_EQ(firmware_->RequestLog().size(), 8u);
}

using kbtest::KeyboardPage;

TEST_F(KeyboardPage, CustomGroupsShowOnTheLightButtonsAndBrightOrOffChangesTheSelected) {
    LoadProfileWithStages(R"({})");
    // The shipped default profile's first group: key 0 red, key 1 (255, 67, 0).
    device_->Profiledata().Load(
        QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/keyboard.Json").toStdString());
    device_->Profiledata().SetProfilePath(profilePath_.toStdString());
    device_->SelectCustomGroup(0);
    EXPECT_EQ(ui::GetBkColor(device_->GetLightControl(0)), 0xFFFF0000u);
    EXPECT_EQ(ui::GetBkColor(device_->GetLightControl(1)), 0xFFFF4300u);

    light::LightSettings settings;
    settings.mode = 21;  // the custom colours are written in the custom effect only
    settings.red = 0x12;
    settings.green = 0x34;
    settings.blue = 0x56;
    device_->SetLightSettings(light::ToWords(settings));
    device_->GetLightControl(5)->SetSelected(true);
    device_->GetLightControl(6)->SetSelected(true);
    device_->SetCustomBrightOrOff(true);
    EXPECT_EQ(ui::GetBkColor(device_->GetLightControl(5)), 0xFF123456u);
    EXPECT_EQ(device_->GetCustomColorsCopy()[6],
              (profiles::LightColorEntry{0x12, 0x34, 0x56, 255, 1}));
    EXPECT_EQ(ui::GetBkColor(device_->GetLightControl(0)), 0xFFFF0000u);  // not selected

    device_->GetLightControl(5)->SetSelected(false);
    device_->SetCustomBrightOrOff(false);
    EXPECT_EQ(device_->GetCustomColorsCopy()[6], (profiles::LightColorEntry{0, 0, 0, 255, 0}));
    EXPECT_EQ(device_->GetCustomColorsCopy()[5],
              (profiles::LightColorEntry{0x12, 0x34, 0x56, 255, 1}));

    // The profile file holds the group as shown.
    profiles::CKeyboardProfiledata reread;
    reread.Load(profilePath_.toStdString());
    const auto stored = reread.ReadCustomLightColors(0, 170);
    EXPECT_EQ(stored[5], (profiles::LightColorEntry{0x12, 0x34, 0x56, 255, 1}));
    EXPECT_EQ(stored[6], (profiles::LightColorEntry{0, 0, 0, 255, 0}));
    EXPECT_EQ(stored[0].red, 255);

    // Another group shows its own colours; RefreshCustomColors paints them again.
    device_->SelectCustomGroup(1);
    light::PaintLightControl(device_->GetLightControl(0), {1, 1, 1}, 255);
    ASSERT_EQ(ui::GetBkColor(device_->GetLightControl(0)), 0xFF010101u);
    device_->RefreshCustomColors();
    EXPECT_EQ(ui::GetBkColor(device_->GetLightControl(0)), 0u);  // group 1 is empty: dark
}

}  // namespace
