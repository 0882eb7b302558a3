// The headset device on the emulated headset: the lighting read back (bank byte, then the bank's
// record), the light block written at bank 0 with each step's result, the status block, the
// LED frames and the 0x0401 event.
#include <QSignalSpy>
#include <QWidget>

#include "headset_fixture.h"
#include "panels/profile_switch.h"
#include "profiles/json_file.h"
#include "ui/control_timers.h"

namespace {

using headset_test::HeadsetFixture;
using headset_test::Request;

constexpr uint8_t kRead = hid::kCmdReadParameters;

class HeadsetDevice : public HeadsetFixture {};

TEST_F(HeadsetDevice, ReadsTheBankThenItsRecordAndSavesTheLightIntoTheProfile) {
    Attach();
    headset_->LoadProfile();
    firmware_->ClearRequestLog();
    ASSERT_TRUE(headset_->ReadLighting().ok());
    // The headset's channel keeps the 24-byte chunks (it is never given the wired mode).
    EXPECT_EQ(Requests(), (std::vector<Request>{{kRead, 1, 0}, {kRead, 24, 0}, {kRead, 2, 24}}));
    const profiles::LightInfo& light = headset_->PageLight();
    EXPECT_EQ(light.mode, 3);  // code 3
    EXPECT_EQ(light.brightness, 4);
    EXPECT_EQ(light.speed, 2);
    EXPECT_EQ(light.multicolour, 0);
    EXPECT_EQ(light.red, 0x00);
    EXPECT_EQ(light.green, 0x80);
    EXPECT_EQ(light.blue, 0xFF);
    EXPECT_EQ(headset_->Profiledata().ReadLightInfo(), light);
    const Json::Value saved = profiles::JsonFile().ReadDocument(
        std::filesystem::path(home_.path().toStdString()) / "TELMA QX-418GRY Device/HD/HD.Json");
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
}

TEST_F(HeadsetDevice, AnotherBankIsReadAtTwentyFiveBytesABank) {
    Attach();
    headset_->LoadProfile();
    SetParams(0, {3});
    firmware_->ClearRequestLog();
    ASSERT_TRUE(headset_->ReadLighting().ok());
    EXPECT_EQ(Requests(), (std::vector<Request>{{kRead, 1, 0}, {kRead, 24, 75}, {kRead, 2, 99}}));
    EXPECT_EQ(headset_->Bank(), 3);
    EXPECT_EQ(headset_->PageLight().mode, 1);   // bank 3: spectrum
    EXPECT_EQ(headset_->PageLight().speed, 4);  // wire 0
}

TEST_F(HeadsetDevice, BadReadBacksChangeNothingTheyShouldNot) {
    Attach();
    headset_->LoadProfile();  // the shipped profile: mode 2, speed 2
    const profiles::LightInfo before = headset_->PageLight();
    const headset::LightBlock blockBefore = headset_->LightBlockCopy();

    SetParams(0, {200});  // bank 200: its record would be at 5000, past the 256 bytes
    const WriteOutcome outcome = headset_->ReadLighting();
    EXPECT_EQ(outcome.step, "ReadParameters");
    EXPECT_EQ(outcome.code, hid::kResultStatusFF);
    EXPECT_EQ(headset_->PageLight(), before);
    EXPECT_EQ(headset_->LightBlockCopy(), blockBefore);

    SetParams(0, {0, 0x42, 4, 9});  // unknown code, speed byte 9
    ASSERT_TRUE(headset_->ReadLighting().ok());
    EXPECT_EQ(headset_->PageLight().mode, before.mode) << "an unknown code keeps the mode";
    EXPECT_EQ(headset_->PageLight().speed, 0) << "a speed byte above 4 reads as speed 0";
}

TEST_F(HeadsetDevice, WritesTheBlockAtBankZeroInsideASettingsSequence) {
    Attach();
    headset_->LoadProfile();
    ASSERT_TRUE(headset_->ReadLighting().ok());
    profiles::LightInfo light = headset_->PageLight();
    light.mode = 9;  // past the modes: written as mode 0
    light.speed = 4;
    light.brightness = 2;
    light.multicolour = 1;
    light.red = 0x11;
    light.green = 0x22;
    light.blue = 0x33;
    headset_->Profiledata().WriteLightInfo(light);
    firmware_->ClearRequestLog();
    EXPECT_EQ(headset_->WriteParameters(ParameterWrite{}), 1);
    EXPECT_EQ(Requests(), (std::vector<Request>{{hid::kCmdBeginSettings, 0, 0},
                                                {hid::kCmdWriteParameters, 21, 0},
                                                {hid::kCmdEndSettings, 0, 0}}));
    EXPECT_EQ(Params(0, 21), (std::vector<uint8_t>{0, 0x00, 2, 0, 0, 1, 0x11, 0x22, 0x33, 0, 0,
                                                   0, 0,    0, 0, 0, 0, 0,    0,    0,    0}));
    EXPECT_EQ(firmware_->Counters().bad, 0u);
    EXPECT_EQ(firmware_->Counters().unframed, 0u);
}

TEST_F(HeadsetDevice, AFailedWriteStepIsReturnedNeverSuccess) {
    struct Case {
        uint8_t command;
        const char* step;
    };
    for (const Case c : {Case{hid::kCmdBeginSettings, "BeginSettings"},
                         Case{hid::kCmdWriteParameters, "WriteParameters"},
                         Case{hid::kCmdEndSettings, "EndSettings"}}) {
        Attach();
        headset_->LoadProfile();
        firmware_->AddFault({c.command, 0, emu::FaultKind::StatusFF, 1});
        const WriteOutcome outcome = headset_->WriteLighting();
        EXPECT_EQ(outcome.step, c.step);
        EXPECT_EQ(outcome.code, hid::kResultStatusFF);
        firmware_->ClearFaults();
    }
    headset_->CommandChannel().SetOpened(false);
    EXPECT_EQ(headset_->WriteLighting().step, "channel closed");
    EXPECT_EQ(headset_->WriteParameters(ParameterWrite{}), 0);
}

TEST_F(HeadsetDevice, StatusGoesToThePowerItemAndAsMessage0xD01WithByteFour) {
    Attach();
    QWidget power;
    headset_->SetPowerItem(&power);
    QSignalSpy messages(headset_.get(), &CSkelmoraHS6533Device::StatusMessage);
    headset_->RefreshStatus();
    ASSERT_TRUE(headset_->LastStatus());
    EXPECT_EQ(*headset_->LastStatus(), (headset::StatusBlock{0x00, 0x01, 0x00, 0x00, 0x02, 0x00}));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.front().at(0).toInt(), 0xD01);
    EXPECT_EQ(messages.front().at(1).toInt(), 2);
    EXPECT_EQ(power.property("status").toByteArray().size(), 6);
}

