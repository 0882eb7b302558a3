// The profile list: names of new, copied and imported profiles, where the active entry and the
// user's selection go, a damaged list, and identifiers that must never become paths.
#include "profiles/profile_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "temp_folder.h"

namespace {

using profiles::CProfileList;
using profiles::FileStatus;
using profiles::ListLoad;
using profiles::RenameResult;

class ProfileListTest : public ::testing::Test {
  protected:
    // Identifiers id_1, id_2, ... so the files are predictable.
    CProfileList MakeList(std::filesystem::path legacy = {}) {
        CProfileList list(folder_.path(), std::move(legacy));
        list.SetIdentifierSource([this] { return "id_" + std::to_string(++counter_); });
        return list;
    }
    void WriteList(const std::string& text) { folder_.Write("ProfileList.ini", text); }
    Json::Value ReadList() const {
        return TempFolder::Parse(TempFolder::Read(folder_ / "ProfileList.ini"));
    }
    Json::Value ReadProfile(const std::string& id) const {
        return TempFolder::Parse(TempFolder::Read(folder_ / (id + ".Json")));
    }
    static std::vector<std::string> Names(const CProfileList& list) {
        std::vector<std::string> names;
        for (const auto& e : list.Entries()) names.push_back(e.name);
        return names;
    }
    // A list with entries named by names, identifiers p0, p1, ... and the given active entry.
    void WriteNamed(const std::vector<std::string>& names, int active) {
        Json::Value doc;
        doc["profileselect"] = active;
        doc["profilelist"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < names.size(); ++i) {
            Json::Value e;
            e["profilename"] = names[i];
            e["profileUUID"] = "p" + std::to_string(i);
            e["profileislink"] = false;
            e["profilelinkmame"] = "";
            doc["profilelist"].append(e);
            Json::Value file;
            file["profilename"] = names[i];
            file["profileUUID"] = "p" + std::to_string(i);
            file["Device"][0]["LightInfo"]["mode"] = static_cast<int>(i);
            folder_.Write("p" + std::to_string(i) + ".Json", profiles::StyledText(file));
        }
        WriteList(profiles::StyledText(doc));
    }

    TempFolder folder_;
    int counter_ = 0;
};

// The contents of the lists kept aside in folder ("ProfileList.ini.bad-..."), in no order.
std::vector<std::string> KeptLists(const TempFolder& folder) {
    std::vector<std::string> kept;
    for (const auto& item : std::filesystem::directory_iterator(folder.path()))
        if (item.path().filename().string().rfind("ProfileList.ini.bad-", 0) == 0)
            kept.push_back(TempFolder::Read(item.path()));
    return kept;
}

TEST_F(ProfileListTest, MissingListStartsWithProfile1AndItsFile) {
    CProfileList list = MakeList();
    EXPECT_EQ(list.Load(), ListLoad::Created);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Entries()[0].name, "profile1");
    const Json::Value doc = ReadList();
    EXPECT_EQ(doc["profileselect"].asInt(), 0);
    EXPECT_EQ(doc["profilelist"][0]["profileUUID"].asString(), "id_1");
    EXPECT_FALSE(doc["profilelist"][0]["profileislink"].asBool());
    EXPECT_EQ(doc["profilelist"][0]["profilelinkmame"].asString(), "");
    const Json::Value file = ReadProfile("id_1");
    EXPECT_EQ(file["profilename"].asString(), "profile1");
    EXPECT_EQ(file["profileUUID"].asString(), "id_1");
    EXPECT_EQ(file.size(), 2u);
}

TEST_F(ProfileListTest, FirstListTakesOverTheEarlierSingleProfileAndLeavesIt) {
    const std::string old = R"({"Device":[{"LightInfo":{"mode":7}}]})";
    const auto legacy = folder_.Write("keyboard.Json", old);
    CProfileList list = MakeList(legacy);
    list.Load();
    const Json::Value file = ReadProfile("id_1");
    EXPECT_EQ(file["Device"][0]["LightInfo"]["mode"].asInt(), 7);
    EXPECT_EQ(file["profilename"].asString(), "profile1");
    EXPECT_EQ(TempFolder::Read(legacy), old);
    // Loaded again, the list exists: the old file is never read again.
    folder_.Write("keyboard.Json", R"({"Device":[{"LightInfo":{"mode":9}}]})");
    MakeList(legacy).Load();
    EXPECT_EQ(ReadProfile("id_1")["Device"][0]["LightInfo"]["mode"].asInt(), 7);
}

