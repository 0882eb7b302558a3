#include "profiles/json_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>

#include "temp_folder.h"

namespace {

using profiles::JsonFile;
using profiles::ReadStatus;
using profiles::WriteStatus;

struct ReadCase {
    const char* name;
    std::string content;
    ReadStatus status;
};

TEST(ReadDocument, FilesThatAreNotDocumentsReadAsNull) {
    const ReadCase cases[] = {
        {"empty", "", ReadStatus::Empty},
        {"truncated", "{\"Device\" : [ { \"LightInfo\" : {", ReadStatus::ParseError},
        {"not json", "this is not json", ReadStatus::ParseError},
        {"binary", std::string("\x00\x01\xFF{", 4), ReadStatus::ParseError},
        {"too deep", std::string(5000, '[') + std::string(5000, ']'), ReadStatus::ParseError},
    };
    TempFolder folder;
    JsonFile file;
    for (const auto& c : cases) {
        const auto path = folder.Write(std::string(c.name) + ".Json", c.content);
        const auto read = file.ReadDocumentChecked(path);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_TRUE(read.value.isNull()) << c.name;
        EXPECT_TRUE(file.ReadDocument(path).isNull()) << c.name;
    }
    EXPECT_EQ(file.ReadDocumentChecked(folder / "missing.Json").status, ReadStatus::Missing);
    EXPECT_EQ(file.ReadDocumentChecked(folder.path()).status, ReadStatus::Unreadable);
}

TEST(ReadDocument, ParsesAnyJsonValue) {
    TempFolder folder;
    JsonFile file;
    const auto read = file.ReadDocumentChecked(folder.Write("a.Json", "[1, 2]"));
    EXPECT_EQ(read.status, ReadStatus::Ok);
    EXPECT_EQ(read.value.size(), 2u);
}

TEST(ReadDocument, OversizedFileIsNotRead) {
    TempFolder folder;
    const auto path = folder / "big.Json";
    {
        std::ofstream out(path);
        out << "{}";
    }
    std::filesystem::resize_file(path, profiles::kMaxJsonFileSize + 1);  // sparse
    EXPECT_EQ(profiles::ReadJsonText(path).status, ReadStatus::TooLarge);
    EXPECT_TRUE(profiles::readjsonFile(path).empty());
}

// A sysfs attribute reports 4096 bytes but reads only a few: the count read differs from the
// size, so the text is empty and the document null.
TEST(ReadDocument, FileOfWhichOnlyPartCanBeReadGivesEmptyText) {
    const std::filesystem::path partial = "/sys/devices/system/cpu/online";
    struct stat info {};
    if (::stat(partial.c_str(), &info) != 0 || info.st_size <= 0) {
        GTEST_SKIP() << "no sysfs attribute to read";
    }
    EXPECT_TRUE(profiles::readjsonFile(partial).empty());
    EXPECT_EQ(profiles::ReadJsonText(partial).status, ReadStatus::Unreadable);
    EXPECT_TRUE(JsonFile().ReadDocument(partial).isNull());
}

TEST(WriteDocument, WritesStyledTextWithThreeSpaceIndent) {
    TempFolder folder;
    Json::Value document;
    document["Device"][0]["LightInfo"]["Red"] = 255;
    document["Device"][0]["LightInfo"]["Blue"] = 0;
    const auto path = folder / "p.Json";
    ASSERT_TRUE(JsonFile().WriteDocument(document, path).ok());
    EXPECT_EQ(TempFolder::Read(path),
              "{\n"
              "   \"Device\" : [\n"
              "      {\n"
              "         \"LightInfo\" : {\n"
              "            \"Blue\" : 0,\n"
              "            \"Red\" : 255\n"
              "         }\n"
              "      }\n"
              "   ]\n"
              "}\n");
}

TEST(WriteDocument, ReplacesAtomicallyAndKeepsPermissions) {
    TempFolder folder;
    const auto path = folder.Write("p.Json", "{ \"old\" : 1 }");
    ::chmod(path.c_str(), 0640);
    Json::Value document;
    document["new"] = 2;
    ASSERT_TRUE(JsonFile().WriteDocument(document, path).ok());
    EXPECT_EQ(JsonFile().ReadDocument(path), document);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Only the target is left in the folder: no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WriteDocument, ReplacesTheFileBehindASymbolicLink) {
    TempFolder folder;
    const auto target = folder.Write("real.Json", "{}");
    std::filesystem::create_symlink(target, folder / "link.Json");
    Json::Value document;
    document["a"] = 1;
    ASSERT_TRUE(JsonFile().WriteDocument(document, folder / "link.Json").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.Json"));
    EXPECT_EQ(JsonFile().ReadDocument(target), document);
}

TEST(WriteDocument, FailuresAreReportedAndLeaveNothingBehind) {
    TempFolder folder;
    Json::Value document;
    document["a"] = 1;
    JsonFile file;

    const auto no_folder = file.WriteDocument(document, folder / "missing" / "p.Json");
    EXPECT_EQ(no_folder.status, WriteStatus::CreateFailed);
    EXPECT_NE(no_folder.error_code, 0);

    // A folder in the target's place cannot be replaced by the rename.
    std::filesystem::create_directory(folder / "taken.Json");
    EXPECT_EQ(file.WriteDocument(document, folder / "taken.Json").status,
              WriteStatus::RenameFailed);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.Json"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);

    EXPECT_EQ(file.WriteDocument(document, "").status, WriteStatus::InvalidTarget);
}

}  // namespace
