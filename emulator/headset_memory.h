#pragma once
// The emulated headset's memory at delivery:
// - device information: firmware version 1.16 in bytes 0 and 1, the rest 0;
// - parameter area, 256 bytes: byte 0 the bank (0 at delivery); a 21-byte light block at
//   b x 25 for banks 0 to 9 (bank byte, effect code, brightness, 4 − speed, direction,
//   seven-colour flag, red, green, blue, twelve zero bytes), erased bytes (0xFF) between and
//   after them; bank 0 holds a steady light (code 3);
// - the 6-byte status block;
// - the other areas are the command firmware's own (the chip's generic command memory).
#include "emulator/command_firmware.h"

namespace emu {

constexpr size_t kHeadsetParameterBytes = 256;
constexpr size_t kHeadsetBankStride = 25;
constexpr size_t kHeadsetBanks = 10;
constexpr size_t kHeadsetBlockBytes = 21;

FirmwareLayout HeadsetLayout();

}  // namespace emu
