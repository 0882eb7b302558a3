#include "emulator/keyboard_memory.h"

#include <algorithm>
#include <array>

#include "emulator/device_catalog.h"
#include "tables/key_factory_table.h"

namespace emu {
namespace {

// The keys are wired as a matrix of 6 rows and 21 columns. Key indices count it row by row
// (index = row × 21 + column); the firmware's key table lists it column by column
// (position = column × 6 + row), except that the Fn key sits at position 113 and the key
// that the column order would put there (index 123) at the Fn key's place, 35.
constexpr int kRows = 6;
constexpr int kColumns = 21;
constexpr int kFnKey = 110;
constexpr int kFnPosition = 113;
constexpr int kKeyDisplacedByFn = 123;
constexpr int kFnColumnPosition = 35;

constexpr int PositionOfKey(int key) {
    if (key == kFnKey) return kFnPosition;
    if (key == kKeyDisplacedByFn) return kFnColumnPosition;
    return (key % kColumns) * kRows + key / kColumns;
}

static_assert(kRows * kColumns == kKeyboardKeyPositions);
static_assert(PositionOfKey(0) == 0 && PositionOfKey(21) == 1 && PositionOfKey(1) == 6);
static_assert(PositionOfKey(125) == 125 && PositionOfKey(kFnKey) == kFnPosition);

struct CodeOverride {
    int key;
    tables::DeviceKeyCode code;
};

// What this keyboard has where the factory layout names another key: no Fn code (its Fn
// key cannot be reassigned and reads as "no key"), no ISO and international keys, and three
// media keys where the Japanese keys would be.
constexpr CodeOverride kOverrides[] = {
    {kFnKey, tables::kNoKey}, {62, tables::kNoKey},  // non-US hash
    {79, {0x30, 0xE2, 0x00}},                        // mute
    {80, {0x30, 0xEA, 0x00}},                        // volume down
    {81, {0x30, 0xE9, 0x00}},                        // volume up
    {82, tables::kNoKey},     {83, tables::kNoKey},  {100, tables::kNoKey},
    {101, tables::kNoKey},    {102, tables::kNoKey},  // non-US backslash
    {103, tables::kNoKey},                            // keypad comma
};

tables::DeviceKeyCode CodeOfKey(int key) {
    for (const auto& entry : kOverrides) {
        if (entry.key == key) return entry.code;
    }
    return tables::kFactoryKeyCodes[static_cast<size_t>(key)];
}

std::vector<uint8_t> FactoryKeyTable() {
    std::vector<uint8_t> table(kKeyboardKeyTableAreaBytes, 0);
    for (int key = 0; key < kKeyboardKeyPositions; ++key) {
        const tables::DeviceKeyCode code = CodeOfKey(key);
        const size_t at = static_cast<size_t>(PositionOfKey(key)) * 3;
        table[at] = code.kind;
        table[at + 1] = code.high;
        table[at + 2] = code.low;
    }
    return table;
}

// One byte per position: the matrix cell of its key, row × 32 + column; 0xFF past the keys.
std::vector<uint8_t> SecondTable() {
    std::vector<uint8_t> table(kKeyboardSecondTableBytes, 0xFF);
    for (int key = 0; key < kKeyboardKeyPositions; ++key) {
        table[static_cast<size_t>(PositionOfKey(key))] =
            static_cast<uint8_t>((key / kColumns) * 32 + key % kColumns);
    }
    return table;
}

// The ten parameter records, 26 bytes each (see the keyboard's parameter record): profile,
// effect code, brightness, 4 − speed, direction, multicolour, red, green, blue, nine bytes
// (byte 16 a firmware flag the host clears), light-mode variant, W flag, 6-key flag,
// Windows-key flag, polling rate, two zero bytes, custom group. Byte 25 of each record is byte 0
// of the next, so each record's custom group is the next profile's number.
// clang-format off
constexpr std::array<std::array<uint8_t, kKeyboardParameterRecordBytes>, kKeyboardParameterRecords>
    kRecords{{
    {0, 0x01, 4, 2, 0, 1, 0xFF, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 1, 0, 0, 0, 1},
    {1, 0x05, 3, 1, 0, 0, 0x00, 0x80, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 1, 1, 0, 1, 2, 0, 0, 2},
    {2, 0x06, 4, 3, 1, 0, 0xFF, 0x40, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 1, 0, 1, 0, 0, 3},
    {3, 0x15, 4, 2, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 1, 3, 0, 0, 4},
    {4, 0x0B, 4, 0, 1, 1, 0x00, 0xFF, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 5},
    {5, 0x0C, 2, 4, 0, 1, 0x00, 0x00, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 6},
    {6, 0x07, 4, 2, 0, 0, 0xFF, 0x00, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 7},
    {7, 0xFE, 4, 2, 0, 1, 0xFF, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 8},
    {8, 0x00, 0, 2, 0, 0, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 9},
    {9, 0x28, 4, 1, 0, 1, 0xFF, 0xFF, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0, 0},
}};
// clang-format on

std::vector<uint8_t> ParameterArea() {
    std::vector<uint8_t> area(kKeyboardParameterBytes, 0);
    for (size_t p = 0; p < kRecords.size(); ++p) {
        std::copy(kRecords[p].begin(), kRecords[p].end(),
                  area.begin() + static_cast<long>(p * kKeyboardParameterStride));
    }
    area[0] = kKeyboardActiveProfile;  // record 0's first byte is the active profile
    return area;
}

// An empty macro image (0x55AA, size 16, no macros) followed by erased memory.
std::vector<uint8_t> MacroMemory() {
    std::vector<uint8_t> memory(255 * kMacroUnitBytes, 0xFF);
    const uint8_t header[16] = {0xAA, 0x55, 0x10, 0x00, 0x00, 0x00};
    std::copy(std::begin(header), std::end(header), memory.begin());
    return memory;
}

}  // namespace

FirmwareLayout KeyboardLayout() {
    FirmwareLayout layout;
    layout.deviceInfo.assign(34, 0);
    layout.deviceInfo[0] = 0x01;  // firmware version, minor
    layout.deviceInfo[1] = 0x02;  // firmware version, major
    layout.deviceInfo[5] = kKeyboardKeyPositions;
    layout.deviceInfo[kInfoMacroUnitsByte] = kKeyboardMacroUnits;
    layout.keyTable = FactoryKeyTable();
    layout.separateFactoryKeyTable = true;
    layout.secondTable = SecondTable();
    layout.parameters = ParameterArea();
    layout.macro = MacroMemory();
    layout.macroSizeFromInfo = true;
    // Every key lit: bits 0 to 5 of each mask byte cover positions 0 to 125.
    layout.indexedBlock.assign(kKeyboardMaskBytes, 0x3F);
    // Battery 100 %, on USB power, link flag 0 (wired), state byte 1.
    layout.status = {0x64, 0x01, 0x00, 0x00, 0x01, 0x00};
    layout.lightFrame.assign(kKeyboardFrameBytes, 0);
    return layout;
}

}  // namespace emu
