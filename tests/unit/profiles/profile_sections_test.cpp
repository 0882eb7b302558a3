#include <gtest/gtest.h>

#include "profiles/hs6533_profiledata.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "temp_folder.h"

namespace {

using namespace profiles;

Json::Value Doc(const std::string& text) { return TempFolder::Parse(text); }

class ProfileFiles : public ::testing::Test {
  protected:
    Json::Value ReadBack(const std::filesystem::path& path) {
        return TempFolder::Parse(TempFolder::Read(path));
    }
    TempFolder folder_;
};

TEST_F(ProfileFiles, LoadCopiesTheFactoryElementWithoutTouchingOthers) {
    const auto defaults =
        folder_.Write("keyboard.Json", R"({"Device":[{"LightInfo":{"SelectItem":6,"Light":4}}]})");
    const auto profile = folder_.Write(
        "p.Json", R"({"profilename":"profile1","profileUUID":"u1","Device":[null,{"other":7}]})");
    CKeyboardProfiledata data;
    data.SetDefaultPath(defaults);
    const Json::Value element = data.Load(profile);
    EXPECT_EQ(element["LightInfo"]["SelectItem"].asInt(), 6);
    EXPECT_TRUE(data.LastLoadWrite().ok());

    const Json::Value written = ReadBack(profile);
    EXPECT_EQ(written["Device"][0], element);
    EXPECT_EQ(written["Device"][1], Doc(R"({"other":7})"));
    EXPECT_EQ(written["profilename"].asString(), "profile1");
    EXPECT_EQ(written["profileUUID"].asString(), "u1");

    // A missing profile file is created with the factory element.
    const auto fresh = folder_ / "fresh.Json";
    data.Load(fresh);
    EXPECT_EQ(ReadBack(fresh)["Device"][0], element);
}

TEST_F(ProfileFiles, ElementThatIsNotAnObjectIsReplacedByTheFactoryElement) {
    const auto defaults = folder_.Write("d.Json", R"({"Device":[{"from":"default"}]})");
    const auto profile = folder_.Write("p.Json", R"({"Device":[42]})");
    CBasicProfiledata data;
    data.SetDefaultPath(defaults);
    EXPECT_EQ(data.Load(profile)["from"].asString(), "default");
    EXPECT_EQ(ReadBack(profile)["Device"][0]["from"].asString(), "default");

    // Nor is anything but an object taken from the default file.
    const auto bad_defaults = folder_.Write("bad.Json", R"({"Device":["garbage"]})");
    data.SetDefaultPath(bad_defaults);
    std::filesystem::remove(profile);
    EXPECT_TRUE(data.Load(profile).isNull());
    EXPECT_TRUE(ReadBack(profile)["Device"][0].isNull());
}

TEST_F(ProfileFiles, LoadKeepsAnElementThatExists) {
    const auto defaults = folder_.Write("d.Json", R"({"Device":[{"from":"default"}]})");
    const std::string text = R"({"Device":[{"from":"profile"}]})";
    const auto profile = folder_.Write("p.Json", text);
    CBasicProfiledata data;
    data.SetDefaultPath(defaults);
    EXPECT_EQ(data.Load(profile)["from"].asString(), "profile");
    EXPECT_EQ(TempFolder::Read(profile), text);  // not rewritten
}

TEST_F(ProfileFiles, SaveWithElementIndexThreeExtendsTheArrayWithNulls) {
    const auto profile = folder_.Write("p.Json", R"({"Device":[{"first":1}]})");
    CBasicProfiledata data;
    data.SetProfilePath(profile);
    data.SetElementIndex(3);
    data.WriteLightInfo(LightInfo{});
    ASSERT_TRUE(data.Save().ok());
    const Json::Value devices = ReadBack(profile)["Device"];
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[0], Doc(R"({"first":1})"));
    EXPECT_TRUE(devices[1].isNull());
    EXPECT_TRUE(devices[2].isNull());
    EXPECT_TRUE(devices[3]["LightInfo"].isObject());
}

