#include "platform/settings_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include "platform/log_categories.h"
#include "platform/registered_messages.h"

namespace platform {

namespace {

constexpr char kLanguageKey[] = "LANGUAGE";
// The shipped list is a few hundred bytes; anything this large is not a language list.
constexpr qint64 kMaxLanguageListBytes = 1 << 20;

QString ProductName() {
    return QString::fromUtf8(kProductString.data(), static_cast<qsizetype>(kProductString.size()));
}

QSettings OpenSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, ProductName());
}

}  // namespace

QString SettingsFilePath() { return OpenSettings().fileName(); }

std::optional<std::uint32_t> StoredLanguageId() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, ProductName());
    if (!QFileInfo::exists(settings.fileName())) return std::nullopt;
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcPlatform) << "settings: cannot read" << settings.fileName();
        return std::nullopt;
    }
    const QVariant value = settings.value(QLatin1String(kLanguageKey));
    if (!value.isValid()) return kUnsetLanguageId;
    const QByteArray text = value.toString().trimmed().toLatin1();
    const auto number = ParseUnsigned(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    if (!number || *number > 0xFFFFFFFFu) {
        qCWarning(lcPlatform) << "settings: LANGUAGE is not a 32-bit number:" << value.toString();
        return kUnsetLanguageId;
    }
    return static_cast<std::uint32_t>(*number);
}

int GetLanguageIndex(const QString& languageConfigPath) {
    const auto id = StoredLanguageId();
    if (!id) return 0;

    QFile file(languageConfigPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlatform) << "settings: cannot read the language list" << languageConfigPath;
        return 0;
    }
    if (file.size() > kMaxLanguageListBytes) {
        qCWarning(lcPlatform) << "settings: language list too large:" << languageConfigPath;
        return 0;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        qCWarning(lcPlatform) << "settings: language list is not a JSON object:" << languageConfigPath
                              << error.errorString();
        return 0;
    }
    const QJsonValue list = doc.object().value(QLatin1String("Language"));
    if (!list.isArray()) return 0;
    const QJsonArray entries = list.toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonValue languageId = entries.at(i).toObject().value(QLatin1String("Language_ID"));
        if (languageId.isDouble() && languageId.toDouble() == static_cast<double>(*id))
            return static_cast<int>(i);
    }
    return 0;
}

int GetLanguageIndex() {
    return GetLanguageIndex(QCoreApplication::applicationDirPath() +
                            QLatin1String("/DefaultData/Language.config"));
}

bool SaveLanguage(std::uint32_t id) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, ProductName());
    settings.setValue(QLatin1String(kLanguageKey), static_cast<qulonglong>(id));
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcPlatform) << "settings: cannot write" << settings.fileName();
        return false;
    }
    qCDebug(lcPlatform) << "写成功！";
    return true;
}

}  // namespace platform
