// Light frames, host light control and the light thread against an emulated keyboard.
#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "device_test_support.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "ui/control_look.h"

using namespace hid;

namespace {

// A mouse whose light thread's pass the tests run.
class FrameMouse : public CSkelmoraMouseDevice {
  public:
    using CSkelmoraMouseDevice::AfterLightPass;
    using CSkelmoraMouseDevice::CSkelmoraMouseDevice;
    using CSkelmoraMouseDevice::LightPassState;
    using CSkelmoraMouseDevice::RunLightPass;
};

class LightFrames : public devtest::EmulatedKeyboard {
  protected:
    void SetUp() override {
        EmulatedKeyboard::SetUp();
        device_.SetBackend(bus_);
        device_.SetClock([this] { return nowMs_; });
        device_.SetCounts(170, 170);
        AttachCommandChannel(device_);
    }

    std::vector<int> LightChunkLengths() const {
        std::vector<int> lengths;
        for (const Report& r : firmware_->RequestLog()) {
            if (r[kByteCommand] == kCmdStreamLightFrame) lengths.push_back(r[kByteLength]);
        }
        return lengths;
    }

    uint32_t nowMs_ = 1000;
    // The base's frames (by LED index, every mode, sent by the light thread): the mouse keeps
    // them. The keyboard streams by key position in its sound-driven effects only
    // (tests/ui/keyboard_page).
    FrameMouse device_;
};

}  // namespace

TEST_F(LightFrames, AWiredDeviceStreams510BytesIn56ByteChunks) {
    device_.SetLed(0, 0xFF0000FFu, 0);    // red at full brightness
    device_.SetLed(169, 0x80FFFFFFu, 0);  // white at half
    EXPECT_TRUE(device_.SendLightFrame());
    EXPECT_TRUE(LightChunkLengths().empty()) << "the frame timer (UI thread) sends nothing";
    device_.AfterLightPass();

    std::vector<int> expected(9, 56);
    expected.push_back(6);
    EXPECT_EQ(LightChunkLengths(), expected);
    const std::vector<uint8_t> area = firmware_->Area(kCmdStreamLightFrame);
    ASSERT_GE(area.size(), 510u);
    EXPECT_EQ(area[0], 254);
    EXPECT_EQ(area[1], 0);
    EXPECT_EQ(area[3], 0);
    EXPECT_EQ(area[507], 127);
    EXPECT_EQ(area[509], 127);
}

TEST_F(LightFrames, NothingIsSentOrPaintedWithHostLightControlOff) {
    device_.SetHostLightControl(false);
    device_.SetLed(0, 0xFF0000FFu, 0);
    EXPECT_TRUE(device_.SendLightFrame());
    device_.AfterLightPass();
    EXPECT_TRUE(LightChunkLengths().empty());
    EXPECT_EQ(firmware_->LightFrameChunks(), 0u);
}

TEST_F(LightFrames, TheHeadsetSendsNoCommandChannelLightFrames) {
    CSkelmoraHS6533Device headset;
    headset.SetBackend(bus_);
    headset.SetCounts(0, 13);
    AttachCommandChannel(headset);
    headset.SetLed(0, 0xFF0000FFu, 0);
    EXPECT_TRUE(headset.SendLightFrame());
    EXPECT_TRUE(LightChunkLengths().empty());
}

TEST_F(LightFrames, AWirelessDeviceSendsNothingAndCountsAsSent) {
    device_.SetWireless(true);
    EXPECT_TRUE(device_.SendLightFrame());
    device_.AfterLightPass();
    EXPECT_TRUE(LightChunkLengths().empty());
}

TEST_F(LightFrames, AFailedFramePausesTheStreamFor200Milliseconds) {
    firmware_->AddFault({kCmdStreamLightFrame, 0, emu::FaultKind::StatusFF, 1});
    device_.AfterLightPass();
    const size_t afterFailure = LightChunkLengths().size();
    EXPECT_EQ(afterFailure, 1u);

    nowMs_ += 199;
    device_.AfterLightPass();
    EXPECT_EQ(LightChunkLengths().size(), afterFailure);

    nowMs_ += 1;
    device_.AfterLightPass();
    EXPECT_EQ(LightChunkLengths().size(), afterFailure + 10);
}

TEST_F(LightFrames, VisiblePreviewsArePaintedWithTheirLed) {
    device_.SetPageLayoutPath("page.ui");
    // The mouse binds the picture of its buttons tab.
    auto* tabs = new QWidget(&device_);
    tabs->setObjectName("mouse_device_seting_layout");
    auto* panel = new CSelectPanelUI(tabs);
    auto* shown = new CDeviceKeyButtonUI(panel);
    shown->setObjectName("light_0");
    auto* hidden = new CDeviceKeyButtonUI(panel);
    hidden->setObjectName("light_1");
    device_.BindPageControls();
    hidden->hide();
    device_.SetLed(0, 0x80302010u, 0);
    device_.SetLed(1, 0x80302010u, 0);
    EXPECT_TRUE(device_.SendLightFrame());
    EXPECT_EQ(ui::GetBkColor(shown), 0x80102030u);
    EXPECT_EQ(shown->GetLightOverlayColour(), 0x80);
    EXPECT_EQ(ui::GetBkColor(hidden), 0xFFFFFFFFu);  // still the white of binding
}

