// The music window's style set in "AudioFile.json": what a document of any shape reads as,
// what writing keeps, and the load, reset and save of the file itself.
#include "profiles/audio_style_set.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "profiles/json_file.h"

namespace {

using profiles::AudioStyleSet;

Json::Value Parse(const std::string& text) {
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

TEST(AudioStyleSet, ReadsForgivingly) {
    struct Case {
        const char* name;
        const char* device;
        uint8_t selected;
        std::array<uint8_t, 3> colour0;
        std::string name1;
    };
    const Case cases[] = {
        {"missing info", R"({})", 0, {0, 0, 0}, ""},
        {"device not an object", R"([1, 2])", 0, {0, 0, 0}, ""},
        {"info an array", R"({"AudioLightInfo": [1]})", 0, {0, 0, 0}, ""},
        {"style 7", R"({"AudioLightInfo": {"nAudioStyle": 7}})", 0, {0, 0, 0}, ""},
        {"style x", R"({"AudioLightInfo": {"nAudioStyle": "x"}})", 0, {0, 0, 0}, ""},
        {"style -1", R"({"AudioLightInfo": {"nAudioStyle": -1}})", 0, {0, 0, 0}, ""},
        {"style 3", R"({"AudioLightInfo": {"nAudioStyle": 3}})", 3, {0, 0, 0}, ""},
        {"colours 12 and -1 and text",
         R"({"AudioLightInfo": {"nStyleR0": 12, "nStyleG0": -1, "nStyleB0": "5"}})",
         0,
         {9, 0, 0},
         ""},
        {"colour true",
         R"({"AudioLightInfo": {"nStyleR0": true, "nStyleG0": 4}})",
         0,
         {0, 4, 0},
         ""},
        {"name a number", R"({"AudioLightInfo": {"nStyleName1": 42}})", 0, {0, 0, 0}, ""},
        {"name text", R"({"AudioLightInfo": {"nStyleName1": "Club"}})", 0, {0, 0, 0}, "Club"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AudioStyleSet set = profiles::ReadAudioStyleSet(Parse(c.device));
        EXPECT_EQ(set.selected, c.selected);
        EXPECT_EQ(set.colours[0], c.colour0);
        EXPECT_EQ(set.names[0], c.name1);
    }
}

TEST(AudioStyleSet, WritingKeepsEveryOtherMemberAndLongNamesWhole) {
    Json::Value device = Parse(R"({"Other": 5, "AudioLightInfo": {"nExtra": "kept"}})");
    AudioStyleSet set;
    set.selected = 2;
    set.names = {std::string(10000, 'n'), "b", "第三组", ""};
    set.colours[2] = {9, 0, 3};
    profiles::WriteAudioStyleSet(set, device);
    EXPECT_EQ(device["Other"].asInt(), 5);
    EXPECT_EQ(device["AudioLightInfo"]["nExtra"].asString(), "kept");
    EXPECT_EQ(device["AudioLightInfo"]["nAudioStyle"].asInt(), 2);
    EXPECT_EQ(device["AudioLightInfo"]["nStyleB2"].asInt(), 3);
    EXPECT_EQ(device["AudioLightInfo"]["nStyleName3"].asString(), "第三组");
    EXPECT_EQ(profiles::ReadAudioStyleSet(device), set);
}

TEST(AudioStyleSet, ShownNamesAndDefaultNames) {
    const std::string cjk40 = [] {
        std::string s;
        for (int i = 0; i < 40; ++i) s += "组";
        return s;
    }();
    const std::string cjk32 = cjk40.substr(0, 32 * 3);
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"", ""},
        {std::string(32, 'a'), std::string(32, 'a')},
        {std::string(33, 'a'), std::string(32, 'a') + "…"},
        {cjk40, cjk32 + "…"},
    };
    for (const auto& c : cases) EXPECT_EQ(profiles::ShownStyleName(c.name), c.shown);
    EXPECT_EQ(profiles::DefaultStyleName(0), "第一组");
    EXPECT_EQ(profiles::DefaultStyleName(2), "第三组");
    EXPECT_EQ(profiles::DefaultStyleName(3), "第四组");
    EXPECT_EQ(profiles::DefaultStyleName(4), "");
}

class AudioFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        paths_.user = std::filesystem::path(dir_.path().toStdString()) / "AudioFile.json";
        paths_.shipped = std::filesystem::path(SKELMORA_SOURCE_ROOT) / "DefaultData/AudioFile.json";
    }
    void WriteUser(const std::string& text) { std::ofstream(paths_.user) << text; }
    std::string ReadUser() const {
        std::ifstream in(paths_.user);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int KeptAside() const {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(paths_.user.parent_path()))
            n += entry.path().filename().string().rfind("AudioFile.json.bad", 0) == 0;
        return n;
    }
    QTemporaryDir dir_;
    profiles::AudioFilePaths paths_;
};

