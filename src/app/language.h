#pragma once
// Languages: the list "Language.config" (DefaultData), the stored choice, and applying a
// language to every window (fonts, texts, secondary windows).
//
// "Language.config" is UTF-8 JSON: {"Language": [{"Language_name": ..., "Language_file": ...,
// "Language_ID": <int>, "Language_text": ...}, ...]}; the language index is the position in
// that array. "Language_file" names a language file of the skin folder ("lan_en.xml").
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/settings_store.h"

// The face of the main window's font table.
inline constexpr char kFontFace[] = "Verdana Unicode MS";

struct LanguageEntry {
    QString name;
    QString file;
    int id = 0;
    QString text;
};

struct LanguageConfig {
    std::vector<LanguageEntry> languages;
    QStringList refusedFiles;  // "Language_file" values that were not plain names (left empty)
    QString error;  // empty when the file was read and valid
    bool ok() const { return error.isEmpty(); }
};

// <program folder>/DefaultData/Language.config, or the first of <program folder>/..(/..)
// that holds one (a program run from the build tree).
QString DefaultLanguageConfigPath();
// Reads and checks the list. Elements that are not objects, or members of the wrong type,
// read as empty strings and id 0, like a missing element.
LanguageConfig ReadLanguageConfig(const QString& path);
// Whether a "Language_file" value is a plain file name: no '/' or '\\', not "." or "..".
bool IsPlainFileName(const QString& name);
// Parses the content. Pure. A "Language_file" that is not a plain file name reads as empty.
LanguageConfig ParseLanguageConfig(const QByteArray& content);

// The stored choice lives in the settings store (platform/settings_store.h:
// platform::StoredLanguageId, platform::SaveLanguage, platform::GetLanguageIndex).

// Rebuilds the shared font table (ids 0..11 and 50, default 14 px) with the face, and
// re-applies fonts to every window.
void SetFonts(const QString& face);

class CLanguageSwitcher {
  public:
    struct Hooks {
        std::function<void(const QString& face)> setFonts = SetFonts;
        std::function<void(int id)> saveLanguage = [](int id) {
            platform::SaveLanguage(static_cast<std::uint32_t>(id));
        };
        // Repaints the main window and tells the open secondary windows (settings, about,
        // music) to reload their texts.
        std::function<void()> refreshWindows;
    };

    explicit CLanguageSwitcher(QString configPath = DefaultLanguageConfigPath());
    CLanguageSwitcher(QString configPath, Hooks hooks);

    enum class LanguageOrigin { Start, User };
    // False when the index is already the current one (nothing happens at all). The id is
    // stored only for a choice of the user, and only when the list could be read.
    bool ApplyLanguage(int index, LanguageOrigin origin = LanguageOrigin::User);
    int CurrentIndex() const { return m_current; }

    // Whether moving from one index to another rebuilds the fonts: when either is 0, 2 or 15,
    // or nothing was applied yet (-1). Pure.
    static bool NeedsFontRebuild(int current, int next);

  private:
    QString m_configPath;
    Hooks m_hooks;
    int m_current = -1;
};
