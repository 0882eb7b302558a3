#include "main/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace {

using Apply = bool (*)(CommandLine& line, const std::string& value, std::string& error);

struct OptionRow {
    const char* name;       // the long name, given as --name
    const char* shortName;  // a one-letter name given as -x, or nullptr
    const char* valueName;  // the value's name in the help; nullptr for an option without one
    const char* description;
    Apply apply;
    // The arguments that follow the option's value and belong to it: their names in the help,
    // and how many there are (-1: any number).
    const char* trailingNames = nullptr;
    int trailingCount = 0;
    // An option that is a command of its own: it cannot be combined with any other.
    bool alone = false;
};

constexpr const char* kProfileKinds[] = {"keyboard", "mouse", "mousepad", "headset"};

// Sets a profile command and its kind; an unknown kind is a usage error.
bool SetProfileCommand(CommandLine& line, ProfileCommand command, const char* option,
                       const std::string& kind, std::string& error) {
    line.profileCommand = command;
    line.profileKind = kind;
    for (const char* known : kProfileKinds)
        if (kind == known) return true;
    error = std::string("--") + option + ": unknown kind '" + kind +
            "' (keyboard, mouse, mousepad, headset)";
    return false;
}

bool ParseMilliseconds(const std::string& text, int& ms) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 600000)
        return false;
    ms = value;
    return true;
}

// The screenshot goes into a folder that exists: refused here rather than after the start.
bool ScreenshotFolderExists(const std::string& file, std::string& error) {
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code code;
    if (std::filesystem::is_directory(folder, code)) return true;
    error = "--screenshot: the folder '" + folder.string() + "' does not exist";
    return false;
}

