#pragma once
// The key table the keyboard receives: a copy of its factory key table with the current
// assignment of every key index 0..125 that has a position (3 bytes: kind, value high, value
// low). Macro assignments (kinds 0x70 and 0x71) carry a macro number, the entry of
// "macro.config"; on the keyboard they carry the macro's index in the uploaded macro image,
// which holds the distinct macros in order of first use.
#include <cstdint>
#include <span>
#include <vector>

#include "devices/keyboard/keyboard_key_map.h"
#include "profiles/records.h"

namespace keyboard {

struct KeyTableImage {
    std::vector<uint8_t> table;  // the factory table's bytes with the assignments in place
    std::vector<int> macros;     // macro numbers in order of first use
};

// factoryTable: the table read from the keyboard (its length is what is written).
// keys: entry i is key index i; entries past 125 are not written, a shorter list leaves the
// missing keys as the factory table has them. macroCount: entries of "macro.config"; a macro
// number of macroCount or more gives the key its default assignment. Kinds the tables do not
// name are copied as they are.
KeyTableImage BuildKeyTable(std::span<const uint8_t> factoryTable, const KeyPositions& positions,
                            const std::vector<profiles::KeyAssignmentPair>& keys, int macroCount);

// The same walk, only the distinct macro list.
std::vector<int> BuildMacroList(const KeyPositions& positions, int positionCount,
                                const std::vector<profiles::KeyAssignmentPair>& keys,
                                int macroCount);

}  // namespace keyboard
