#include <gtest/gtest.h>

#include "profiles/hs6533_profiledata.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "temp_folder.h"

namespace {

using namespace profiles;

// Every section read of every class, then a write of each kind and a save.
void ExerciseEverySection(const std::filesystem::path& profile,
                          const std::filesystem::path& defaults) {
    CKeyboardProfiledata keyboard;
    keyboard.SetProfilePath(profile);
    keyboard.SetDefaultPath(defaults);
    keyboard.Load(profile);
    keyboard.LoadSecondary(profile);
    keyboard.LoadLightConfig(profile);
    keyboard.WriteLightInfo(keyboard.ReadLightInfo());
    keyboard.WriteAudioLightInfo(keyboard.ReadAudioLightInfo());
    keyboard.ReadLightList();
    keyboard.ReadCustomLightEffect();
    keyboard.WriteKeyList(keyboard.ReadKeyList());
    keyboard.WriteSecondaryKeyList(keyboard.ReadSecondaryKeyList());
    keyboard.WriteSystemStages(keyboard.ReadSystemStages());
    keyboard.WriteCustomLightColors(keyboard.ReadCustomLightColors(0, 4), 0);
    keyboard.SetCustomLightGroup(keyboard.GetCustomLightGroup());
    keyboard.Save();
    keyboard.SaveSecondary(profile);

    CMouseProfiledata mouse;
    mouse.SetProfilePath(profile);
    mouse.SetDefaultPath(defaults);
    mouse.Load(profile);
    mouse.WriteDPIStages(mouse.ReadDPIStages());
    mouse.SetStageActive(mouse.GetStageActive());
    mouse.WriteMouseSystemStages(mouse.ReadMouseSystemStages());
    mouse.ReadCorrectInfo();
    mouse.Save();

    CHs6533Profiledata headset;
    headset.SetProfilePath(profile);
    headset.SetDefaultPath(defaults);
    headset.Load(profile);
    headset.WriteSystemSetStages(headset.ReadSystemSetStages());
    for (std::int32_t type : {0, 1, 12, 13, 99}) {
        const auto bands = headset.ReadEqValues(type);
        if (bands.size() == kEqBandCount) {
            EqBands copy{};
            std::copy(bands.begin(), bands.end(), copy.begin());
            headset.WriteEqValues(type, copy);
        }
    }
    headset.ReadCustomEqValues(0);
    headset.WriteCustomEqNames(headset.ReadCustomEqNames());
    headset.Save();
}

struct BadFile {
    const char* name;
    std::string content;
};

const BadFile kBadFiles[] = {
    {"empty", ""},
    {"truncated", R"({"Device":[{"LightInfo":{"SelectItem":3,"Li)"},
    {"not json", "<xml/>"},
    {"json array", "[1,2,3]"},
    {"json string", R"("Device")"},
    {"device string", R"({"Device":"abc"})"},
    {"device object", R"({"Device":{"0":{}}})"},
    {"element number", R"({"Device":[42]})"},
    {"sections wrong type",
     R"({"Device":[{"LightInfo":[1],"AudioLightInfo":"x","LightList":{"a":1},"KeyList":{"a":1},
        "SystemStages":[],"CustomLightMode":{"LightColorInfo":"x","CustomLightModeGroupIndex":"3"},
        "DPIStages":{"StageActive":"2","StageDPIs":{"x":1}},"ReportStages":7,"CorrectInfo":"x",
        "SystemSetStages":[],"EQHzValueInfo":{"1":2},"CustomEQHzValueInfo":[["x"]],
        "CustomEQNameInfo":[{"Name":5}]}]})"},
    {"entries wrong type",
     R"({"Device":[{"KeyList":[5,"x",[],null],"LightList":[1,"x"],
        "DPIStages":{"StageDPIs":[7,null]},"CorrectInfo":[1,{"CorrectName":[]}],
        "CustomLightMode":{"LightColorInfo":[[1,"x"]]},"EQHzValueInfo":[[1],[2,3]]}]})"},
    {"numbers as strings",
     R"({"Device":[{"LightInfo":{"SelectItem":"3","Red":"255"},"KeyList":[{"Assignment":"66051"}]}]})"},
    {"huge and negative numbers",
     R"({"Device":[{"LightInfo":{"SelectItem":1e300,"Red":-1,"Green":18446744073709551615,
        "Blue":-9223372036854775808},"KeyList":[{"Assignment":-1,"DefaultAssignment":1e19}],
        "DPIStages":{"StageActive":99999999999,"StageDPIs":[{"StageDPIX":-70000}]},
        "SystemSetStages":{"EqType":-2147483649}}]})"},
    {"deep nesting", "{\"Device\":[" + std::string(3000, '[') + std::string(3000, ']') + "]}"},
};