// The options, in the order the help lists them. Registering a new option: one row here.
const OptionRow kOptions[] = {
    {"emulate", nullptr, "KINDS", "emulate these devices in this process (keyboard,headset,...)",
     [](CommandLine& l, const std::string& v, std::string&) { return l.emulate = v, true; }},
    {"list-devices", nullptr, nullptr, "list the HID interfaces the system sees",
     [](CommandLine& l, const std::string&, std::string&) { return l.listDevices = true; }},
    {"check-updates", nullptr, nullptr, "check once for updates of the devices found, print it",
     [](CommandLine& l, const std::string&, std::string&) { return l.checkUpdates = true; }},
    {"exchange", nullptr, "PATH", "send COMMAND to PATH, print the reply",
     [](CommandLine& l, const std::string& v, std::string&) {
         l.exchange = true;
         l.exchangePath = v;
         return true;
     },
     "COMMAND [LENGTH [OFFSET [DATA...]]]", -1},
    {"screenshot", nullptr, "FILE", "render the main window to FILE (PNG) and exit",
     [](CommandLine& l, const std::string& v, std::string& error) {
         l.screenshotFile = v;
         return ScreenshotFolderExists(v, error);
     }},
    {"after-ms", nullptr, "N", "take the screenshot N ms after the first discovery (1000)",
     [](CommandLine& l, const std::string& v, std::string& error) {
         if (ParseMilliseconds(v, l.screenshotAfterMs)) return true;
         error = "--after-ms needs a number of milliseconds from 0 to 600000, not '" + v + "'";
         return false;
     }},
    {"read-device", nullptr, "KIND", "read a device back as the program does at connect",
     [](CommandLine& l, const std::string& v, std::string&) {
         l.deviceCommand = DeviceCommand::ReadDevice;
         return l.deviceKind = v, true;
     }},
    {"apply-profile", nullptr, "KIND", "write the active profile to a device",
     [](CommandLine& l, const std::string& v, std::string&) {
         l.deviceCommand = DeviceCommand::ApplyProfile;
         return l.deviceKind = v, true;
     }},
    {"profiles", nullptr, "KIND", "list the profiles of a device kind",
     [](CommandLine& l, const std::string& v, std::string& error) {
         return SetProfileCommand(l, ProfileCommand::List, "profiles", v, error);
     },
     nullptr, 0, true},
    {"import-profile", nullptr, "KIND", "import FILE into the kind's list, print its name",
     [](CommandLine& l, const std::string& v, std::string& error) {
         return SetProfileCommand(l, ProfileCommand::Import, "import-profile", v, error);
     },
     "FILE", 1, true},
    {"export-profile", nullptr, "KIND", "write profile INDEX of the kind's list to FILE",
     [](CommandLine& l, const std::string& v, std::string& error) {
         return SetProfileCommand(l, ProfileCommand::Export, "export-profile", v, error);
     },
     "INDEX FILE", 2, true},
    {"active-program", nullptr, nullptr, "print the program that profile links see in front",
     [](CommandLine& l, const std::string&, std::string&) {
         l.profileCommand = ProfileCommand::ActiveProgram;
         return true;
     },
     nullptr, 0, true},
    {"record-macro", nullptr, "KIND", "record --from-evemu FILE into a new macro of KIND",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Record, l.macro.kind = v, true;
     }},
    {"import-macro", nullptr, "KIND", "import FILE (after KIND) as a new macro of KIND",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Import, l.macro.kind = v, true;
     },
     "FILE", 1},
    {"export-macro", nullptr, "KIND", "export macro INDEX of KIND to FILE (INDEX FILE follow)",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Export, l.macro.kind = v, true;
     },
     "INDEX FILE", 2},
    {"import-shoot", nullptr, "GUN", "replace the mouse's recoil pattern of gun GUN (0-3) by FILE",
     [](CommandLine& l, const std::string& v, std::string& error) {
         if (ParseGun(v, l.shootImport.gun)) return true;
         error = "--import-shoot: GUN is 0, 1, 2 or 3, not '" + v + "'";
         return false;
     },
     "FILE", 1, true},
    {"from-evemu", nullptr, "FILE", "the evemu-record file --record-macro records",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.evemuFile = v, true;
     }},
    {"delay-mode", nullptr, "MODE", "record|constant:MS|ignore: the delays --record-macro keeps",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.delayMode = v, true;
     }},
    {"name", nullptr, "NAME", "the name of the macro --record-macro makes",
     [](CommandLine& l, const std::string& v, std::string&) { return l.macro.name = v, true; }},
    {"minimized", nullptr, nullptr, "start in the tray (shown when the desktop has no tray)",
     [](CommandLine& l, const std::string&, std::string&) { return l.minimized = true; }},
    {"audio-analyse", nullptr, "FILE", "run a WAV file through the sound analysis, print it",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.audioAnalyse = true, l.audio.file = v, true;
     }},
    {"mode", nullptr, "29|30", "the keyboard effect --audio-analyse assumes (29)",
     [](CommandLine& l, const std::string& v, std::string& error) {
         l.audioOptionGiven = true;
         if (v == "29" || v == "30") return l.audio.effectCode = std::stoi(v), true;
         error = "--mode takes 29 or 30, not '" + v + "'";
         return false;
     }},
    {"audio-mode", nullptr, "N", "the keyboard audio mode --audio-analyse assumes (2)",
     [](CommandLine& l, const std::string& v, std::string& error) {
         l.audioOptionGiven = true;
         int value = 0;
         const auto [end, code] = std::from_chars(v.data(), v.data() + v.size(), value);
         if (code == std::errc() && end == v.data() + v.size() && value >= 0 && value <= 255)
             return l.audio.audioMode = value, true;
         error = "--audio-mode takes a number from 0 to 255, not '" + v + "'";
         return false;
     }},
    {"quit", nullptr, nullptr, "ask the running instance to close, as its tray menu's exit does",
     [](CommandLine& l, const std::string&, std::string&) { return l.quit = true; }},
    {"automation", nullptr, nullptr, "take 'skelmora-send ui' requests (scripts and tests)",
     [](CommandLine& l, const std::string&, std::string&) { return l.automation = true; }},
    {"version", nullptr, nullptr, "print the version and exit",
     [](CommandLine& l, const std::string&, std::string&) { return l.version = true; }},
    {"help", "h", nullptr, "print this help and exit",
     [](CommandLine& l, const std::string&, std::string&) { return l.help = true; }},
};

// Arguments travel through QString as Latin-1, which gives every byte back unchanged: a file
// name that is not UTF-8 keeps its bytes, and the option names are plain ASCII either way.
QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string ToBytes(const QString& text) { return text.toLatin1().toStdString(); }

// The row an argument names ("--name", "-name", "--name=value", "-h"), or nullptr.
const OptionRow* RowNamedBy(const std::string& argument) {
    if (argument.size() < 2 || argument[0] != '-') return nullptr;
    std::string name = argument.substr(argument.compare(0, 2, "--") == 0 ? 2 : 1);
    name = name.substr(0, name.find('='));
    for (const OptionRow& row : kOptions)
        if (name == row.name || (row.shortName && name == row.shortName)) return &row;
    return nullptr;
}

const OptionRow* RowOfName(const QString& name) { return RowNamedBy("--" + ToBytes(name)); }

