#pragma once
// The program's command line, parsed by one table of options (command_line.cpp): a new option
// is one more row and, when it takes values, one more field here.
#include <optional>
#include <string>
#include <vector>

#include "main/device_commands.h"
#include "main/macro_commands.h"

struct CommandLine {
    std::string emulate;       // --emulate KINDS
    bool listDevices = false;  // --list-devices
    bool exchange = false;     // --exchange PATH COMMAND [LENGTH [OFFSET [DATA...]]]
    std::string exchangePath;
    std::vector<std::string> exchangeArgs;       // COMMAND and what follows it
    std::string screenshotFile;                  // --screenshot FILE
    int screenshotAfterMs = 1000;                // --after-ms N
    bool help = false;                           // --help, -h
    std::optional<DeviceCommand> deviceCommand;  // --read-device KIND, --apply-profile KIND
    std::string deviceKind;
    MacroCommand macro;  // --record-macro, --import-macro, --export-macro and their options
};

struct CommandLineError {
    int exitCode = 0;  // 0: none; 2: a usage error
    std::string text;  // one line naming the option
    bool ok() const { return exitCode == 0; }
};

// Parses the arguments after the program name. An option that takes a value refuses an empty
// or missing one; an unknown option is an error.
CommandLineError ParseCommandLine(const std::vector<std::string>& args, CommandLine& out);
