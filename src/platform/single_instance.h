#pragma once
// The single-instance lock: the first instance holds a lock file named after the product string
// in the user's run-time folder for its whole life; a second start finds it held, wakes the
// first through the message port and ends. A lock whose holder is not a live instance on this
// machine is stale and taken over: one that cannot be read (empty, cut short, garbage), one of
// another host or an earlier boot, one whose process is gone or is now another program. A lock
// held by a live instance is never taken, however old it is.
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QLockFile;

namespace platform {

// What a lock file says about its holder.
struct LockHolder {
    bool live = false;  // a live instance on this machine holds it
    qint64 pid = 0;     // the holder's process id, 0 when the file cannot be read
    QString reason;     // why it is stale, for the log
};

// Reads the lock file at path and decides whether a live instance holds it. A missing file is
// not held.
LockHolder InspectInstanceLock(const QString& path);

// Whether a live instance of the program holds the instance lock (InstanceLockPath()), without
// taking the lock or waking the instance: the process id of that instance, or nullopt.
std::optional<qint64> FindLiveInstance(const QString& lockPath = QString());

// Exit status of an option that needs the devices while another instance holds them.
inline constexpr int kExitInstanceRuns = 3;
// For options that need the devices to themselves (--screenshot, --read-device,
// --apply-profile): the one-line reason to print when a live instance runs, or nullopt when
// none does. Exit with kExitInstanceRuns after printing it. held names what the instance holds
// that the option needs ("the devices", "the profile lists").
std::optional<std::string> InstanceRunsReason(std::string_view option,
                                              std::string_view held = "the devices");

class SingleInstance {
public:
    enum class Result {
        Acquired,      // this process now holds the lock (or already held it)
        HeldByOther,   // a live process holds it
        Error,         // the lock file could not be created or read (folder missing, no access)
    };

    explicit SingleInstance(QString lockPath = QString());  // empty: InstanceLockPath()
    ~SingleInstance();  // releases the lock when held
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Does not wait.
    Result TryAcquire();
    void Release();
    bool IsHeld() const;
    const QString& LockPath() const { return path_; }
    // The process id written in the lock file by its holder, or 0 when none can be read.
    qint64 HolderPid() const;

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace platform
