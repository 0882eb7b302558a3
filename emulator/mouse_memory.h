#pragma once
// The emulated mouse's memory at delivery (the mouse and its receiver share it):
// - device information: src/tables/emulated_mouse.h (byte 5: 16 key table slots, byte 6: 32
//   units of macro memory, the DPI scale);
// - key table: 16 slots of 3 bytes in the firmware's own order, with free slots between, so
//   slot k is not logical button k;
// - parameter area: byte 0 the active slot (1 at delivery); a 71-byte block per profile slot at
//   s x 128 (5 slots), each with its light, report rate, active DPI stage, five DPI stages,
//   byte 59 = 1, a screen size and firmware bytes 66..70 that the host never writes;
// - macro memory: an empty image followed by erased memory; recoil memory erased;
// - the 6-byte status block and a 45-byte light frame (15 LEDs).
#include "emulator/command_firmware.h"

namespace emu {

constexpr size_t kMouseKeyTableSlots = 16;
constexpr size_t kMouseParameterSlots = 5;
constexpr size_t kMouseParameterStride = 128;
constexpr size_t kMouseParameterBlockBytes = 71;
constexpr uint8_t kMouseActiveSlot = 1;
constexpr size_t kMouseFrameBytes = 45;

FirmwareLayout MouseLayout();

}  // namespace emu
