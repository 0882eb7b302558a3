#pragma once
// Sizes of the keyboard's memory as the host sees it.
#include <cstddef>
#include <cstdint>

namespace keyboard {

// Key indices 0..169 (the factory key code table).
inline constexpr int kKeyIndexCount = 170;
// A key index without a position in the key table.
inline constexpr int kNoPosition = 255;
// Byte 5 of the device information: key table positions, 1..170 (510 bytes at most).
inline constexpr int kMaxPositions = 170;
// Key indices 0..125 are written into the key table.
inline constexpr int kWrittenKeyIndices = 126;
inline constexpr size_t kDeviceInfoBytes = 34;
inline constexpr size_t kPositionInfoByte = 5;
inline constexpr size_t kMacroUnitsInfoByte = 6;
inline constexpr size_t kMacroUnitBytes = 128;

// The number of key table positions of a device information block: byte 5 when it lies in
// 1..170, else 0 (no usable key table).
constexpr int PositionCount(uint8_t infoByte5) {
    return infoByte5 >= 1 && infoByte5 <= kMaxPositions ? infoByte5 : 0;
}

}  // namespace keyboard
