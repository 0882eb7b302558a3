#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/log_categories.h"
#include "platform/runtime_paths.h"

namespace platform {

namespace {

// A lock file is a few short lines: process id, program name, host name, machine id, boot id.
constexpr qsizetype kMaxLockFileBytes = 4096;

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

QByteArray ReadSmall(int fd) {
    QByteArray content(kMaxLockFileBytes, '\0');
    qsizetype count = 0;
    while (count < content.size()) {
        const ssize_t got =
            ::read(fd, content.data() + count, static_cast<size_t>(content.size() - count));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        count += got;
    }
    content.truncate(count);
    return content;
}

// The name of the program a process runs: the file name of its executable, else its short
// command name. Empty when neither can be read.
QString ProcessName(qint64 pid, bool* shortName) {
    *shortName = false;
    const QByteArray proc = "/proc/" + QByteArray::number(pid);
    char target[4096];
    const ssize_t n = ::readlink((proc + "/exe").constData(), target, sizeof target - 1);
    if (n > 0) {
        QString path = QFile::decodeName(QByteArray(target, n));
        // A program replaced on disk while it runs (an upgrade) still is that program.
        if (path.endsWith(QLatin1String(" (deleted)"))) path.chop(10);
        return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    }
    QFile comm(QFile::decodeName(proc + "/comm"));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    *shortName = true;
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

LockHolder Stale(qint64 pid, QString reason) { return LockHolder{false, pid, std::move(reason)}; }

// Removes a stale lock file, unless a holder on this machine locks it after all.
bool RemoveStaleLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    Fd fd(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;
    return ::unlink(name.constData()) == 0 || errno == ENOENT;
}

}  // namespace

LockHolder InspectInstanceLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) return Stale(0, QStringLiteral("no lock file"));
    if (!S_ISREG(info.st_mode)) return Stale(0, QStringLiteral("not a regular file"));
    Fd fd(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return Stale(0, QStringLiteral("cannot be opened: %1").arg(std::strerror(errno)));
    // The holder keeps a lock on the open file: whatever the content says, it lives.
    const bool locked = ::flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;

    const QList<QByteArray> lines = ReadSmall(fd.get()).split('\n');
    bool numeric = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&numeric);
    if (locked) return LockHolder{true, numeric && pid > 0 ? pid : 0, QString()};
    if (!numeric || pid <= 0) return Stale(0, QStringLiteral("its content cannot be read"));

    const QByteArray app = lines.value(1).trimmed();
    const QByteArray host = lines.value(2).trimmed();
    const QByteArray machine = lines.value(3).trimmed();
    const QByteArray boot = lines.value(4).trimmed();
    if (!host.isEmpty() && QString::fromUtf8(host) != QSysInfo::machineHostName())
        return Stale(pid, QStringLiteral("written on host %1").arg(QString::fromUtf8(host)));
    if (!machine.isEmpty() && machine != QSysInfo::machineUniqueId())
        return Stale(pid, QStringLiteral("written on another machine"));
    if (!boot.isEmpty() && boot != QSysInfo::bootUniqueId())
        return Stale(pid, QStringLiteral("written before the last boot"));
    if (pid > INT32_MAX || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        return Stale(pid, QStringLiteral("process %1 no longer runs").arg(pid));
    bool shortName = false;
    const QString running = ProcessName(pid, &shortName);
    QString expected = QString::fromUtf8(app);
    if (shortName) expected.truncate(15);
    if (!running.isEmpty() && !expected.isEmpty() && running != expected)
        return Stale(pid, QStringLiteral("process %1 now runs %2").arg(pid).arg(running));
    return LockHolder{true, pid, QString()};
}

std::optional<qint64> FindLiveInstance(const QString& lockPath) {
    const LockHolder holder =
        InspectInstanceLock(lockPath.isEmpty() ? InstanceLockPath() : lockPath);
    if (!holder.live) return std::nullopt;
    return holder.pid;
}

std::optional<std::string> InstanceRunsReason(std::string_view option, std::string_view held) {
    const auto pid = FindLiveInstance();
    if (!pid) return std::nullopt;
    return std::string(option) + ": the running instance (process " + std::to_string(*pid) +
           ") holds " + std::string(held) + "; close it first";
}

SingleInstance::SingleInstance(QString lockPath)
    : path_(lockPath.isEmpty() ? InstanceLockPath() : std::move(lockPath)),
      lock_(std::make_unique<QLockFile>(path_)) {
    // Age never makes a lock stale: the first instance holds it for days. Whether its holder
    // lives is decided by InspectInstanceLock.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() { Release(); }

SingleInstance::Result SingleInstance::TryAcquire() {
    if (lock_->isLocked()) return Result::Acquired;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lock_->tryLock(0)) {
            qCDebug(lcPlatform) << "instance lock taken:" << path_;
            return Result::Acquired;
        }
        if (lock_->error() != QLockFile::LockFailedError) break;
        const LockHolder holder = InspectInstanceLock(path_);
        if (holder.live) {
            qCDebug(lcPlatform) << "instance lock held by process" << holder.pid << ":" << path_;
            return Result::HeldByOther;
        }
        if (attempt == 0) {
            qCWarning(lcPlatform).noquote()
                << "instance lock" << path_ << "is stale (" + holder.reason + "): taken over";
            if (!RemoveStaleLock(path_)) {
                qCWarning(lcPlatform) << "instance lock: cannot remove the stale" << path_;
                return Result::Error;
            }
        }
    }
    switch (lock_->error()) {
        case QLockFile::LockFailedError:
            return Result::HeldByOther;
        case QLockFile::PermissionError:
            qCWarning(lcPlatform) << "instance lock: no permission to create" << path_;
            return Result::Error;
        default:
            qCWarning(lcPlatform) << "instance lock: cannot create" << path_;
            return Result::Error;
    }
}

void SingleInstance::Release() {
    if (lock_->isLocked()) lock_->unlock();
}

bool SingleInstance::IsHeld() const { return lock_->isLocked(); }

qint64 SingleInstance::HolderPid() const {
    qint64 pid = 0;
    QString hostname, appname;
    return lock_->getLockInfo(&pid, &hostname, &appname) ? pid : 0;
}

}  // namespace platform