TEST_F(ProfileListTest, DamagedListIsKeptAndRebuiltFromTheProfileFiles) {
    struct Case {
        const char* label;
        std::string text;
    };
    const Case cases[] = {
        {"not JSON", "{ this is not json"},
        {"binary", std::string("\x00\x01\xff\xfe", 4)},
        {"list not an array", R"({"profileselect":0,"profilelist":"x"})"},
        {"top level an array", R"([1,2,3])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder folder;
        folder.Write("2024_01_01_00_00_00_001.Json", R"({"profilename":"B","profileUUID":"x"})");
        folder.Write("2023_01_01_00_00_00_001.Json", R"({"profilename":"A","profileUUID":"y"})");
        folder.Write("keyboard.Json", R"({"Device":[]})");  // no name: not a listed profile
        folder.Write("ProfileList.ini", c.text);
        CProfileList list(folder.path());
        EXPECT_EQ(list.Load(), ListLoad::Rebuilt);
        EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B"}));
        EXPECT_EQ(KeptLists(folder), std::vector<std::string>{c.text});
        // The file's identifier follows its file name, so the entry opens that file.
        EXPECT_EQ(TempFolder::Parse(
                      TempFolder::Read(folder / "2023_01_01_00_00_00_001.Json"))["profileUUID"]
                      .asString(),
                  "2023_01_01_00_00_00_001");
    }
}

TEST_F(ProfileListTest, EveryDamagedListIsKeptOnceAndTheUserToldOnce) {
    std::vector<std::pair<std::string, std::string>> told;  // file, copy
    profiles::SetUnreadableFileNotice(
        [&told](const std::filesystem::path& file, const std::filesystem::path& copy) {
            told.emplace_back(file.filename().string(), copy.string());
        });
    // Two lists damaged in turn within the same second: the second copy never replaces the
    // first; a list that is read well afterwards keeps nothing more.
    WriteList("{ first damage");
    EXPECT_EQ(MakeList().Load(), ListLoad::Rebuilt);
    WriteList("[\"second damage\"]");
    EXPECT_EQ(MakeList().Load(), ListLoad::Rebuilt);
    EXPECT_EQ(MakeList().Load(), ListLoad::Loaded);
    // A list too large to be read is kept the same way before it is replaced.
    folder_.Write("ProfileList.ini", std::string(profiles::kMaxJsonFileSize + 1, ' '));
    EXPECT_EQ(MakeList().Load(), ListLoad::Rebuilt);
    profiles::SetUnreadableFileNotice(nullptr);

    std::vector<std::string> kept = KeptLists(folder_);
    ASSERT_EQ(kept.size(), 3u);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept[0].size(), profiles::kMaxJsonFileSize + 1);
    EXPECT_EQ(kept[1], "[\"second damage\"]");
    EXPECT_EQ(kept[2], "{ first damage");
    ASSERT_EQ(told.size(), 3u);
    for (const auto& [file, copy] : told) {
        EXPECT_EQ(file, "ProfileList.ini");
        EXPECT_NE(copy.find("ProfileList.ini.bad-"), std::string::npos) << copy;
    }
}

TEST_F(ProfileListTest, EmptyListOrEmptyArrayStartsAgain) {
    for (const std::string text : {"", R"({"profileselect":0,"profilelist":[]})"}) {
        TempFolder folder;
        folder.Write("ProfileList.ini", text);
        CProfileList list(folder.path());
        EXPECT_EQ(list.Load(), ListLoad::Created);
        EXPECT_EQ(Names(list), std::vector<std::string>{"profile1"});
    }
}

