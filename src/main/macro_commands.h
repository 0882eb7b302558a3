#pragma once
// Macro command lines, working on the user data folder of a kind without a window:
//   --record-macro KIND --from-evemu FILE [--delay-mode record|constant:MS|ignore] [--name NAME]
//   --import-macro KIND FILE
//   --export-macro KIND INDEX FILE
#include <cstdio>
#include <string>
#include <vector>

enum class MacroCommandKind { None, Record, Import, Export };

struct MacroCommand {
    MacroCommandKind command = MacroCommandKind::None;
    std::string kind;               // "keyboard" or "mouse"
    std::vector<std::string> args;  // FILE, or INDEX FILE
    std::string evemuFile;          // --from-evemu
    std::string delayMode;          // --delay-mode
    std::string name;               // --name
    explicit operator bool() const { return command != MacroCommandKind::None; }
};

inline constexpr int kMacroCommandOk = 0;
inline constexpr int kMacroCommandFailed = 1;
inline constexpr int kMacroCommandUsage = 2;
inline constexpr int kMacroCommandInstanceRuns = 3;

int RunMacroCommand(const MacroCommand& command, std::FILE* out, std::FILE* err);
