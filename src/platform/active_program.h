#pragma once
// Which program is in front, for profiles linked to a program.
//
// 1. X11 focus: "_NET_ACTIVE_WINDOW" on the root window and that window's "_NET_WM_PID"
//    (XcbFocusSource; on Wayland this covers windows that run through XWayland).
// 2. Running programs: without WAYLAND_DISPLAY only the X11 focus counts. Under Wayland, when
//    the active window is None or has no PID (a native Wayland window has focus), or with no
//    display at all, the most recently started process of the user whose name matches a link
//    counts as in front.
// A process matches a link name, without regard to case, by the base name of /proc/PID/exe,
// the base name of its first argument (after the last "/" or "\\": under Wine the argument is
// a Windows path) or /proc/PID/comm (at most 15 characters).
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class ProgramSource { None, X11, Proc };
const char* SourceName(ProgramSource source);  // "none", "x11", "proc"

struct ForegroundProgram {
    std::string name;  // the link name it matched, or its own name when none matched
    std::int64_t pid = 0;
    ProgramSource source = ProgramSource::None;
};

struct ProcessInfo {
    std::int64_t pid = 0;
    std::string exeName;       // base name of the exe link ("" when unreadable)
    std::string argumentName;  // base name of the first argument
    std::string comm;
    std::uint64_t startTicks = 0;  // field 22 of /proc/PID/stat
    // The name shown for it: exe, else argument, else comm.
    std::string DisplayName() const;
};

// The base name after the last "/" or "\\".
std::string BaseNameOfArgument(std::string_view argument);
bool ProcessMatches(const ProcessInfo& process, std::string_view linkName);

// Reads the processes of one user under a /proc root (a fake tree in tests). A process that
// ends or cannot be read between two reads is skipped.
class ProcReader {
  public:
    explicit ProcReader(std::filesystem::path root = "/proc", uid_t uid = ::getuid());
    std::vector<ProcessInfo> List() const;
    std::optional<ProcessInfo> Read(std::int64_t pid) const;
    // The PIDs under the root (every user's).
    std::vector<std::int64_t> Pids() const;
    // The start time of one of the user's processes, or nullopt (another user's, or ended):
    // with the PID, it tells a process already read from a new one.
    std::optional<std::uint64_t> StartTicksOf(std::int64_t pid) const;

  private:
    std::filesystem::path root_;
    uid_t uid_;
};

// Of the processes matching any link name, the most recently started (ties: the higher PID).
std::optional<ForegroundProgram> MostRecentLinked(const std::vector<ProcessInfo>& processes,
                                                  const std::vector<std::string>& linkNames);

// What the focus source saw: whether an X server answers, and the active window's PID (0 for
// None or a window without one).
struct FocusState {
    bool available = false;
    std::int64_t pid = 0;
};

class IFocusSource {
  public:
    virtual ~IFocusSource() = default;
    virtual FocusState Current() = 0;
    // A descriptor that becomes readable when the focus may have changed, or -1.
    virtual int EventDescriptor() const { return -1; }
    // Reads what made the descriptor readable; true when the active window changed.
    virtual bool DrainEvents() { return false; }
};

// The X11 source through libxcb; Current() reports unavailable without a display or when the
// server went away.
std::unique_ptr<IFocusSource> MakeXcbFocusSource();

// The rule above. waylandSession: WAYLAND_DISPLAY is set.
ForegroundProgram DetectForeground(IFocusSource* focus, const ProcReader& proc, bool waylandSession,
                                   const std::vector<std::string>& linkNames);
// True when the rule needs the /proc scan now (so the caller scans only then).
bool NeedsProcScan(const FocusState& focus, bool waylandSession);

}  // namespace platform