TEST_F(ProfileFiles, InvalidElementIndexNeverTouchesTheFile) {
    const std::string text = R"({"Device":[{"first":1}]})";
    const auto profile = folder_.Write("p.Json", text);
    CBasicProfiledata data;
    data.SetProfilePath(profile);
    for (std::int32_t index : {-1, kMaxElementIndex + 1, 2000000000}) {
        data.SetElementIndex(index);
        EXPECT_TRUE(data.Load(profile).isNull());
        EXPECT_EQ(data.Save().status, WriteStatus::InvalidTarget);
    }
    EXPECT_EQ(TempFolder::Read(profile), text);
}

TEST_F(ProfileFiles, MissingLightInfoReadsZeroAndWritesAllElevenKeys) {
    const auto profile = folder_.Write("p.Json", R"({"Device":[{"KeyList":[]}]})");
    CBasicProfiledata data;
    data.SetProfilePath(profile);
    data.Load(profile);
    const LightInfo light = data.ReadLightInfo();
    EXPECT_EQ(light, LightInfo{});
    data.WriteLightInfo(light);
    ASSERT_TRUE(data.Save().ok());
    const Json::Value info = ReadBack(profile)["Device"][0]["LightInfo"];
    const std::vector<std::string> keys{"Blue",       "CustomGroup", "Fx",         "Green",
                                        "Light",      "MultiColor",  "OldLedmode", "Red",
                                        "SelectItem", "Speed",       "ZZCCLedMode"};
    EXPECT_EQ(info.getMemberNames(), keys);
    for (const auto& key : keys) EXPECT_EQ(info[key].asInt(), 0) << key;
}

TEST_F(ProfileFiles, LightInfoRoundTrips) {
    CBasicProfiledata data;
    data.SetProfilePath(folder_ / "p.Json");
    const LightInfo light{21, 4, 2, 1, 0, 255, 128, 7, {0, 0, 0}, 3, 2, 6};
    data.WriteLightInfo(light);
    ASSERT_TRUE(data.Save().ok());
    CBasicProfiledata other;
    other.Load(folder_ / "p.Json");
    EXPECT_EQ(other.ReadLightInfo(), light);
}

TEST_F(ProfileFiles, AssignmentSplitsIntoKindHighLowAndWritesOnlyAssignment) {
    const auto profile = folder_.Write(
        "p.Json", R"({"Device":[{"KeyList":[{"Assignment":66051,"DefaultAssignment":2097193}]}]})");
    CBasicProfiledata data;
    data.SetProfilePath(profile);
    data.Load(profile);
    const auto keys = data.ReadKeyList();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].current, (KeyAssignment{0, 1, 2, 3}));
    EXPECT_EQ(keys[0].default_assignment, (KeyAssignment{0, 0x20, 0x00, 0x29}));

    auto changed = keys;
    changed[0].default_assignment = KeyAssignment{0, 9, 9, 9};  // never written
    data.WriteKeyList(changed);
    ASSERT_TRUE(data.Save().ok());
    const Json::Value entry = ReadBack(profile)["Device"][0]["KeyList"][0];
    EXPECT_EQ(entry["Assignment"].asInt(), 66051);
    EXPECT_EQ(entry["DefaultAssignment"].asInt(), 2097193);
}

TEST_F(ProfileFiles, SecondaryProfileChangesLeaveTheCurrentElementAlone) {
    const auto current = folder_.Write("a.Json", R"({"Device":[{"KeyList":[{"Assignment":1}]}]})");
    const auto other = folder_.Write("b.Json", R"({"Device":[{"KeyList":[{"Assignment":2}]}]})");
    CBasicProfiledata data;
    data.SetProfilePath(current);
    data.Load(current);
    data.LoadSecondary(other);
    auto keys = data.ReadSecondaryKeyList();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].current.low, 2);
    keys[0].current.low = 5;
    data.WriteSecondaryKeyList(keys);
    ASSERT_TRUE(data.SaveSecondary(other).ok());
    EXPECT_EQ(ReadBack(other)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 5);
    EXPECT_EQ(data.ReadKeyList()[0].current.low, 1);
    EXPECT_EQ(ReadBack(current)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 1);
}