TEST_F(HeadsetDevice, ALedFrameReachesBothSidesAndNothingGoesWithHostLightControlOff) {
    Attach();
    headset_->SetLed(0, 0xFF0000FFu, 0);   // red, brightness 255
    headset_->SetLed(12, 0x80FF8000u, 0);  // blue 0xFF, green 0x80 at half
    ASSERT_TRUE(headset_->SendLedFrame());
    const auto leds = emulated_->Leds();
    for (const auto& side : leds) {
        EXPECT_EQ(side[0], (emu::LedColour{247, 0, 0}));
        EXPECT_EQ(side[12], (emu::LedColour{0, 0x40, 0x7F}));
        EXPECT_EQ(side[6], (emu::LedColour{0, 0, 0}));
    }
    EXPECT_EQ(emulated_->Counters().reports, 12u);
    EXPECT_EQ(emulated_->Counters().bad, 0u);
    EXPECT_TRUE(firmware_->RequestLog().empty()) << "LED reports are not command reports";

    headset_->SetHostLightControl(false);
    EXPECT_FALSE(headset_->SendLedFrame());
    EXPECT_EQ(emulated_->Counters().reports, 12u);
}

TEST_F(HeadsetDevice, TheLightPassSendsAFrameOnlyWhenAValueChanged) {
    Attach();
    uint32_t now = 5000;
    headset_->SetClock([&now] { return now; });
    headset_->SetLed(3, 0xFF00FF00u, 0);
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 12u);
    now += 10;
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 12u) << "nothing changed";
    headset_->SetLed(3, 0xFF0000FFu, 0);
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 24u);
    now += CSkelmoraHS6533Device::kLedRefreshMs;
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 36u) << "sent again after a second";
}

TEST_F(HeadsetDevice, HostLightControlOffSendsNothingAndOnSendsTheFrameAgainAtOnce) {
    Attach();
    uint32_t now = 5000;
    headset_->SetClock([&now] { return now; });
    headset_->SetLed(3, 0xFF00FF00u, 0);
    headset_->AfterLightPass();
    ASSERT_EQ(emulated_->Counters().reports, 12u);

    headset_->SetHostLightControl(false);
    headset_->SetLed(3, 0xFFFF0000u, 0);  // blue
    now += 2 * CSkelmoraHS6533Device::kLedRefreshMs;
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 12u) << "a change and a second passed, but off";

    headset_->SetHostLightControl(true);
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 24u);
    now += 10;
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 24u) << "then only changes and the second";
    // Back on without a change in between: the frame goes out again all the same (after a
    // resume the headset may have lost it).
    headset_->SetHostLightControl(false);
    headset_->SetHostLightControl(true);
    now += 10;
    headset_->AfterLightPass();
    EXPECT_EQ(emulated_->Counters().reports, 36u);
    for (const auto& side : emulated_->Leds()) EXPECT_EQ(side[3], (emu::LedColour{0, 0, 247}));
}

