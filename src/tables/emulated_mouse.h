#pragma once
// The emulated mouse's device information block (34 bytes, what ReadDeviceInfo returns), fixed
// once here so that the emulator and the shipped default profile "mouse.Json" agree on the DPI
// scale. The mouse reads these bytes:
//   5       number of key table entries (3 bytes each)
//   6       macro memory in units of 128 bytes
//   9..10   sensor identifier, u16 little-endian (0x3325 would select the two-slope scale)
//   11      DPI step (DPI per level)
//   12..13  highest DPI level, u16 little-endian
//   14..15  DPI base (DPI at level 0), u16 little-endian
// The emulated sensor is not 0x3325, so its scale is linear: DPI = base + level * step.
#include <array>
#include <cstdint>

namespace tables::emulated_mouse {

// The USB ids of the emulated mouse and its receiver.
inline constexpr std::uint16_t kVendorId = 0x320F;
inline constexpr std::uint16_t kProductId = 0x5060;
inline constexpr std::uint16_t kReceiverProductId = 0x5061;
inline constexpr std::uint16_t kPadProductId = 0x5062;  // the emulated mouse pad

inline constexpr std::uint8_t kKeyTableEntries = 16;   // 11 buttons and 5 free slots
inline constexpr std::uint8_t kMacroMemoryUnits = 32;  // 4096 bytes
inline constexpr std::uint16_t kSensorId = 0x3389;
inline constexpr std::uint8_t kDpiStep = 50;
inline constexpr std::uint16_t kHighestDpiLevel = 518;  // 26000 DPI
inline constexpr std::uint16_t kDpiBase = 100;

// clang-format off
inline constexpr std::array<std::uint8_t, 34> kDeviceInfoBlock{
    0, 0, 0, 0, 0,                                       // 0..4
    kKeyTableEntries,                                    // 5
    kMacroMemoryUnits,                                   // 6
    0, 0,                                                // 7..8
    static_cast<std::uint8_t>(kSensorId & 0xFF),         // 9
    static_cast<std::uint8_t>(kSensorId >> 8),           // 10
    kDpiStep,                                            // 11
    static_cast<std::uint8_t>(kHighestDpiLevel & 0xFF),  // 12
    static_cast<std::uint8_t>(kHighestDpiLevel >> 8),    // 13
    static_cast<std::uint8_t>(kDpiBase & 0xFF),          // 14
    static_cast<std::uint8_t>(kDpiBase >> 8),            // 15
    // bytes 16..33 are not used by the mouse and stay 0
};
// clang-format on

// DPI of a level on the emulated mouse's linear scale.
constexpr int DpiOfLevel(int level) { return kDpiBase + level * kDpiStep; }

// The five DPI stages of the default profile, stored as levels.
inline constexpr std::array<std::uint16_t, 5> kDefaultDpiLevels{6, 14, 30, 62, 126};

static_assert(DpiOfLevel(kDefaultDpiLevels[0]) == 400);
static_assert(DpiOfLevel(kDefaultDpiLevels[1]) == 800);
static_assert(DpiOfLevel(kDefaultDpiLevels[2]) == 1600);
static_assert(DpiOfLevel(kDefaultDpiLevels[3]) == 3200);
static_assert(DpiOfLevel(kDefaultDpiLevels[4]) == 6400);
static_assert(kDefaultDpiLevels[4] <= kHighestDpiLevel);

}  // namespace tables::emulated_mouse
