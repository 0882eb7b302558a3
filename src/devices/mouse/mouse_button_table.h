#pragma once
// The key table the mouse receives: the table last read from it (3 x entries bytes, the rest of
// the 512-byte buffer 0) with the current assignment of every present logical button at its
// slot. Macro assignments (kinds 0x70 "p" and 0x71 "q") carry a macro number, the entry of
// "macro.config"; on the mouse they carry the macro's position in the uploaded macro image,
// which holds the distinct macros in the order the walk over the button map meets them. A
// macro number of m or more (m macros listed) gives the button its default assignment. The
// key list given is not changed.
#include <cstdint>
#include <span>
#include <vector>

#include "devices/mouse/mouse_button_map.h"
#include "profiles/records.h"

namespace mouse {

struct ButtonTableImage {
    std::vector<uint8_t> table;  // kKeyTableBytes bytes
    std::vector<int> macros;     // macro numbers in order of first use
};

ButtonTableImage BuildButtonTable(std::span<const uint8_t> mirror, int entries,
                                  const ButtonMap& map,
                                  const std::vector<profiles::KeyAssignmentPair>& keys,
                                  int macroCount);

// The same walk, only the distinct macro list (what WriteMacros uploads).
std::vector<int> CollectUsedMacros(const ButtonMap& map,
                                   const std::vector<profiles::KeyAssignmentPair>& keys,
                                   int macroCount);

}  // namespace mouse