// A profile file of any shape is read without a crash, and what is written back is always a
// document with an object element, never the garbage that was read.
TEST(BadProfileInput, NeverCrashesAndWritesOnlyWellFormedDocuments) {
    TempFolder folder;
    const auto defaults = folder.Write("default.Json", R"({"Device":[{"LightInfo":{"Light":4}}]})");
    for (const BadFile& bad : kBadFiles) {
        SCOPED_TRACE(bad.name);
        const auto profile = folder.Write("p.Json", bad.content);
        ExerciseEverySection(profile, defaults);
        const Json::Value written = TempFolder::Parse(TempFolder::Read(profile));
        ASSERT_TRUE(written.isObject());
        ASSERT_TRUE(written["Device"].isArray());
        EXPECT_TRUE(written["Device"][0].isObject());
    }
}

TEST(BadProfileInput, BadDefaultFileToo) {
    TempFolder folder;
    for (const BadFile& bad : kBadFiles) {
        SCOPED_TRACE(bad.name);
        const auto defaults = folder.Write("default.Json", bad.content);
        std::filesystem::remove(folder / "p.Json");
        ExerciseEverySection(folder / "p.Json", defaults);
        EXPECT_TRUE(TempFolder::Parse(TempFolder::Read(folder / "p.Json"))["Device"].isArray());
    }
}

TEST(BadProfileInput, NumbersAreNarrowedToTheFieldWidth) {
    TempFolder folder;
    const auto profile = folder.Write(
        "p.Json",
        R"({"Device":[{"LightInfo":{"SelectItem":300,"Red":-1,"Green":12.9,"Blue":"7","Light":true,
            "Speed":1e300},
            "KeyList":[{"Assignment":4294967295,"DefaultAssignment":-1}],
            "DPIStages":{"StageActive":-5,"StageDPIs":[{"StageDPIX":70000,"StageDPIY":-1}]},
            "SystemSetStages":{"MicInValue":4294967396}}]})");
    CMouseProfiledata mouse;
    mouse.Load(profile);
    const LightInfo light = mouse.ReadLightInfo();
    EXPECT_EQ(light.mode, 300 & 0xFF);
    EXPECT_EQ(light.red, 255);
    EXPECT_EQ(light.green, 12);
    EXPECT_EQ(light.blue, 0);  // a string is not a number
    EXPECT_EQ(light.brightness, 1);
    EXPECT_EQ(light.speed, 0);  // out of any integer range
    const auto keys = mouse.ReadKeyList();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].current, (KeyAssignment{0, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(keys[0].default_assignment, (KeyAssignment{0, 0xFF, 0xFF, 0xFF}));
    const auto stages = mouse.ReadDPIStages();
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_EQ(stages[0].dpi_x, 70000 & 0xFFFF);
    EXPECT_EQ(stages[0].dpi_y, 0xFFFF);
    EXPECT_EQ(mouse.GetStageActive(), -5);

    CHs6533Profiledata headset;
    headset.Load(profile);
    EXPECT_EQ(headset.ReadSystemSetStages().mic_in_value, 100);  // low 32 bits
}

TEST(BadProfileInput, UnreadableFilesAreNeverOverwritten) {
    TempFolder folder;
    const auto defaults = folder.Write("default.Json", R"({"Device":[{"LightInfo":{"Light":4}}]})");

    // A folder where the profile should be.
    std::filesystem::create_directory(folder / "folder.Json");
    CBasicProfiledata data;
    data.SetDefaultPath(defaults);
    data.SetProfilePath(folder / "folder.Json");
    EXPECT_EQ(data.Load(folder / "folder.Json")["LightInfo"]["Light"].asInt(), 4);
    EXPECT_FALSE(data.LastLoadWrite().ok());
    EXPECT_EQ(data.Save().status, WriteStatus::InvalidTarget);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "folder.Json"));

    // An oversized file.
    const auto big = folder.Write("big.Json", R"({"Device":[]})");
    std::filesystem::resize_file(big, kMaxJsonFileSize + 10);
    data.SetProfilePath(big);
    data.Load(big);
    EXPECT_FALSE(data.LastLoadWrite().ok());
    EXPECT_EQ(data.Save().status, WriteStatus::InvalidTarget);
    EXPECT_EQ(std::filesystem::file_size(big), kMaxJsonFileSize + 10);
}

TEST(BadProfileInput, HugeSectionArgumentsAreRefused) {
    CKeyboardProfiledata keyboard;
    EXPECT_TRUE(keyboard.ReadCustomLightColors(-1, 3).empty());
    EXPECT_TRUE(keyboard.ReadCustomLightColors(0, -3).empty());
    EXPECT_TRUE(keyboard.ReadCustomLightColors(2000000000, 1).empty());
    EXPECT_TRUE(keyboard.ReadCustomLightColors(0, 2000000000).empty());
    keyboard.WriteCustomLightColors({LightColorEntry{}}, 2000000000);
    EXPECT_TRUE(keyboard.Element().isNull());

    CHs6533Profiledata headset;
    EXPECT_TRUE(headset.ReadCustomEqValues(2000000000).empty());
    headset.WriteCustomEqValues(-4, EqBands{});
    EXPECT_TRUE(headset.Element().isNull());
}

}  // namespace
