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
};

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
    {"exchange", nullptr, "PATH",
     "send COMMAND [LENGTH [OFFSET [DATA...]]] to PATH, print the reply",
     [](CommandLine& l, const std::string& v, std::string&) {
         l.exchange = true;
         l.exchangePath = v;
         return true;
     }},
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
    {"record-macro", nullptr, "KIND", "record --from-evemu FILE into a new macro of KIND",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Record, l.macro.kind = v, true;
     }},
    {"import-macro", nullptr, "KIND", "import FILE (after KIND) as a new macro of KIND",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Import, l.macro.kind = v, true;
     }},
    {"export-macro", nullptr, "KIND", "export macro INDEX of KIND to FILE (INDEX FILE follow)",
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Export, l.macro.kind = v, true;
     }},
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
    for (const OptionRow& row : kOptions) {
        const QString name = QString::fromLatin1(row.name);
        if (!parser.isSet(name)) continue;
        const std::string value = row.valueName ? ToBytes(parser.value(name)) : std::string();
        if (row.valueName && value.empty())
            return {2, std::string("--") + row.name + " needs a value"};
        std::string error;
        if (!row.apply(out, value, error)) return {2, error};
    }
    // The arguments that are no option's value follow --exchange's PATH or the KIND of
    // --import-macro and --export-macro; an empty one, or one after any other option, belongs
    // to nothing.
    const bool macroArgs = out.macro.command == MacroCommandKind::Import ||
                           out.macro.command == MacroCommandKind::Export;
    for (const QString& positional : parser.positionalArguments()) {
        const std::string argument = ToBytes(positional);
        if ((!out.exchange && !macroArgs) || argument.empty())
            return {2, "unknown option '" + argument + "'"};
        (out.exchange ? out.exchangeArgs : out.macro.args).push_back(argument);
    }
    return {};
}

std::string OptionsHelp() {
    std::string text = "options:\n";
    for (const OptionRow& row : kOptions) {
        std::string names = row.shortName ? std::string("-") + row.shortName + ", " : "";
        names += std::string("--") + row.name;
        if (row.valueName) names += std::string(" ") + row.valueName;
        names.resize(std::max<size_t>(names.size() + 2, 24), ' ');
        text += "  " + names + row.description + "\n";
    }
    return text;
}

const char* ProgramVersion() { return SKELMORA_VERSION; }
