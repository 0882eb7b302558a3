#include "platform/runtime_paths.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/registered_messages.h"

namespace platform {

namespace {

// The folder and whether it is private to the user.
std::pair<QString, bool> ChooseFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return {runtime, true};
    return {QDir::tempPath(), false};
}

QString RuntimeFile(const char* suffix) {
    const auto [folder, isPrivate] = ChooseFolder();
    QString name = SanitisedProductName();
    if (!isPrivate) name += QStringLiteral("-%1").arg(::getuid());
    return folder + QLatin1Char('/') + name + QLatin1String(suffix);
}

}  // namespace

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

QString RuntimeFolder() { return ChooseFolder().first; }

QString InstanceLockPath() { return RuntimeFile(".lock"); }

QString MessagePortPath() { return RuntimeFile(".sock"); }

}  // namespace platform
