// Reading a user light effect: which entry a mode plays, where its file may be, and what a bad
// file gives.
#include <gtest/gtest.h>

#include <string>

#include "profiles/basic_profiledata.h"
#include "temp_folder.h"

namespace profiles {
namespace {

constexpr char kStep[] =
    R"({"LEDREGMode":5,"LEDDirection":1,"LEDBrightness":3,"LEDSpeed":2,"LEDMultiColor":1,
        "red":10,"green":20,"blue":30,"Time":400,"Cyle":2})";

class CustomLightEffectFile : public ::testing::Test {
  protected:
    // Three user effects "e0", "e1", "e2" in row 0 of the light configuration.
    void WriteConfig(const std::vector<std::string>& guids) {
        Json::Value config;
        for (Json::ArrayIndex k = 0; k < guids.size(); ++k) {
            config["LightInfo"][0][k]["Guid"] = guids[k];
            config["LightInfo"][0][k]["LightName"] = "effect " + std::to_string(k);
        }
        ASSERT_TRUE(JsonFile().WriteDocument(config, folder_ / "zelvo_light.config").ok());
    }
    std::vector<LightEffectStep> ReadMode(int mode, int builtIn) {
        CBasicProfiledata data;
        data.LoadLightConfig(folder_ / "zelvo_light.config");
        data.SetBuiltInLightCount(builtIn);
        LightInfo light;
        light.mode = static_cast<std::uint8_t>(mode);
        data.WriteLightInfo(light);
        return data.ReadCustomLightEffect();
    }
    static std::string Effect(int red) {
        return R"({"LEDEffectList":[{"LEDREGMode":1,"red":)" + std::to_string(red) + "}]}";
    }
    TempFolder folder_;
};

TEST_F(CustomLightEffectFile, UserEffectKIsModeCountPlusK) {
    WriteConfig({"e0", "e1", "e2"});
    for (int k = 0; k < 3; ++k) folder_.Write("e" + std::to_string(k) + ".light", Effect(100 + k));
    constexpr int kMouseModes = 10;
    for (int k = 0; k < 3; ++k) {
        const auto steps = ReadMode(kMouseModes + k, kMouseModes);
        ASSERT_EQ(steps.size(), 1u) << k;
        EXPECT_EQ(steps[0].red, 100 + k) << k;
    }
    // A built-in mode plays no user effect.
    EXPECT_TRUE(ReadMode(2, kMouseModes).empty());
}

TEST_F(CustomLightEffectFile, GuidThatIsNotAPlainNameIsRefused) {
    // A file the Guids below could reach if they were taken as paths.
    const TempFolder outside;
    outside.Write("secret.light", Effect(1));
    folder_.Write(".hidden.light", Effect(2));
    const std::string reach = (outside.path() / "secret").string();
    const std::string up = "../" + outside.path().filename().string() + "/secret";
    const std::vector<std::string> guids{reach, up, "..", ".hidden", "a\\b", "sub/e0"};
    WriteConfig(guids);
    for (size_t k = 0; k < guids.size(); ++k)
        EXPECT_TRUE(ReadMode(static_cast<int>(k), 0).empty()) << guids[k];
    EXPECT_FALSE(IsPlainEffectName(std::string("a\0b", 3)));
    EXPECT_TRUE(IsPlainEffectName("2024_03_05_14_07_09_008"));
    EXPECT_TRUE(IsPlainEffectName("name.with.dots"));
}

TEST_F(CustomLightEffectFile, FileIsLookedForBesideTheConfigurationNotInTheCurrentFolder) {
    WriteConfig({"e0"});
    const TempFolder elsewhere;
    elsewhere.Write("e0.light", Effect(9));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    const auto steps = ReadMode(0, 0);
    std::filesystem::current_path(before);
    EXPECT_TRUE(steps.empty());
}

TEST_F(CustomLightEffectFile, BadFilesGiveWhatCanBeRead) {
    WriteConfig({"e0"});
    struct Case {
        const char* what;
        std::string text;
        size_t steps;
    };
    std::string many = R"({"LEDEffectList":[)";
    for (int i = 0; i < 100000; ++i) many += std::string(i ? "," : "") + kStep;
    many += "]}";
    const Case cases[] = {
        {"not JSON", "{\"LEDEffectList\":[", 0},
        {"list of the wrong type", R"({"LEDEffectList":{"a":1}})", 0},
        {"document of the wrong type", "[1,2,3]", 0},
        {"100,000 steps", many, kMaxLightEffectSteps},
    };
    for (const Case& c : cases) {
        folder_.Write("e0.light", c.text);
        EXPECT_EQ(ReadMode(0, 0).size(), c.steps) << c.what;
    }
    const auto capped = ReadMode(0, 0);
    EXPECT_EQ(capped.back(), (LightEffectStep{5, 3, 2, 1, 1, 10, 20, 30, 400, 2}));
}

TEST_F(CustomLightEffectFile, FieldsOfTheWrongTypeReadAsZeroAndTimeIsNeverNegative) {
    WriteConfig({"e0"});
    folder_.Write("e0.light", R"({"LEDEffectList":[
        {"LEDREGMode":"5","red":[1],"green":{"a":2},"blue":3.9,"Time":-20},
        {"LEDREGMode":0},
        {"Time":99999999999},
        7]})");
    const auto steps = ReadMode(0, 0);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0], (LightEffectStep{0, 0, 0, 0, 0, 0, 0, 3, 0, 0}));
    EXPECT_EQ(steps[1].time, 0);  // missing
    EXPECT_EQ(steps[2].time, INT32_MAX);
    EXPECT_EQ(steps[3], LightEffectStep{});
}

TEST_F(CustomLightEffectFile, MissingPiecesGiveNoSteps) {
    WriteConfig({"e0", ""});
    EXPECT_TRUE(ReadMode(0, 0).empty());  // no file
    EXPECT_TRUE(ReadMode(1, 0).empty());  // empty Guid
    EXPECT_TRUE(ReadMode(5, 0).empty());  // past the row
    CBasicProfiledata relative;
    relative.LoadLightConfig("zelvo_light.config");
    EXPECT_TRUE(relative.ReadCustomLightEffect().empty());
}

}  // namespace
}  // namespace profiles
