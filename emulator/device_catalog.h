#pragma once
// The emulated device kinds: their USB ids, HID nodes and firmware memory layouts.
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "emulator/command_firmware.h"
#include "hid/hid_backend.h"

namespace emu {

// Devices with more than the command firmware: the headset's LED controller.
enum class DeviceModel { Plain, Headset };

struct CatalogEntry {
    const char* kind;
    std::function<std::vector<hid::HidNodeInfo>()> makeNodes;
    std::function<FirmwareLayout()> makeLayout;
    // A kind whose firmware this one shares (a receiver reaches its mouse), or none.
    const char* sharesFirmwareWith = nullptr;
    DeviceModel model = DeviceModel::Plain;
};

std::span<const CatalogEntry> DeviceCatalog();

// The emulated keyboard's memory (what a real one of this family holds):
// - device information: byte 5 the key table positions, byte 6 the macro memory in units of
//   128 bytes (a macro write past 128 × byte 6 is refused);
// - key table: 3 bytes per position in a 512-byte area; the factory table (what ReadKeyTable
//   answers) lists the keys of the 6-row matrix column by column, so positions follow the key
//   indices in another order; WriteKeyTable writes a separate active table;
// - second table: one byte per position (the matrix cell, row × 32 + column; 0xFF: no key);
// - parameter area: byte 0 the active device profile, 26-byte records at p × 25 that overlap
//   (a record's last byte is the next record's first);
// - the 21-byte bright mask, the 6-byte status block and the last light frame.
constexpr uint8_t kKeyboardKeyPositions = 126;
constexpr uint8_t kKeyboardMacroUnits = 4;  // 512 bytes
constexpr size_t kKeyboardKeyTableAreaBytes = 512;
constexpr size_t kKeyboardSecondTableBytes = 170;
constexpr size_t kKeyboardParameterBytes = 256;
constexpr size_t kKeyboardParameterStride = 25;
constexpr size_t kKeyboardParameterRecordBytes = 26;
constexpr size_t kKeyboardParameterRecords = 10;  // records 0 to 9 fit in the area
constexpr uint8_t kKeyboardActiveProfile = 1;
constexpr size_t kKeyboardMaskBytes = 21;
constexpr size_t kKeyboardStatusBytes = 6;
constexpr size_t kKeyboardFrameBytes = 510;  // 170 LEDs, the longest frame a host sends

// The shipped interface table gives mice and receivers no ids; tests that reach the emulated
// mouse put these into the table's mouse rows.
constexpr uint16_t kEmulatedMouseVendor = 0x320F;
constexpr uint16_t kEmulatedMousePid = 0x5060;
constexpr uint16_t kEmulatedReceiverPid = 0x5061;
// The mouse pad's rows, likewise (SKELMORA_TABLE_IDS mousepad=320f:5062).
constexpr uint16_t kEmulatedPadPid = 0x5062;

}  // namespace emu
