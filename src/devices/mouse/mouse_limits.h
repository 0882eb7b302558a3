#pragma once
// What the mouse's device information block (34 bytes) tells the host, and the sizes of the
// mouse's memory as the host sees it.
#include <array>
#include <cstddef>
#include <cstdint>

namespace mouse {

inline constexpr size_t kDeviceInfoBytes = 34;
inline constexpr size_t kEntriesInfoByte = 5;     // key table entries, 3 bytes each
inline constexpr size_t kMacroUnitsInfoByte = 6;  // macro memory in units of 128 bytes
inline constexpr size_t kMacroUnitBytes = 128;
inline constexpr size_t kKeyTableBytes = 512;  // the key table buffer, at most 170 entries
inline constexpr int kMaxEntries = 170;
inline constexpr int kLogicalButtons = 11;    // buttons 0 to 10 of the page and profile
inline constexpr uint8_t kAbsentSlot = 0xAA;  // a logical button the mouse does not have
inline constexpr int kDpiStages = 5;
inline constexpr int kReportRateStages = 5;
// The sensor whose DPI scale turns to 200 DPI per level above level 48.
inline constexpr uint16_t kTwoSlopeSensor = 0x3325;

using DeviceInfo = std::array<uint8_t, kDeviceInfoBytes>;

// The information block as the mouse's code reads it.
struct MouseInfo {
    int entries = 0;             // byte 5 when it lies in 1..170, else 0 (no usable key table)
    uint32_t macroCapacity = 0;  // byte 6 x 128
    uint16_t sensor = 0;         // bytes 9..10
    uint8_t dpiStep = 0;         // byte 11
    uint16_t highestLevel = 0;   // bytes 12..13
    uint16_t dpiBase = 0;        // bytes 14..15
};

constexpr MouseInfo ReadMouseInfo(const DeviceInfo& info) {
    MouseInfo out;
    const uint8_t entries = info[kEntriesInfoByte];
    out.entries = entries >= 1 && entries <= kMaxEntries ? entries : 0;
    out.macroCapacity = static_cast<uint32_t>(info[kMacroUnitsInfoByte]) * kMacroUnitBytes;
    out.sensor = static_cast<uint16_t>(info[9] | (info[10] << 8));
    out.dpiStep = info[11];
    out.highestLevel = static_cast<uint16_t>(info[12] | (info[13] << 8));
    out.dpiBase = static_cast<uint16_t>(info[14] | (info[15] << 8));
    return out;
}

}  // namespace mouse
