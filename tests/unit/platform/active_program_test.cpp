// The program-in-front rule over a fake /proc tree and a fake focus source.
#include "platform/active_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fake_proc.h"

namespace {

using platform::FocusState;
using platform::ForegroundProgram;
using platform::ProcReader;
using platform::ProgramSource;

TEST(ActiveProgram, NameMatching) {
    struct Case {
        const char* label;
        std::string exe, cmdline, comm, link;
        bool matches;
    };
    const Case cases[] = {
        {"exe base name", "/usr/bin/Shooter", std::string("shooter\0", 8), "shooter", "SHOOTER",
         true},
        {"first argument under Wine", "/usr/bin/wine64-preloader",
         std::string("C:\\Games\\Hero\\Hero.exe\0-opt\0", 27), "Hero.exe", "hero.exe", true},
        {"first argument path", "/usr/bin/python3", std::string("/opt/tool/run.py\0", 17),
         "python3", "run.py", true},
        {"comm only (no exe)", "", std::string(), "sleeper", "sleeper", true},
        {"comm cut at 15", "", std::string(), "averyveryverylo", "averyveryverylongname", true},
        {"no match", "/usr/bin/a", std::string("b\0", 2), "c", "d", false},
        {"an argument other than the first", "/usr/bin/a", std::string("a\0target\0", 9), "a",
         "target", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeProc proc;
        proc.Add(100, 5, c.exe, c.cmdline, c.comm);
        const auto process = proc.Reader().Read(100);
        ASSERT_TRUE(process.has_value());
        EXPECT_EQ(platform::ProcessMatches(*process, c.link), c.matches);
    }
}

TEST(ActiveProgram, MostRecentLinkedProgramWins) {
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/alpha", std::string("alpha\0", 6), "alpha");
    proc.Add(20, 900, "/usr/bin/beta", std::string("beta\0", 5), "beta");
    proc.Add(30, 1000, "/usr/bin/other", std::string("other\0", 6), "other");
    std::filesystem::create_directories(proc.root() / "40");  // ended: no stat
    std::filesystem::create_directories(proc.root() / "self");
    FakeFocus none(FocusState{});
    const ForegroundProgram front =
        platform::DetectForeground(&none, proc.Reader(), false, {"alpha", "BETA"});
    EXPECT_EQ(front.name, "BETA");
    EXPECT_EQ(front.pid, 20);
    EXPECT_EQ(front.source, ProgramSource::Proc);
    EXPECT_EQ(platform::DetectForeground(&none, proc.Reader(), false, {}).source,
              ProgramSource::None);
}

TEST(ActiveProgram, FocusRuleBySession) {
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/game", std::string("game\0", 5), "game");
    proc.Add(20, 900, "/usr/bin/editor", std::string("editor\0", 7), "editor");
    struct Case {
        const char* label;
        FocusState focus;
        bool wayland;
        std::string name;
        ProgramSource source;
    };
    const Case cases[] = {
        {"X11 window with a PID", {true, 20}, false, "editor", ProgramSource::X11},
        {"X11 window that is linked", {true, 10}, false, "game", ProgramSource::X11},
        {"X11 without an active window: only focus counts",
         {true, 0},
         false,
         "",
         ProgramSource::None},
        {"Wayland, XWayland window in front", {true, 20}, true, "editor", ProgramSource::X11},
        {"Wayland, native window in front", {true, 0}, true, "game", ProgramSource::Proc},
        {"no display at all", {false, 0}, false, "game", ProgramSource::Proc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeFocus focus(c.focus);
        const ForegroundProgram front =
            platform::DetectForeground(&focus, proc.Reader(), c.wayland, {"game"});
        EXPECT_EQ(front.name, c.name);
        EXPECT_EQ(front.source, c.source);
    }
}

TEST(ActiveProgram, OtherUsersProcessesAreNotRead) {
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/game", std::string("game\0", 5), "game");
    EXPECT_FALSE(ProcReader(proc.root(), ::getuid() + 1).Read(10).has_value());
    EXPECT_TRUE(ProcReader(proc.root(), ::getuid() + 1).List().empty());
}

}  // namespace
