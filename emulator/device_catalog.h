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
    // A kind whose firmware this one shares (a receiver reaches its mouse), or none.
    const char* sharesFirmwareWith = nullptr;
};

std::span<const CatalogEntry> DeviceCatalog();

// The keyboard's device information block: byte 5 the key table positions, byte 6 the
// macro memory in units of 128 bytes.
constexpr uint8_t kKeyboardKeyPositions = 170;
constexpr uint8_t kKeyboardMacroUnits = 0x80;  // 16 KiB

// The shipped interface table gives mice and receivers no ids; tests that reach the emulated
// mouse put these into the table's mouse rows.
constexpr uint16_t kEmulatedMouseVendor = 0x320F;
constexpr uint16_t kEmulatedMousePid = 0x5060;
constexpr uint16_t kEmulatedReceiverPid = 0x5061;

}  // namespace emu