TEST(EqRows, TypesMapToRows) {
    const struct {
        std::int32_t type;
        std::optional<std::int32_t> row;
    } cases[] = {{0, 1}, {1, 1}, {5, 5}, {12, 12}, {13, std::nullopt}, {14, 1}, {-3, 1}};
    for (const auto& c : cases) EXPECT_EQ(EqRowOfType(c.type), c.row) << c.type;
}

TEST_F(ProfileFiles, EqTypeZeroUsesRowOneAndTypeThirteenNothing) {
    Json::Value element;
    for (int row = 0; row < 3; ++row) {
        for (int band = 0; band < 10; ++band) {
            element["EQHzValueInfo"][row][band]["value"] = row * 100 + band;
        }
    }
    Json::Value document;
    document["Device"][0] = element;
    const auto profile = folder_ / "hd.Json";
    ASSERT_TRUE(JsonFile().WriteDocument(document, profile).ok());

    CHs6533Profiledata data;
    data.Load(profile);
    const auto row1 = data.ReadEqValues(0);
    ASSERT_EQ(row1.size(), 10u);
    EXPECT_EQ(row1[0], 100);
    EXPECT_EQ(row1[9], 109);

    EXPECT_TRUE(data.ReadEqValues(13).empty());
    data.WriteEqValues(13, EqBands{9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    EXPECT_EQ(data.Element(), element);

    data.WriteEqValues(0, EqBands{-1, -2, -3, -4, -5, -6, -7, -8, -9, -10});
    EXPECT_EQ(data.Element()["EQHzValueInfo"][1][9]["value"].asInt(), -10);
    EXPECT_EQ(data.Element()["EQHzValueInfo"][0][0]["value"].asInt(), 0);
}

TEST_F(ProfileFiles, MissingEqRowIsCreatedWithTenZeros) {
    CHs6533Profiledata data;
    const auto bands = data.ReadEqValues(4);
    EXPECT_EQ(bands, std::vector<std::int32_t>(10, 0));
    const Json::Value& row = data.Element()["EQHzValueInfo"][4];
    ASSERT_EQ(row.size(), 10u);
    for (const auto& band : row) EXPECT_EQ(band, Doc(R"({"value":0})"));
    EXPECT_EQ(data.ReadCustomEqValues(2), std::vector<std::int32_t>(10, 0));
    EXPECT_EQ(data.Element()["CustomEQHzValueInfo"].size(), 3u);
    EXPECT_TRUE(data.ReadCustomEqValues(-1).empty());
}

TEST_F(ProfileFiles, HeadsetSettingsAndCustomNamesRoundTrip) {
    CHs6533Profiledata data;
    data.SetProfilePath(folder_ / "hd.Json");
    const HeadsetSystemSetStages stages{1, 3, 13, 2, 1, 37, 0, 50};
    data.WriteSystemSetStages(stages);
    data.WriteCustomEqNames({L"Game", L"\u7B2C\u4E09\u7EC4"});
    data.WriteCustomEqValues(1, EqBands{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    ASSERT_TRUE(data.Save().ok());
    CHs6533Profiledata other;
    other.Load(folder_ / "hd.Json");
    EXPECT_EQ(other.ReadSystemSetStages(), stages);
    EXPECT_EQ(other.ReadCustomEqNames(),
              (std::vector<std::wstring>{L"Game", L"\u7B2C\u4E09\u7EC4"}));
    EXPECT_EQ(other.ReadCustomEqValues(1),
              (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(ProfileFiles, DpiMergeOfFiveStoredAndThreeRead) {
    auto write_stages = [&](const std::string& name, int count, int base) {
        Json::Value document;
        document["Device"][0]["DPIStages"]["StageActive"] = count - 1;
        for (int i = 0; i < count; ++i) {
            Json::Value& stage = document["Device"][0]["DPIStages"]["StageDPIs"][i];
            stage["StageActive"] = 1;
            stage["StageXY"] = 0;
            stage["StageDPIX"] = base + i;
            stage["StageDPIY"] = base + i;
            stage["StageColorR"] = 10 * i;
            stage["StageColorG"] = 0;
            stage["StageColorB"] = 255;
        }
        const auto path = folder_ / name;
        EXPECT_TRUE(JsonFile().WriteDocument(document, path).ok());
        return path;
    };
    CMouseProfiledata data;
    data.Load(write_stages("five.Json", 5, 100));
    ASSERT_EQ(data.ReadDPIStages().size(), 5u);
    EXPECT_EQ(data.GetStageActive(), 4);

    data.Load(write_stages("three.Json", 3, 500));
    const auto merged = data.ReadDPIStages();
    ASSERT_EQ(merged.size(), 5u);
    const std::uint16_t expected[] = {500, 501, 502, 103, 104};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(merged[i].dpi_x, expected[i]) << i;
    EXPECT_EQ(data.GetStageActive(), 2);
}

TEST_F(ProfileFiles, MouseSystemStagesAndStageActive) {
    CMouseProfiledata data;
    EXPECT_EQ(data.ReadMouseSystemStages(), MouseSystemStages{});
    const MouseSystemStages stages{500, 10, 1, 0, 3, 2};
    data.WriteMouseSystemStages(stages);
    data.SetStageActive(3);
    EXPECT_EQ(data.Element()["ReportStages"]["StageActive"].asInt(), 2);
    EXPECT_EQ(data.Element()["SystemStages"]["WheelScorlllinse"].asInt(), 3);
    EXPECT_EQ(data.Element()["SystemStages"]["ScorllPage"].asInt(), 0);
    EXPECT_EQ(data.Element()["DPIStages"]["StageActive"].asInt(), 3);
    EXPECT_EQ(data.ReadMouseSystemStages(), stages);
}

TEST_F(ProfileFiles, CorrectInfoNamesAreConverted) {
    const auto profile =
        folder_.Write("m.Json",
                      "{\"Device\":[{\"CorrectInfo\":[{\"CorrectPixThresh\":4,\"CorrectMinSq\":9,"
                      "\"CorrectSelect\":1,\"CorrectName\":\"\xE7\xAC\xAC\"}]}]}");
    CMouseProfiledata data;
    data.Load(profile);
    const auto entries = data.ReadCorrectInfo();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (CorrectInfoEntry{4, 9, 1, L"\u7B2C"}));
}

TEST_F(ProfileFiles, MissingCustomLightGroupIsFilledWithZeroEntries) {
    CKeyboardProfiledata data;
    const auto colours = data.ReadCustomLightColors(1, 3);
    EXPECT_EQ(colours, std::vector<LightColorEntry>(3));
    const Json::Value& group = data.Element()["CustomLightMode"]["LightColorInfo"][1];
    ASSERT_EQ(group.size(), 3u);
    EXPECT_EQ(group[2], Doc(R"({"Red":0,"Green":0,"Blue":0,"Alpha":0})"));  // no "IsBright"
    EXPECT_TRUE(data.Element()["CustomLightMode"]["LightColorInfo"][0].isNull());

    data.WriteCustomLightColors({{1, 2, 3, 255, 1}}, 1);
    EXPECT_EQ(data.ReadCustomLightColors(1, 2),
              (std::vector<LightColorEntry>{{1, 2, 3, 255, 1}, {}}));

    EXPECT_EQ(data.GetCustomLightGroup(), 0);
    data.SetCustomLightGroup(4);
    EXPECT_EQ(data.Element()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 4);
    EXPECT_EQ(data.GetCustomLightGroup(), 4);
}

TEST_F(ProfileFiles, KeyboardSystemStagesAndAudioLightRoundTrip) {
    CKeyboardProfiledata data;
    data.SetProfilePath(folder_ / "k.Json");
    const KeyboardSystemStages stages{10, 1, 0, 2, 1, 1};
    const AudioLightInfo audio{2, 0, 0, 0, 255, 0, 0, 1, 1};
    data.WriteSystemStages(stages);
    data.WriteAudioLightInfo(audio);
    ASSERT_TRUE(data.Save().ok());
    CKeyboardProfiledata other;
    other.Load(folder_ / "k.Json");
    EXPECT_EQ(other.ReadSystemStages(), stages);
    EXPECT_EQ(other.ReadAudioLightInfo(), audio);
}

TEST_F(ProfileFiles, LightListMarksNullEntriesAbsent) {
    const auto profile =
        folder_.Write("p.Json",
                      R"({"Device":[{"LightList":[{"LEDREGMode":3,"LEDBrightness":4,"LEDSpeed":1,
            "LEDMultiColor":true,"LEDDirection":5,"red":1,"green":2,"blue":3},null]}]})");
    CBasicProfiledata data;
    data.Load(profile);
    const auto list = data.ReadLightList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (LightInfo{3, 4, 1, 1, 1, 1, 2, 3, {0, 0, 1}, 0, 0, 0}));
    EXPECT_EQ(list[1], LightInfo{});
}

