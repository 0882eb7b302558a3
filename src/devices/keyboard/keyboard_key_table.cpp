#include "devices/keyboard/keyboard_key_table.h"

#include <algorithm>

#include "tables/key_code.h"

namespace keyboard {
namespace {

bool IsMacroKind(uint8_t kind) {
    return kind == tables::kKindMacro || kind == tables::kKindMacroAlt;
}

// One step of the walk: the assignment key index i puts at its position, the distinct macro
// list growing as macros are met.
profiles::KeyAssignment AssignmentOf(const profiles::KeyAssignmentPair& pair, int macroCount,
                                     std::vector<int>& macros) {
    profiles::KeyAssignment code = pair.current;
    if (IsMacroKind(code.kind)) {
        if (code.high < macroCount) {
            auto found = std::find(macros.begin(), macros.end(), int{code.high});
            if (found == macros.end()) found = macros.insert(macros.end(), code.high);
            code.high = static_cast<uint8_t>(found - macros.begin());
        } else {
            code = pair.default_assignment;
        }
    }
    return code;
}

template <typename Sink>
void Walk(const KeyPositions& positions, int positionCount,
          const std::vector<profiles::KeyAssignmentPair>& keys, int macroCount,
          std::vector<int>& macros, Sink sink) {
    const int count = std::min<int>(kWrittenKeyIndices, static_cast<int>(keys.size()));
    for (int key = 0; key < count; ++key) {
        const int position = positions[key];
        if (position == kNoPosition || position < 0 || position >= positionCount) continue;
        sink(position, AssignmentOf(keys[key], macroCount, macros));
    }
}

}  // namespace

KeyTableImage BuildKeyTable(std::span<const uint8_t> factoryTable, const KeyPositions& positions,
                            const std::vector<profiles::KeyAssignmentPair>& keys, int macroCount) {
    KeyTableImage image;
    image.table.assign(factoryTable.begin(), factoryTable.end());
    const int positionCount =
        std::min<int>(kMaxPositions, static_cast<int>(factoryTable.size() / 3));
    Walk(positions, positionCount, keys, macroCount, image.macros,
         [&](int position, const profiles::KeyAssignment& code) {
             const size_t at = static_cast<size_t>(position) * 3;
             image.table[at] = code.kind;
             image.table[at + 1] = code.high;
             image.table[at + 2] = code.low;
         });
    return image;
}

std::vector<int> BuildMacroList(const KeyPositions& positions, int positionCount,
                                const std::vector<profiles::KeyAssignmentPair>& keys,
                                int macroCount) {
    std::vector<int> macros;
    Walk(positions, std::min(positionCount, kMaxPositions), keys, macroCount, macros,
         [](int, const profiles::KeyAssignment&) {});
    return macros;
}

}  // namespace keyboard
