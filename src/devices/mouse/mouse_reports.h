#pragma once
// The mouse's unsolicited reports, read on its event interfaces as a 16-bit value:
//   0x0401       the mouse changed its settings: read the parameters again (timer 1002)
//   0x0403       a button went down: the reactive light preview starts (wired only)
//   0x10xx       the active profile slot became xx & 0x0F
//   0x11xx       the same, and the active DPI stage became bits 4 to 7 (0..4; a higher stage
//                does not exist and the report is ignored)
// Anything else changes nothing.
#include <cstdint>

namespace mouse {

struct MouseReport {
    enum Kind { Ignored, Slot, SlotAndStage, UnknownStage } kind = Ignored;
    int slot = 0;
    int stage = 0;
};

constexpr MouseReport DecodeMouseReport(uint16_t value) {
    const int high = value >> 8;
    const int slot = value & 0x0F;
    const int stage = (value >> 4) & 0x0F;
    if (high == 0x10) return {MouseReport::Slot, slot, 0};
    if (high == 0x11) {
        if (stage > 4) return {MouseReport::UnknownStage, slot, stage};
        return {MouseReport::SlotAndStage, slot, stage};
    }
    return {};
}

}  // namespace mouse
