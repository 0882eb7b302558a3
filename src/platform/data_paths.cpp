#include "platform/data_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

constexpr char kDataFolderName[] = "skelmora";

DataFolderChoice ChooseForThisProcess() {
    const QString programFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return ChooseDataFolder(
        DataFolderCandidates(programFolder, qEnvironmentVariable("XDG_DATA_DIRS")));
}

// Chosen once; before the application object exists the program's folder is not known, so
// nothing is kept.
DataFolderChoice CachedChoice() {
    if (!QCoreApplication::instance()) return ChooseForThisProcess();
    static const DataFolderChoice choice = ChooseForThisProcess();
    return choice;
}

}  // namespace

QStringList DataFolderCandidates(const QString& programFolder, const QString& xdgDataDirs) {
    QStringList candidates;
    const auto add = [&candidates](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!candidates.contains(clean)) candidates << clean;
    };
    if (QDir::isAbsolutePath(programFolder)) {
        add(programFolder);
        add(programFolder + QStringLiteral("/../share/") + QLatin1String(kDataFolderName));
    }
    QStringList bases = xdgDataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (bases.isEmpty()) bases = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    for (const QString& base : bases) {
        if (QDir::isAbsolutePath(base))
            add(base + QLatin1Char('/') + QLatin1String(kDataFolderName));
    }
    return candidates;
}

QString DataFolderProblem(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return QStringLiteral("no such folder");
    if (!QFileInfo(folder + QStringLiteral("/skin/res.xml")).isFile())
        return QStringLiteral("no skin/res.xml");
    if (!QFileInfo(folder + QStringLiteral("/DefaultData")).isDir())
        return QStringLiteral("no DefaultData/");
    return {};
}

DataFolderChoice ChooseDataFolder(const QStringList& candidates) {
    DataFolderChoice choice;
    for (const QString& candidate : candidates) {
        const QString problem = DataFolderProblem(candidate);
        if (problem.isEmpty()) {
            choice.folder = QFileInfo(candidate).absoluteFilePath();
            return choice;
        }
        choice.tried << candidate + QStringLiteral(" (") + problem + QLatin1Char(')');
    }
    return choice;
}

QString DataFolder() { return CachedChoice().folder; }

QString MissingDataFolderMessage() {
    return QStringLiteral("no data folder with skin/res.xml and DefaultData/ found; tried: ") +
           CachedChoice().tried.join(QStringLiteral(", "));
}

}  // namespace platform