// In synchronised lighting the sync thread sets the LEDs and the device's own light thread
// only sends them, at its frame pace.
TEST_F(LightFrames, ASynchronisedMemberSendsTheLedsTheSyncThreadSet) {
    device_.SetSynchroMember(true);
    device_.SetLed(0, 0xFF0000FFu, 0);
    FrameMouse::LightPassState state;
    EXPECT_EQ(device_.RunLightPass(state), CSkelmoraUSBDevice::kMemberFramePollMs);
    EXPECT_EQ(firmware_->LightFrames(), 1u);
    EXPECT_EQ(firmware_->Area(kCmdStreamLightFrame)[0], 254);
    device_.SetLed(0, 0xFF00FF00u, 0);
    device_.RunLightPass(state);
    EXPECT_EQ(firmware_->LightFrames(), 2u);
    EXPECT_EQ(firmware_->Area(kCmdStreamLightFrame)[1], 254);
}

TEST_F(LightFrames, HostLightControlIsAnnouncedToAWiredKeyboardOnly) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<CSkelmoraUSBDevice>()> make;
        bool on;
        bool notified;
    };
    auto keyboardWithKind = [this](uint16_t kind) {
        auto device = std::make_unique<CSkelmoraKeyboardDevice>(nullptr, bus_);
        DeviceIdentity identity;
        identity.kind = kind;
        device->SetIdentity(identity);
        return std::unique_ptr<CSkelmoraUSBDevice>(std::move(device));
    };
    const Case cases[] = {
        {"wired keyboard", [&] { return keyboardWithKind(kKindKeyboard); }, true, true},
        {"wired keyboard, off", [&] { return keyboardWithKind(kKindKeyboard); }, false, false},
        {"keyboard through a receiver", [&] { return keyboardWithKind(kKindKeyboardReceiver); },
         true, false},
        {"mouse", [&] { return std::make_unique<CSkelmoraMouseDevice>(nullptr, bus_); }, true,
         false},
    };
    for (const Case& c : cases) {
        std::string error;
        ASSERT_TRUE(bus_->Unplug("keyboard", error));
        ASSERT_TRUE(bus_->Plug("keyboard", error));
        firmware_ = &bus_->Device("keyboard")->Firmware();
        const bool before = firmware_->LightControlNotified();
        auto device = c.make();
        AttachCommandChannel(*device);
        device->SetHostLightControl(c.on);
        EXPECT_EQ(device->IsHostLightControl(), c.on) << c.name;
        EXPECT_EQ(!before && firmware_->LightControlNotified(), c.notified) << c.name;
    }
}

namespace {

// Counts the passes of its light thread's own routine.
class CountingPad : public CSkelmoraMousePadDevice {
  public:
    using CSkelmoraMousePadDevice::CSkelmoraMousePadDevice;
    std::atomic<int> routinePasses{0};

  protected:
    void OwnLightRoutine() override { ++routinePasses; }
};

}  // namespace

TEST_F(LightFrames, TheLightThreadRunsTheEffectOfTheModeWhileTheChannelIsOpen) {
    CSkelmoraMouseDevice mouse(nullptr, bus_);
    mouse.SetCounts(11, 15);
    AttachCommandChannel(mouse);
    light::LightSettings settings;
    settings.mode = 3;  // static
    settings.red = 10;
    settings.green = 20;
    settings.blue = 30;
    settings.brightness = 4;
    settings.speed = 4;
    mouse.SetLightSettings(light::ToWords(settings));
    ASSERT_TRUE(mouse.StartLightThread());
    EXPECT_FALSE(mouse.StartLightThread());  // one light thread per device
    EXPECT_TRUE(QTest::qWaitFor([&] { return mouse.GetLed(14).first == 0xFF1E140Au; }, 5000));
    EXPECT_EQ(mouse.StopLightThread(), CDeviceThread::StopResult::Ended);
    EXPECT_FALSE(mouse.IsLightThreadRunning());
}

TEST_F(LightFrames, AnEveryPassModeRunsTheClassRoutine) {
    CountingPad pad(nullptr, bus_);
    pad.SetCounts(0, 15);
    AttachCommandChannel(pad);
    // Connecting loads the profile's light: mode 5 is set once the pad runs.
    pad.OnConnected();
    light::LightSettings settings;
    settings.mode = 5;
    pad.SetLightSettings(light::ToWords(settings));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pad.routinePasses >= 3; }, 5000));
    EXPECT_EQ(pad.StopLightThread(), CDeviceThread::StopResult::Ended);
}

TEST_F(LightFrames, ALightThreadWithAClosedChannelStopsWithinItsTimeOut) {
    CSkelmoraMouseDevice mouse(nullptr, bus_);
    mouse.SetCounts(11, 15);
    ASSERT_TRUE(mouse.StartLightThread());
    QTest::qWait(150);  // at least one 100 ms sleep has begun
    EXPECT_EQ(mouse.StopLightThread(), CDeviceThread::StopResult::Ended);
    EXPECT_EQ(mouse.GetLed(0).first, 0u);  // a closed channel runs no effect
    EXPECT_EQ(mouse.StopLightThread(), CDeviceThread::StopResult::NotRunning);
}
