#pragma once
// Watching for the program in front while profiles are linked to programs.
//
// ForegroundTracker is the watcher's step, without a thread: it looks at the focus source and,
// when the rule needs it, at /proc, and says when the finding changed. Nothing is looked at
// while no link names are set. /proc is listed only when the focus cannot answer (no X server,
// or under Wayland a window without a PID), then every kProcScanIntervalMs. A process already
// seen is not read again: a scan reads only new PIDs, checks the start time of the processes
// that match a link (an ended one whose PID was taken is not counted), and checks every
// process's start time once in kFullCheckScans scans (a PID taken by a new process is then
// read again).
//
// CProgramWatcher runs the tracker on a thread of its own that waits on the focus source's
// descriptor (X11 property events: no polling) and on a wake-up descriptor, with a timeout only
// while /proc must be scanned. Findings reach the thread that made the watcher (the UI thread)
// as queued calls of foregroundChanged; the thread never touches a widget.
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/active_program.h"

namespace platform {

inline constexpr int kProcScanIntervalMs = 2000;
inline constexpr int kFullCheckScans = 15;

class ForegroundTracker {
  public:
    ForegroundTracker(std::unique_ptr<IFocusSource> focus, ProcReader proc, bool waylandSession);

    // The link names of every device's list; an empty list stops all looking.
    void SetLinkNames(std::vector<std::string> names);
    const std::vector<std::string>& LinkNames() const { return links_; }

    // Looks again; the finding when it differs from the last one returned (the first look
    // always returns one).
    std::optional<ForegroundProgram> Check();
    // How long to wait for focus events before the next Check: -1 for as long as it takes.
    int WaitMs() const;
    int EventDescriptor() const { return focus_ ? focus_->EventDescriptor() : -1; }
    // Reads the focus events; true when the focus may have changed.
    bool DrainEvents() { return focus_ && focus_->DrainEvents(); }
    // How many times /proc was listed.
    int Scans() const { return scans_; }

  private:
    std::vector<ProcessInfo> ListProcesses();

    std::unique_ptr<IFocusSource> focus_;
    ProcReader proc_;
    bool wayland_;
    std::vector<std::string> links_;
    FocusState lastFocus_;
    std::optional<ForegroundProgram> last_;
    struct Seen {
        ProcessInfo process;
        bool linked = false;  // matches one of links_
    };
    std::unordered_map<std::int64_t, Seen> seen_;  // by PID
    int scans_ = 0;
};

bool SameFinding(const ForegroundProgram& a, const ForegroundProgram& b);

class CProgramWatcher : public QObject {
    Q_OBJECT
  public:
    using TrackerFactory = std::function<std::unique_ptr<ForegroundTracker>()>;
    // Without a factory: the X11 focus source, /proc and WAYLAND_DISPLAY of this session.
    explicit CProgramWatcher(TrackerFactory factory = {}, QObject* parent = nullptr);
    ~CProgramWatcher() override;  // stops the thread

    // Starts the thread (once); SetLinkNames may come before or after.
    void Start();
    void Stop();
    void SetLinkNames(std::vector<std::string> names);

  signals:
    // On the watcher's own thread of creation. name is "" when nothing linked is in front.
    void foregroundChanged(const QString& name, qint64 pid, const QString& source);

  private:
    void Run();
    void Wake();

    TrackerFactory factory_;
    std::thread thread_;
    int wakeFd_ = -1;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::optional<std::vector<std::string>> pendingLinks_;
};

}  // namespace platform
