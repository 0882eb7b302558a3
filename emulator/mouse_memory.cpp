#include "emulator/mouse_memory.h"

#include <algorithm>
#include <array>

#include "tables/emulated_mouse.h"

namespace emu {
namespace {

// clang-format off
// Slot: right, left, free, middle, DPI loop, back, forward, free, DPI+, DPI-, GM, free, fire,
// M8, free, free.
constexpr std::array<uint8_t, kMouseKeyTableSlots * 3> kFactoryKeyTable{
    0x10, 0x02, 0x00,  0x10, 0x01, 0x00,  0x00, 0x00, 0x00,  0x10, 0x04, 0x00,
    0x13, 0x03, 0x00,  0x10, 0x08, 0x00,  0x10, 0x10, 0x00,  0x00, 0x00, 0x00,
    0x13, 0x01, 0x00,  0x13, 0x02, 0x00,  0xA0, 0x1B, 0x00,  0x00, 0x00, 0x00,
    0x14, 0x78, 0x02,  0x16, 0x90, 0x01,  0x00, 0x00, 0x00,  0x00, 0x00, 0x00,
};

// One block per profile slot: byte 0 (slot 0: the active slot, set below), effect code,
// brightness, 4 - speed, direction, multicolour, red, green, blue, 0, 0, report rate, active
// stage, 0, five stages of nine bytes (active, XY, DPI X, DPI Y, red, green, blue), byte 59 = 1,
// screen 1920 x 1080, correction 0 0, firmware bytes 66..70.
constexpr std::array<std::array<uint8_t, kMouseParameterBlockBytes>, kMouseParameterSlots> kBlocks{{
    {0, 0x00, 4, 2, 0, 1, 0xFF, 0x00, 0x00, 0, 0, 3, 1, 0,
     1, 0, 6, 0, 6, 0, 0xFF, 0x00, 0x00,
     1, 0, 14, 0, 14, 0, 0x00, 0xFF, 0x00,
     1, 0, 30, 0, 30, 0, 0x00, 0x00, 0xFF,
     1, 0, 62, 0, 62, 0, 0xFF, 0xFF, 0x00,
     1, 0, 126, 0, 126, 0, 0xFF, 0x00, 0xFF,
     1, 0x80, 0x07, 0x38, 0x04, 0, 0, 0x11, 0x12, 0x13, 0x14, 0x15},
    {1, 0x02, 3, 1, 1, 0, 0x00, 0x80, 0xFF, 0, 0, 2, 2, 0,
     1, 0, 6, 0, 6, 0, 0xFF, 0x00, 0x00,
     1, 1, 14, 0, 20, 0, 0x00, 0xFF, 0x00,
     1, 0, 30, 0, 30, 0, 0x00, 0x00, 0xFF,
     0, 0, 62, 0, 62, 0, 0xFF, 0xFF, 0x00,
     0, 0, 0x06, 0x02, 0x06, 0x02, 0xFF, 0x00, 0xFF,
     1, 0x80, 0x07, 0x38, 0x04, 4, 2, 0x21, 0x22, 0x23, 0x24, 0x25},
    {2, 0x06, 4, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0, 0, 4, 0, 0,
     1, 0, 10, 0, 10, 0, 0x80, 0x00, 0x00,
     1, 0, 18, 0, 18, 0, 0x00, 0x80, 0x00,
     0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0,
     1, 0x80, 0x07, 0x38, 0x04, 0, 0, 0x31, 0x32, 0x33, 0x34, 0x35},
    {3, 0x09, 0, 2, 0, 0, 0x00, 0x00, 0x00, 0, 0, 1, 0, 0,
     1, 0, 38, 0, 38, 0, 0x00, 0xFF, 0xFF,
     0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0,
     1, 0x00, 0x0A, 0xA0, 0x05, 0, 0, 0x41, 0x42, 0x43, 0x44, 0x45},
    {4, 0x05, 2, 3, 1, 1, 0x40, 0x40, 0x40, 0, 0, 0, 4, 0,
     1, 0, 6, 0, 6, 0, 0xFF, 0x00, 0x00,
     1, 0, 14, 0, 14, 0, 0x00, 0xFF, 0x00,
     1, 0, 30, 0, 30, 0, 0x00, 0x00, 0xFF,
     1, 0, 62, 0, 62, 0, 0xFF, 0xFF, 0x00,
     1, 0, 126, 0, 126, 0, 0xFF, 0x00, 0xFF,
     1, 0x80, 0x07, 0x38, 0x04, 0, 0, 0x51, 0x52, 0x53, 0x54, 0x55},
}};
// clang-format on

std::vector<uint8_t> ParameterArea() {
    std::vector<uint8_t> area(kMouseParameterSlots * kMouseParameterStride, 0);
    for (size_t s = 0; s < kBlocks.size(); ++s) {
        std::copy(kBlocks[s].begin(), kBlocks[s].end(),
                  area.begin() + static_cast<long>(s * kMouseParameterStride));
    }
    area[0] = kMouseActiveSlot;
    return area;
}

}  // namespace

FirmwareLayout MouseLayout() {
    FirmwareLayout layout;
    const auto& info = tables::emulated_mouse::kDeviceInfoBlock;
    layout.deviceInfo.assign(info.begin(), info.end());
    layout.deviceInfo[0] = 0x03;  // firmware version, minor
    layout.deviceInfo[1] = 0x01;  // firmware version, major
    layout.keyTable.assign(512, 0);
    std::copy(kFactoryKeyTable.begin(), kFactoryKeyTable.end(), layout.keyTable.begin());
    layout.secondTable.assign(kMouseKeyTableSlots, 0xFF);
    layout.parameters = ParameterArea();
    layout.macro.assign(255 * kMacroUnitBytes, 0xFF);
    const uint8_t header[16] = {0xAA, 0x55, 0x10, 0x00, 0x00, 0x00};
    std::copy(std::begin(header), std::end(header), layout.macro.begin());
    layout.macroSizeFromInfo = true;
    layout.shoot.assign(8192, 0xFF);
    // Battery 80 %, not charging, link flag 0, state byte 1.
    layout.status = {0x50, 0x00, 0x00, 0x00, 0x01, 0x00};
    layout.lightFrame.assign(kMouseFrameBytes, 0);
    layout.indexedBlock.assign(16, 0);
    return layout;
}

}  // namespace emu
