// The mouse device on the emulated mouse and its receiver (one memory): read-back, parameter
// block, button table, macros, failures, the receiver path and its link guard, reports.
#include <json/json.h>

#include "devices/emulated_device_fixture.h"
#include "devices/skelmora_mouse_device.h"
#include "emulator/device_catalog.h"
#include "emulator/emulated_bus.h"
#include "profiles/json_file.h"

namespace {

class TestMouse : public CSkelmoraMouseDevice {
  public:
    using CSkelmoraMouseDevice::CSkelmoraMouseDevice;
    using CSkelmoraMouseDevice::OnDeviceReport;
    using CSkelmoraMouseDevice::OnReactiveTrigger;
};

using devtest::Request;

profiles::KeyAssignmentPair Pair(uint8_t kind, uint8_t high, uint8_t low) {
    return {{0, kind, high, low}, {0, kind, high, low}};
}

// The factory assignment of each logical button, in logical order.
std::vector<profiles::KeyAssignmentPair> FactoryKeys() {
    return {Pair(0x10, 0x01, 0), Pair(0x10, 0x02, 0), Pair(0x10, 0x04, 0), Pair(0x10, 0x10, 0),
            Pair(0x10, 0x08, 0), Pair(0x13, 0x01, 0), Pair(0x13, 0x02, 0), Pair(0x13, 0x03, 0),
            Pair(0xA0, 0x1B, 0), Pair(0x16, 0x90, 1), Pair(0x14, 0x78, 2)};
}

class MouseFixture : public devtest::EmulatedDeviceFixture {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(Plug("mouse", "mouse-receiver"));
        mouse_ = std::make_unique<TestMouse>(nullptr, bus_);
        mouse_->SetKindName(QStringLiteral("mouse"));
        mouse_->SetProfileBaseName(QStringLiteral("mouse"));
        mouse_->SetLightConfigurationName(QStringLiteral("zelvo_light"));
        mouse_->SetModelIndex(0);
        mouse_->SetCounts(11, 15);
        mouse_->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
    }
    void TearDown() override {
        mouse_.reset();
        EmulatedDeviceFixture::TearDown();
    }

    // Opens the command channel by cable (mode 1) or through the receiver (mode 2).
    void Attach(bool receiver) {
        const std::string path = devtest::VendorPathOf(
            bus_, receiver ? emu::kEmulatedReceiverPid : emu::kEmulatedMousePid);
        ASSERT_NO_FATAL_FAILURE(
            EmulatedDeviceFixture::Attach(*mouse_, path, receiver, receiver ? 2 : 1));
        mouse_->SetWireless(receiver);
        firmware_->ClearRequestLog();
    }

    void Connect(bool receiver = false) {
        Attach(receiver);
        ASSERT_TRUE(mouse_->ReadDeviceTables().ok());
        mouse_->LoadProfile();
        mouse_->LoadConfigLists();
        firmware_->ClearRequestLog();
    }

    std::vector<uint8_t> Dump(emu::AreaId area) const { return *firmware_->Dump(area); }
    std::filesystem::path FolderPath(const std::string& name) const {
        return std::filesystem::path((mouse_->GetUserDataFolder().toStdString() + name));
    }
    void WriteJson(const std::string& name, const Json::Value& value) {
        ASSERT_TRUE(profiles::JsonFile().WriteDocument(value, FolderPath(name)).ok());
    }
    void WriteMacroFiles(const std::vector<int>& eventCounts) {
        Json::Value config(Json::objectValue);
        for (size_t i = 0; i < eventCounts.size(); ++i) {
            const std::string guid = "m" + std::to_string(i);
            Json::Value entry(Json::objectValue);
            entry["MacroName"] = "macro " + std::to_string(i);
            entry["Guid"] = guid;
            config["MacroInfo"].append(entry);
            Json::Value file(Json::objectValue);
            file["Events"] = Json::Value(Json::arrayValue);
            for (int e = 0; e < eventCounts[i]; ++e) {
                Json::Value event(Json::objectValue);
                event["Action"] = "down";
                event["Button"] = 4;
                event["Type"] = 10;
                event["Delay"] = "20";
                file["Events"].append(event);
            }
            WriteJson(guid + ".mac", file);
        }
        WriteJson("macro.config", config);
    }

    std::unique_ptr<TestMouse> mouse_;
};