// The one-line error of a failed parse: the unknown option as it was given, or the option whose
// value is missing (it can only be the last argument: any argument after it is its value).
std::string ParseErrorLine(const std::vector<std::string>& args, const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const std::string name = ToBytes(unknown.first());
        for (const std::string& argument : args) {
            const size_t start = argument.compare(0, 2, "--") == 0 ? 2 : 1;
            if (argument.size() > start && argument[0] == '-' &&
                argument.substr(start, argument.find('=') - start) == name)
                return "unknown option '" + argument + "'";
        }
        return "unknown option '--" + name + "'";
    }
    if (!args.empty()) {
        const OptionRow* last = RowNamedBy(args.back());
        if (last && last->valueName && args.back().find('=') == std::string::npos)
            return std::string("--") + last->name + " needs a value";
    }
    return ToBytes(parser.errorText());
}

}  // namespace

CommandLineError ParseCommandLine(const std::vector<std::string>& args, CommandLine& out) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionRow& row : kOptions) {
        QStringList names{QString::fromLatin1(row.name)};
        if (row.shortName) names.prepend(QString::fromLatin1(row.shortName));
        parser.addOption(
            QCommandLineOption(names, QString::fromLatin1(row.description),
                               row.valueName ? QString::fromLatin1(row.valueName) : QString()));
    }
    QStringList arguments{QStringLiteral("skelmora")};
    for (const std::string& argument : args) arguments << FromBytes(argument);
    if (!parser.parse(arguments)) return {2, ParseErrorLine(args, parser)};

    // Each option once: a second value would silently replace the first.
    const QStringList given = parser.optionNames();
    for (qsizetype i = 0; i < given.size(); ++i) {
        const OptionRow* row = RowOfName(given[i]);
        for (qsizetype j = 0; j < i; ++j)
            if (RowOfName(given[j]) == row)
                return {2, std::string("--") + row->name + " given twice"};
    }
    // A command of its own goes alone.
    for (const QString& name : given) {
        const OptionRow* row = RowOfName(name);
        if (!row->alone || given.size() == 1) continue;
        for (const QString& other : given)
            if (RowOfName(other) != row)
                return {2, std::string("--") + row->name + " cannot be combined with --" +
                               RowOfName(other)->name};
    }
    const OptionRow* trailingOwner = nullptr;
    for (const OptionRow& row : kOptions) {
        const QString name = QString::fromLatin1(row.name);
        if (!parser.isSet(name)) continue;
        const std::string value = row.valueName ? ToBytes(parser.value(name)) : std::string();
        if (row.valueName && value.empty())
            return {2, std::string("--") + row.name + " needs a value"};
        std::string error;
        if (!row.apply(out, value, error)) return {2, error};
        if (row.trailingCount != 0) trailingOwner = &row;
    }
    if (out.audioOptionGiven && !out.audioAnalyse)
        return {2, "--mode and --audio-mode go with --audio-analyse"};
    // The arguments that are no option's value follow the value of the option they belong to
    // (--exchange's PATH, --import-profile's KIND, ...); an empty one, or one beyond what the
    // option takes, belongs to nothing.
    std::vector<std::string> trailing;
    for (const QString& positional : parser.positionalArguments()) {
        const std::string argument = ToBytes(positional);
        const bool room =
            trailingOwner && (trailingOwner->trailingCount < 0 ||
                              static_cast<int>(trailing.size()) < trailingOwner->trailingCount);
        if (!room || argument.empty()) return {2, "unknown option '" + argument + "'"};
        trailing.push_back(argument);
    }
    if (trailingOwner && trailingOwner->trailingCount > 0 &&
        static_cast<int>(trailing.size()) < trailingOwner->trailingCount)
        return {2, std::string("--") + trailingOwner->name + " needs " + trailingOwner->valueName +
                       " " + trailingOwner->trailingNames};
    if (out.exchange) out.exchangeArgs = std::move(trailing);
    if (out.profileCommand) out.profileArgs = std::move(trailing);
    if (out.shootImport && !trailing.empty()) out.shootImport.file = trailing.front();
    if (out.macro.command == MacroCommandKind::Import ||
        out.macro.command == MacroCommandKind::Export)
        out.macro.args = std::move(trailing);
    return {};
}

std::string OptionsHelp() {
    std::string text = "options:\n";
    for (const OptionRow& row : kOptions) {
        std::string names = row.shortName ? std::string("-") + row.shortName + ", " : "";
        names += std::string("--") + row.name;
        if (row.valueName) names += std::string(" ") + row.valueName;
        if (row.trailingNames) names += std::string(" ") + row.trailingNames;
        names.resize(std::max<size_t>(names.size() + 2, 24), ' ');
        text += "  " + names + row.description + "\n";
    }
    return text;
}

const char* ProgramVersion() { return SKELMORA_VERSION; }