// The light thread wakes at most every 20 ms and runs the steps that came due meanwhile, so
// the effect keeps its speed and the headset gets one frame per pass instead of one per step.
TEST_F(HeadsetDevice, ALightPassCatchesUpOnItsStepsAndSendsOneFrame) {
    constexpr int kPace = CSkelmoraHS6533Device::kLightPassPaceMs;
    static_assert(kPace == 20);
    const struct {
        const char* name;
        uint8_t mode;  // 2 breathing (steps of 8, 6, 4, 2, 1 ticks of 2 ms), 5 the user's effect
        uint8_t speed;
        uint32_t elapsedMs;
        int steps;  // breathing steps, or passes of the user's effect
    } cases[] = {
        {"fastest breathing: a step every tick", 2, 4, 20, 10},
        {"slowest breathing: a step every 16 ms", 2, 0, 20, 1},
        {"slowest breathing, a late pass: both steps that came due", 2, 0, 34, 2},
        {"a long stall catches up on a bounded number of steps", 2, 4, 5000,
         static_cast<int>(CSkelmoraHS6533Device::kMaxCatchUpSteps)},
        {"the user's effect: one pass per tick", 5, 2, 20, 10},
    };
    Attach();
    uint32_t now = 1000;
    headset_->SetClock([&now] { return now; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        light::LightSettings settings = headset_->GetLightSettingsCopy();
        settings.mode = c.mode;
        settings.speed = c.speed;
        settings.brightness = 4;
        settings.red = 0xFF;
        headset_->SetLightSettings(light::ToWords(settings));
        headset_test::TestHeadset::LightPassState state;
        headset_->RunLightPass(state);  // starts the count
        const int breathing = headset_->breathingSteps;
        const int own = headset_->ownRoutinePasses;
        const uint64_t frames = headset_->LedFramesSent();
        now += c.elapsedMs;
        EXPECT_EQ(headset_->RunLightPass(state), kPace);
        EXPECT_EQ(c.mode == 2 ? headset_->breathingSteps - breathing
                              : headset_->ownRoutinePasses - own,
                  c.steps);
        EXPECT_LE(headset_->LedFramesSent() - frames, 1u);
        now += 1000;
    }
    EXPECT_EQ(emulated_->Counters().bad, 0u);
}

TEST_F(HeadsetDevice, ConnectedAStaticLightShowsOnBothSidesThroughTheLightThread) {
    Attach();
    headset_->OnConnected();
    // Bank 0: steady 0x00, 0x80, 0xFF at level 255.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return emulated_->Leds()[1][12] == (emu::LedColour{0, 127, 247});
        },
        5000));
    headset_->StopLightThread();
    for (const auto& side : emulated_->Leds()) {
        for (const emu::LedColour& led : side) EXPECT_EQ(led, (emu::LedColour{0, 127, 247}));
    }
    EXPECT_EQ(emulated_->Counters().bad, 0u);
    EXPECT_EQ(firmware_->Counters().bad, 0u);
}

TEST_F(HeadsetDevice, EffectBLogsItsSkippedPairEntriesAndWritesOnlyTheThirteenLeds) {
    Attach();
    headset_->SetLed(0, 0x11223344u, 0);
    for (int pass = 0; pass < 20; ++pass) headset_->ClassEffectB();
    EXPECT_EQ(headset_->GetLed(0).first, 0x11223344u) << "no pair has LED 0";
    EXPECT_EQ(headset_->GetLedsCopy().size(), 13u);
}

TEST_F(HeadsetDevice, Event0x0401ArmsTheEventTimerAndTheLightingIsReadAgain) {
    Attach();
    headset_->LoadProfile();
    QWidget selector;
    headset_->SetSelectorItem(&selector);
    ASSERT_TRUE(headset_->OpenEventInterface(devtest::PathOf(bus_, devtest::kConsumerPage),
                                             CSkelmoraUSBDevice::kWiredEvents));
    const std::vector<uint8_t> event{1, 0x01, 0x04};
    ASSERT_TRUE(bus_->InjectInput("headset", 0, event));
    ASSERT_TRUE(QTest::qWaitFor([&] { return headset_->LastEventCode() == 0x401; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ui::IsTimerActive(&selector, CSkelmoraUSBDevice::kEventTimerId); }, 5000));
    ui::KillTimer(&selector, CSkelmoraUSBDevice::kEventTimerId);
    headset_->CloseEventInterface(CSkelmoraUSBDevice::kWiredEvents);

    SetParams(0, {0, 0x08});    // the headset switched itself off
    headset_->OnDeviceEvent();  // what timer 1002 runs
    EXPECT_EQ(headset_->PageLight().mode, 8);
}

TEST_F(HeadsetDevice, AProfileSwitchWritesTheLightAndTellsTheUserNothing) {
    Attach();
    headset_->LoadProfile();
    ASSERT_TRUE(headset_->ReadLighting().ok());
    firmware_->ClearRequestLog();
    std::vector<QString> messages;
    profile_switch::SwitchDevice(
        *headset_, QStringLiteral("HD"), {},
        [&](const profile_switch::SwitchMessage& m) { messages.push_back(m.textId); });
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_EQ(Requests(), (std::vector<Request>{{hid::kCmdBeginSettings, 0, 0},
                                                {hid::kCmdWriteParameters, 21, 0},
                                                {hid::kCmdEndSettings, 0, 0}}));
}

}  // namespace
