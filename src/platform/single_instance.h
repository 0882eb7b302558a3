#pragma once
// The single-instance lock: the first instance holds a lock file named after the product string
// in the user's run-time folder for its whole life; a second start finds it held, wakes the
// first through the message port and ends. A lock left behind by a process that died is taken
// over; a lock held by a live process is never taken, however old it is.
#include <QString>

#include <memory>

class QLockFile;

namespace platform {

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
