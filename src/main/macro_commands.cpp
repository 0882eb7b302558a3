#include "main/macro_commands.h"

#include <charconv>
#include <cstdint>

#include "devices/device_folders.h"
#include "panels/macro_library.h"
#include "panels/macro_recording.h"
#include "platform/single_instance.h"

namespace {

struct DelayChoice {
    macro_edit::DelayMode mode = macro_edit::DelayMode::Record;
    uint16_t fixed = 0;
};

bool ParseDelayMode(const std::string& text, DelayChoice& out) {
    if (text.empty() || text == "record") return out.mode = macro_edit::DelayMode::Record, true;
    if (text == "ignore") return out.mode = macro_edit::DelayMode::Ignore, true;
    const std::string prefix = "constant:";
    if (text.rfind(prefix, 0) != 0) return false;
    unsigned value = 0;
    const char* begin = text.data() + prefix.size();
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || ptr != end || begin == end || value > 65535) return false;
    out.mode = macro_edit::DelayMode::Constant;
    out.fixed = static_cast<uint16_t>(value);
    return true;
}

const char* OptionName(MacroCommandKind kind) {
    switch (kind) {
        case MacroCommandKind::Record:
            return "--record-macro";
        case MacroCommandKind::Import:
            return "--import-macro";
        case MacroCommandKind::Export:
            return "--export-macro";
        default:
            return "";
    }
}

int Record(macro_edit::MacroLibrary& library, const MacroCommand& c, const DelayChoice& delay,
           std::FILE* out, std::FILE* err) {
    const platform::EvemuRead read = platform::ReadEvemuFile(c.evemuFile);
    if (!read.opened) {
        std::fprintf(err, "skelmora: %s\n", read.error.c_str());
        return kMacroCommandFailed;
    }
    macro_edit::MacroEventList rows;
    const uint64_t start = read.events.empty() ? 0 : read.events.front().time_us;
    macro_edit::MacroRecorder recorder(rows, macro_edit::RecordPosition::Append, delay.mode,
                                       delay.fixed, start);
    macro_edit::RecordRawEvents(recorder, read.events);
    recorder.Stop(false);
    const macro_edit::AddResult added = library.Add(c.name);
    if (added.index < 0) {
        std::fprintf(err, "skelmora: no macro added: %s\n",
                     added.error.empty() ? "50 macros already" : added.error.c_str());
        return kMacroCommandFailed;
    }
    if (!library.SaveEvents(added.index, rows.ToEvents()).ok()) {
        library.Delete(added.index);
        std::fprintf(err, "skelmora: the macro file cannot be written\n");
        return kMacroCommandFailed;
    }
    std::fprintf(out, "macro %s %s %zu\n", added.name.c_str(), added.guid.c_str(), rows.size());
    return kMacroCommandOk;
}

}  // namespace

int RunMacroCommand(const MacroCommand& c, std::FILE* out, std::FILE* err) {
    const char* option = OptionName(c.command);
    DelayChoice delay;
    const std::size_t wanted = c.command == MacroCommandKind::Export   ? 2
                               : c.command == MacroCommandKind::Import ? 1
                                                                       : 0;
    std::string usage;
    if (c.kind != "keyboard" && c.kind != "mouse")
        usage = std::string(option) + " needs KIND keyboard or mouse, not '" + c.kind + "'";
    else if (c.args.size() != wanted)
        usage =
            std::string(option) + " takes " + std::to_string(wanted) + " argument(s) after KIND";
    else if (c.command == MacroCommandKind::Record && c.evemuFile.empty())
        usage = "--record-macro needs --from-evemu FILE";
    else if (c.command != MacroCommandKind::Record &&
             (!c.evemuFile.empty() || !c.delayMode.empty() || !c.name.empty()))
        usage = "--from-evemu, --delay-mode and --name belong to --record-macro";
    else if (!ParseDelayMode(c.delayMode, delay))
        usage =
            "--delay-mode is record, constant:MS (0 to 65535) or ignore, not '" + c.delayMode + "'";
    int index = -1;
    if (usage.empty() && c.command == MacroCommandKind::Export) {
        const std::string& text = c.args[0];
        const auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), index);
        if (error != std::errc() || ptr != text.data() + text.size() || index < 0)
            usage = "--export-macro needs a macro INDEX from 0, not '" + text + "'";
    }
    if (!usage.empty()) {
        std::fprintf(err, "skelmora: %s\n", usage.c_str());
        return kMacroCommandUsage;
    }
    // A running program writes the same files: never change them under it.
    platform::SingleInstance instance;
    if (instance.TryAcquire() == platform::SingleInstance::Result::HeldByOther) {
        const auto reason = platform::InstanceRunsReason(option);
        std::fprintf(err, "skelmora: %s\n", reason ? reason->c_str() : "the program is running");
        return kMacroCommandInstanceRuns;
    }
    const QString folder = device_folders::UserDataFolder(QString::fromStdString(c.kind));
    if (folder.isEmpty()) {
        std::fprintf(err, "skelmora: the user data folder cannot be created\n");
        return kMacroCommandFailed;
    }
    macro_edit::MacroLibrary library(folder.toStdString());
    library.Load();
    switch (c.command) {
        case MacroCommandKind::Record:
            return Record(library, c, delay, out, err);
        case MacroCommandKind::Import: {
            const macro_edit::AddResult added = library.Import(c.args[0]);
            if (added.index < 0) {
                std::fprintf(err, "skelmora: %s refused: %s\n", c.args[0].c_str(),
                             added.error.c_str());
                return kMacroCommandFailed;
            }
            std::fprintf(out, "macro %s %s\n", added.name.c_str(), added.guid.c_str());
            return kMacroCommandOk;
        }
        case MacroCommandKind::Export: {
            const std::string failed = library.Export(index, c.args[1]);
            if (!failed.empty()) {
                std::fprintf(err, "skelmora: macro %d not exported: %s\n", index, failed.c_str());
                return kMacroCommandFailed;
            }
            return kMacroCommandOk;
        }
        default:
            return kMacroCommandUsage;
    }
}
