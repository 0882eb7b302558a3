// The packaging files against the program: the udev rule, the metainfo's modaliases and the
// device table name the same USB ids as packaging/supported_usb_ids.txt; the rule opens only
// hidraw nodes of those devices; the desktop entry matches the window and the metainfo the
// version.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "platform/registered_messages.h"
#include "tables/device_tables.h"

namespace {

using UsbId = std::pair<unsigned, unsigned>;

std::string ReadPackagingFile(const std::string& name) {
    std::ifstream in(std::string(SKELMORA_SOURCE_ROOT) + "/packaging/" + name);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::set<UsbId> ListedIds() {
    std::set<UsbId> ids;
    std::istringstream lines(ReadPackagingFile("supported_usb_ids.txt"));
    static const std::regex row(R"re(^([0-9A-F]{4}) ([0-9A-F]{4}) [a-z-]+$)re");
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::smatch m;
        EXPECT_TRUE(std::regex_match(line, m, row)) << "not VVVV PPPP kind: " << line;
        if (!m.empty()) ids.insert({std::stoul(m[1], nullptr, 16), std::stoul(m[2], nullptr, 16)});
    }
    return ids;
}

TEST(PackagingFiles, TheListHasTheProgramsIds) {
    std::set<UsbId> program;
    for (const DeviceIdentity& row : ShippedInterfaceTable())
        if (row.vendorId != 0) program.insert({row.vendorId, row.productId});
    for (const ModelRow& row : ModelTable())
        if (row.vendorId != 0) program.insert({row.vendorId, row.productId});
    const std::set<UsbId> listed = ListedIds();
    EXPECT_FALSE(listed.empty());
    EXPECT_EQ(listed, program);
}

TEST(PackagingFiles, TheUdevRuleOpensOnlyTheListedHidrawNodes) {
    std::set<UsbId> ruled;
    std::istringstream lines(ReadPackagingFile("70-skelmora.rules"));
    // Every rule: hidraw nodes only, one vendor and product id (lower case, as sysfs shows
    // them), access for the logged-in user.
    static const std::regex rule(
        R"re(^KERNEL=="hidraw\*", SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="([0-9a-f]{4})", )re"
        R"re(ATTRS\{idProduct\}=="([0-9a-f]{4})", MODE="0660", GROUP="plugdev", TAG\+="uaccess"$)re");
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, rule))
            << "a rule beyond the supported hidraw nodes: " << line;
        EXPECT_TRUE(
            ruled.insert({std::stoul(m[1], nullptr, 16), std::stoul(m[2], nullptr, 16)}).second)
            << "twice: " << line;
    }
    EXPECT_EQ(ruled, ListedIds());
}

TEST(PackagingFiles, TheMetainfoProvidesTheListedModaliases) {
    const std::string metainfo = ReadPackagingFile("org.skelmora.Skelmora.metainfo.xml");
    std::set<UsbId> provided;
    static const std::regex modalias(R"re(<modalias>([^<]*)</modalias>)re");
    static const std::regex usb(R"re(^usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*$)re");
    for (auto it = std::sregex_iterator(metainfo.begin(), metainfo.end(), modalias);
         it != std::sregex_iterator(); ++it) {
        const std::string text = (*it)[1];
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, usb))
            << "not usb:vVVVVpPPPPd* in upper case: " << text;
        provided.insert({std::stoul(m[1], nullptr, 16), std::stoul(m[2], nullptr, 16)});
    }
    EXPECT_EQ(provided, ListedIds());
    // The newest release is this version.
    static const std::regex release(R"re(<release version="([^"]*)")re");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(metainfo, m, release));
    EXPECT_EQ(m[1], SKELMORA_VERSION);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">org.skelmora.Skelmora.desktop<"),
              std::string::npos);
}

TEST(PackagingFiles, TheDesktopEntryMatchesTheWindow) {
    const std::string entry = ReadPackagingFile("org.skelmora.Skelmora.desktop");
    // The X11 class of the window is the application name, which is the product string.
    const std::string wmClass = "\nStartupWMClass=" + std::string(platform::kProductString) + "\n";
    EXPECT_NE(entry.find(wmClass), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=org.skelmora.Skelmora\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=skelmora"), std::string::npos);
    EXPECT_NE(entry.find("\nCategories=Settings;HardwareSettings;Qt;\n"), std::string::npos);
}

}  // namespace