TEST_F(ProfileListTest, ProfileSelectOutsideTheListCountsAsZero) {
    for (const char* select : {"-1", "99", "\"2\"", "1.5", "null"}) {
        SCOPED_TRACE(select);
        WriteList(
            std::string(R"({"profileselect":)") + select +
            R"(,"profilelist":[{"profilename":"a","profileUUID":"a"},{"profilename":"b","profileUUID":"b"},{"profilename":"c","profileUUID":"c"}]})");
        CProfileList list = MakeList();
        list.Load();
        EXPECT_EQ(list.Active(), 0);
    }
}

TEST_F(ProfileListTest, AddTakesTheFirstFreeNumberUpToFifty) {
    WriteNamed({"profile1", "profile2"}, 0);
    CProfileList list = MakeList();
    list.Load();
    EXPECT_EQ(list.Add().index, 2);
    EXPECT_EQ(list.Entries()[2].name, "profile3");
    ASSERT_TRUE(list.Delete(1).done);
    list.Add();
    EXPECT_EQ(Names(list), (std::vector<std::string>{"profile1", "profile3", "profile2"}));
    // Case-insensitive: "PROFILE4" takes number 4.
    list.Rename(0, "PROFILE4");
    list.Add();
    EXPECT_EQ(list.Entries().back().name, "profile1");
    while (list.Count() < profiles::kMaxProfiles) ASSERT_TRUE(list.Add().ok());
    EXPECT_EQ(list.Add().status, FileStatus::Refused);
    EXPECT_EQ(list.Count(), profiles::kMaxProfiles);
}

TEST_F(ProfileListTest, CopyAndImportNames) {
    WriteNamed({"A"}, 0);
    CProfileList list = MakeList();
    list.Load();
    list.Copy(0);
    list.Copy(0);
    Json::Value imported;
    imported["profilename"] = "A";
    imported["profileUUID"] = "../../elsewhere";
    imported["Device"][0]["LightInfo"]["mode"] = 5;
    list.Import(imported);
    list.Import(imported);
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"A", "A copy", "A copy copy", "A(1)", "A(2)"}));
    // The copy carries the source's content; the import its own, with name and identifier
    // replaced.
    EXPECT_EQ(ReadProfile(list.Entries()[1].identifier)["Device"][0]["LightInfo"]["mode"].asInt(),
              0);
    const Json::Value file = ReadProfile(list.Entries()[3].identifier);
    EXPECT_EQ(file["Device"][0]["LightInfo"]["mode"].asInt(), 5);
    EXPECT_EQ(file["profilename"].asString(), "A(1)");
    EXPECT_EQ(file["profileUUID"].asString(), list.Entries()[3].identifier);
}

TEST_F(ProfileListTest, AddCopyAndImportKeepTheActiveEntry) {
    WriteNamed({"a", "b", "c"}, 1);
    CProfileList list = MakeList();
    list.Load();
    Json::Value imported;
    imported["profilename"] = "x";
    imported["profileUUID"] = "";
    EXPECT_TRUE(list.Add().ok());
    EXPECT_TRUE(list.Copy(2).ok());
    EXPECT_TRUE(list.Import(imported).ok());
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 1);
}

TEST_F(ProfileListTest, DeleteMovesSelectionAndKeepsTheActiveEntry) {
    struct Case {
        int active, deleted;
        int comboSelection, activeAfter;
        bool activeChanged;
    };
    const Case cases[] = {
        {1, 0, 0, 0, false},  // first deleted: selection 0; active b is now entry 0
        {0, 2, 1, 0, false},  // profile 3 deleted: selection 2 - 1
        {3, 2, 1, 2, false},  // an entry before the active one: active one lower
        {2, 2, 1, 1, true},   // the active one: the device switches to the new selection
        {0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "active " << c.active << " deleted " << c.deleted);
        WriteNamed({"a", "b", "c", "d"}, c.active);
        CProfileList list = MakeList();
        list.Load();
        const std::string activeId = list.Entries()[static_cast<std::size_t>(c.active)].identifier;
        const auto result = list.Delete(c.deleted);
        ASSERT_TRUE(result.done);
        EXPECT_EQ(result.comboSelection, c.comboSelection);
        EXPECT_EQ(result.activeChanged, c.activeChanged);
        EXPECT_EQ(ReadList()["profileselect"].asInt(), c.activeAfter);
        if (!c.activeChanged) {
            EXPECT_EQ(list.Entries()[static_cast<std::size_t>(c.activeAfter)].identifier, activeId);
        }
        EXPECT_FALSE(
            std::filesystem::exists(folder_ / ("p" + std::to_string(c.deleted) + ".Json")));
    }
}

