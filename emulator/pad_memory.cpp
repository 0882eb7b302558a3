#include "emulator/pad_memory.h"

#include <algorithm>
#include <array>

namespace emu {
namespace {

// clang-format off
// The factory record of each slot as read at s x 25: slot, effect code, brightness,
// 4 - speed, direction, multicolour, red, green, blue, firmware bytes 9..25.
constexpr std::array<std::array<uint8_t, kPadRecordBytes>, kPadSlots> kRecords{{
    {0, 0x00, 4, 2, 0, 1, 0xFF, 0x00, 0x00, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
     0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20},
    {1, 0x05, 3, 1, 1, 1, 0x00, 0xFF, 0x00, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28,
     0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31},
    {2, 0x03, 2, 3, 0, 0, 0x20, 0x40, 0xFF, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
     0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42},
    {3, 0x07, 4, 4, 1, 1, 0xFF, 0xFF, 0xFF, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A,
     0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53},
    {4, 0x08, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B,
     0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61, 0x62, 0x63, 0x64},
}};
// clang-format on

std::vector<uint8_t> ParameterArea() {
    std::vector<uint8_t> area(kPadParameterBytes, 0xFF);
    // Later records start on the last byte of the one before: record s - 1 ends at byte
    // (s - 1) x 25 + 25, the first byte of record s.
    for (size_t s = 0; s < kRecords.size(); ++s)
        std::copy(kRecords[s].begin(), kRecords[s].end(),
                  area.begin() + static_cast<long>(s * kPadReadStride));
    area[0] = kPadActiveSlot;
    return area;
}

}  // namespace

FirmwareLayout PadLayout() {
    FirmwareLayout layout;
    layout.deviceInfo.assign(34, 0);
    layout.deviceInfo[0] = 0x02;  // firmware version, minor
    layout.deviceInfo[1] = 0x01;  // firmware version, major
    layout.deviceInfo[5] = static_cast<uint8_t>(kPadLedCount);
    layout.keyTable.clear();
    layout.secondTable.clear();
    layout.parameters = ParameterArea();
    layout.macro.clear();
    layout.shoot.clear();
    // State byte 1; a wired pad reports no battery.
    layout.status = {0x00, 0x00, 0x00, 0x00, 0x01, 0x00};
    layout.lightFrame.assign(kPadFrameBytes, 0);
    layout.indexedBlock.clear();
    return layout;
}

}  // namespace emu
