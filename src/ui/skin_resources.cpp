#include "ui/skin_resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QSet>

#include "platform/data_paths.h"
#include "platform/log_categories.h"

namespace ui {
namespace {
QString& resourcePath() {
    static QString path;
    return path;
}

QString findDefaultSkin() {
    QStringList candidates;
    const QString fromEnv = qEnvironmentVariable("SKELMORA_SKIN_DIR");
    if (!fromEnv.isEmpty()) candidates << fromEnv;
    const QString dataFolder = platform::DataFolder();
    if (!dataFolder.isEmpty()) candidates << dataFolder + "/skin";
    for (const QString& c : candidates) {
        if (QFileInfo::exists(c + "/res.xml")) return QDir(c).absolutePath();
    }
    return {};
}
}  // namespace

void SetResourcePath(const QString& folder) { resourcePath() = QDir(folder).absolutePath(); }

QString GetResourcePath() {
    if (resourcePath().isEmpty()) resourcePath() = findDefaultSkin();
    return resourcePath();
}

QString ResolveSkinFile(const QString& relative) {
    if (relative.isEmpty()) return {};
    QString path = relative;
    path.replace('\\', '/');
    if (QDir::isAbsolutePath(path)) return path;
    return GetResourcePath() + '/' + path;
}

QString ImageFileOf(const QString& imageString) {
    static const QRegularExpression fileAttribute(QStringLiteral("file\\s*=\\s*'([^']*)'"));
    const QString trimmed = imageString.trimmed();
    if (trimmed.isEmpty()) return {};
    const QRegularExpressionMatch match = fileAttribute.match(trimmed);
    return ResolveSkinFile(match.hasMatch() ? match.captured(1) : trimmed);
}

QPixmap LoadSkinImage(const QString& imageString) {
    const QString file = ImageFileOf(imageString);
    if (file.isEmpty()) return {};
    QPixmap pixmap;
    if (QPixmapCache::find(file, &pixmap)) return pixmap;
    if (!pixmap.load(file)) {
        static QSet<QString> reported;
        if (!reported.contains(file)) {
            reported.insert(file);
            qCWarning(lcUi) << "image not found or unreadable:" << file;
        }
        return {};
    }
    QPixmapCache::insert(file, pixmap);
    return pixmap;
}
}  // namespace ui

#include <QApplication>
#include <QFile>
#include <QRegularExpression>

#include "ui/dpi_scale.h"

namespace ui {
namespace {
bool sheetApplied = false;
}  // namespace

QString ScaleIndicatorRules(const QString& sheet, int dpi) {
    static const QRegularExpression rule(QStringLiteral("([^{}]*::indicator[^{}]*)\\{([^}]*)\\}"));
    // A length stands alone: "a_18px.png" in a file name is not one.
    static const QRegularExpression length(QStringLiteral("(?<![\\w.])(\\d+)px\\b"));
    QString out;
    qsizetype done = 0;
    for (auto rules = rule.globalMatch(sheet); rules.hasNext();) {
        const QRegularExpressionMatch match = rules.next();
        out += sheet.mid(done, match.capturedStart(2) - done);
        QString body = match.captured(2);
        QString scaled;
        qsizetype bodyDone = 0;
        for (auto lengths = length.globalMatch(body); lengths.hasNext();) {
            const QRegularExpressionMatch number = lengths.next();
            scaled += body.mid(bodyDone, number.capturedStart() - bodyDone);
            scaled += QString::number(ScaleByDpi(number.captured(1).toInt(), dpi)) + "px";
            bodyDone = number.capturedEnd();
        }
        scaled += body.mid(bodyDone);
        out += scaled;
        done = match.capturedEnd(2);
    }
    out += sheet.mid(done);
    return out;
}

bool ApplySkinStyleSheet(int dpi) {
    QFile file(ResolveSkinFile(QStringLiteral("style.qss")));
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << "skin style sheet cannot be read:" << file.fileName();
        return false;
    }
    QString sheet = QString::fromUtf8(file.readAll());
    sheet.replace(QLatin1String("${SKIN}"), GetResourcePath());
    qApp->setStyleSheet(ScaleIndicatorRules(sheet, ClampDpi(dpi)));
    sheetApplied = true;
    return true;
}

void RescaleSkinStyleSheet(int dpi) {
    if (sheetApplied) ApplySkinStyleSheet(dpi);
}
}  // namespace ui

namespace ui {
bool LoadSkinTable(const QString& file, const char* what, SkinTableParser parse,
                   QHash<QString, QString>& table) {
    const QString path = ResolveSkinFile(file);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << what << "cannot be read:" << path << f.errorString();
        return false;
    }
    QHash<QString, QString> parsed;
    QString error;
    if (!parse(f.readAll(), parsed, error)) {
        qCWarning(lcUi) << what << path << "is malformed:" << error;
        return false;
    }
    table = std::move(parsed);
    return true;
}
}  // namespace ui
