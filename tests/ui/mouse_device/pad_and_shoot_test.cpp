// The mouse pad on its emulated firmware (the two strides of its memory, speed on the wire,
// failed reads and writes, its frames and the custom-effect path) and the mouse's recoil
// upload (WriteShootPatterns) on the emulated mouse.
#include <json/json.h>

#include <fstream>
#include <utility>

#include "devices/emulated_device_fixture.h"
#include "devices/light_info_words.h"
#include "devices/mouse/mouse_preview.h"
#include "devices/mouse/shoot_files.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "emulator/device_catalog.h"
#include "emulator/emulated_bus.h"
#include "profiles/json_file.h"

namespace {

class TestPad : public CSkelmoraMousePadDevice {
  public:
    using CSkelmoraMousePadDevice::CSkelmoraMousePadDevice;
    using CSkelmoraMousePadDevice::CurrentLightMode;
    using CSkelmoraMousePadDevice::AfterLightPass;
    using CSkelmoraMousePadDevice::LightPassState;
    using CSkelmoraMousePadDevice::RunLightPass;
    using CSkelmoraMousePadDevice::RunLightStep;
    int customPlays = 0;

  protected:
    void PlayCustomLightEffect() override { ++customPlays; }
};

using devtest::Request;

// A temporary data home and an emulated bus with one kind plugged.
class OnEmulator : public devtest::EmulatedDeviceFixture {
  protected:
    // Opens device's command channel on the wired connection, in mode (0: none, as the pad's).
    void Attach(CSkelmoraUSBDevice& device, uint16_t pid, int mode) {
        EmulatedDeviceFixture::Attach(device, devtest::VendorPathOf(bus_, pid), false, mode);
    }
};

class PadFixture : public OnEmulator {
  protected:
    void SetUp() override {
        Plug("mousepad");
        pad_ = std::make_unique<TestPad>(nullptr, bus_);
        pad_->SetKindName(QStringLiteral("MousePad"));
        pad_->SetProfileBaseName(QStringLiteral("MousePad"));
        pad_->SetModelIndex(2);
        pad_->SetCounts(0, 15);  // the pad's page row: 15 LEDs, no keys
        pad_->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
        Attach(*pad_, emu::kEmulatedPadPid, 0);
        pad_->LoadProfile();
        pad_->LoadConfigLists();
        firmware_->ClearRequestLog();
    }
    void TearDown() override {
        pad_.reset();
        OnEmulator::TearDown();
    }
    void SetProfileLight(int mode, int speed) {
        const std::filesystem::path file(
            (pad_->GetUserDataFolder() + QStringLiteral("MousePad.Json")).toStdString());
        Json::Value doc = profiles::JsonFile().ReadDocument(
            std::filesystem::path(SKELMORA_SOURCE_ROOT "/DefaultData/MousePad.Json"));
        doc["Device"][0]["LightInfo"]["SelectItem"] = mode;
        doc["Device"][0]["LightInfo"]["Speed"] = speed;
        ASSERT_TRUE(profiles::JsonFile().WriteDocument(doc, file).ok());
        pad_->LoadProfile();
    }
    std::unique_ptr<TestPad> pad_;
};

TEST_F(PadFixture, SlotTwoIsReadFromOffsetFiftyAndWrittenToOffsetZero) {
    const std::vector<uint8_t> before = Params(0, 320);
    int slot = -1;
    ASSERT_TRUE(pad_->ReadPadParameters(&slot).ok());
    EXPECT_EQ(slot, 2);
    // The pad's channel has no mode: connection A, 24-byte chunks.
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x05, 1, 0}, {0x05, 24, 50}, {0x05, 2, 74}}));
    // Bytes 50..70 of the factory area: record 2 (code 3, brightness 2, 4 - speed 3, ...).
    EXPECT_EQ(pad_->LiveRecord(),
              (pad::LiveRecord{2,    3,    2,    1,    0,    0,    0x20, 0x40, 0xFF, 0x32, 0x33,
                               0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D}));
    EXPECT_EQ(pad_->GetLightSettingsCopy().mode, 3);

    firmware_->ClearRequestLog();
    ASSERT_EQ(pad_->WriteParameters(ParameterWrite{3, 9, 9, 100, 100}), 1);  // slot 0 always
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x01, 0, 0}, {0x06, 21, 0}, {0x02, 0, 0}}));
    EXPECT_EQ(Params(0, 21), (std::vector<uint8_t>{2,    3,    2,    3,    0,    0,    0x20,
                                                   0x40, 0xFF, 0x32, 0x33, 0x34, 0x35, 0x36,
                                                   0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D}));
    EXPECT_EQ(Params(21, 299), std::vector<uint8_t>(before.begin() + 21, before.end()));
    EXPECT_EQ(firmware_->Counters().bad, 0u);
    EXPECT_EQ(firmware_->Counters().unframed, 0u);
}