TEST_F(MouseFixture, ReadBackFindsEveryButtonInTheFirmwaresSlotOrder) {
    Attach(false);
    ASSERT_TRUE(mouse_->ReadDeviceTables().ok());
    EXPECT_EQ(Requests(),
              (std::vector<Request>{{0x01, 0, 0}, {0x03, 34, 0}, {0x07, 48, 0}, {0x02, 0, 0}}));
    EXPECT_EQ(mouse_->ButtonMap(), (mouse::ButtonMap{1, 0, 3, 6, 5, 8, 9, 4, 10, 13, 12}));
    EXPECT_EQ(mouse_->Memory().keyTable.size(), 512u);
    EXPECT_EQ(mouse_->Memory().keyTable[39], 0x16);  // slot 13: the M8 key
    EXPECT_EQ(mouse_->Memory().Info().entries, 16);
    EXPECT_EQ(firmware_->OpenSettingsSequences(), 0);
}

TEST_F(MouseFixture, ParameterBlockOfTheActiveSlotGivesTheLightAndActiveStage) {
    Connect();
    int slot = -1;
    ASSERT_TRUE(mouse_->ReadParameterBlock(&slot).ok());
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x05, 1, 0}, {0x05, 56, 128}, {0x05, 15, 184}}));
    const profiles::LightInfo& light = mouse_->PageLight();
    EXPECT_EQ(light.mode, 2);
    EXPECT_EQ(light.brightness, 3);
    EXPECT_EQ(light.speed, 3);
    EXPECT_EQ(light.multicolour, 0);
    EXPECT_EQ(light.green, 0x80);
    EXPECT_EQ(light.blue, 0xFF);
    EXPECT_EQ(mouse_->Profiledata().GetStageActive(), 2);
    EXPECT_EQ(mouse_->LastParameters().block[0], 1);
    EXPECT_EQ(mouse_->LastParameters().block[66], 0x21);  // firmware bytes kept as read
    // The report rate (2) and stages of the block are not taken over.
    EXPECT_EQ(mouse_->GetSystemStages().report_rate_stage, 0);
}

TEST_F(MouseFixture, ParameterBlockWrittenFromTheProfilesOwnStages) {
    Connect();
    // A five-stage profile is loaded first, then a three-stage one: stages 3 and 4 of the
    // first must not reach the mouse.
    Json::Value doc = profiles::JsonFile().ReadDocument(
        std::filesystem::path(SKELMORA_SOURCE_ROOT "/DefaultData/mouse.Json"));
    Json::Value& element = doc["Device"][0];
    element["DPIStages"]["StageDPIs"].resize(3);
    element["DPIStages"]["StageDPIs"][2]["StageDPIX"] = 600;  // above the highest level 518
    element["DPIStages"]["StageActive"] = 2;
    element["LightInfo"]["SelectItem"] = 12;  // a custom effect
    element["LightInfo"]["Speed"] = 0;
    element["ReportStages"]["StageActive"] = 3;
    element["CorrectInfo"][1]["CorrectMinSq"] = 8;
    element["CorrectInfo"][1]["CorrectPixThresh"] = 7;
    element["CorrectInfo"][1]["CorrectSelect"] = 1;
    WriteJson("mouse.Json", doc);
    mouse_->LoadProfile();
    ASSERT_TRUE(mouse_->WriteParameterBlock({0, 0, 1, 2560, 1440}).ok());
    EXPECT_EQ(Requests(),
              (std::vector<Request>{{0x01, 0, 0}, {0x06, 56, 0}, {0x06, 10, 56}, {0x02, 0, 0}}));
    const std::vector<uint8_t> area = Dump(emu::AreaId::Params);
    // clang-format off
    const std::vector<uint8_t> expected{
        0x00, 0x00, 0x04, 0x04, 0x01, 0x01, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x03, 0x02, 0x00,
        0x01, 0x00, 0x06, 0x00, 0x06, 0x00, 0xFF, 0x00, 0x00,
        0x01, 0x00, 0x0E, 0x00, 0x0E, 0x00, 0x00, 0xFF, 0x00,
        0x01, 0x00, 0x06, 0x02, 0x1E, 0x00, 0x00, 0x00, 0xFF,
        0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x01, 0x00, 0x0A, 0xA0, 0x05, 0x08, 0x07,
        0x11, 0x12, 0x13, 0x14, 0x15,  // bytes 66..70: never written
    };
    // clang-format on
    EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 71), expected);
    EXPECT_EQ(firmware_->Counters().unframed, 0u);
}

