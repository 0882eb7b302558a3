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
    // The running program owns the lists; while the import runs, none can start.
    platform::SingleInstance instance;
    if (instance.TryAcquire() == platform::SingleInstance::Result::HeldByOther) {
        const auto reason = platform::InstanceRunsReason("--import-profile", "the profile lists");
        std::fprintf(err, "skelmora: %s\n",
                     reason ? reason->c_str() : "the program is running: close it to import");
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

int RunProfileCommand(ProfileCommand command, const std::string& kind,
                      const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (command == ProfileCommand::ActiveProgram) return PrintActiveProgram(out);
    const auto folder = FolderOfKind(kind);
    const std::size_t needed = command == ProfileCommand::List     ? 0
                               : command == ProfileCommand::Import ? 1
                                                                   : 2;
    if (!folder || args.size() != needed) {
        std::fprintf(err, "skelmora: wrong arguments for the profile command\n");
        return kProfileCommandBadArguments;
    }
    if (command == ProfileCommand::List) return ListProfiles(*folder, out);
    if (command == ProfileCommand::Import)
        return ImportProfile(*folder, folder->filename().string(), args[0].c_str(), out, err);
    return ExportProfile(*folder, args[0].c_str(), args[1].c_str(), err);
}