TEST_F(ProfileFiles, CustomLightEffectComesFromTheModesGuidFile) {
    // A plain name: the file is looked for beside the light configuration.
    const std::string guid = "2024_03_05_14_07_09_008";
    folder_.Write("2024_03_05_14_07_09_008.light",
                  R"({"LEDEffectList":[{"LEDREGMode":1,"LEDDirection":0,"LEDBrightness":4,
                      "LEDSpeed":2,"LEDMultiColor":0,"red":9,"green":8,"blue":7,
                      "Time":250,"Cyle":3}]})");
    Json::Value config;
    config["LightInfo"][0][0]["Guid"] = "";
    config["LightInfo"][0][1]["Guid"] = guid;
    config["LightInfo"][0][1]["LightName"] = "mine";
    ASSERT_TRUE(JsonFile().WriteDocument(config, folder_ / "zelvo_light.config").ok());

    CBasicProfiledata data;
    data.LoadLightConfig(folder_ / "zelvo_light.config");
    LightInfo light;
    light.mode = 1;
    data.WriteLightInfo(light);
    const auto steps = data.ReadCustomLightEffect();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0], (LightEffectStep{1, 4, 2, 0, 0, 9, 8, 7, 250, 3}));

    light.mode = 0;  // empty Guid: no file
    data.WriteLightInfo(light);
    EXPECT_TRUE(data.ReadCustomLightEffect().empty());
    light.mode = 7;  // past the row
    data.WriteLightInfo(light);
    EXPECT_TRUE(data.ReadCustomLightEffect().empty());
}

TEST_F(ProfileFiles, PathSettersIgnoreEmptyPaths) {
    CBasicProfiledata data;
    data.SetProfilePath("/a/p.Json");
    data.SetProfilePath("");
    data.SetDefaultPath("/a/d.Json");
    data.SetDefaultPath("");
    data.SetLightConfigPath("/a/l.config");
    data.SetLightConfigPath("");
    EXPECT_EQ(data.GetProfilePath(), "/a/p.Json");
    EXPECT_EQ(data.GetDefaultPath(), "/a/d.Json");
    EXPECT_TRUE(data.GetLightConfigPath().empty());
}

TEST_F(ProfileFiles, FailedSaveIsReported) {
    CBasicProfiledata data;
    data.SetProfilePath(folder_ / "no-such-folder" / "p.Json");
    data.WriteLightInfo(LightInfo{});
    EXPECT_EQ(data.Save().status, WriteStatus::CreateFailed);
}

}  // namespace