TEST_F(ProfileListTest, TheLastProfileIsNotDeleted) {
    WriteNamed({"a"}, 0);
    CProfileList list = MakeList();
    list.Load();
    EXPECT_FALSE(list.Delete(0).done);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "p0.Json"));
}

TEST_F(ProfileListTest, RenameResults) {
    WriteNamed({"Alpha", "Beta"}, 0);
    CProfileList list = MakeList();
    list.Load();
    EXPECT_EQ(list.Rename(0, "  "), RenameResult::Blank);
    EXPECT_EQ(list.Rename(0, "\t"), RenameResult::Blank);
    EXPECT_EQ(list.Rename(0, "BETA"), RenameResult::Duplicate);
    EXPECT_EQ(list.Rename(0, "ALPHA"), RenameResult::Renamed);  // its own name in other letters
    EXPECT_EQ(list.Rename(1, " Gamma "), RenameResult::Renamed);
    EXPECT_EQ(ReadList()["profilelist"][1]["profilename"].asString(), " Gamma ");
    EXPECT_EQ(ReadProfile("p1")["profilename"].asString(), " Gamma ");
    EXPECT_EQ(ReadProfile("p0")["profilename"].asString(), "ALPHA");
}

TEST_F(ProfileListTest, ResetTakesTheDefaultsAndAHeadsetKeepsItsEqualisers) {
    const auto defaults = folder_.Write(
        "default.json",
        R"({"profilename":"d","profileUUID":"d","Device":[{"LightInfo":{"mode":1},"CustomEQNameInfo":[]}]})");
    for (bool headset : {false, true}) {
        SCOPED_TRACE(headset);
        WriteNamed({"a", "b"}, 0);
        Json::Value old = ReadProfile("p1");
        old["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Mine";
        old["Device"][0]["CustomEQHzValueInfo"][0]["Value"] = 3;
        folder_.Write("p1.Json", profiles::StyledText(old));
        CProfileList list = MakeList();
        list.Load();
        ASSERT_TRUE(list.Reset(1, defaults, headset).ok());
        const Json::Value file = ReadProfile("p1");
        EXPECT_EQ(file["profilename"].asString(), "b");
        EXPECT_EQ(file["profileUUID"].asString(), "p1");
        EXPECT_EQ(file["Device"][0]["LightInfo"]["mode"].asInt(), 1);
        EXPECT_EQ(file["Device"][0]["CustomEQNameInfo"].size(), headset ? 1u : 0u);
        EXPECT_EQ(file["Device"][0].isMember("CustomEQHzValueInfo"), headset);
    }
    CProfileList list = MakeList();
    list.Load();
    EXPECT_EQ(list.Reset(0, folder_ / "no-such-default.json", false).status,
              FileStatus::Unreadable);
}

TEST_F(ProfileListTest, BadIdentifiersNeverReachFilesOutsideTheFolder) {
    TempFolder outside;
    const auto victim = outside.Write("victim.Json", R"({"keep":true})");
    const std::string escape =
        (std::filesystem::relative(outside.path(), folder_.path()) / "victim").string();
    const std::vector<std::string> identifiers = {
        "../../x", escape, "/etc/passwd", "", std::string(300, 'a'), ".hidden", "a\nb", "ok", "ok"};
    Json::Value doc;
    doc["profileselect"] = 0;
    for (const std::string& id : identifiers) {
        Json::Value e;
        e["profilename"] = "n" + std::to_string(doc["profilelist"].size());
        e["profileUUID"] = id;
        doc["profilelist"].append(e);
    }
    doc["profilelist"].append(Json::Value("not an object"));
    WriteList(profiles::StyledText(doc));
    CProfileList list = MakeList();
    EXPECT_EQ(list.Load(), ListLoad::Loaded);
    EXPECT_EQ(list.Count(), static_cast<int>(identifiers.size()) + 1);
    for (int i = 0; i < list.Count(); ++i) {
        const bool usable = i == 7;  // the first "ok"; the second duplicates it
        EXPECT_EQ(list.ProfilePath(i).has_value(), usable) << i;
    }
    const int listed = list.Count();
    for (int i = 0; i < listed; ++i) {
        list.Rename(i, "renamed" + std::to_string(i));
        list.Reset(i, victim, false);
        list.Copy(i);
        const auto out = outside / ("out" + std::to_string(i) + ".json");
        EXPECT_EQ(list.Export(i, out).ok(), i == 7) << i;
    }
    while (list.Count() > 1) list.Delete(list.Count() - 1);
    EXPECT_EQ(TempFolder::Read(victim), R"({"keep":true})");
    EXPECT_TRUE(std::filesystem::exists("/etc/passwd"));
}

TEST_F(ProfileListTest, SecondProfileInTheSameMillisecondGetsAFreeIdentifier) {
    CProfileList list(folder_.path());
    list.SetIdentifierSource([] { return std::string("2024_03_05_14_07_09_008"); });
    list.Load();
    list.Add();
    list.Add();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Entries()[0].identifier, "2024_03_05_14_07_09_008");
    EXPECT_NE(list.Entries()[1].identifier, list.Entries()[0].identifier);
    EXPECT_NE(list.Entries()[2].identifier, list.Entries()[1].identifier);
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_TRUE(std::filesystem::exists(*list.ProfilePath(i)));
}