TEST_F(PadFixture, SpeedOneIsSentAsThreeAndReadBackAsOne) {
    SetProfileLight(6, 1);
    EXPECT_EQ(pad_->LiveRecord()[3], 1);
    ASSERT_TRUE(pad_->WriteParameterBlock(0).ok());
    EXPECT_EQ(Params(1, 3), (std::vector<uint8_t>{6, pad_->LiveRecord()[2], 3}));
    // The written block starts with the old live slot byte (0 before any read): slot 0.
    ASSERT_EQ(Params(0, 1), std::vector<uint8_t>{0});
    ASSERT_TRUE(pad_->ReadPadParameters().ok());
    EXPECT_EQ(pad_->LiveRecord()[1], 6);
    EXPECT_EQ(pad_->LiveRecord()[3], 1);
}

TEST_F(PadFixture, AFailedReadLeavesTheLiveRecordAsItWas) {
    const pad::LiveRecord before = pad_->LiveRecord();
    const struct {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"no reply to the block",
         [&] {
             firmware_->AddFault({0x05, 1, emu::FaultKind::NoReply, 1});
         }},
        {"slot refused",
         [&] {
             firmware_->AddFault({0x05, 0, emu::FaultKind::StatusFF, 1});
         }},
        {"slot 255: its block lies past the area",
         [&] {
             const uint8_t slot = 255;
             firmware_->SetArea(0x05, 0, std::span(&slot, 1));
         }},
    };
    for (const auto& c : cases) {
        firmware_->ClearFaults();
        c.arrange();
        int slot = -7;
        EXPECT_FALSE(pad_->ReadPadParameters(&slot).ok()) << c.what;
        EXPECT_EQ(slot, -7) << c.what;
        EXPECT_EQ(pad_->LiveRecord(), before) << c.what;
    }
}

TEST_F(PadFixture, AFailedWriteSaysWhichStepFailed) {
    firmware_->AddFault({0x06, 0, emu::FaultKind::StatusFF, 1});
    const WriteOutcome outcome = pad_->WriteParameterBlock(0);
    EXPECT_EQ(outcome.step, "WriteParameters");
    EXPECT_EQ(outcome.code, hid::kResultStatusFF);
    firmware_->AddFault({0x01, 0, emu::FaultKind::NoReply, 1});
    EXPECT_EQ(pad_->WriteParameters({}), 0);
    // The pad has no key table, macro or recoil memory: it refuses those commands.
    std::array<uint8_t, 4> bytes{1, 2, 3, 4};
    EXPECT_EQ(pad_->CommandChannel().WriteShootData(bytes), hid::kResultStatusFF);
    EXPECT_FALSE(firmware_->Dump(emu::AreaId::Shoot).has_value());
}