TEST_F(MouseFixture, ButtonTableAtTheMappedSlotsWithMacroPositions) {
    Connect();
    WriteMacroFiles({2, 1});
    std::vector<profiles::KeyAssignmentPair> keys = FactoryKeys();
    keys[9] = Pair(0x20, 0x00, 0x04);                    // M8 key: "a"
    keys[0] = Pair(0x70, 0x01, 0x00);                    // left: macro 1
    keys[3] = {{0, 0x71, 0x05, 0}, {0, 0x10, 0x10, 0}};  // forward: macro 5 of 2: default
    ASSERT_TRUE(mouse_->WriteButtonTable(0, keys).ok());
    EXPECT_EQ(Requests(),
              (std::vector<Request>{{0x03, 34, 0}, {0x01, 0, 0}, {0x09, 48, 0}, {0x02, 0, 0}}));
    // clang-format off
    const std::vector<uint8_t> expected{
        0x10, 0x02, 0x00,  0x70, 0x00, 0x00,  0x00, 0x00, 0x00,  0x10, 0x04, 0x00,
        0x13, 0x03, 0x00,  0x10, 0x08, 0x00,  0x10, 0x10, 0x00,  0x00, 0x00, 0x00,
        0x13, 0x01, 0x00,  0x13, 0x02, 0x00,  0xA0, 0x1B, 0x00,  0x00, 0x00, 0x00,
        0x14, 0x78, 0x02,  0x20, 0x00, 0x04,  0x00, 0x00, 0x00,  0x00, 0x00, 0x00,
    };
    // clang-format on
    const std::vector<uint8_t> table = Dump(emu::AreaId::KeyTable);
    EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 48), expected);
}

TEST_F(MouseFixture, MacroImageAndItsCapacity) {
    Connect();
    WriteMacroFiles({10, 3});
    ASSERT_TRUE(mouse_->WriteMacros({0, 1}).ok());
    const std::vector<uint8_t> macro = Dump(emu::AreaId::Macro);
    EXPECT_EQ(std::vector<uint8_t>(macro.begin(), macro.begin() + 20),
              (std::vector<uint8_t>{0xAA, 0x55, 80, 0, 2, 0, 0,  0, 0,  0,
                                    0,    0,    0,  0, 0, 0, 20, 0, 64, 0}));
    EXPECT_EQ(macro[80], 0xFF);  // erased memory after the image
    EXPECT_TRUE(mouse_->WriteMacros({}).ok());

    // Byte 6 = 2 (256 bytes) and an image of 16 + 6 + 4 x 70 = 302 bytes: 12 events too many.
    std::string error;
    ASSERT_TRUE(firmware_->Set(emu::AreaId::Info, 6, std::vector<uint8_t>{2}, error));
    ASSERT_TRUE(mouse_->ReadDeviceTables().ok());
    WriteMacroFiles({70});
    firmware_->ClearRequestLog();
    const WriteOutcome outcome = mouse_->WriteMacros({0});
    EXPECT_EQ(outcome.excess, 12u);
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x03, 34, 0}}));  // nothing sent
}

TEST_F(MouseFixture, ARefusedKeyTableChunkIsAFailureAndEndsTheSequence) {
    Connect();
    firmware_->AddFault({0x09, 0, emu::FaultKind::StatusFE, 1});
    const WriteOutcome outcome = mouse_->WriteButtonTable(0, FactoryKeys());
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.step, "WriteKeyTable");
    EXPECT_EQ(Requests().back(), (Request{0x09, 48, 0}));  // no EndSettings
    EXPECT_EQ(mouse_->WriteParameters(mouse_->StandardParameterWrite()), 1);
    firmware_->AddFault({0x06, 1, emu::FaultKind::StatusFF, 1});
    EXPECT_EQ(mouse_->WriteParameters(mouse_->StandardParameterWrite()), 0);
}

TEST_F(MouseFixture, ThroughTheReceiverEveryStepAsksForTheLinkAndChunksAre24Bytes) {
    Connect(true);
    ASSERT_TRUE(mouse_->WriteButtonTable(0, FactoryKeys()).ok());
    EXPECT_EQ(Requests(), (std::vector<Request>{{0xAA, 0, 0},
                                                {0x03, 24, 0},
                                                {0x03, 10, 24},
                                                {0xAA, 0, 0},
                                                {0x01, 0, 0},
                                                {0xAA, 0, 0},
                                                {0x09, 24, 0},
                                                {0x09, 24, 24},
                                                {0xAA, 0, 0},
                                                {0x02, 0, 0}}));
    // The link goes off: the receiver answers 0x00, and the sequence stops at the first guard.
    firmware_->SetWirelessLinked(false);
    firmware_->ClearRequestLog();
    const WriteOutcome outcome = mouse_->WriteParameterBlock(mouse_->StandardParameterWrite());
    EXPECT_EQ(outcome.step, "QueryWirelessLink");
    EXPECT_EQ(Requests(), (std::vector<Request>{{0xAA, 0, 0}}));
    int slot = 0;
    EXPECT_FALSE(mouse_->ReadParameterBlock(&slot).ok());
}

