#include "platform/runtime_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/log_categories.h"
#include "platform/registered_messages.h"

namespace platform {

QString SanitisedProductName() {
    QString name = QString::fromUtf8(kProductString.data(), static_cast<qsizetype>(kProductString.size()));
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        const bool keep = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                          u == '.' || u == '-' || u == '_';
        if (!keep) c = QLatin1Char('_');
    }
    return name;
}

RuntimeEnvironment RuntimeEnvironment::Current() {
    RuntimeEnvironment environment;
    environment.xdgRuntimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    environment.tempFolder = QDir::tempPath();
    environment.cacheFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    environment.uid = ::geteuid();
    return environment;
}

namespace {

QString CheckOpenFolder(int fd, uid_t uid) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return QStringLiteral("cannot be examined: %1").arg(std::strerror(errno));
    if (!S_ISDIR(info.st_mode)) return QStringLiteral("is not a folder");
    if (info.st_uid != uid)
        return QStringLiteral("belongs to user %1, not to user %2").arg(info.st_uid).arg(uid);
    if ((info.st_mode & 077) != 0)
        return QStringLiteral("is open to other users (mode %1)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

// Opens the folder itself, never what a symbolic link there points to.
int OpenFolderNoFollow(const QByteArray& path) {
    return ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

QString PrivateFolderProblem(const QString& folder, uid_t uid) {
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return QStringLiteral("is not an absolute path");
    const QByteArray path = QFile::encodeName(folder);
    struct stat link {};
    if (::lstat(path.constData(), &link) != 0)
        return QStringLiteral("cannot be examined: %1").arg(std::strerror(errno));
    if (S_ISLNK(link.st_mode)) return QStringLiteral("is a symbolic link");
    const int fd = OpenFolderNoFollow(path);
    if (fd < 0) return QStringLiteral("cannot be opened: %1").arg(std::strerror(errno));
    const QString problem = CheckOpenFolder(fd, uid);
    ::close(fd);
    return problem;
}

RuntimePlace ChooseRuntimePlace(const RuntimeEnvironment& environment) {
    const QString name = SanitisedProductName();
    RuntimePlace place;
    QString problems;
    auto use = [&](const QString& folder) {
        place.folder = folder;
        place.lockPath = folder + QLatin1Char('/') + name + QLatin1String(".lock");
        place.portPath = folder + QLatin1Char('/') + name + QLatin1String(".sock");
        return place;
    };

    if (!environment.xdgRuntimeDir.isEmpty()) {
        const QString problem = PrivateFolderProblem(environment.xdgRuntimeDir, environment.uid);
        if (problem.isEmpty()) return use(environment.xdgRuntimeDir);
        problems =
            QStringLiteral("XDG_RUNTIME_DIR %1 %2; ").arg(environment.xdgRuntimeDir, problem);
    } else {
        problems = QStringLiteral("XDG_RUNTIME_DIR is not set; ");
    }

    const QString own =
        environment.tempFolder + QStringLiteral("/skelmora-%1").arg(environment.uid);
    const QByteArray ownPath = QFile::encodeName(own);
    if (::mkdir(ownPath.constData(), 0700) != 0 && errno != EEXIST) {
        problems += QStringLiteral("%1 cannot be made: %2")
                        .arg(own, QString::fromLocal8Bit(std::strerror(errno)));
    } else {
        // Whether made now or found, the folder is checked as it is: someone else may have made
        // it first. Our own folder with too wide a mode (a umask, a hand-made folder) is narrowed.
        const int fd = OpenFolderNoFollow(ownPath);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) &&
            info.st_uid == environment.uid && (info.st_mode & 077) != 0)
            ::fchmod(fd, 0700);
        if (fd >= 0) ::close(fd);
        const QString problem = PrivateFolderProblem(own, environment.uid);
        if (problem.isEmpty()) return use(own);
        problems += own + QLatin1Char(' ') + problem;
    }

    place.problem = problems;
    place.lockPath = environment.cacheFolder + QLatin1Char('/') + name + QLatin1String(".lock");
    if (!environment.cacheFolder.isEmpty()) QDir().mkpath(environment.cacheFolder);
    return place;
}

RuntimePlace CurrentRuntimePlace() {
    RuntimePlace place = ChooseRuntimePlace(RuntimeEnvironment::Current());
    static std::atomic<bool> said{false};
    if (!place.problem.isEmpty() && !said.exchange(true)) {
        qCWarning(lcPlatform).noquote()
            << "no private run-time folder (" + place.problem +
                   "): running without a message port; the instance lock is"
            << place.lockPath;
    }
    return place;
}

QString RuntimeFolder() { return CurrentRuntimePlace().folder; }

QString InstanceLockPath() { return CurrentRuntimePlace().lockPath; }

QString MessagePortPath() { return CurrentRuntimePlace().portPath; }

}  // namespace platform
