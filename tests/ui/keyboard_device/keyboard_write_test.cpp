// The keyboard's writes: parameters, key table with macros, custom colours.
#include "keyboard_fixture.h"

namespace {

using emu::AreaId;
using kbdtest::Request;

class KeyboardWrite : public kbdtest::KeyboardFixture {
  protected:
    // Read-back without the parameters: the profile stays the shipped default.
    void Connect() {
        ASSERT_TRUE(keyboard_->ConnectSequence(false).ok());
        firmware_->ClearRequestLog();
    }
    std::vector<profiles::KeyAssignmentPair> Keys() {
        return keyboard_->Profiledata().ReadKeyList();
    }
};

std::vector<Request> KeyTableWrite() {
    return {{0x01, 0, 0},    {0x09, 56, 0},   {0x09, 56, 56},  {0x09, 56, 112}, {0x09, 56, 168},
            {0x09, 56, 224}, {0x09, 56, 280}, {0x09, 42, 336}, {0x02, 0, 0}};
}

TEST_F(KeyboardWrite, ParametersOfSlotZeroAtOffsetZeroFramed) {
    Connect();
    const WriteOutcome outcome = keyboard_->WriteParameterRecord(0);
    ASSERT_TRUE(outcome.ok()) << outcome.step;
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x01, 0, 0}, {0x06, 26, 0}, {0x02, 0, 0}}));
    // The shipped default light: mode 1 (code 1), brightness 4, speed 2, direction 1,
    // multicolour 1, red 255; all flags 0.
    const auto params = Dump(AreaId::Params);
    EXPECT_EQ(std::vector<uint8_t>(params.begin(), params.begin() + 26),
              (std::vector<uint8_t>{0, 1, 4, 2, 1, 1, 0xFF, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(keyboard_->WriteParameters(ParameterWrite{}), hid::kResultOk);
}

TEST_F(KeyboardWrite, KeyTableThenMacrosInOrderOfFirstUse) {
    WriteMacros(2, 2);
    Connect();
    auto keys = Keys();
    keys[0].current = {0, 0x70, 1, 0};    // Escape (position 0): macro 1
    keys[42].current = {42, 0x70, 0, 0};  // Tab (position 2): macro 0
    const WriteOutcome outcome = keyboard_->WriteKeyTable(&keyboard_->Profiledata(), keys);
    ASSERT_TRUE(outcome.ok()) << outcome.step << " " << outcome.code;
    auto expected = KeyTableWrite();
    expected.insert(expected.end(), {{0x01, 0, 0}, {0x15, 44, 0}, {0x02, 0, 0}});
    EXPECT_EQ(Requests(), expected);
    const auto table = Dump(AreaId::KeyTable);
    EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 9),
              (std::vector<uint8_t>{0x70, 0x00, 0x00, 0x20, 0x00, 0x35, 0x70, 0x01, 0x00}));
    const auto macro = Dump(AreaId::Macro);
    EXPECT_EQ(std::vector<uint8_t>(macro.begin(), macro.begin() + 44),
              (std::vector<uint8_t>{0xAA, 0x55, 0x2C, 0x00, 0x02, 0x00, 0,    0,    0,    0,
                                    0,    0,    0,    0,    0,    0,    0x14, 0x00, 0x20, 0x00,
                                    0x02, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x8A, 0x05,  // macro 1
                                    0x14, 0x00, 0x0A, 0x05, 0x02, 0x00, 0x00, 0x00, 0x0A, 0x00,
                                    0x8A, 0x04,  // macro 0
                                    0x14, 0x00, 0x0A, 0x04}));
    EXPECT_EQ(keyboard_->BuildMacroList(), (std::vector<int>{}));  // the profile has none
    EXPECT_EQ(firmware_->Counters().unframed, 0u);
}

