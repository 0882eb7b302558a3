// The instance lock: refused while a live process holds it, free after release, taken over
// from a holder that died, never taken from a live holder however old the lock is.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QLockFile>

#include "platform/runtime_paths.h"
#include "platform/single_instance.h"
#include "temp_home.h"

using platform::SingleInstance;
using Result = platform::SingleInstance::Result;

namespace {

QString FreshLockPath() {
    static int next = 0;
    return temp_home::RuntimeDir() + QStringLiteral("/instance-%1.lock").arg(next++);
}

// A child process that takes the lock, reports, and ends without releasing it when told to
// (as a crashed instance would), closing the pipe. withoutNativeLock: the child then closes
// the lock file, which drops its flock() as on a file system without one, and only the
// process id in the file tells that the holder is alive.
class LockHoldingChild {
public:
    explicit LockHoldingChild(const QString& path, bool withoutNativeLock = false) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            QLockFile lock(path);
            lock.setStaleLockTime(0);
            const char ok = lock.tryLock(0) ? '1' : '0';
            if (withoutNativeLock)
                for (int fd = 3; fd < 1024; ++fd)
                    if (fd != ready[1] && fd != release[0]) ::close(fd);
            if (::write(ready[1], &ok, 1) != 1) ::_exit(2);
            char ignored;
            while (::read(release[0], &ignored, 1) > 0) {}
            ::_exit(0);  // no unlock: the lock file stays behind
        }
        ::close(ready[1]);
        ::close(release[0]);
        releaseFd_ = release[1];
        char ok = 0;
        locked_ = ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~LockHoldingChild() { Die(); }
    bool locked() const { return locked_; }
    pid_t pid() const { return pid_; }
    // Ends the child and reaps it, so that its process id no longer runs.
    void Die() {
        if (releaseFd_ >= 0) ::close(releaseFd_);
        releaseFd_ = -1;
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int releaseFd_ = -1;
    bool locked_ = false;
};

}  // namespace

TEST(SingleInstance, SecondLockIsRefusedWhileTheFirstHoldsItAndTakenAfterRelease) {
    const QString path = FreshLockPath();
    SingleInstance first(path);
    SingleInstance second(path);
    ASSERT_EQ(first.TryAcquire(), Result::Acquired);
    EXPECT_EQ(first.TryAcquire(), Result::Acquired);  // asking again changes nothing
    EXPECT_EQ(second.TryAcquire(), Result::HeldByOther);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_EQ(second.HolderPid(), ::getpid());

    first.Release();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(second.TryAcquire(), Result::Acquired);
    EXPECT_EQ(first.TryAcquire(), Result::HeldByOther);
}

TEST(SingleInstance, EndOfTheHolderReleasesTheLock) {
    const QString path = FreshLockPath();
    {
        SingleInstance first(path);
        ASSERT_EQ(first.TryAcquire(), Result::Acquired);
    }
    SingleInstance second(path);
    EXPECT_EQ(second.TryAcquire(), Result::Acquired);
}

TEST(SingleInstance, LockOfAProcessThatDiedIsTakenOver) {
    const QString path = FreshLockPath();
    LockHoldingChild child(path);
    ASSERT_TRUE(child.locked());
    const pid_t childPid = child.pid();

    SingleInstance me(path);
    EXPECT_EQ(me.TryAcquire(), Result::HeldByOther);  // the other process still runs
    EXPECT_EQ(me.HolderPid(), childPid);

    child.Die();
    ASSERT_TRUE(QFile::exists(path)) << "the dead process left its lock file";
    EXPECT_EQ(me.TryAcquire(), Result::Acquired);
    EXPECT_EQ(me.HolderPid(), ::getpid());
}

TEST(SingleInstance, OldLockOfALiveProcessIsNotTaken) {
    const QString path = FreshLockPath();
    LockHoldingChild child(path, /*withoutNativeLock=*/true);
    ASSERT_TRUE(child.locked());
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
    }
    SingleInstance me(path);
    EXPECT_EQ(me.TryAcquire(), Result::HeldByOther);
}

TEST(SingleInstance, LockInAFolderThatCannotHoldItIsAnError) {
    SingleInstance me(temp_home::RuntimeDir() + "/no-such-folder/instance.lock");
    EXPECT_EQ(me.TryAcquire(), Result::Error);
    EXPECT_FALSE(me.IsHeld());
}

TEST(SingleInstance, DefaultLockIsNamedAfterTheProductInTheRuntimeFolder) {
    SingleInstance me;
    EXPECT_EQ(me.LockPath(), temp_home::RuntimeDir() + "/TELMA_QX-418GRY_Device.lock");
    EXPECT_EQ(me.LockPath(), platform::InstanceLockPath());
    EXPECT_EQ(me.TryAcquire(), Result::Acquired);
}
