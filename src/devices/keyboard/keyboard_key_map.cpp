#include "devices/keyboard/keyboard_key_map.h"

#include <algorithm>
#include <set>

#include "tables/key_factory_table.h"

namespace keyboard {
namespace {

bool CodeAt(std::span<const uint8_t> table, int position, const tables::DeviceKeyCode& code) {
    const size_t at = static_cast<size_t>(position) * 3;
    if (at + 3 > table.size()) return false;
    return table[at] == code.kind && table[at + 1] == code.high && table[at + 2] == code.low;
}

int FindPosition(std::span<const uint8_t> table, int positionCount,
                 const tables::DeviceKeyCode& code, const std::set<int>& skipped) {
    for (int position = 0; position < positionCount; ++position) {
        if (skipped.count(position) == 0 && CodeAt(table, position, code)) return position;
    }
    return kNoPosition;
}

}  // namespace

KeyPositions EmptyKeyPositions() {
    KeyPositions positions;
    positions.fill(kNoPosition);
    return positions;
}

KeyPositions BuildKeyPositions(std::span<const uint8_t> table, int positionCount,
                               const std::optional<KeyPositions>& previous) {
    KeyPositions result = EmptyKeyPositions();
    positionCount = std::clamp(positionCount, 0, kMaxPositions);
    const auto validPosition = [&](int p) { return p >= 0 && p < positionCount; };

    KeyPositions found = EmptyKeyPositions();
    for (int key = 0; key < kKeyIndexCount; ++key) {
        found[key] = FindPosition(table, positionCount, tables::kFactoryKeyCodes[key], {});
    }
    // Keys not found keep their previous position; those positions are theirs.
    std::set<int> kept;
    if (previous) {
        for (int key = 0; key < kKeyIndexCount; ++key) {
            if (found[key] == kNoPosition && validPosition((*previous)[key])) {
                result[key] = (*previous)[key];
                kept.insert(result[key]);
            }
        }
    }
    for (int key = 0; key < kKeyIndexCount; ++key) {
        if (result[key] != kNoPosition || found[key] == kNoPosition) continue;
        result[key] = kept.count(found[key]) == 0
                          ? found[key]
                          : FindPosition(table, positionCount, tables::kFactoryKeyCodes[key], kept);
    }
    if (result[tables::kFnKeyIndex] == kNoPosition && positionCount > tables::kFnFallbackPosition)
        result[tables::kFnKeyIndex] = tables::kFnFallbackPosition;
    return result;
}

}  // namespace keyboard
