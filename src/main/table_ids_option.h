#pragma once
// The table overrides at start: SKELMORA_TABLE_IDS, and the ids of the emulated mouse and
// receiver when --emulate plugs them. A malformed value stops the start (exit 2).
#include <string>

// environmentValue: SKELMORA_TABLE_IDS or null; emulatedKinds: the --emulate list. False (with
// the reason printed on standard error) when the value is malformed; a warning is printed when
// the tables were changed.
bool ApplyTableIdOptions(const char* environmentValue, const std::string& emulatedKinds);
