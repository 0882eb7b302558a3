// The autostart desktop entry in the test program's temporary config folder: written and
// removed, its Exec line quoted as desktop entries want, switched-off entries read as off, a
// folder that cannot be written reported with nothing left behind.
#include "platform/autostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "temp_home.h"

namespace {

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Autostart, TheEntryIsWrittenAndRemovedInTheConfigFolder) {
    const std::filesystem::path path = platform::AutostartEntryPath();
    EXPECT_EQ(path, std::filesystem::path(temp_home::ConfigDir().toStdString()) / "autostart" /
                        "org.skelmora.Skelmora.desktop");
    std::string error;
    ASSERT_TRUE(platform::SetAutostart(true, "/usr/bin/skelmora", error)) << error;
    EXPECT_TRUE(platform::IsAutostartEnabled());
    const std::string text = Read(path);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nExec=/usr/bin/skelmora --minimized\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    // Nothing but the entry in the folder: the temporary file was renamed.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()),
                            std::filesystem::directory_iterator()),
              1);

    ASSERT_TRUE(platform::SetAutostart(false, "", error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(platform::IsAutostartEnabled());
    EXPECT_TRUE(platform::SetAutostart(false, "", error)) << "removing a missing entry";
}

TEST(Autostart, ExecQuotesProgramPathsAsDesktopEntriesWant) {
    struct Case {
        const char* program;
        const char* exec;
    };
    const Case cases[] = {
        {"/usr/bin/skelmora", "Exec=/usr/bin/skelmora --minimized"},
        {"/opt/my apps/skelmora", "Exec=\"/opt/my apps/skelmora\" --minimized"},
        {"/opt/100%/skelmora", "Exec=/opt/100%%/skelmora --minimized"},
        {"/opt/a$b/skelmora", "Exec=\"/opt/a\\\\$b/skelmora\" --minimized"},
        {"/opt/a\"b/skelmora", "Exec=\"/opt/a\\\\\"b/skelmora\" --minimized"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const std::string text = platform::AutostartEntryText(c.program);
        EXPECT_NE(text.find(std::string("\n") + c.exec + "\n"), std::string::npos) << text;
    }
    std::string error;
    EXPECT_FALSE(platform::SetAutostart(true, "/opt/a\nb", error));
    EXPECT_FALSE(platform::SetAutostart(true, "", error));
}

TEST(Autostart, AnEntrySwitchedOffByTheDesktopReadsAsOff) {
    const std::filesystem::path path = platform::AutostartEntryPath();
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        SCOPED_TRACE(off);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "[Desktop Entry]\nExec=skelmora --minimized\n" << off << "\n";
        EXPECT_FALSE(platform::IsAutostartEnabled());
    }
    std::ofstream(path) << "[Desktop Entry]\nExec=other-program\n";
    EXPECT_FALSE(platform::IsAutostartEnabled()) << "an entry that is not ours";
    std::filesystem::remove(path);
}

TEST(Autostart, AFolderThatCannotBeWrittenIsReportedAndLeftClean) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const std::filesystem::path folder = platform::AutostartEntryPath().parent_path();
    std::filesystem::create_directories(folder);
    ::chmod(folder.c_str(), 0555);
    std::string error;
    EXPECT_FALSE(platform::SetAutostart(true, "/usr/bin/skelmora", error));
    EXPECT_NE(error.find(folder.string()), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    ::chmod(folder.c_str(), 0755);
}

}  // namespace
