#pragma once
// The program's few settings kept outside the profile files: the language id "LANGUAGE".
// They live in the INI file that QSettings (native format) keeps under the product string:
// $XDG_CONFIG_HOME/TELMA QX-418GRY Device.conf (~/.config when XDG_CONFIG_HOME is not set).
//
// The file is read and written here by its bytes, not through QSettings, for two reasons:
// the folder is the one the user has even when its name is not valid UTF-8 (a QString cannot
// hold such a name), and a line that cannot be read never costs the lines that can. Reading
// never writes. A save keeps every readable line; a file with unreadable lines is first copied
// once to NAME.bad.
#include <QLocale>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

// What "LANGUAGE" reads as when the store exists but holds no (valid) value.
inline constexpr std::uint32_t kUnsetLanguageId = 0x208;

// The settings file of the product, as bytes (std::filesystem::path) and for showing.
std::filesystem::path SettingsFile();
QString SettingsFilePath();

// The stored language id: nullopt when there is no store at all (never saved, or a file that
// cannot be read at all), kUnsetLanguageId when the store holds no "LANGUAGE" value or one
// that is not a 32-bit number. Lines that cannot be read are logged and passed over.
std::optional<std::uint32_t> StoredLanguageId();

// The language id a desktop locale asks for while the user has chosen none: Chinese (2052)
// for a Chinese locale, English (1033) for any other (C, POSIX, en_*, de_* ...). Pure.
std::uint32_t LanguageIdForLocale(const QLocale& locale);

// Index into the "Language" array of the language list (a JSON object whose "Language" is an
// array of objects with an integer "Language_ID") of the first entry whose "Language_ID" equals
// the stored id, or, with no stored choice (no "LANGUAGE" value, or one that is not a 32-bit
// number), the id the desktop's locale asks for. 0 when the list is missing, not valid JSON or
// not of that shape, or no entry matches.
int GetLanguageIndex(const QString& languageConfigPath, const QLocale& desktop);
// The same with the desktop's locale (QLocale::system: LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
int GetLanguageIndex(const QString& languageConfigPath);
// The same with the shipped list: <program folder>/DefaultData/Language.config.
int GetLanguageIndex();

// Stores id as "LANGUAGE", creating the store when there is none. False when it could not be
// written (the old file is then unchanged).
bool SaveLanguage(std::uint32_t id);

}  // namespace platform
