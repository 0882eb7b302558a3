// The keyboard's connect read-back, its events and its status poll, on the emulated keyboard.
#include "keyboard_fixture.h"

namespace {

using emu::AreaId;
using kbdtest::Request;

class KeyboardConnect : public kbdtest::KeyboardFixture {};

const std::vector<Request> kReadBack{
    {0x01, 0, 0},                                                        // BeginSettings
    {0x03, 34, 0},                                                       // device info
    {0x07, 56, 0},   {0x07, 56, 56},  {0x07, 56, 112}, {0x07, 56, 168},  // key table,
    {0x07, 56, 224}, {0x07, 56, 280}, {0x07, 42, 336},                   // 3 x 126 bytes
    {0x1B, 56, 0},   {0x1B, 56, 56},  {0x1B, 14, 112},                   // second table
    {0x02, 0, 0},                                                        // EndSettings
};

TEST_F(KeyboardConnect, ReadsBackInOrderThenTheActiveRecord) {
    const WriteOutcome outcome = keyboard_->ConnectSequence(true);
    ASSERT_TRUE(outcome.ok()) << outcome.step << " " << outcome.code;
    std::vector<Request> expected = kReadBack;
    expected.push_back({0x05, 1, 0});    // active device profile (1 on delivery)
    expected.push_back({0x05, 26, 25});  // its record
    EXPECT_EQ(Requests(), expected);

    // The emulated factory table starts with Escape (20 00 29) and has no Fn code.
    const auto factory = Dump(AreaId::Factory);
    ASSERT_EQ(std::vector<uint8_t>(factory.begin(), factory.begin() + 3),
              (std::vector<uint8_t>{0x20, 0x00, 0x29}));
    EXPECT_EQ(keyboard_->KeyPositions()[0], 0);
    EXPECT_EQ(keyboard_->KeyPositions()[110], 113);
    EXPECT_EQ(keyboard_->GetKeyMap().at(0), 0);
    const Json::Value stored = ReadJson("keymap.json");
    EXPECT_EQ(stored["Positions"].asInt(), 126);
    EXPECT_EQ(stored["KeyMap"][110].asInt(), 113);

    // The keyboard's light and flags replace the profile's: record 1 of the emulated memory.
    const auto params = Dump(AreaId::Params);
    std::vector<uint8_t> record(params.begin() + 25, params.begin() + 51);
    EXPECT_EQ(std::vector<uint8_t>(keyboard_->LastParameters().rawRecord.bytes.begin(),
                                   keyboard_->LastParameters().rawRecord.bytes.end()),
              record);
    record[16] = 0;  // kept cleared
    EXPECT_EQ(std::vector<uint8_t>(keyboard_->LastParameters().record.bytes.begin(),
                                   keyboard_->LastParameters().record.bytes.end()),
              record);
    const Json::Value element = ReadJson("keyboard.Json")["Device"][0];
    EXPECT_EQ(element["LightInfo"]["SelectItem"].asInt(), record[1]);  // codes 0..9 = modes
    EXPECT_EQ(element["LightInfo"]["Light"].asInt(), record[2]);
    EXPECT_EQ(element["LightInfo"]["Speed"].asInt(), 4 - record[3]);
    EXPECT_EQ(element["LightInfo"]["Blue"].asInt(), record[8]);
    EXPECT_EQ(element["SystemStages"]["WFlag"].asInt(), record[19]);
    EXPECT_EQ(element["SystemStages"]["Key6Flag"].asInt(), record[20]);
    EXPECT_EQ(element["SystemStages"]["WinFlag"].asInt(), record[21]);
    EXPECT_EQ(firmware_->OpenSettingsSequences(), 0);
    EXPECT_EQ(firmware_->Counters().bad, 0u);
    EXPECT_EQ(firmware_->Counters().unframed, 0u);
}

TEST_F(KeyboardConnect, AFailedReadEndsTheReadBackAndTheProfileLoadsWithoutTheDevice) {
    struct Case {
        const char* name;
        emu::FaultRule fault;
        std::vector<Request> requests;
        std::string step;
        int code;
    };
    const Case cases[] = {
        {"silent keyboard: one time-out, no EndSettings",
         {0x07, 0, emu::FaultKind::NoReply, 1},
         {{0x01, 0, 0}, {0x03, 34, 0}, {0x07, 56, 0}},
         "ReadKeyTable",
         hid::kResultReadFailed},
        {"refused read: the sequence is closed",
         {0x1B, 1, emu::FaultKind::StatusFF, 1},
         {{0x01, 0, 0},
          {0x03, 34, 0},
          {0x07, 56, 0},
          {0x07, 56, 56},
          {0x07, 56, 112},
          {0x07, 56, 168},
          {0x07, 56, 224},
          {0x07, 56, 280},
          {0x07, 42, 336},
          {0x1B, 56, 0},
          {0x1B, 56, 56},
          {0x02, 0, 0}},
         "ReadSecondTable",
         hid::kResultStatusFF},
    };
    for (const Case& c : cases) {
        firmware_->ClearFaults();
        firmware_->AddFault(c.fault);
        firmware_->ClearRequestLog();
        const WriteOutcome outcome = keyboard_->ConnectSequence(true);
        EXPECT_EQ(outcome.step, c.step) << c.name;
        EXPECT_EQ(outcome.code, c.code) << c.name;
        EXPECT_EQ(Requests(), c.requests) << c.name;
        EXPECT_EQ(keyboard_->KeyPositions()[0], keyboard::kNoPosition) << c.name;
        // The profile comes from the shipped default, untouched by the keyboard.
        EXPECT_EQ(keyboard_->PageLight().mode, 1) << c.name;
        EXPECT_TRUE(keyboard_->WriteKeyTable(nullptr, {}).step == "ReadKeyTable") << c.name;
    }
}

TEST_F(KeyboardConnect, Event0401ReadsTheParametersAgain) {
    ASSERT_TRUE(keyboard_->ConnectSequence(true).ok());
    const std::vector<uint8_t> brightness{2};
    std::string error;
    ASSERT_TRUE(firmware_->Set(AreaId::Params, 25 + 2, brightness, error)) << error;
    firmware_->ClearRequestLog();
    keyboard_->OnDeviceEvent();
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x05, 1, 0}, {0x05, 26, 25}}));
    EXPECT_EQ(ReadJson("keyboard.Json")["Device"][0]["LightInfo"]["Light"].asInt(), 2);
    EXPECT_EQ(keyboard_->PageLight().brightness, 2);
}

