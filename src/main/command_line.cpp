#include "main/command_line.h"

#include <charconv>

namespace {

using Apply = bool (*)(CommandLine& line, const std::string& value, std::string& error);

struct OptionRow {
    const char* name;
    bool takesValue;
    // --exchange: the arguments after the value that do not start with '-' belong to it.
    bool takesTrailing;
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

const OptionRow kOptions[] = {
    {"--emulate", true, false,
     [](CommandLine& l, const std::string& v, std::string&) { return l.emulate = v, true; }},
    {"--list-devices", false, false,
     [](CommandLine& l, const std::string&, std::string&) { return l.listDevices = true; }},
    {"--exchange", true, true,
     [](CommandLine& l, const std::string& v, std::string&) {
         l.exchange = true;
         l.exchangePath = v;
         return true;
     }},
    {"--screenshot", true, false,
     [](CommandLine& l, const std::string& v, std::string&) { return l.screenshotFile = v, true; }},
    {"--after-ms", true, false,
     [](CommandLine& l, const std::string& v, std::string& error) {
         if (ParseMilliseconds(v, l.screenshotAfterMs)) return true;
         error = "--after-ms needs a number of milliseconds from 0 to 600000, not '" + v + "'";
         return false;
     }},
    {"--read-device", true, false,
     [](CommandLine& l, const std::string& v, std::string&) {
         l.deviceCommand = DeviceCommand::ReadDevice;
         return l.deviceKind = v, true;
     }},
    {"--apply-profile", true, false,
     [](CommandLine& l, const std::string& v, std::string&) {
         l.deviceCommand = DeviceCommand::ApplyProfile;
         return l.deviceKind = v, true;
     }},
    {"--record-macro", true, false,
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Record, l.macro.kind = v, true;
     }},
    {"--import-macro", true, true,
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Import, l.macro.kind = v, true;
     }},
    {"--export-macro", true, true,
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.command = MacroCommandKind::Export, l.macro.kind = v, true;
     }},
    {"--from-evemu", true, false,
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.evemuFile = v, true;
     }},
    {"--delay-mode", true, false,
     [](CommandLine& l, const std::string& v, std::string&) {
         return l.macro.delayMode = v, true;
     }},
    {"--name", true, false,
     [](CommandLine& l, const std::string& v, std::string&) { return l.macro.name = v, true; }},
    {"--help", false, false,
     [](CommandLine& l, const std::string&, std::string&) { return l.help = true; }},
    {"-h", false, false,
     [](CommandLine& l, const std::string&, std::string&) { return l.help = true; }},
};

}  // namespace

CommandLineError ParseCommandLine(const std::vector<std::string>& args, CommandLine& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const OptionRow* row = nullptr;
        for (const OptionRow& candidate : kOptions)
            if (args[i] == candidate.name) row = &candidate;
        if (!row) return {2, "unknown option '" + args[i] + "'"};
        std::string value;
        if (row->takesValue) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return {2, std::string(row->name) + " needs a value"};
            value = args[++i];
        }
        std::string error;
        if (!row->apply(out, value, error)) return {2, error};
        if (row->takesTrailing) {
            while (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-')
                (row->name == std::string("--exchange") ? out.exchangeArgs : out.macro.args)
                    .push_back(args[++i]);
        }
    }
    return {};
}
