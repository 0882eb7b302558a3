#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/data_paths.h"
#include "platform/log_categories.h"
#include "platform/registered_messages.h"

namespace platform {

namespace {

constexpr char kLanguageKey[] = "LANGUAGE";
// The shipped list is a few hundred bytes; anything this large is not a language list.
constexpr qint64 kMaxLanguageListBytes = 1 << 20;
// The settings file holds a handful of lines.
constexpr std::uintmax_t kMaxSettingsBytes = 1 << 20;

namespace fs = std::filesystem;

QString Shown(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

enum class LineKind { Blank, Section, Value, Bad };

struct IniLine {
    std::string text;  // as in the file, without its line feed
    LineKind kind = LineKind::Bad;
    bool inRoot = false;  // in "[General]" or before any section
    std::string key, value;
};

struct IniFile {
    bool exists = false;
    bool readable = false;  // exists and was read completely
    std::string problem;    // why it could not be read
    std::vector<IniLine> lines;
    int badLines = 0;
};

IniFile ReadIni(const fs::path& path) {
    IniFile ini;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return ini;
    ini.exists = true;
    if (!fs::is_regular_file(status)) {
        ini.problem = "it is not a regular file";
        return ini;
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxSettingsBytes) {
        ini.problem = error ? error.message() : "it is too large";
        return ini;
    }
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        ini.problem = "it cannot be read";
        return ini;
    }
    ini.readable = true;
    bool inRoot = true;
    std::string_view rest(content);
    while (!rest.empty()) {
        const auto lf = rest.find('\n');
        IniLine line;
        line.text = std::string(rest.substr(0, lf));
        rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
        const std::string trimmed = Trimmed(line.text);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') {
            line.kind = LineKind::Blank;
        } else if (trimmed[0] == '[') {
            if (trimmed.back() == ']' && trimmed.size() > 2) {
                line.kind = LineKind::Section;
                inRoot = trimmed == "[General]";
            }
        } else if (const auto eq = trimmed.find('='); eq != std::string::npos && eq > 0) {
            line.kind = LineKind::Value;
            line.key = Trimmed(std::string_view(trimmed).substr(0, eq));
            line.value = Trimmed(std::string_view(trimmed).substr(eq + 1));
            if (line.value.size() >= 2 && line.value.front() == '"' && line.value.back() == '"')
                line.value = line.value.substr(1, line.value.size() - 2);
        }
        line.inRoot = inRoot;
        if (line.kind == LineKind::Bad) ++ini.badLines;
        ini.lines.push_back(std::move(line));
    }
    return ini;
}

// Keeps a copy of a file whose lines cannot all be read before it is rewritten: NAME.bad, or
// NAME.bad.N when an earlier copy exists; an earlier copy is never overwritten.
bool KeepUnreadableCopy(const fs::path& path) {
    for (int n = 0; n < 100; ++n) {
        fs::path copy = path;
        copy += ".bad";
        if (n > 0) {
            copy += '.';
            copy += std::to_string(n);
        }
        std::error_code error;
        if (fs::exists(fs::symlink_status(copy, error))) continue;
        if (fs::copy_file(path, copy, fs::copy_options::none, error)) {
            qCWarning(lcPlatform).noquote()
                << "settings: lines of" << Shown(path) << "could not be read; the file is kept as"
                << Shown(copy);
            return true;
        }
        if (error != std::errc::file_exists) break;
    }
    qCWarning(lcPlatform).noquote() << "settings: cannot keep a copy of" << Shown(path);
    return false;
}

bool WriteWhole(const fs::path& path, const std::string& content) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    // A hidden temporary beside the file, so that the rename stays on its file system.
    std::string name = ".";
    name.append(path.filename().string()).append(".XXXXXX");
    std::string pattern = (path.parent_path() / name).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return false;
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600);
    const char* data = content.data();
    size_t left = content.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
        if (ok) {
            data += written;
            left -= static_cast<size_t>(written);
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(pattern.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(pattern.c_str());
    return ok;
}

}  // namespace