TEST_F(KeyboardWrite, AFailedChunkEndsTheKeyTableWrite) {
    Connect();
    const auto before = Dump(AreaId::KeyTable);
    firmware_->AddFault({0x09, 2, emu::FaultKind::StatusFE, 1});
    auto keys = Keys();
    for (auto& key : keys) key.current = {key.current.key_index, 0x20, 0x00, 0x2C};
    const WriteOutcome outcome = keyboard_->WriteKeyTable(nullptr, keys);
    EXPECT_EQ(outcome.step, "WriteKeyTable");
    EXPECT_EQ(outcome.code, hid::kResultStatusFE);
    EXPECT_EQ(Requests(),
              (std::vector<Request>{
                  {0x01, 0, 0}, {0x09, 56, 0}, {0x09, 56, 56}, {0x09, 56, 112}, {0x02, 0, 0}}));
    const auto after = Dump(AreaId::KeyTable);
    EXPECT_NE(std::vector<uint8_t>(after.begin(), after.begin() + 112),
              std::vector<uint8_t>(before.begin(), before.begin() + 112));
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 112, after.end()),
              std::vector<uint8_t>(before.begin() + 112, before.end()));
}

TEST_F(KeyboardWrite, AMacroImageThatDoesNotFitSendsNothing) {
    struct Case {
        const char* name;
        int events;
        uint8_t units;
        uint32_t excess;
    };
    const Case cases[] = {
        {"200 events in 512 bytes", 200, 4, 78},  // (16 + 6 + 800 - 512) / 4 + 1
        {"no macro memory at all", 1, 0, 7},      // (16 + 6 + 4) / 4 + 1
    };
    for (const Case& c : cases) {
        WriteMacros(1, c.events);
        std::string error;
        ASSERT_TRUE(firmware_->Set(AreaId::Info, 6, std::vector<uint8_t>{c.units}, error));
        Connect();
        auto keys = Keys();
        keys[0].current = {0, 0x70, 0, 0};
        const WriteOutcome table = keyboard_->WriteKeyTable(nullptr, keys);
        EXPECT_EQ(table.excess, c.excess) << c.name;
        EXPECT_FALSE(table.ok()) << c.name;
        EXPECT_EQ(keyboard_->WriteCurrentKeyTable(nullptr).excess, 0u) << c.name;  // no macro
        firmware_->ClearRequestLog();
        EXPECT_EQ(keyboard_->WriteMacros({0}).excess, c.excess) << c.name;
        EXPECT_TRUE(Requests().empty()) << c.name;
    }
}

TEST_F(KeyboardWrite, CustomColoursSendTheMaskUnframedInModeTwentyOneOnly) {
    Connect();
    std::vector<profiles::LightColorEntry> colours(170, {10, 20, 30, 255, 0});
    colours[0].bright = 1;                                      // Escape, position 0: byte 0 bit 0
    colours[42].bright = 1;                                     // Tab, position 2: byte 2 bit 0
    EXPECT_FALSE(keyboard_->WriteCustomColours(colours).ok());  // the default mode is 1
    EXPECT_TRUE(Requests().empty());

    Json::Value profile = ReadJson("keyboard.Json");
    profile["Device"][0]["LightInfo"]["SelectItem"] = 21;
    WriteJson("keyboard.Json", profile);
    keyboard_->LoadProfile();
    const WriteOutcome outcome = keyboard_->WriteCustomColours(colours);
    ASSERT_TRUE(outcome.ok()) << outcome.step;
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x0B, 21, 0}}));
    std::vector<uint8_t> mask(21, 0);
    mask[0] = 0x01;
    mask[2] = 0x01;
    const auto written = Dump(AreaId::Mask);
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 21), mask);
    EXPECT_EQ(
        ReadJson(
            "keyboard.Json")["Device"][0]["CustomLightMode"]["LightColorInfo"][0][42]["IsBright"]
            .asInt(),
        1);

    // A failure pauses the next attempt instead of sleeping.
    uint32_t now = 1000;
    keyboard_->SetClock([&] { return now; });
    firmware_->AddFault({0x0B, 0, emu::FaultKind::StatusFF, 1});
    firmware_->ClearRequestLog();
    EXPECT_EQ(keyboard_->WriteCustomColours(colours).code, hid::kResultStatusFF);
    // A change made during the pause is kept in the profile; only the mask waits.
    colours[42].bright = 0;
    EXPECT_EQ(keyboard_->WriteCustomColours(colours).step, "paused");
    EXPECT_EQ(Requests().size(), 1u);
    EXPECT_EQ(
        ReadJson(
            "keyboard.Json")["Device"][0]["CustomLightMode"]["LightColorInfo"][0][42]["IsBright"]
            .asInt(),
        0);
    now += 200;
    EXPECT_TRUE(keyboard_->WriteCustomColours(colours).ok());
}

}  // namespace