TEST_F(KeyboardConnect, Event1002SwitchesToEntryTwoOfTheProfileListOnly) {
    ASSERT_TRUE(keyboard_->ConnectSequence(true).ok());
    firmware_->ClearRequestLog();
    keyboard_->OnDeviceReport(0x1002);  // no profile list: nothing changes
    EXPECT_EQ(keyboard_->GetProfileBaseName(), QStringLiteral("keyboard"));

    Json::Value list(Json::objectValue);
    list["profileselect"] = 0;
    for (const char* id : {"p0", "p1", "p2"}) {
        Json::Value entry(Json::objectValue);
        entry["profilename"] = id;
        entry["profileUUID"] = id;
        list["profilelist"].append(entry);
    }
    WriteJson("ProfileList.ini", list);
    Json::Value profile(Json::objectValue);
    profile["Device"][0]["LightInfo"]["SelectItem"] = 7;
    WriteJson("p2.Json", profile);

    keyboard_->OnDeviceReport(0x1005);  // no entry 5: nothing changes
    EXPECT_EQ(keyboard_->GetProfileBaseName(), QStringLiteral("keyboard"));
    keyboard_->OnDeviceReport(0x1002);
    EXPECT_EQ(keyboard_->GetProfileBaseName(), QStringLiteral("p2"));
    EXPECT_EQ(keyboard_->PageLight().mode, 7);
    EXPECT_EQ(ReadJson("ProfileList.ini")["profileselect"].asInt(), 2);
    EXPECT_TRUE(Requests().empty());  // the keyboard switched itself: nothing written back

    keyboard_->OnDeviceReport(0x1121);
    EXPECT_EQ(keyboard_->GetProfileBaseName(), QStringLiteral("p1"));
    EXPECT_EQ(keyboard_->SecondEventValue(), 2);
    keyboard_->OnDeviceReport(0x0404);
    EXPECT_EQ(keyboard_->CountedEvents(), 1);
    keyboard_->OnDeviceReport(0x7777);  // nobody defined it
    EXPECT_EQ(keyboard_->GetProfileBaseName(), QStringLiteral("p1"));
}

TEST_F(KeyboardConnect, StatusPollUnlessPaused) {
    keyboard_->SetStatusRefreshPaused(true);
    keyboard_->RefreshStatus();
    EXPECT_TRUE(Requests().empty());
    keyboard_->SetStatusRefreshPaused(false);
    int message = 0, value = -1;
    QObject::connect(keyboard_.get(), &CSkelmoraKeyboardDevice::StatusMessage,
                     [&](int m, int v) { message = m, value = v; });
    keyboard_->RefreshStatus();
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x1A, 6, 0}}));
    auto status = Dump(AreaId::Status);
    status.resize(6);
    status[3] = 0;  // wired
    ASSERT_TRUE(keyboard_->LastStatus());
    EXPECT_EQ(
        std::vector<uint8_t>(keyboard_->LastStatus()->begin(), keyboard_->LastStatus()->end()),
        status);
    EXPECT_EQ(message, 0xD01);
    EXPECT_EQ(value, status[4]);
}

}  // namespace