TEST_F(PadFixture, ConnectReadsTheInformationAndLoadsTheProfilesLight) {
    SetProfileLight(7, 2);
    firmware_->ClearRequestLog();
    ASSERT_TRUE(pad_->ReadPadInfo().ok());
    EXPECT_EQ(Requests(),
              (std::vector<Request>{{0x01, 0, 0}, {0x03, 24, 0}, {0x03, 10, 24}, {0x02, 0, 0}}));
    EXPECT_EQ(pad_->Info()[5], 15);
    EXPECT_EQ(pad_->LiveRecord()[1], 7);
    EXPECT_EQ(pad_->EffectCodes(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

// The lighting panel stores, saves and reloads: the new mode survives the reload and the file.
TEST_F(PadFixture, ALightingChangeSurvivesTheReloadAndReachesTheFile) {
    SetProfileLight(3, 2);
    light::LightSettings settings = pad_->GetLightSettingsCopy();
    settings.mode = 6;
    pad_->SetLightSettings(light::ToWords(settings));
    pad_->SaveProfile();
    pad_->LoadLightSettings();
    EXPECT_EQ(pad_->GetLightSettingsCopy().mode, 6);
    EXPECT_EQ(pad_->LiveRecord()[1], 6);
    pad_->LoadProfile();
    EXPECT_EQ(pad_->GetLightSettingsCopy().mode, 6);
}

TEST_F(PadFixture, FramesOfTheListAndCustomModesPastIt) {
    const auto wheelIndex = [](const light::LedEntry& led) {
        const auto& wheel = mouse::PreviewWheel();
        for (size_t i = 0; i < wheel.size(); ++i)
            if (wheel[i] == light::Rgb{led.red, led.green, led.blue}) return static_cast<int>(i);
        return -1;
    };
    light::LightSettings settings;
    settings.mode = 0;
    settings.multicolour = 1;
    pad_->SetLightSettings(light::ToWords(settings));
    pad_->RunLightStep(light::LightStep::ClassEffectA);
    std::vector<light::LedEntry> leds = pad_->GetLedsCopy();
    ASSERT_EQ(leds.size(), 15u);
    const int first = wheelIndex(leds[0]);
    ASSERT_GE(first, 0);
    for (int i = 1; i < 15; ++i)
        EXPECT_EQ(wheelIndex(leds[static_cast<size_t>(i)]), (first + 7 * i) % 192) << "LED " << i;

    settings.mode = 5;  // Rainbow Wave: its own routine
    pad_->SetLightSettings(light::ToWords(settings));
    ASSERT_EQ(pad_->CurrentLightMode()->step, light::LightStep::OwnRoutine);
    pad_->RunLightStep(light::LightStep::OwnRoutine);
    EXPECT_EQ(pad_->customPlays, 0);
    leds = pad_->GetLedsCopy();  // the hue circle spread over the pad: LED 7 is 89 entries on
    EXPECT_EQ(wheelIndex(leds[7]), (wheelIndex(leds[0]) + 192 * 7 / 15) % 192);

    settings.mode = 12;  // a custom effect past the pad's list
    pad_->SetLightSettings(light::ToWords(settings));
    const auto row = pad_->CurrentLightMode();
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->step, light::LightStep::OwnRoutine);
    pad_->RunLightStep(row->step);
    EXPECT_EQ(pad_->customPlays, 1);
}

// The pad's frames go out from its light thread, never from the frame timer on the UI
// thread (each waits for the pad's replies): when the LEDs changed, again a second later
// while they stay, at once when host control comes back, and not for a while after a failure.
TEST_F(PadFixture, FramesGoOutFromTheLightThreadWhenTheLedsChange) {
    uint32_t now = 5000;
    pad_->SetClock([&now] { return now; });
    pad_->SetLed(3, 0x80'00'40'FFu, 0);  // red 255, green 64, blue 0 at brightness 128
    const uint64_t before = firmware_->LightFrames();
    auto sentSince = [&, last = before]() mutable {
        const uint64_t frames = firmware_->LightFrames();
        return frames - std::exchange(last, frames);
    };

    pad_->AfterLightPass();
    ASSERT_EQ(sentSince(), 1u) << "the first pass sends the LEDs";
    // Fifteen LEDs: 45 bytes in the pad's 24-byte chunks, LED 3 scaled by its brightness.
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x12, 24, 0}, {0x12, 21, 24}}));
    const hid::Report first = firmware_->RequestLog().front();
    const std::vector<uint8_t> chunk(first.begin() + 8, first.begin() + 8 + 12);
    EXPECT_EQ(chunk, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 127, 32, 0}));

    now += 10;
    pad_->AfterLightPass();
    EXPECT_EQ(sentSince(), 0u) << "unchanged 10 ms later";
    EXPECT_TRUE(pad_->SendLightFrame());
    EXPECT_EQ(sentSince(), 0u) << "the frame timer sends nothing";
    pad_->SetLed(4, 0xFF'FF'FF'FFu, 0);
    pad_->AfterLightPass();
    EXPECT_EQ(sentSince(), 1u) << "an LED changed";
    now += CSkelmoraMousePadDevice::kFrameRepeatMs;
    pad_->AfterLightPass();
    EXPECT_EQ(sentSince(), 1u) << "unchanged, a second later";

    pad_->SetHostLightControl(false);
    TestPad::LightPassState state;
    pad_->RunLightPass(state);
    EXPECT_EQ(sentSince(), 0u) << "host control off";
    pad_->SetHostLightControl(true);
    now += 10;
    pad_->AfterLightPass();
    EXPECT_EQ(sentSince(), 1u) << "host control back on: the same LEDs at once";

    firmware_->AddFault({0x12, 0, emu::FaultKind::StatusFF, 1});
    pad_->SetLed(4, 0, 0);
    pad_->AfterLightPass();
    EXPECT_EQ(sentSince(), 0u) << "refused";
    now += CSkelmoraMousePadDevice::kFramePauseMs - 1;
    pad_->AfterLightPass();
    EXPECT_EQ(sentSince(), 0u) << "paused after the failure";
    now += 1;
    pad_->AfterLightPass();
    EXPECT_EQ(sentSince(), 1u) << "after the pause";
    EXPECT_EQ(firmware_->Counters().unframed, 0u);
}

