#include "devices/mouse/mouse_button_map.h"

#include <algorithm>

namespace mouse {

ButtonMap BuildButtonMap(std::span<const uint8_t> keyTable, int entries) {
    ButtonMap map;
    map.fill(kAbsentSlot);
    const int slots = std::min<int>(entries, static_cast<int>(keyTable.size() / 3));
    for (int button = 0; button < kLogicalButtons; ++button) {
        const tables::DeviceKeyCode& code = kFactoryButtons[static_cast<size_t>(button)].code;
        for (int slot = 0; slot < slots; ++slot) {
            const size_t at = static_cast<size_t>(slot) * 3;
            if (keyTable[at] == code.kind && keyTable[at + 1] == code.high &&
                keyTable[at + 2] == code.low) {
                map[static_cast<size_t>(button)] = static_cast<uint8_t>(slot);
                break;
            }
        }
    }
    return map;
}

}  // namespace mouse
