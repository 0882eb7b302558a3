#include "platform/program_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QMetaObject>
#include <cerrno>
#include <cstdlib>

#include "platform/log_categories.h"

namespace platform {

bool SameFinding(const ForegroundProgram& a, const ForegroundProgram& b) {
    return a.name == b.name && a.pid == b.pid && a.source == b.source;
}

ForegroundTracker::ForegroundTracker(std::unique_ptr<IFocusSource> focus, ProcReader proc,
                                     bool waylandSession)
    : focus_(std::move(focus)), proc_(std::move(proc)), wayland_(waylandSession) {}

void ForegroundTracker::SetLinkNames(std::vector<std::string> names) {
    std::erase_if(names, [](const std::string& name) { return name.empty(); });
    links_ = std::move(names);
    seen_.clear();  // whether a process is linked depends on the names
}

// The linked processes running now.
std::vector<ProcessInfo> ForegroundTracker::ListProcesses() {
    const bool full = scans_ % kFullCheckScans == 0;
    ++scans_;
    std::unordered_map<std::int64_t, Seen> now;
    now.reserve(seen_.size() + 16);
    for (const std::int64_t pid : proc_.Pids()) {
        const auto known = seen_.find(pid);
        if (known != seen_.end() && !full && !known->second.linked) {
            now.emplace(pid, std::move(known->second));
            continue;
        }
        const auto start = proc_.StartTicksOf(pid);
        if (!start) continue;  // another user's, or ended since the listing
        if (known != seen_.end() && known->second.process.startTicks == *start) {
            now.emplace(pid, std::move(known->second));
        } else if (auto process = proc_.Read(pid)) {
            Seen seen{std::move(*process), false};
            for (const std::string& link : links_)
                seen.linked = seen.linked || ProcessMatches(seen.process, link);
            now.emplace(pid, std::move(seen));
        }
    }
    seen_ = std::move(now);
    std::vector<ProcessInfo> linked;
    for (const auto& [pid, seen] : seen_)
        if (seen.linked) linked.push_back(seen.process);
    return linked;
}

std::optional<ForegroundProgram> ForegroundTracker::Check() {
    ForegroundProgram finding;
    lastFocus_ = {};
    if (!links_.empty()) {
        lastFocus_ = focus_ ? focus_->Current() : FocusState{};
        if (lastFocus_.available && lastFocus_.pid > 0) {
            finding = {{}, lastFocus_.pid, ProgramSource::X11};
            if (const auto process = proc_.Read(lastFocus_.pid)) {
                finding.name = process->DisplayName();
                for (const std::string& link : links_) {
                    if (ProcessMatches(*process, link)) {
                        finding.name = link;
                        break;
                    }
                }
            }
        } else if (NeedsProcScan(lastFocus_, wayland_)) {
            finding = MostRecentLinked(ListProcesses(), links_).value_or(ForegroundProgram{});
        } else {
            seen_.clear();
        }
    }
    if (last_ && SameFinding(*last_, finding)) return std::nullopt;
    last_ = finding;
    return finding;
}

int ForegroundTracker::WaitMs() const {
    if (links_.empty()) return -1;
    return NeedsProcScan(lastFocus_, wayland_) ? kProcScanIntervalMs : -1;
}

// ---- The thread ----

CProgramWatcher::CProgramWatcher(TrackerFactory factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory)) {
    if (!factory_) {
        factory_ = [] {
            const char* wayland = std::getenv("WAYLAND_DISPLAY");
            return std::make_unique<ForegroundTracker>(MakeXcbFocusSource(), ProcReader(),
                                                       wayland && *wayland);
        };
    }
}

CProgramWatcher::~CProgramWatcher() { Stop(); }

void CProgramWatcher::Start() {
    if (thread_.joinable()) return;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        qCWarning(lcPlatform) << "profile links: no wake-up descriptor; programs are not watched";
        return;
    }
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
}

void CProgramWatcher::Stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    Wake();
    thread_.join();
    ::close(wakeFd_);
    wakeFd_ = -1;
}

void CProgramWatcher::SetLinkNames(std::vector<std::string> names) {
    {
        std::lock_guard lock(mutex_);
        pendingLinks_ = std::move(names);
    }
    Wake();
}

void CProgramWatcher::Wake() {
    if (wakeFd_ < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void CProgramWatcher::Run() {
    std::unique_ptr<ForegroundTracker> tracker = factory_();
    bool look = true;
    while (!stop_) {
        {
            std::lock_guard lock(mutex_);
            if (pendingLinks_) {
                tracker->SetLinkNames(std::move(*pendingLinks_));
                pendingLinks_.reset();
                look = true;
            }
        }
        if (look) {
            if (const auto finding = tracker->Check()) {
                const QString name = QString::fromStdString(finding->name);
                const qint64 pid = finding->pid;
                const QString source = QString::fromLatin1(SourceName(finding->source));
                QMetaObject::invokeMethod(
                    this, [this, name, pid, source] { emit foregroundChanged(name, pid, source); },
                    Qt::QueuedConnection);
            }
            // Events read together with the replies are not seen by poll: a focus change
            // among them is looked at at once.
            if (tracker->DrainEvents()) continue;
        }
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {tracker->EventDescriptor(), POLLIN, 0}};
        const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
        const int ready = ::poll(fds, count, tracker->WaitMs());
        if (ready < 0) {
            if (errno == EINTR) continue;
            qCWarning(lcPlatform) << "profile links: waiting failed; programs are not watched";
            return;
        }
        look = ready == 0;  // the /proc interval passed
        if (fds[0].revents & POLLIN) {
            std::uint64_t value = 0;
            [[maybe_unused]] const ssize_t got = ::read(wakeFd_, &value, sizeof value);
            look = true;
        }
        if (count == 2 && fds[1].revents != 0 && tracker->DrainEvents()) look = true;
    }
}

}  // namespace platform
