// The macro files as the editor changes them, in a temporary folder.
#include "panels/macro_library.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "panels/macro_model.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profiledata.h"
#include "tables/key_code.h"

namespace {
using namespace macro_edit;
namespace fs = std::filesystem;

std::string FixedGuid() { return "2024_01_02_03_04_05_006"; }

class MacroLibraryTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path().toStdString();
        library_.SetFolder(folder_);
        library_.SetGuidSource(&FixedGuid);
    }
    void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    QTemporaryDir dir_;
    fs::path folder_;
    MacroLibrary library_;
};

TEST_F(MacroLibraryTest, NamesTakeTheSmallestFreeNumber) {
    EXPECT_EQ(library_.Add("macro_1").index, 0);
    EXPECT_EQ(library_.Add("Macro_3").index, 1);
    EXPECT_EQ(library_.Add().name, "macro_2");
    EXPECT_EQ(library_.Add().name, "macro_4");
    // Same millisecond: the Guids still differ.
    EXPECT_EQ(library_.Entries()[0].guid, FixedGuid());
    EXPECT_EQ(library_.Entries()[1].guid, FixedGuid() + "_2");
    MacroLibrary again(folder_);
    again.Load();
    EXPECT_EQ(again.Names(),
              (std::vector<std::string>{"macro_1", "Macro_3", "macro_2", "macro_4"}));
}

TEST_F(MacroLibraryTest, FiftyMacrosAtMost) {
    for (int i = 0; i < 50; ++i) ASSERT_GE(library_.Add().index, 0);
    const AddResult extra = library_.Add();
    EXPECT_EQ(extra.index, -1);
    EXPECT_EQ(library_.Count(), 50);
}

TEST_F(MacroLibraryTest, RenameRules) {
    library_.Add("jump");
    library_.Add("run");
    EXPECT_EQ(library_.Rename(1, "JUMP"), RenameStatus::Duplicate);
    EXPECT_EQ(library_.Rename(1, "  \t"), RenameStatus::Empty);
    EXPECT_EQ(library_.Rename(1, ""), RenameStatus::Empty);
    EXPECT_EQ(library_.Rename(1, "dash"), RenameStatus::Renamed);
    EXPECT_EQ(library_.Names()[1], "dash");
}

TEST_F(MacroLibraryTest, SaveLoadAndDelete) {
    const AddResult a = library_.Add();
    Json::Value events(Json::arrayValue);
    events.append(MakeEvent(true, 4, kTypeKey, 0));
    ASSERT_TRUE(library_.SaveEvents(a.index, events).ok());
    const Json::Value doc = profiles::JsonFile().ReadDocument(folder_ / (a.guid + ".mac"));
    EXPECT_EQ(doc["Version"].asInt(), 64);
    EXPECT_EQ(doc["MacroName"].asString(), a.name);
    EXPECT_EQ(doc["Events"][0]["Delay"].asString(), "0");
    EXPECT_EQ(library_.LoadEvents(a.index).events.size(), 1u);
    EXPECT_TRUE(library_.Delete(a.index));
    EXPECT_FALSE(fs::exists(folder_ / (a.guid + ".mac")));
    EXPECT_EQ(library_.Count(), 0);
}

TEST_F(MacroLibraryTest, BadConfigFilesReadAsNoMacros) {
    const char* texts[] = {"", "[1,2]", "{\"MacroInfo\": 3}", "not json"};
    for (const char* text : texts) {
        Write(folder_ / "macro.config", text);
        EXPECT_TRUE(library_.Load().size() > 0) << text;
        EXPECT_EQ(library_.Count(), 0) << text;
    }
}

TEST_F(MacroLibraryTest, GuidsThatAreNotPlainNamesAreNeverPaths) {
    Write(folder_ / "macro.config",
          R"({"MacroInfo":[{"MacroName":"a","Guid":"../escape"},{"MacroName":"b","Guid":"/etc/x"},)"
          R"({"MacroName":"c"},{"MacroName":"d","Guid":".hidden"}]})");
    Write(folder_.parent_path() / "escape.mac", R"({"Events":[]})");
    library_.Load();
    ASSERT_EQ(library_.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(library_.LoadEvents(i).ok) << i;
        EXPECT_FALSE(library_.SaveEvents(i, Json::Value(Json::arrayValue)).ok()) << i;
        EXPECT_FALSE(library_.Export(i, folder_ / "out.mac").empty()) << i;
    }
    EXPECT_TRUE(library_.Delete(0));
    EXPECT_TRUE(fs::exists(folder_.parent_path() / "escape.mac"));
    fs::remove(folder_.parent_path() / "escape.mac");
}

TEST_F(MacroLibraryTest, ImportCopiesGoodFilesByteForByte) {
    const std::string text =
        "{ \"MacroName\": \"theirs\", \"Guid\": \"x\", \"Version\": 64,\n \"Events\": [ "
        "{\"Action\":\"down\",\"Button\":4,\"Type\":10,\"Delay\":\"35\"},"
        "{\"Action\":\"up\",\"Button\":8,\"Type\":1,\"Delay\":70} ] }";
    Write(folder_ / "in.mac", text);
    const AddResult r = library_.Import(folder_ / "in.mac");
    ASSERT_GE(r.index, 0) << r.error;
    EXPECT_EQ(r.name, "macro_1");
    EXPECT_EQ(Read(folder_ / (r.guid + ".mac")), text);
    EXPECT_TRUE(library_.Export(r.index, folder_ / "out.mac").empty());
    EXPECT_EQ(Read(folder_ / "out.mac"), text);
}

