#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <vector>

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
    // The file does not parse or is not a profile document: it is kept aside before the first
    // write replaces it.
    bool keptAside = false;
};

const BadFile kBadFiles[] = {
    {"empty", ""},
    {"truncated", R"({"Device":[{"LightInfo":{"SelectItem":3,"Li)", true},
    {"not json", "<xml/>", true},
    {"json array", "[1,2,3]", true},
    {"json string", R"("Device")", true},
    {"device string", R"({"Device":"abc"})", true},
    {"device object", R"({"Device":{"0":{}}})", true},
    {"element number", R"({"Device":[42]})", true},
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
    {"deep nesting", "{\"Device\":[" + std::string(3000, '[') + std::string(3000, ']') + "]}",
     true},
};

std::vector<std::filesystem::path> KeptCopies(const std::filesystem::path& folder,
                                              const std::string& name) {
    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(name + ".bad-", 0) == 0)
            copies.push_back(entry.path());
    return copies;
}

// A profile file of any shape is read without a crash, and what is written back is always a
// document with an object element, never the garbage that was read. A file that does not parse
// or is not a profile document is kept beside as NAME.bad-YYYYMMDD-HHMMSS, byte for byte, once,
// and the notice names it.
TEST(BadProfileInput, NeverCrashesWritesOnlyWellFormedDocumentsAndKeepsWhatItReplaces) {
    TempFolder folder;
    const auto defaults = folder.Write("default.Json", R"({"Device":[{"LightInfo":{"Light":4}}]})");
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> notices;
    SetUnreadableFileNotice(
        [&](const std::filesystem::path& file, const std::filesystem::path& copy) {
            notices.emplace_back(file, copy);
        });
    for (const BadFile& bad : kBadFiles) {
        SCOPED_TRACE(bad.name);
        notices.clear();
        for (const auto& old : KeptCopies(folder.path(), "p.Json")) std::filesystem::remove(old);
        const auto profile = folder.Write("p.Json", bad.content);
        ExerciseEverySection(profile, defaults);
        const Json::Value written = TempFolder::Parse(TempFolder::Read(profile));
        ASSERT_TRUE(written.isObject());
        ASSERT_TRUE(written["Device"].isArray());
        EXPECT_TRUE(written["Device"][0].isObject());

        const auto copies = KeptCopies(folder.path(), "p.Json");
        ASSERT_EQ(copies.size(), bad.keptAside ? 1u : 0u);
        ASSERT_EQ(notices.size(), bad.keptAside ? 1u : 0u);
        if (bad.keptAside) {
            EXPECT_EQ(TempFolder::Read(copies[0]), bad.content);
            EXPECT_EQ(notices[0].first, profile);
            EXPECT_EQ(notices[0].second, copies[0]);
        }
    }
    SetUnreadableFileNotice(nullptr);
}

TEST(BadProfileInput, EarlierCopiesAreNeverOverwritten) {
    TempFolder folder;
    const auto defaults = folder.Write("default.Json", R"({"Device":[{"LightInfo":{"Light":4}}]})");
    const std::string first = R"({"Device":[{"LightInfo":{"Light":9},)";
    const std::string second = R"({"Device":[{"KeyList":[{"Assignment":5}]]})";
    for (const std::string& text : {first, second}) {
        const auto profile = folder.Write("p.Json", text);
        CKeyboardProfiledata keyboard;
        keyboard.SetProfilePath(profile);
        keyboard.SetDefaultPath(defaults);
        keyboard.Load(profile);
        EXPECT_TRUE(keyboard.LastLoadWrite().ok());
    }
    std::vector<std::string> kept;
    for (const auto& copy : KeptCopies(folder.path(), "p.Json"))
        kept.push_back(TempFolder::Read(copy));
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> expected{first, second};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);
}

TEST(BadProfileInput, CopyNames) {
    std::tm time{};
    time.tm_year = 2024 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 5;
    time.tm_hour = 14;
    time.tm_min = 7;
    time.tm_sec = 9;
    const struct {
        int attempt;
        const char* name;
    } cases[] = {{0, "/p/Default.Json.bad-20240305-140709"},
                 {1, "/p/Default.Json.bad-20240305-140709-1"},
                 {12, "/p/Default.Json.bad-20240305-140709-12"}};
    for (const auto& c : cases)
        EXPECT_EQ(UnreadableCopyName("/p/Default.Json", time, c.attempt),
                  std::filesystem::path(c.name));
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
