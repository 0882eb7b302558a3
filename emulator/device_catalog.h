#pragma once
// The emulated device kinds: their USB ids, HID nodes and firmware memory layouts.
#include <functional>
#include <span>
#include <vector>

#include "emulator/command_firmware.h"
#include "hid/hid_backend.h"

namespace emu {

struct CatalogEntry {
    const char* kind;
    std::function<std::vector<hid::HidNodeInfo>()> makeNodes;
    std::function<FirmwareLayout()> makeLayout;
};

std::span<const CatalogEntry> DeviceCatalog();

// The keyboard's device information block: byte 5 the key table positions, byte 6 the
// macro memory in units of 128 bytes.
constexpr uint8_t kKeyboardKeyPositions = 170;
constexpr uint8_t kKeyboardMacroUnits = 0x80;  // 16 KiB

}  // namespace emu
