#pragma once
// Command lines over the profile lists, for scripts and checks:
//   --profiles KIND                      one line per profile:
//                                        INDEX<TAB>NAME<TAB>IDENTIFIER<TAB>active|-<TAB>LINKNAME
//   --import-profile KIND FILE           imports as the profile panel does, prints the new name
//   --export-profile KIND INDEX FILE     writes profile INDEX to FILE
//   --active-program                     the program the link rule sees: NAME PID SOURCE, or none
// KIND is keyboard, mouse, mousepad or headset. Listing and export only read (profile files
// are replaced atomically), so they work while the program runs; import needs the program
// closed. Exit codes: 0 done, 1 refused or failed (nothing changed, no partial file), 2 wrong
// arguments, 3 the program is running.
#include <cstdio>
#include <string>
#include <vector>

#include "main/command_line.h"

inline constexpr int kProfileCommandOk = 0;
inline constexpr int kProfileCommandFailed = 1;
inline constexpr int kProfileCommandBadArguments = 2;
inline constexpr int kProfileCommandInstanceRuns = 3;

// Runs a parsed profile command (CommandLine::profileCommand, profileKind, profileArgs) and
// returns its exit code.
int RunProfileCommand(ProfileCommand command, const std::string& kind,
                      const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Control characters as \t, \n, \r or \xHH; everything else as it stands.
std::string EscapeForLine(const std::string& text);
