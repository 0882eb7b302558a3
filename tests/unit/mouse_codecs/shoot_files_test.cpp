// The recoil files of a profile folder: reset, import and export copy whole files or change
// nothing, imports are checked, missing files are filled from the factory patterns, and the
// image of a folder refuses a broken gun file.
#include "devices/mouse/shoot_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ShootFiles : public testing::Test {
  protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() /
            ("shoot-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(profile_ = root_ / "profile");
        fs::create_directories(factory_ = root_ / "factory");
        for (int g = 0; g < 3; ++g)  // gun 3 has no factory pattern
            fs::copy_file(fs::path(SKELMORA_SOURCE_ROOT "/DefaultData") /
                              ("ShootData_" + std::to_string(g) + ".Shoot"),
                          shoot::GunFile(factory_, g));
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_, profile_, factory_;
};

TEST_F(ShootFiles, MissingGunsGetTheFactoryPatternAndAGunWithoutOneHasNoEvents) {
    Write(shoot::GunFile(profile_, 1), "");
    Write(shoot::GunFile(profile_, 2), "{\"Events\":[]}");
    EXPECT_EQ(shoot::InitGunFiles(profile_, factory_), 2);  // guns 0 and 1
    EXPECT_EQ(Read(shoot::GunFile(profile_, 0)), Read(shoot::GunFile(factory_, 0)));
    EXPECT_EQ(Read(shoot::GunFile(profile_, 1)), Read(shoot::GunFile(factory_, 1)));
    EXPECT_EQ(Read(shoot::GunFile(profile_, 2)), "{\"Events\":[]}");
    EXPECT_FALSE(fs::exists(shoot::GunFile(profile_, 3)));
    EXPECT_EQ(shoot::ReadGun(shoot::GunFile(profile_, 0)).events.size(), 180u);
    const shoot::GunRead missing = shoot::ReadGun(shoot::GunFile(profile_, 3));
    EXPECT_TRUE(missing.error.empty());
    EXPECT_EQ(missing.events.size(), 0u);
    EXPECT_NE(shoot::ResetGun(profile_, factory_, 3), "");
    EXPECT_FALSE(fs::exists(shoot::GunFile(profile_, 3)));
    // Guns 0, 1 full, 2 and 3 empty: 40 + 4 x 360 bytes.
    const shoot::ShootImage image = shoot::BuildImageFromFolder(profile_);
    ASSERT_TRUE(image.ok()) << image.error;
    EXPECT_EQ(image.bytes.size(), 1480u);
}

TEST_F(ShootFiles, RefusedImportsChangeNothing) {
    const fs::path gun = shoot::GunFile(profile_, 1);
    Write(gun, "{\"Events\":[]}\n");
    std::string big = "{\"Events\":[";
    big.append(1024 * 1024, ' ');
    big += "]}";
    std::string many = "{\"Events\":[";
    for (int i = 0; i < 186; ++i)
        many += std::string(i ? "," : "") + R"({"Action":"up","Button":0,"Delay":0,"Type":4})";
    many += "]}";
    const struct {
        const char* name;
        std::string text;
    } refused[] = {
        {"empty.Shoot", ""},
        {"text.Shoot", "not json"},
        {"big.Shoot", big},
        {"many.Shoot", many},
        {"odd.Shoot", R"({"Events":[{"Action":"up","Button":0,"Delay":0,"Type":4}]})"},
        {"array.Shoot", "[]"},
    };
    for (const auto& c : refused) {
        Write(root_ / c.name, c.text);
        EXPECT_NE(shoot::ImportGun(root_ / c.name, profile_, 1), "") << c.name;
        EXPECT_EQ(Read(gun), "{\"Events\":[]}\n") << c.name;
    }
    EXPECT_NE(shoot::ImportGun(root_ / "absent.Shoot", profile_, 1), "");
    EXPECT_NE(shoot::ImportGun(root_, profile_, 1), "");  // a folder
    EXPECT_NE(shoot::ImportGun(shoot::GunFile(factory_, 0), profile_, 4), "");
    EXPECT_EQ(Read(gun), "{\"Events\":[]}\n");
}

TEST_F(ShootFiles, ImportAndExportCopyByteForByte) {
    const std::string text = Read(shoot::GunFile(factory_, 2));
    ASSERT_EQ(shoot::ImportGun(shoot::GunFile(factory_, 2), profile_, 3), "");
    EXPECT_EQ(Read(shoot::GunFile(profile_, 3)), text);
    ASSERT_EQ(shoot::ExportGun(profile_, 3, root_ / "out.shoot"), "");
    EXPECT_EQ(Read(root_ / "out.shoot"), text);
    // Exporting into a folder that does not exist fails and says so.
    EXPECT_NE(shoot::ExportGun(profile_, 3, root_ / "none" / "out.shoot"), "");
    // Nothing but the files themselves is left in the folders (no temporary files).
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(profile_)) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 1);
}

TEST_F(ShootFiles, AFolderImageRefusesABrokenGunFile) {
    ASSERT_EQ(shoot::InitGunFiles(profile_, factory_), 3);
    Write(shoot::GunFile(profile_, 2), "{\"Events\":[{\"Action\":\"up\"}]}");
    const shoot::ShootImage image = shoot::BuildImageFromFolder(profile_);
    EXPECT_FALSE(image.ok());
    EXPECT_NE(image.error.find("ShootData_2.Shoot"), std::string::npos) << image.error;
}

}  // namespace
