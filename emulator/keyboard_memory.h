#pragma once
// The emulated keyboard's memory at delivery: the sizes are in device_catalog.h, the contents
// (factory key table, second table, parameter records, macro memory, mask, status) here.
#include "emulator/command_firmware.h"

namespace emu {

FirmwareLayout KeyboardLayout();

}  // namespace emu
