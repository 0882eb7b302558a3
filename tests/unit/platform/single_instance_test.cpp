// The instance lock: refused while a live process holds it, free after release, taken over
// from a holder that died or cannot be told, never taken from a live holder however old the
// lock is.
#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>

#include "platform/runtime_paths.h"
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

// What a lock file left in the folder says decides whether the program starts: a lock whose
// holder cannot be read, is gone, or lived on another host or boot is taken over; only a live
// instance keeps it.
TEST(SingleInstance, LockFileContentsDecideWhetherItIsTakenOver) {
    // A process that has ended, and a live one that runs another program.
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    QProcess other;
    other.start("sleep", {"30"});
    ASSERT_TRUE(other.waitForStarted(10000));
    const qint64 otherPid = other.processId();

    const QByteArray me = QByteArray::number(::getpid());
    const QByteArray app = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray machine = QSysInfo::machineUniqueId();
    const QByteArray boot = QSysInfo::bootUniqueId();
    auto lock = [&](const QByteArray& pid, const QByteArray& h, const QByteArray& m,
                    const QByteArray& b, const QByteArray& a) {
        return pid + '\n' + a + '\n' + h + '\n' + m + '\n' + b + '\n';
    };
    struct Case {
        const char* what;
        QByteArray content;
        Result result;
    };
    const Case cases[] = {
        {"empty (a crash while writing it)", "", Result::Acquired},
        {"garbage", "\x01\x02 not a lock\n", Result::Acquired},
        {"no process id", lock("", host, machine, boot, app), Result::Acquired},
        {"process id not a number", lock("12ab", host, machine, boot, app), Result::Acquired},
        {"process that ended", lock(QByteArray::number(dead), host, machine, boot, app),
         Result::Acquired},
        {"live process of another program",
         lock(QByteArray::number(otherPid), host, machine, boot, app), Result::Acquired},
        {"another host", lock(me, "elsewhere.example", machine, boot, app), Result::Acquired},
        {"an earlier boot", lock(me, host, machine, "00000000-0000-0000-0000-000000000000", app),
         Result::Acquired},
        {"live instance of the program", lock(me, host, machine, boot, app), Result::HeldByOther},
        {"live instance, older lock without ids", me + '\n' + app + '\n' + host + '\n',
         Result::HeldByOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = FreshLockPath();
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        EXPECT_EQ(platform::FindLiveInstance(path).has_value(), c.result == Result::HeldByOther);
        SingleInstance me(path);
        EXPECT_EQ(me.TryAcquire(), c.result);
        if (c.result == Result::Acquired) {
            EXPECT_EQ(me.HolderPid(), ::getpid());
        }
    }
    other.kill();
    other.waitForFinished();
}

TEST(SingleInstance, LiveInstanceIsFoundWithoutTakingTheLock) {
    const QString path = FreshLockPath();
    EXPECT_EQ(platform::FindLiveInstance(path), std::nullopt) << "no lock file";
    LockHoldingChild child(path);
    ASSERT_TRUE(child.locked());
    EXPECT_EQ(platform::FindLiveInstance(path), child.pid());
    EXPECT_TRUE(QFile::exists(path));
    child.Die();
    EXPECT_EQ(platform::FindLiveInstance(path), std::nullopt);

    // The options that need the devices get one line naming themselves.
    EXPECT_EQ(platform::InstanceRunsReason("--screenshot"), std::nullopt);
    SingleInstance running;
    ASSERT_EQ(running.TryAcquire(), Result::Acquired);
    const auto reason = platform::InstanceRunsReason("--screenshot");
    ASSERT_TRUE(reason.has_value());
    EXPECT_EQ(reason->rfind("--screenshot: ", 0), 0u) << *reason;
    EXPECT_EQ(reason->find('\n'), std::string::npos);
}
