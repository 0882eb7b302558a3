// The run-time folder is private to the user or not used: XDG_RUNTIME_DIR when it is private,
// else <temporary folder>/skelmora-UID made with mode 0700 and checked; a name squatted by
// another user, a symbolic link or a file there leaves the program without a message port and
// with its lock in the cache folder. As root the squatter is a real other user (chown); as any
// other user the expected owner is the seam.
#include "platform/runtime_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "temp_home.h"

using platform::ChooseRuntimePlace;
using platform::RuntimeEnvironment;

namespace {

constexpr uid_t kOtherUser = 65534;

mode_t ModeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

}  // namespace

TEST(RuntimePaths, PrivateFolderOrNone) {
    struct Case {
        const char* what;
        bool setXdg;  // XDG_RUNTIME_DIR points to <case>/xdg
        std::function<void(const QString& own, RuntimeEnvironment& env)>
            prepare;         // before choosing
        bool ownFolderUsed;  // else XDG_RUNTIME_DIR or nothing
        bool hasPort;
    };
    const Case cases[] = {
        {"XDG_RUNTIME_DIR private", true, nullptr, false, true},
        {"XDG_RUNTIME_DIR open to others", true,
         [](const QString& own, RuntimeEnvironment&) {
             ::chmod(QFile::encodeName(own.section('/', 0, -3) + "/xdg").constData(), 0755);
         },
         true, true},
        {"no XDG_RUNTIME_DIR: own folder made", false, nullptr, true, true},
        {"own folder left with too wide a mode is narrowed", false,
         [](const QString& own, RuntimeEnvironment&) {
             QDir().mkpath(own);
             ::chmod(QFile::encodeName(own).constData(), 0777);
         },
         true, true},
        {"name squatted by another user", false,
         [](const QString& own, RuntimeEnvironment& env) {
             QDir().mkpath(own);
             ::chmod(QFile::encodeName(own).constData(), 0700);
             if (::geteuid() == 0) {
                 ASSERT_EQ(::chown(QFile::encodeName(own).constData(), kOtherUser, kOtherUser), 0);
             } else {
                 env.uid = ::geteuid() + 1;  // the folder then belongs to someone else
             }
         },
         false, false},
        {"symbolic link to a private folder", false,
         [](const QString& own, RuntimeEnvironment&) {
             QDir().mkpath(own + "-target");
             ::chmod(QFile::encodeName(own + "-target").constData(), 0700);
             QFile::link(own + "-target", own);
         },
         false, false},
        {"a file at the name", false,
         [](const QString& own, RuntimeEnvironment&) {
             QFile file(own);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         },
         false, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString base = temp_home::Root() + QStringLiteral("/runtime-case-%1").arg(n++);
        ASSERT_TRUE(QDir().mkpath(base + "/tmp"));
        ASSERT_TRUE(QDir().mkpath(base + "/xdg"));
        ::chmod(QFile::encodeName(base + "/xdg").constData(), 0700);
        RuntimeEnvironment env;
        env.xdgRuntimeDir = c.setXdg ? base + "/xdg" : QString();
        env.tempFolder = base + "/tmp";
        env.cacheFolder = base + "/cache";
        env.uid = ::geteuid();
        const QString own = base + "/tmp/skelmora-" + QString::number(env.uid);
        if (c.prepare) c.prepare(own, env);
        const QString ownName = base + "/tmp/skelmora-" + QString::number(env.uid);

        const platform::RuntimePlace place = ChooseRuntimePlace(env);
        if (!c.hasPort) {
            EXPECT_TRUE(place.folder.isEmpty());
            EXPECT_TRUE(place.portPath.isEmpty());
            EXPECT_EQ(place.lockPath, base + "/cache/TELMA_QX-418GRY_Device.lock");
            EXPECT_FALSE(place.problem.isEmpty());
            EXPECT_TRUE(QDir(base + "/cache").exists());
            continue;
        }
        const QString folder = c.ownFolderUsed ? ownName : base + "/xdg";
        EXPECT_EQ(place.folder, folder) << place.problem.toStdString();
        EXPECT_EQ(place.lockPath, folder + "/TELMA_QX-418GRY_Device.lock");
        EXPECT_EQ(place.portPath, folder + "/TELMA_QX-418GRY_Device.sock");
        EXPECT_EQ(ModeOf(folder), 0700u);
    }
}

TEST(RuntimePaths, CurrentPlaceIsTheTestsPrivateFolder) {
    EXPECT_EQ(platform::RuntimeFolder(), temp_home::RuntimeDir());
    EXPECT_EQ(platform::MessagePortPath(),
              temp_home::RuntimeDir() + "/TELMA_QX-418GRY_Device.sock");
}
