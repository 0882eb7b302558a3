#include "app/language.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/data_paths.h"
#include "platform/log_categories.h"
#include "ui/font_table.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {
struct FontRow {
    int id;
    int size;
    bool bold;
    bool underline;
};
constexpr FontRow kFontRows[] = {
    {0, 15, false, false}, {1, 14, false, true},  {2, 18, false, false},  {3, 30, false, false},
    {4, 16, false, false}, {5, 20, false, false}, {6, 22, false, false},  {7, 14, false, false},
    {8, 12, false, false}, {9, 11, false, false}, {10, 10, false, false}, {11, 28, false, false},
    {50, 18, true, false}};
constexpr int kDefaultFontSize = 14;
constexpr int kFontRebuildIndices[] = {0, 2, 15};

QString stringMember(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isString() ? v.toString() : QString();
}
}  // namespace

QString DefaultLanguageConfigPath() {
    return platform::DataFolder() + QStringLiteral("/DefaultData/Language.config");
}

bool IsPlainFileName(const QString& name) {
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(QChar(0));
}

LanguageConfig ParseLanguageConfig(const QByteArray& content) {
    LanguageConfig config;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(content, &parseError);
    if (doc.isNull()) {
        config.error = QStringLiteral("not valid JSON: %1").arg(parseError.errorString());
        return config;
    }
    const QJsonValue list = doc.object().value(QLatin1String("Language"));
    if (!doc.isObject() || !list.isArray()) {
        config.error = QStringLiteral("no \"Language\" array");
        return config;
    }
    for (const QJsonValue& element : list.toArray()) {
        const QJsonObject o = element.toObject();
        LanguageEntry entry;
        entry.name = stringMember(o, "Language_name");
        entry.file = stringMember(o, "Language_file");
        if (!IsPlainFileName(entry.file)) {
            // Only a file of the skin folder itself: no folders, no way out of it.
            config.refusedFiles.push_back(entry.file);
            entry.file.clear();
        }
        entry.text = stringMember(o, "Language_text");
        const QJsonValue id = o.value(QLatin1String("Language_ID"));
        entry.id = id.isDouble() ? id.toInt() : 0;
        config.languages.push_back(entry);
    }
    return config;
}

LanguageConfig ReadLanguageConfig(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LanguageConfig config;
        config.error = QStringLiteral("cannot be read: %1").arg(file.errorString());
        qCWarning(lcApp) << "language list" << path << config.error;
        return config;
    }
    LanguageConfig config = ParseLanguageConfig(file.readAll());
    if (!config.ok()) qCWarning(lcApp) << "language list" << path << config.error;
    for (const QString& refused : config.refusedFiles)
        qCWarning(lcApp) << "language list" << path
                         << ": \"Language_file\" is not a plain file name, refused:" << refused;
    return config;
}

void SetFonts(const QString& face) {
    ui::CFontTable::RemoveAllFonts();
    for (const FontRow& row : kFontRows) {
        ui::CFontTable::AddFont(row.id, {face, row.size, row.bold, row.underline, false});
        if (row.id == 0) ui::CFontTable::SetDefaultFont({face, kDefaultFontSize});
    }
    for (CPaintManagerUI* manager : CPaintManagerUI::Managers()) manager->SetDPI(manager->GetDPI());
}

CLanguageSwitcher::CLanguageSwitcher(QString configPath)
    : CLanguageSwitcher(std::move(configPath), Hooks{}) {}

CLanguageSwitcher::CLanguageSwitcher(QString configPath, Hooks hooks)
    : m_configPath(std::move(configPath)), m_hooks(std::move(hooks)) {}

bool CLanguageSwitcher::NeedsFontRebuild(int current, int next) {
    const auto special = [](int index) {
        for (int i : kFontRebuildIndices) {
            if (i == index) return true;
        }
        return false;
    };
    return current == -1 || special(current) || special(next);
}

bool CLanguageSwitcher::ApplyLanguage(int index, LanguageOrigin origin) {
    if (index == m_current) return false;
    if (NeedsFontRebuild(m_current, index) && m_hooks.setFonts)
        m_hooks.setFonts(QString::fromLatin1(kFontFace));
    m_current = index;
    const LanguageConfig config = ReadLanguageConfig(m_configPath);
    LanguageEntry entry;  // empty strings and id 0 when missing
    if (index >= 0 && static_cast<size_t>(index) < config.languages.size())
        entry = config.languages[index];
    CResourceManager& resources = CResourceManager::GetInstance();
    resources.SetLanguage(entry.name);
    resources.LoadLanguage(entry.file);
    resources.ReloadText();
    // The stored choice changes only when the user chose, and only from a list that could be
    // read: a start, or a damaged list, never costs the user's choice.
    if (!config.ok()) {
        qCWarning(lcApp) << "language list unreadable; the stored language is left as it is";
    } else if (origin == LanguageOrigin::User && m_hooks.saveLanguage) {
        m_hooks.saveLanguage(entry.id);
    }
    if (m_hooks.refreshWindows) m_hooks.refreshWindows();
    return true;
}
