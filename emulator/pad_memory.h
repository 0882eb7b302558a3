#pragma once
// The emulated mouse pad's memory at delivery:
// - device information: 34 bytes (firmware version 1.2, the pad's 15 LEDs at byte 5);
// - a flat parameter area of 320 bytes: byte 0 the active slot (2 at delivery); the host reads
//   the block of slot s as 26 bytes at s x 25 and writes it as 21 bytes at s x 64, so the two
//   strides address overlapping bytes of the same area; factory records sit at s x 25 for
//   s = 0..4 (effect code, brightness, 4 - speed, direction, multicolour, red, green, blue,
//   then firmware bytes), the rest of the area is erased (0xFF);
// - the 6-byte status block and a 45-byte light frame (15 LEDs).
// The pad has no key table, no macro and no recoil memory: those commands are refused.
#include "emulator/command_firmware.h"

namespace emu {

constexpr size_t kPadParameterBytes = 320;
constexpr uint8_t kPadActiveSlot = 2;
constexpr size_t kPadSlots = 5;
constexpr size_t kPadReadStride = 25;
constexpr size_t kPadRecordBytes = 26;
constexpr size_t kPadLedCount = 15;
constexpr size_t kPadFrameBytes = 3 * kPadLedCount;

FirmwareLayout PadLayout();

}  // namespace emu
