// Bad replies from the keyboard and bad files beside the profile.
#include "keyboard_fixture.h"

namespace {

using emu::AreaId;
using kbdtest::Request;

class KeyboardBadInput : public kbdtest::KeyboardFixture {
  protected:
    void SetBytes(AreaId area, size_t offset, std::vector<uint8_t> bytes) {
        std::string error;
        ASSERT_TRUE(firmware_->Set(area, offset, bytes, error)) << error;
    }
    std::vector<uint8_t> Head(AreaId area, size_t n) const {
        const auto bytes = Dump(area);
        return {bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n)};
    }
};

TEST_F(KeyboardBadInput, KeyPositionCountOutsideOneTo170) {
    for (uint8_t positions : {uint8_t{0}, uint8_t{171}, uint8_t{255}}) {
        SetBytes(AreaId::Info, 5, {positions});
        firmware_->ClearRequestLog();
        const WriteOutcome outcome = keyboard_->ConnectSequence(true);
        EXPECT_EQ(outcome.step, "DeviceInfo") << int{positions};
        EXPECT_EQ(Requests(), (std::vector<Request>{{0x01, 0, 0}, {0x03, 34, 0}, {0x02, 0, 0}}));
        EXPECT_EQ(keyboard_->KeyPositions(), keyboard::EmptyKeyPositions());
        firmware_->ClearRequestLog();
        EXPECT_FALSE(keyboard_->WriteCurrentKeyTable(nullptr).ok());
        EXPECT_TRUE(Requests().empty());
    }
}

TEST_F(KeyboardBadInput, ActiveProfile200FailsTheRecordReadAndLeavesTheProfile) {
    ASSERT_TRUE(keyboard_->ConnectSequence(false).ok());
    const Json::Value before = ReadJson("keyboard.Json");
    SetBytes(AreaId::Params, 0, {200});
    firmware_->ClearRequestLog();
    const WriteOutcome outcome = keyboard_->ReadParametersFromDevice();
    EXPECT_EQ(outcome.step, "ReadParameters");
    EXPECT_EQ(outcome.code, hid::kResultStatusFF);  // 200 x 25 is past the 256-byte area
    EXPECT_EQ(Requests(), (std::vector<Request>{{0x05, 1, 0}, {0x05, 26, 5000}}));
    EXPECT_EQ(ReadJson("keyboard.Json"), before);
}

TEST_F(KeyboardBadInput, UnknownCodesAndLevelsAbove4ReadBackSafely) {
    // Record 1: effect code 200, brightness 9, inverted speed 7.
    SetBytes(AreaId::Params, 25 + 1, {200, 9, 7});
    ASSERT_TRUE(keyboard_->ConnectSequence(true).ok());
    const Json::Value light = ReadJson("keyboard.Json")["Device"][0]["LightInfo"];
    EXPECT_EQ(light["SelectItem"].asInt(), 1);  // the shipped default's mode is kept
    EXPECT_EQ(light["Light"].asInt(), 4);
    EXPECT_EQ(light["Speed"].asInt(), 0);
}

TEST_F(KeyboardBadInput, MacroConfigVariants) {
    // Escape (position 0) assigned macro 0; its default is Escape itself.
    struct Case {
        const char* name;
        QByteArray config;
        std::vector<uint8_t> position0;
    };
    QByteArray sixty = "{\"MacroInfo\":[";
    for (int i = 0; i < 60; ++i)
        sixty += QByteArray(i ? "," : "") + "{\"MacroName\":\"x\",\"Guid\":\"g\"}";
    sixty += "]}";
    const Case cases[] = {
        {"missing", {}, {0x20, 0x00, 0x29}},
        {"empty", "", {0x20, 0x00, 0x29}},
        {"not an array", "{\"MacroInfo\": 5}", {0x20, 0x00, 0x29}},
        {"not JSON", "[[[", {0x20, 0x00, 0x29}},
        {"no entries", "{\"MacroInfo\": []}", {0x20, 0x00, 0x29}},
        {"sixty entries", sixty, {0x70, 0x00, 0x00}},
    };
    ASSERT_TRUE(keyboard_->ConnectSequence(false).ok());
    auto keys = keyboard_->Profiledata().ReadKeyList();
    keys[0].current = {0, 0x70, 0, 0};
    for (const Case& c : cases) {
        QFile::remove(Folder() + "macro.config");
        if (!c.config.isNull()) WriteFile("macro.config", c.config);
        const WriteOutcome outcome = keyboard_->WriteKeyTable(nullptr, keys);
        EXPECT_TRUE(outcome.ok()) << c.name << " " << outcome.step;
        EXPECT_EQ(Head(AreaId::KeyTable, 3), c.position0) << c.name;
    }
}

TEST_F(KeyboardBadInput, BrokenMacroFilesGoWithoutEvents) {
    ASSERT_TRUE(keyboard_->ConnectSequence(false).ok());
    const std::vector<uint8_t> emptyMacro{0xAA, 0x55, 0x16, 0x00, 0x01, 0x00, 0,    0, 0, 0, 0,
                                          0,    0,    0,    0,    0,    0x12, 0x00, 0, 0, 0, 0};
    struct Case {
        const char* name;
        const char* guid;
        QByteArray file;  // null: no file
    };
    const Case cases[] = {
        {"missing file", "a", {}},
        {"unparseable", "b", "{\"Events\": ["},
        {"events not an array", "c", "{\"Events\": {}}"},
        {"a path as Guid", "../../x", {}},
    };
    for (const Case& c : cases) {
        WriteFile("macro.config", QByteArray("{\"MacroInfo\":[{\"MacroName\":\"m\",\"Guid\":\"") +
                                      c.guid + "\"}]}");
        if (!c.file.isNull()) WriteFile((std::string(c.guid) + ".mac").c_str(), c.file);
        SetBytes(AreaId::Macro, 0, std::vector<uint8_t>(22, 0xEE));
        const WriteOutcome outcome = keyboard_->WriteMacros({0});
        EXPECT_TRUE(outcome.ok()) << c.name;
        EXPECT_EQ(Head(AreaId::Macro, 22), emptyMacro) << c.name;
    }
}

TEST_F(KeyboardBadInput, AHundredThousandEventsAreRefusedByTheCapacityCheck) {
    WriteMacros(1, 100000);
    ASSERT_TRUE(keyboard_->ConnectSequence(false).ok());
    firmware_->ClearRequestLog();
    EXPECT_EQ(keyboard_->WriteMacros({0}).excess, 99878u);  // (400022 - 512) / 4 + 1
    EXPECT_TRUE(Requests().empty());
}

TEST_F(KeyboardBadInput, ARemappedKeyKeepsItsStoredPosition) {
    // A complete read-back stores the key map; the keyboard then reports its active table in
    // which Escape's position carries F1's code.
    ASSERT_TRUE(keyboard_->ConnectSequence(false).ok());
    const int f1 = keyboard_->KeyPositions()[1];
    ASSERT_NE(f1, keyboard::kNoPosition);
    auto keys = keyboard_->Profiledata().ReadKeyList();
    keys[0].current = {0, 0x20, 0x00, 0x3A};
    ASSERT_TRUE(keyboard_->WriteCurrentKeyTable(nullptr).ok());
    ASSERT_TRUE(keyboard_->WriteKeyTable(nullptr, keys).ok());
    firmware_->SetReadActiveKeyTable(true);
    ASSERT_TRUE(keyboard_->ConnectSequence(false).ok());
    EXPECT_EQ(keyboard_->KeyPositions()[0], 0);
    EXPECT_EQ(keyboard_->KeyPositions()[1], f1);
}

}  // namespace
