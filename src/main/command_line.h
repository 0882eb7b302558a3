#pragma once
// The program's command line, parsed by QCommandLineParser from one table of options
// (kOptions in command_line.cpp). A new option is one more row there and, when it keeps a
// value, one more field here.
#include <optional>
#include <string>
#include <vector>

#include "main/audio_analyse_command.h"
#include "main/device_commands.h"
#include "main/macro_commands.h"
#include "main/shoot_commands.h"

// The commands over the profile lists (main/profile_commands.h).
enum class ProfileCommand { List, Import, Export, ActiveProgram };

struct CommandLine {
    std::string emulate;        // --emulate KINDS
    bool listDevices = false;   // --list-devices
    bool checkUpdates = false;  // --check-updates
    bool exchange = false;      // --exchange PATH COMMAND [LENGTH [OFFSET [DATA...]]]
    std::string exchangePath;
    std::vector<std::string> exchangeArgs;       // COMMAND and what follows it
    std::string screenshotFile;                  // --screenshot FILE
    int screenshotAfterMs = 1000;                // --after-ms N
    bool quit = false;                           // --quit
    bool automation = false;                     // --automation
    bool minimized = false;                      // --minimized
    bool help = false;                           // --help, -h
    bool version = false;                        // --version
    std::optional<DeviceCommand> deviceCommand;  // --read-device KIND, --apply-profile KIND
    std::string deviceKind;
    std::optional<ProfileCommand> profileCommand;  // --profiles, --import-profile, ...
    std::string profileKind;                       // keyboard, mouse, mousepad or headset
    std::vector<std::string> profileArgs;          // FILE, or INDEX and FILE
    bool audioAnalyse = false;      // --audio-analyse FILE [--mode 29|30] [--audio-mode N]
    bool audioOptionGiven = false;  // --mode or --audio-mode
    AudioAnalyseOptions audio;
    MacroCommand macro;       // --record-macro, --import-macro, --export-macro and their options
    ShootImport shootImport;  // --import-shoot GUN FILE
};

struct CommandLineError {
    int exitCode = 0;  // 0: none; 2: a usage error
    std::string text;  // one line naming the option
    bool ok() const { return exitCode == 0; }
};

// Parses the arguments after the program name (bytes as the system gave them; they come back
// unchanged in the values). An option that takes a value refuses an empty or missing one; an
// unknown option, an option given twice and an argument that belongs to no option are errors.
CommandLineError ParseCommandLine(const std::vector<std::string>& args, CommandLine& out);

// One line per option of the table ("  --emulate KINDS  ..."), for --help.
std::string OptionsHelp();

// The program's version (the project version of the build).
const char* ProgramVersion();
