#pragma once
// The mouse's logical buttons 0 to 10 and where the mouse keeps them. The key table read from
// the mouse holds one 3-byte entry per physical slot; a slot holding the factory assignment of
// logical button j (the first such slot) is that button's slot. A button whose factory
// assignment is nowhere in the table is absent (0xAA) and never written.
#include <array>
#include <cstdint>
#include <span>

#include "devices/mouse/mouse_limits.h"
#include "tables/key_code.h"

namespace mouse {

struct FactoryButton {
    tables::DeviceKeyCode code;
    const char* nameKey;  // language key of the button's name
};

inline constexpr std::array<FactoryButton, kLogicalButtons> kFactoryButtons{{
    {{0x10, 0x01, 0x00}, "mouse_key_left"},
    {{0x10, 0x02, 0x00}, "mouse_key_right"},
    {{0x10, 0x04, 0x00}, "mouse_key_middle"},
    {{0x10, 0x10, 0x00}, "mouse_key_forward"},
    {{0x10, 0x08, 0x00}, "mouse_key_back"},
    {{0x13, 0x01, 0x00}, "mouse_key_DPI_add"},
    {{0x13, 0x02, 0x00}, "mouse_key_DPI_sub"},
    {{0x13, 0x03, 0x00}, "mouse_key_DPI_loop"},
    {{0xA0, 0x1B, 0x00}, "keyboard_key_GM"},
    {{0x16, 0x90, 0x01}, "mouse_key_M8_key"},
    {{0x14, 0x78, 0x02}, "mouse_key_fire_key"},
}};

// map[j]: the slot of logical button j, or 0xAA.
using ButtonMap = std::array<uint8_t, kLogicalButtons>;

// keyTable: the bytes read from the mouse; entries: how many slots it holds (byte 5).
ButtonMap BuildButtonMap(std::span<const uint8_t> keyTable, int entries);

}  // namespace mouse