class ShootUpload : public OnEmulator {
  protected:
    void SetUp() override {
        Plug("mouse");
        mouse_ = std::make_unique<CSkelmoraMouseDevice>(nullptr, bus_);
        mouse_->SetKindName(QStringLiteral("mouse"));
        mouse_->SetProfileBaseName(QStringLiteral("mouse"));
        mouse_->SetModelIndex(0);
        mouse_->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
        Attach(*mouse_, emu::kEmulatedMousePid, 1);
        folder_ = mouse_->GetUserDataFolder().toStdString();
        firmware_->ClearRequestLog();
    }
    void TearDown() override {
        mouse_.reset();
        OnEmulator::TearDown();
    }
    std::unique_ptr<CSkelmoraMouseDevice> mouse_;
    std::filesystem::path folder_;
};

TEST_F(ShootUpload, TheFourGunsGoOutAsOneImageInFiftySixByteChunks) {
    ASSERT_EQ(shoot::InitGunFiles(folder_, SKELMORA_SOURCE_ROOT "/DefaultData"), 4);
    const shoot::ShootImage expected = shoot::BuildImageFromFolder(folder_);
    ASSERT_EQ(expected.bytes.size(), 2920u);
    ASSERT_TRUE(mouse_->WriteShootPatterns().ok());
    const std::vector<Request> requests = Requests();
    ASSERT_EQ(requests.size(), 1u + 1u + 53u + 1u);  // ReadDeviceInfo, Begin, 53 chunks, End
    EXPECT_EQ(requests[0], (Request{0x03, 34, 0}));
    EXPECT_EQ(requests[1], (Request{0x01, 0, 0}));
    EXPECT_EQ(requests[2], (Request{0x17, 56, 0}));
    EXPECT_EQ(requests[3], (Request{0x17, 56, 56}));
    EXPECT_EQ(requests[54], (Request{0x17, 8, 2912}));  // 52 x 56 = 2912, 8 bytes left
    EXPECT_EQ(requests.back(), (Request{0x02, 0, 0}));
    const std::vector<uint8_t> area = *firmware_->Dump(emu::AreaId::Shoot);
    EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 2920), expected.bytes);
    EXPECT_EQ(area[2920], 0xFF);  // erased memory past the image
}

TEST_F(ShootUpload, ABrokenGunFileSendsNothingAndAFailedChunkIsNamed) {
    ASSERT_EQ(shoot::InitGunFiles(folder_, SKELMORA_SOURCE_ROOT "/DefaultData"), 4);
    { std::ofstream(shoot::GunFile(folder_, 3)) << "{\"Events\":[{\"Type\":10}]}"; }
    WriteOutcome outcome = mouse_->WriteShootPatterns();
    EXPECT_EQ(outcome.step, "ShootImage");
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x03, 34, 0}}));
    EXPECT_EQ((*firmware_->Dump(emu::AreaId::Shoot))[0], 0xFF);

    ASSERT_EQ(shoot::ResetGun(folder_, SKELMORA_SOURCE_ROOT "/DefaultData", 3), "");
    firmware_->AddFault({0x17, 2, emu::FaultKind::StatusFE, 1});
    outcome = mouse_->WriteShootPatterns();
    EXPECT_EQ(outcome.step, "WriteShootData");
    EXPECT_EQ(outcome.code, hid::kResultStatusFE);
}

}  // namespace