TEST_F(AudioFileTest, AMissingOrBrokenUserFileTakesTheDefaultAndABrokenOneIsKeptAside) {
    const struct {
        const char* name;
        const char* content;  // nullptr: no file
        bool keptAside;
    } cases[] = {
        {"missing", nullptr, false},
        {"empty", "", false},  // nothing in it to keep
        {"not JSON", "{ this is not", true},
        {"Device an array", R"({"Device": [1, 2]})", true},
        {"no Device", R"({"Other": 1})", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path().toStdString()))
            std::filesystem::remove(entry.path());
        if (c.content) WriteUser(c.content);
        const profiles::AudioFileLoad load = profiles::LoadAudioFile(paths_);
        EXPECT_TRUE(load.replaced);
        EXPECT_TRUE(load.written);
        const AudioStyleSet set = profiles::ReadAudioStyleSet(load.device);
        EXPECT_EQ(set.names[2], "第三组");
        EXPECT_EQ(set.colours[0], (std::array<uint8_t, 3>{9, 0, 0}));
        EXPECT_EQ(KeptAside(), c.keptAside ? 1 : 0);
        // The user's file is now the default, whole.
        EXPECT_EQ(profiles::JsonFile().ReadDocument(paths_.user)["Device"], load.device);
    }
}

TEST_F(AudioFileTest, AGoodUserFileIsUsedAndASaveKeepsItsOtherMembers) {
    WriteUser(R"({"Other": {"x": 1}, "Device": {"Mine": true, "AudioLightInfo": {"nAudioStyle": 1,
              "nStyleName2": "Club", "nStyleG1": 7}}})");
    profiles::AudioFileLoad load = profiles::LoadAudioFile(paths_);
    EXPECT_FALSE(load.replaced);
    AudioStyleSet set = profiles::ReadAudioStyleSet(load.device);
    EXPECT_EQ(set.selected, 1);
    EXPECT_EQ(set.names[1], "Club");
    set.colours[1][0] = 5;
    profiles::WriteAudioStyleSet(set, load.device);
    ASSERT_TRUE(profiles::SaveAudioFile(paths_, load.device));
    const Json::Value saved = profiles::JsonFile().ReadDocument(paths_.user);
    EXPECT_EQ(saved["Other"]["x"].asInt(), 1);
    EXPECT_TRUE(saved["Device"]["Mine"].asBool());
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleR1"].asInt(), 5);
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleG1"].asInt(), 7);
    EXPECT_EQ(KeptAside(), 0);
    // The reset puts the default back.
    const profiles::AudioFileLoad reset = profiles::ResetAudioFile(paths_);
    EXPECT_EQ(profiles::ReadAudioStyleSet(reset.device).colours[1][0], 0);
    EXPECT_FALSE(profiles::JsonFile().ReadDocument(paths_.user)["Device"].isMember("Mine"));
}

}  // namespace