fs::path SettingsFile() {
    // The bytes of the variables, never a decoded and re-encoded text.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    fs::path folder;
    if (config && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = fs::path(home ? home : "") / ".config";
    }
    return folder / (std::string(kProductString) + ".conf");
}

QString SettingsFilePath() { return Shown(SettingsFile()); }

std::optional<std::uint32_t> StoredLanguageId() {
    const fs::path path = SettingsFile();
    const IniFile ini = ReadIni(path);
    if (!ini.exists) return std::nullopt;
    if (!ini.readable) {
        qCWarning(lcPlatform).noquote()
            << "settings: cannot read" << Shown(path) << ":" << QString::fromStdString(ini.problem);
        return std::nullopt;
    }
    if (ini.badLines > 0)
        qCWarning(lcPlatform).noquote()
            << "settings:" << ini.badLines << "line(s) of" << Shown(path)
            << "cannot be read and are passed over; the rest is used";
    const IniLine* found = nullptr;
    for (const IniLine& line : ini.lines)
        if (line.kind == LineKind::Value && line.inRoot && line.key == kLanguageKey) found = &line;
    if (!found) return kUnsetLanguageId;
    const auto number = ParseUnsigned(found->value);
    if (!number || *number > 0xFFFFFFFFu) {
        qCWarning(lcPlatform) << "settings: LANGUAGE is not a 32-bit number:"
                              << QString::fromStdString(found->value);
        return kUnsetLanguageId;
    }
    return static_cast<std::uint32_t>(*number);
}

std::uint32_t LanguageIdForLocale(const QLocale& locale) {
    constexpr std::uint32_t kChinese = 2052;
    constexpr std::uint32_t kEnglish = 1033;
    return locale.language() == QLocale::Chinese ? kChinese : kEnglish;
}

int GetLanguageIndex(const QString& languageConfigPath) {
    return GetLanguageIndex(languageConfigPath, QLocale::system());
}

int GetLanguageIndex(const QString& languageConfigPath, const QLocale& desktop) {
    const auto stored = StoredLanguageId();
    // Until the user chooses, the program speaks the desktop's language.
    const std::uint32_t wanted =
        stored && *stored != kUnsetLanguageId ? *stored : LanguageIdForLocale(desktop);
    const std::optional<std::uint32_t> id = wanted;

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
        qCWarning(lcPlatform) << "settings: language list is not a JSON object:"
                              << languageConfigPath << error.errorString();
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
    return GetLanguageIndex(DataFolder() + QLatin1String("/DefaultData/Language.config"));
}

bool SaveLanguage(std::uint32_t id) {
    const fs::path path = SettingsFile();
    const IniFile ini = ReadIni(path);
    if (ini.exists && !ini.readable) {
        qCWarning(lcPlatform).noquote() << "settings: cannot write" << Shown(path) << ":"
                                        << QString::fromStdString(ini.problem) << "(left as it is)";
        return false;
    }
    if (ini.badLines > 0 && !KeepUnreadableCopy(path)) return false;

    const std::string entry = std::string(kLanguageKey) + '=' + std::to_string(id);
    std::string content;
    bool written = false;
    for (const IniLine& line : ini.lines) {
        if (line.kind == LineKind::Bad) continue;  // kept in the copy
        if (line.kind == LineKind::Value && line.inRoot && line.key == kLanguageKey) {
            if (!written) content += entry + '\n';
            written = true;
            continue;
        }
        content += line.text + '\n';
        if (!written && line.kind == LineKind::Section && Trimmed(line.text) == "[General]") {
            content += entry + '\n';
            written = true;
        }
    }
    if (!written) content = "[General]\n" + entry + "\n" + (content.empty() ? "" : "\n") + content;
    if (!WriteWhole(path, content) || StoredLanguageId() != id) {
        qCWarning(lcPlatform).noquote() << "settings: cannot write" << Shown(path);
        return false;
    }
    qCDebug(lcPlatform) << "写成功！";
    return true;
}

}  // namespace platform
