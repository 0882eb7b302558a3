#pragma once
// Files the keyboard keeps beside its profile: "keymap.json" (the last complete key map, so a
// keyboard that reports its current key table still maps a remapped key).
#include <filesystem>
#include <optional>
#include <string>

#include "devices/keyboard/keyboard_key_map.h"
#include "profiles/json_file.h"

namespace keyboard {

// {"Positions": n, "KeyMap": [170 positions]}; nullopt when missing or malformed, or when
// it was made for a keyboard with another number of positions.
std::optional<KeyPositions> ReadStoredKeyMap(const std::filesystem::path& file, int positions);
profiles::WriteResult WriteStoredKeyMap(const std::filesystem::path& file, const KeyPositions& map,
                                        int positions);

}  // namespace keyboard
