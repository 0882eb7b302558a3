// Files offered for import are checked before anything changes.
#include "profiles/profile_import.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "temp_folder.h"

namespace {

using profiles::ImportCheck;

TEST(ProfileImport, RefusedFiles) {
    struct Case {
        const char* label;
        std::string text;
        ImportCheck expected;
    };
    const Case cases[] = {
        {"empty", "", ImportCheck::NotJson},
        {"binary",
         std::string("\x7f"
                     "ELF\x00\x01\x02",
                     7),
         ImportCheck::NotJson},
        {"array", R"([{"profilename":"a","profileUUID":"b"}])", ImportCheck::NotObject},
        {"no name", R"({"profileUUID":"b"})", ImportCheck::BadName},
        {"empty name", R"({"profilename":"","profileUUID":"b"})", ImportCheck::BadName},
        {"number as name", R"({"profilename":12,"profileUUID":"b"})", ImportCheck::BadName},
        {"number as identifier", R"({"profilename":"a","profileUUID":12})",
         ImportCheck::BadIdentifier},
        {"no identifier", R"({"profilename":"a"})", ImportCheck::BadIdentifier},
        {"Device a string", R"({"profilename":"a","profileUUID":"b","Device":"x"})",
         ImportCheck::BadDevice},
        {"Device of numbers", R"({"profilename":"a","profileUUID":"b","Device":[1]})",
         ImportCheck::BadDevice},
        {"trailing garbage", R"({"profilename":"a","profileUUID":"b"} x)", ImportCheck::NotJson},
        {"accepted", R"({"profilename":"a","profileUUID":"","Device":[null,{}]})", ImportCheck::Ok},
        {"accepted without Device", R"({"profilename":"a","profileUUID":"b"})", ImportCheck::Ok},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto file = folder.Write("in.json", c.text);
        const profiles::ImportFile read = profiles::ReadImportFile(file);
        EXPECT_EQ(read.check, c.expected);
        EXPECT_EQ(read.document.isObject(), c.expected == ImportCheck::Ok);
    }
    EXPECT_EQ(profiles::ReadImportFile(folder / "missing.json").check, ImportCheck::Missing);
    EXPECT_EQ(profiles::ReadImportFile(folder.path()).check, ImportCheck::Missing);
}

TEST(ProfileImport, LargeFilesAreRefusedBeforeReading) {
    TempFolder folder;
    const auto file = folder / "huge.json";
    {
        std::ofstream out(file, std::ios::binary);
        out << R"({"profilename":"a","profileUUID":"b"})";
    }
    // A sparse 2 GiB file: refused by its size, not read.
    std::filesystem::resize_file(file, 2ull * 1024 * 1024 * 1024);
    EXPECT_EQ(profiles::ReadImportFile(file).check, ImportCheck::TooLarge);
    std::filesystem::resize_file(file, profiles::kMaxImportFileSize + 1);
    EXPECT_EQ(profiles::ReadImportFile(file).check, ImportCheck::TooLarge);
}

}  // namespace
