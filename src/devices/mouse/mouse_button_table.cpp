#include "devices/mouse/mouse_button_table.h"

#include <algorithm>

#include "tables/key_code.h"

namespace mouse {
namespace {

bool IsMacroKind(uint8_t kind) {
    return kind == tables::kKindMacro || kind == tables::kKindMacroAlt;
}

template <typename Sink>
void Walk(const ButtonMap& map, const std::vector<profiles::KeyAssignmentPair>& keys,
          int macroCount, std::vector<int>& macros, Sink sink) {
    for (size_t button = 0; button < map.size(); ++button) {
        if (map[button] == kAbsentSlot || button >= keys.size()) continue;
        profiles::KeyAssignment code = keys[button].current;
        if (IsMacroKind(code.kind)) {
            if (code.high < macroCount) {
                auto found = std::find(macros.begin(), macros.end(), int{code.high});
                if (found == macros.end()) found = macros.insert(macros.end(), code.high);
                code.high = static_cast<uint8_t>(found - macros.begin());
            } else {
                code = keys[button].default_assignment;
            }
        }
        sink(map[button], code);
    }
}

}  // namespace

ButtonTableImage BuildButtonTable(std::span<const uint8_t> mirror, int entries,
                                  const ButtonMap& map,
                                  const std::vector<profiles::KeyAssignmentPair>& keys,
                                  int macroCount) {
    ButtonTableImage image;
    image.table.assign(kKeyTableBytes, 0);
    const size_t used = std::min<size_t>(
        {static_cast<size_t>(std::clamp(entries, 0, kMaxEntries)) * 3, mirror.size()});
    std::copy_n(mirror.begin(), used, image.table.begin());
    Walk(map, keys, macroCount, image.macros,
         [&](uint8_t slot, const profiles::KeyAssignment& code) {
             const size_t at = static_cast<size_t>(slot) * 3;
             if (at + 2 >= used) return;  // a slot past the table's entries is not written
             image.table[at] = code.kind;
             image.table[at + 1] = code.high;
             image.table[at + 2] = code.low;
         });
    return image;
}

std::vector<int> CollectUsedMacros(const ButtonMap& map,
                                   const std::vector<profiles::KeyAssignmentPair>& keys,
                                   int macroCount) {
    std::vector<int> macros;
    Walk(map, keys, macroCount, macros, [](uint8_t, const profiles::KeyAssignment&) {});
    return macros;
}

}  // namespace mouse
