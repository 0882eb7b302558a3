#include "platform/single_instance.h"

#include <QLockFile>

#include "platform/log_categories.h"
#include "platform/runtime_paths.h"

namespace platform {

SingleInstance::SingleInstance(QString lockPath)
    : path_(lockPath.isEmpty() ? InstanceLockPath() : std::move(lockPath)),
      lock_(std::make_unique<QLockFile>(path_)) {
    // A lock is stale only when its holder no longer runs. Age never makes it stale: the first
    // instance holds it for days, and a second start must not take it from under it.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() { Release(); }

SingleInstance::Result SingleInstance::TryAcquire() {
    if (lock_->isLocked()) return Result::Acquired;
    if (lock_->tryLock(0)) {
        qCDebug(lcPlatform) << "instance lock taken:" << path_;
        return Result::Acquired;
    }
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        qCDebug(lcPlatform) << "instance lock held by process" << HolderPid() << ":" << path_;
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