TEST_F(MouseFixture, UnlinkedReceiverAnswersOtherCommandsWithUnsolicitedReports) {
    firmware_->SetWirelessLinked(false);
    Attach(true);
    // Bypassing the guard: a read the receiver cannot pass on gets no data.
    std::array<uint8_t, 34> info{};
    EXPECT_NE(mouse_->CommandChannel().ReadDeviceInfo(info), hid::kResultOk);
    EXPECT_EQ(info[5], 0);
    // The cable still reaches the mouse.
    Attach(false);
    EXPECT_EQ(mouse_->CommandChannel().ReadDeviceInfo(info), hid::kResultOk);
    EXPECT_EQ(info[5], 16);
}

TEST_F(MouseFixture, SlotAndStageReportsChangeTheMirrorOnly) {
    Connect();
    ASSERT_TRUE(mouse_->ReadParameterBlock().ok());
    firmware_->ClearRequestLog();
    mouse_->OnDeviceReport(0x1123);
    EXPECT_EQ(mouse_->LastParameters().activeSlot, 3);
    EXPECT_EQ(mouse_->LastParameters().block[12], 2);
    mouse_->OnDeviceReport(0x1005);
    EXPECT_EQ(mouse_->LastParameters().activeSlot, 5);
    EXPECT_EQ(mouse_->LastParameters().block[12], 2);
    for (uint16_t ignored : {0x0402, 0x1234, 0x11F3}) {
        mouse_->OnDeviceReport(ignored);
        EXPECT_EQ(mouse_->LastParameters().activeSlot, 5) << std::hex << ignored;
        EXPECT_EQ(mouse_->LastParameters().block[12], 2) << std::hex << ignored;
    }
    EXPECT_TRUE(Requests().empty());
}

TEST_F(MouseFixture, BadInformationBlocksWriteNothing) {
    Attach(false);
    for (uint8_t entries : {uint8_t{0}, uint8_t{200}}) {
        std::string error;
        ASSERT_TRUE(firmware_->Set(emu::AreaId::Info, 5, std::vector<uint8_t>{entries}, error));
        const WriteOutcome outcome = mouse_->ReadDeviceTables();
        EXPECT_EQ(outcome.step, "DeviceInfo") << int{entries};
        firmware_->ClearRequestLog();
        EXPECT_FALSE(mouse_->WriteButtonTable(0, FactoryKeys()).ok());
        EXPECT_TRUE(Requests().empty());
    }
}

TEST_F(MouseFixture, StatusBlockShowsBatteryAndLinkUnlessPaused) {
    Connect(true);
    mouse_->RefreshStatus();
    ASSERT_TRUE(mouse_->LastStatus().has_value());
    EXPECT_EQ((*mouse_->LastStatus())[0], 0x50);
    EXPECT_EQ((*mouse_->LastStatus())[3], 1);
    firmware_->ClearRequestLog();
    mouse_->SetStatusRefreshPaused(true);
    mouse_->RefreshStatus();
    EXPECT_TRUE(Requests().empty());
}

TEST_F(MouseFixture, ReactiveTriggerStartsEveryLedOnlyInModeSix) {
    Connect();
    mouse_->OnReactiveTrigger();
    EXPECT_EQ(mouse_->FadeStates(), std::vector<uint8_t>(15, 0));
    profiles::LightInfo light = mouse_->PageLight();
    light.mode = 6;
    mouse_->Profiledata().WriteLightInfo(light);
    mouse_->SaveProfile();
    mouse_->LoadProfile();
    mouse_->OnReactiveTrigger();
    EXPECT_EQ(mouse_->FadeStates(), std::vector<uint8_t>(15, 1));
}

}  // namespace

namespace {

// The mouse's mode list has ten built-in effects: mode 10 + k plays user effect k of the light
// configuration, whose file is in the mouse's own folder.
TEST_F(MouseFixture, UserEffectKIsReadForModeTenPlusK) {
    Json::Value config;
    for (Json::ArrayIndex k = 0; k < 3; ++k) {
        config["LightInfo"][0][k]["Guid"] = "effect" + std::to_string(k);
        config["LightInfo"][0][k]["LightName"] = "mine " + std::to_string(k);
    }
    WriteJson("zelvo_light.config", config);
    for (int k = 0; k < 3; ++k) {
        Json::Value effect;
        effect["LEDEffectList"][0]["LEDREGMode"] = 1;
        effect["LEDEffectList"][0]["red"] = 100 + k;
        WriteJson("effect" + std::to_string(k) + ".light", effect);
    }
    Json::Value profile;
    profile["Device"][0]["LightInfo"]["SelectItem"] = 12;
    WriteJson("mouse.Json", profile);
    mouse_->LoadProfile();
    const auto steps = mouse_->GetCustomLightStepsCopy();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].red, 102);
}

}  // namespace
