#include "devices/device_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "platform/data_paths.h"
#include "platform/log_categories.h"

namespace device_folders {

QString ProgramDefaultDataFolder() {
    return platform::DataFolder() + QStringLiteral("/DefaultData/");
}

QString DefaultProfileFile(const QString& defaultDataFolder, const QString& kindName) {
    return defaultDataFolder + kindName + QStringLiteral(".Json");
}

QString UserDataFolder(const QString& kindName) {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return {};
    const QString folder = base + '/' + QLatin1String(kProductFolder) + '/' + kindName + '/';
    if (!QDir().mkpath(folder)) {
        qCDebug(lcDevice) << "cannot create the user data folder" << folder;
        return {};
    }
    return folder;
}

}  // namespace device_folders