TEST_F(MacroLibraryTest, RefusedImportFilesAddNothing) {
    auto event = [](const std::string& fields) { return R"({"Events":[)" + fields + "]}"; };
    const std::string good = R"("Action":"down","Button":4,"Type":10,"Delay":"1")";
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"not JSON", "{{{"},
        {"not an object", "[1]"},
        {"no Events", R"({"MacroName":"x"})"},
        {"Events not an array", R"({"Events":{}})"},
        {"event not an object", event("3")},
        {"unknown type", event(R"({"Action":"down","Button":4,"Type":7,"Delay":"1"})")},
        {"button 300", event(R"({"Action":"down","Button":300,"Type":10,"Delay":"1"})")},
        {"delay x", event(R"({"Action":"down","Button":4,"Type":10,"Delay":"x"})")},
        {"delay 70000", event(R"({"Action":"down","Button":4,"Type":10,"Delay":"70000"})")},
        {"delay negative", event(R"({"Action":"down","Button":4,"Type":10,"Delay":-1})")},
        {"action sideways", event(R"({"Action":"left","Button":4,"Type":10,"Delay":"1"})")},
        {"larger than 1 MiB", event("{" + good + "}") + std::string(1024 * 1024, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(folder_ / "in.mac", c.text);
        const AddResult r = library_.Import(folder_ / "in.mac");
        EXPECT_EQ(r.index, -1);
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(library_.Count(), 0);
    }
    std::string many = R"({"Events":[)";
    for (int i = 0; i <= 10000; ++i) many += (i ? ",{" : "{") + good + "}";
    Write(folder_ / "in.mac", many + "]}");
    EXPECT_EQ(library_.Import(folder_ / "in.mac").index, -1);
    EXPECT_EQ(library_.Import(folder_ / "missing.mac").index, -1);
    EXPECT_EQ(library_.Count(), 0);
}

TEST_F(MacroLibraryTest, FailedExportLeavesNoPartialFile) {
    const AddResult a = library_.Add();
    ASSERT_TRUE(library_.SaveEvents(a.index, Json::Value(Json::arrayValue)).ok());
    EXPECT_FALSE(library_.Export(a.index, folder_ / "no-such-folder" / "out.mac").empty());
    EXPECT_FALSE(fs::exists(folder_ / "no-such-folder"));
    const AddResult b = library_.Add();  // never saved: no events file
    EXPECT_FALSE(library_.Export(b.index, folder_ / "out.mac").empty());
    EXPECT_FALSE(fs::exists(folder_ / "out.mac"));
}

profiles::KeyAssignmentPair Pair(uint16_t key, tables::DeviceKeyCode current) {
    profiles::KeyAssignmentPair p;
    p.current = {key, current.kind, current.high, current.low};
    p.default_assignment = {key, 0x20, 0x00, static_cast<uint8_t>(4 + key)};
    return p;
}

TEST(MacroDelete, KeyListsFollowTheDeletedMacro) {
    std::vector<profiles::KeyAssignmentPair> keys = {Pair(0, {0x70, 2, 1}), Pair(1, {0x71, 3, 5}),
                                                     Pair(2, {0x70, 4, 0}), Pair(3, {0x70, 1, 0}),
                                                     Pair(4, {0x30, 2, 0})};
    EXPECT_TRUE(FixKeyListAfterMacroDelete(keys, 2));
    EXPECT_EQ(keys[0].current, (profiles::KeyAssignment{0, 0x20, 0x00, 4}));
    EXPECT_EQ(keys[1].current, (profiles::KeyAssignment{1, 0x71, 2, 5}));
    EXPECT_EQ(keys[2].current, (profiles::KeyAssignment{2, 0x70, 3, 0}));
    EXPECT_EQ(keys[3].current, (profiles::KeyAssignment{3, 0x70, 1, 0}));
    EXPECT_EQ(keys[4].current, (profiles::KeyAssignment{4, 0x30, 2, 0}));
    EXPECT_FALSE(FixKeyListAfterMacroDelete(keys, 9));
}

TEST_F(MacroLibraryTest, DeletingFixesEveryProfileFile) {
    // Two profile files of a keyboard with macro keys; macro 2 of 5 is deleted.
    const char* doc = R"({"Device":[{"KeyList":[
        {"Assignment":%1,"DefaultAssignment":2097156},
        {"Assignment":%2,"DefaultAssignment":2097157}]}]})";
    auto profile = [&](const std::string& name, int a, int b) {
        std::string text = doc;
        text.replace(text.find("%1"), 2, std::to_string(a));
        text.replace(text.find("%2"), 2, std::to_string(b));
        Write(folder_ / name, text);
        return folder_ / name;
    };
    const fs::path one = profile("one.Json", 0x700200, 0x710301);
    const fs::path two = profile("two.Json", 0x700100, 0x200004);
    profiles::CKeyboardProfiledata data;
    data.SetElementIndex(0);
    EXPECT_EQ(FixProfilesAfterMacroDelete(data, {one, two}, 2), 1);
    data.LoadSecondary(one);
    const auto keys = data.ReadSecondaryKeyList();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].current, (profiles::KeyAssignment{0, 0x20, 0x00, 0x04}));
    EXPECT_EQ(keys[1].current, (profiles::KeyAssignment{1, 0x71, 0x02, 0x01}));
}

}  // namespace
