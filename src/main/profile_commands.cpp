#include "main/profile_commands.h"

#include <QStandardPaths>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/active_program.h"
#include "platform/single_instance.h"
#include "profiles/profile_import.h"
#include "profiles/profile_list.h"

namespace {

struct KindFolder {
    const char* kind;    // on the command line
    const char* folder;  // the device's user data folder name
};

constexpr KindFolder kKinds[] = {
    {"keyboard", "keyboard"},
    {"mouse", "mouse"},
    {"mousepad", "MousePad"},
    {"headset", "HD"},
};

constexpr char kProductFolder[] = "TELMA QX-418GRY Device";

// The folder of a kind, without creating it.
std::optional<std::filesystem::path> FolderOfKind(const std::string& kind) {
    for (const KindFolder& k : kKinds) {
        if (kind != k.kind) continue;
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        return std::filesystem::path(base.toStdString()) / kProductFolder / k.folder;
    }
    return std::nullopt;
}

bool ParseIndex(const char* text, int& index) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 1000000) return false;
    index = static_cast<int>(value);
    return true;
}

int ListProfiles(const std::filesystem::path& folder, std::FILE* out) {
    profiles::CProfileList list(folder);
    if (!list.Peek()) return kProfileCommandOk;  // no list: nothing printed, nothing created
    for (int i = 0; i < list.Count(); ++i) {
        const profiles::ProfileEntry& e = list.Entries()[static_cast<std::size_t>(i)];
        std::fprintf(out, "%d\t%s\t%s\t%s\t%s\n", i, EscapeForLine(e.name).c_str(),
                     EscapeForLine(e.identifier).c_str(), i == list.Active() ? "active" : "-",
                     e.isLink ? EscapeForLine(e.linkName).c_str() : "");
    }
    return kProfileCommandOk;
}

int ImportProfile(const std::filesystem::path& folder, const std::string& kindFolder,
                  const char* file, std::FILE* out, std::FILE* err) {
    platform::SingleInstance instance;
    if (instance.TryAcquire() == platform::SingleInstance::Result::HeldByOther) {
        std::fprintf(err, "the program is running: close it to import\n");
        return kProfileCommandInstanceRuns;
    }
    const profiles::ImportFile checked = profiles::ReadImportFile(file);
    if (!checked.ok()) {
        std::fprintf(err, "%s: %s\n", file, profiles::ImportCheckText(checked.check));
        return kProfileCommandFailed;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    profiles::CProfileList list(folder, folder / (kindFolder + profiles::kProfileFileExtension));
    list.Load();
    const profiles::ProfileFileResult result = list.Import(checked.document);
    if (!result.ok()) {
        std::fprintf(err, "the profile could not be added\n");
        return kProfileCommandFailed;
    }
    std::fprintf(
        out, "%s\n",
        EscapeForLine(list.Entries()[static_cast<std::size_t>(result.index)].name).c_str());
    return kProfileCommandOk;
}

int ExportProfile(const std::filesystem::path& folder, const char* indexText, const char* file,
                  std::FILE* err) {
    int index = -1;
    profiles::CProfileList list(folder);
    if (!ParseIndex(indexText, index) || !list.Peek() || index >= list.Count()) {
        std::fprintf(err, "no profile %s\n", indexText);
        return kProfileCommandBadArguments;
    }
    const profiles::ProfileFileResult result = list.Export(index, file);
    if (!result.ok()) {
        std::fprintf(err, "%s\n",
                     result.status == profiles::FileStatus::WriteFailed
                         ? "the file could not be written"
                         : "the profile cannot be read");
        return kProfileCommandFailed;
    }
    return kProfileCommandOk;
}

// The link names of every kind's list.
std::vector<std::string> AllLinkNames() {
    std::vector<std::string> names;
    for (const KindFolder& k : kKinds) {
        profiles::CProfileList list(*FolderOfKind(k.kind));
        if (!list.Peek()) continue;
        for (const profiles::ProfileEntry& e : list.Entries()) {
            if (e.isLink && !e.linkName.empty()) names.push_back(e.linkName);
        }
    }
    return names;
}

int PrintActiveProgram(std::FILE* out) {
    const auto focus = platform::MakeXcbFocusSource();
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const platform::ForegroundProgram program = platform::DetectForeground(
        focus.get(), platform::ProcReader(), wayland && *wayland, AllLinkNames());
    if (program.name.empty()) {
        std::fprintf(out, "none\n");
    } else {
        std::fprintf(out, "%s %lld %s\n", EscapeForLine(program.name).c_str(),
                     static_cast<long long>(program.pid), platform::SourceName(program.source));
    }
    return kProfileCommandOk;
}

}  // namespace

std::string EscapeForLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            line += "\\t";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            line += hex;
        } else {
            line += c;
        }
    }
    return line;
}

std::optional<int> RunProfileCommandLine(int argc, char** argv, std::FILE* out, std::FILE* err) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const int left = argc - i - 1;
        if (arg == "--active-program") return PrintActiveProgram(out);
        if (arg != "--profiles" && arg != "--import-profile" && arg != "--export-profile") continue;
        const int needed = arg == "--profiles" ? 1 : arg == "--import-profile" ? 2 : 3;
        if (left < needed) {
            std::fprintf(err, "%s needs %d argument(s)\n", arg.c_str(), needed);
            return kProfileCommandBadArguments;
        }
        const std::string kind = argv[i + 1];
        const auto folder = FolderOfKind(kind);
        if (!folder) {
            std::fprintf(err, "unknown kind '%s' (keyboard, mouse, mousepad, headset)\n",
                         kind.c_str());
            return kProfileCommandBadArguments;
        }
        if (arg == "--profiles") return ListProfiles(*folder, out);
        if (arg == "--import-profile")
            return ImportProfile(*folder, folder->filename().string(), argv[i + 2], out, err);
        return ExportProfile(*folder, argv[i + 2], argv[i + 3], err);
    }
    return std::nullopt;
}
