// The watcher for linked programs: what it looks at and when, on a fake /proc tree and a fake
// focus source, and its findings reaching the thread that made it.
#include "platform/program_watcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_proc.h"

namespace {

using platform::ForegroundTracker;

struct Tracked {
    FakeFocus* focus;  // owned by the tracker
    std::unique_ptr<ForegroundTracker> tracker;
};

Tracked Track(const FakeProc& proc, FocusState focus, bool wayland) {
    auto source = std::make_unique<FakeFocus>(focus);
    FakeFocus* raw = source.get();
    return {raw, std::make_unique<ForegroundTracker>(std::move(source), proc.Reader(), wayland)};
}

TEST(ForegroundTracker, NothingIsLookedAtWhileNothingIsLinked) {
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/game", std::string("game\0", 5), "game");
    Tracked t = Track(proc, FocusState{}, false);
    const auto first = t.tracker->Check();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->source, ProgramSource::None);
    EXPECT_FALSE(t.tracker->Check().has_value());  // unchanged: nothing to report
    EXPECT_EQ(t.tracker->Scans(), 0);
    EXPECT_EQ(t.focus->reads, 0);
    EXPECT_EQ(t.tracker->WaitMs(), -1);

    // Linked: /proc is scanned (no display) at the interval; unlinked again: no more.
    t.tracker->SetLinkNames({"GAME"});
    const auto linked = t.tracker->Check();
    ASSERT_TRUE(linked.has_value());
    EXPECT_EQ(linked->name, "GAME");
    EXPECT_EQ(linked->pid, 10);
    EXPECT_EQ(t.tracker->Scans(), 1);
    EXPECT_EQ(t.tracker->WaitMs(), platform::kProcScanIntervalMs);
    t.tracker->SetLinkNames({""});
    EXPECT_EQ(t.tracker->Check()->source, ProgramSource::None);
    EXPECT_EQ(t.tracker->Scans(), 1);
    EXPECT_EQ(t.tracker->WaitMs(), -1);
}

TEST(ForegroundTracker, RunningLinkedProgramsComeAndGo) {
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/editor", std::string("editor\0", 7), "editor");
    Tracked t = Track(proc, FocusState{true, 0}, true);  // Wayland, a native window in front
    t.tracker->SetLinkNames({"game.exe", "tool"});
    EXPECT_EQ(t.tracker->Check()->source, ProgramSource::None);

    struct Step {
        const char* label;
        void (*change)(FakeProc&);
        const char* name;  // nullptr: no change to report
        std::int64_t pid;
    };
    const Step steps[] = {
        {"a game under Wine starts",
         [](FakeProc& p) {
             p.Add(20, 900, "/usr/bin/wine64-preloader", std::string("C:\\Games\\Game.exe\0", 18),
                   "Game.exe");
         },
         "game.exe", 20},
        {"nothing changed", [](FakeProc&) {}, nullptr, 0},
        {"a linked tool started later wins",
         [](FakeProc& p) { p.Add(30, 1000, "/opt/tool", std::string("tool\0", 5), "tool"); },
         "tool", 30},
        {"the tool ends: the game again", [](FakeProc& p) { p.Remove(30); }, "game.exe", 20},
        {"the game's PID is taken by another program",
         [](FakeProc& p) {
             p.Remove(20);
             p.Add(20, 2000, "/usr/bin/sleep", std::string("sleep\0", 6), "sleep");
         },
         "", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        step.change(proc);
        const auto finding = t.tracker->Check();
        if (!step.name) {
            EXPECT_FALSE(finding.has_value());
            continue;
        }
        ASSERT_TRUE(finding.has_value());
        EXPECT_EQ(finding->name, step.name);
        EXPECT_EQ(finding->pid, step.pid);
    }
}

TEST(ForegroundTracker, APidTakenOverByALinkedProgramIsFoundByTheFullCheck) {
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/editor", std::string("editor\0", 7), "editor");
    Tracked t = Track(proc, FocusState{}, false);
    t.tracker->SetLinkNames({"game"});
    EXPECT_EQ(t.tracker->Check()->source, ProgramSource::None);  // the first scan: a full one
    // The editor ends and the game starts under the same PID: the scans between full checks
    // read no known process again, the next full check finds the game.
    proc.Remove(10);
    proc.Add(10, 700, "/usr/bin/game", std::string("game\0", 5), "game");
    int scans = 0;
    std::optional<ForegroundProgram> finding;
    while (!finding && scans < platform::kFullCheckScans) {
        finding = t.tracker->Check();
        ++scans;
    }
    ASSERT_TRUE(finding.has_value());
    EXPECT_EQ(finding->name, "game");
    EXPECT_EQ(scans, platform::kFullCheckScans);
}

TEST(ForegroundTracker, X11FocusIsFollowedByEventsWithoutScanning) {
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/game", std::string("game\0", 5), "game");
    proc.Add(20, 900, "/usr/bin/editor", std::string("editor\0", 7), "editor");
    Tracked t = Track(proc, FocusState{true, 20}, false);
    t.tracker->SetLinkNames({"game"});
    EXPECT_EQ(t.tracker->Check()->name, "editor");
    EXPECT_EQ(t.tracker->WaitMs(), -1);  // events only
    t.focus->Set(FocusState{true, 10});
    EXPECT_TRUE(t.tracker->DrainEvents());
    const auto finding = t.tracker->Check();
    ASSERT_TRUE(finding.has_value());
    EXPECT_EQ(finding->name, "game");
    EXPECT_EQ(finding->source, ProgramSource::X11);
    // The X server goes away: /proc at the interval.
    t.focus->Set(FocusState{false, 0});
    EXPECT_EQ(t.tracker->Check()->source, ProgramSource::Proc);
    EXPECT_EQ(t.tracker->WaitMs(), platform::kProcScanIntervalMs);
    EXPECT_EQ(t.tracker->Scans(), 1);
}

TEST(ProgramWatcher, FindingsArriveOnTheThreadThatMadeIt) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    FakeProc proc;
    proc.Add(10, 500, "/usr/bin/game", std::string("game\0", 5), "game");
    proc.Add(20, 900, "/usr/bin/editor", std::string("editor\0", 7), "editor");
    FakeFocus* focus = nullptr;
    platform::CProgramWatcher watcher([&proc, &focus] {
        auto source = std::make_unique<FakeFocus>(FocusState{true, 20});
        focus = source.get();
        return std::make_unique<ForegroundTracker>(std::move(source), proc.Reader(), false);
    });
    std::vector<std::string> seen;
    bool elsewhere = false;
    QEventLoop loop;
    QObject::connect(&watcher, &platform::CProgramWatcher::foregroundChanged,
                     [&](const QString& name, qint64, const QString& source) {
                         elsewhere = elsewhere || QThread::currentThread() != app.thread();
                         seen.push_back(name.toStdString() + "/" + source.toStdString());
                         loop.quit();
                     });
    // A stuck watcher ends the test instead of hanging it.
    QTimer::singleShot(20000, &loop, [&] { loop.exit(1); });
    watcher.SetLinkNames({"game"});
    watcher.Start();
    ASSERT_EQ(loop.exec(), 0);
    ASSERT_NE(focus, nullptr);
    focus->Set(FocusState{true, 10});
    ASSERT_EQ(loop.exec(), 0);
    watcher.Stop();
    EXPECT_FALSE(elsewhere);
    EXPECT_EQ(seen, (std::vector<std::string>{"editor/x11", "game/x11"}));
}

}  // namespace