TEST_F(ProfileListTest, ExportWritesTheDocumentOrNothing) {
    WriteNamed({"a", "b"}, 0);
    CProfileList list = MakeList();
    list.Load();
    ASSERT_TRUE(list.Export(1, folder_ / "out.json").ok());
    EXPECT_EQ(TempFolder::Parse(TempFolder::Read(folder_ / "out.json"))["profilename"].asString(),
              "b");
    // An unreadable profile is not exported (no "null" file).
    folder_.Write("p0.Json", "{ broken");
    EXPECT_EQ(list.Export(0, folder_ / "out0.json").status, FileStatus::Unreadable);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "out0.json"));
    // A folder that cannot be written, or a folder as the target.
    EXPECT_EQ(list.Export(1, "/proc/no-such/out.json").status, FileStatus::WriteFailed);
    EXPECT_EQ(list.Export(1, folder_.path()).status, FileStatus::WriteFailed);
}

TEST_F(ProfileListTest, ProfileFilesThatAreFoldersAreLeftAlone) {
    WriteNamed({"a", "b"}, 0);
    std::filesystem::remove(folder_ / "p1.Json");
    std::filesystem::create_directory(folder_ / "p1.Json");
    CProfileList list = MakeList();
    list.Load();
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "p1.Json"));
    EXPECT_EQ(list.Copy(1).status, FileStatus::Unreadable);
    EXPECT_TRUE(list.Delete(1).done);
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "p1.Json"));
}

TEST_F(ProfileListTest, LinksMoveAndUnlink) {
    WriteNamed({"a", "b"}, 0);
    CProfileList list = MakeList();
    list.Load();
    EXPECT_FALSE(list.AnyLinked());
    ASSERT_TRUE(list.Link(0, "game.exe"));
    EXPECT_EQ(list.FindLinked("GAME.EXE"), 0);
    ASSERT_TRUE(list.Link(1, "Game.exe"));
    EXPECT_EQ(list.FindLinked("game.exe"), 1);
    EXPECT_FALSE(list.Entries()[0].isLink);
    const Json::Value doc = ReadList();
    EXPECT_TRUE(doc["profilelist"][1]["profileislink"].asBool());
    EXPECT_EQ(doc["profilelist"][1]["profilelinkmame"].asString(), "Game.exe");
    ASSERT_TRUE(list.Link(1, ""));
    EXPECT_FALSE(list.AnyLinked());
}

TEST_F(ProfileListTest, PeekWritesNothing) {
    CProfileList list = MakeList();
    EXPECT_FALSE(list.Peek());
    EXPECT_FALSE(std::filesystem::exists(folder_ / "ProfileList.ini"));
}

}  // namespace
