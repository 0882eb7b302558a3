#include "emulator/headset_memory.h"

#include <algorithm>
#include <array>

namespace emu {
namespace {

// Bank b's light block, first nine bytes: bank, code, brightness, 4 − speed, direction,
// seven-colour flag, red, green, blue.
// clang-format off
constexpr std::array<std::array<uint8_t, 9>, kHeadsetBanks> kBanks{{
    {0, 0x03, 4, 2, 0, 0, 0x00, 0x80, 0xFF},  // steady blue-cyan
    {1, 0x02, 4, 2, 1, 1, 0xFF, 0x00, 0x00},  // breathing, seven colours
    {2, 0x00, 3, 1, 0, 0, 0xFF, 0x40, 0x00},  // wave
    {3, 0x01, 4, 0, 1, 1, 0xFF, 0xFF, 0xFF},  // spectrum
    {4, 0x04, 2, 3, 0, 0, 0x00, 0xFF, 0x00},  // blink
    {5, 0x06, 4, 2, 1, 1, 0xFF, 0x00, 0xFF},  // marquee over every LED
    {6, 0x07, 4, 2, 0, 0, 0x00, 0x00, 0xFF},  // mirrored pairs
    {7, 0x08, 0, 2, 0, 0, 0x00, 0x00, 0x00},  // off
    {8, 0x03, 1, 4, 0, 0, 0xFF, 0xFF, 0x00},
    {9, 0x02, 4, 1, 0, 0, 0xFF, 0x80, 0x00},
}};
// clang-format on

std::vector<uint8_t> ParameterArea() {
    std::vector<uint8_t> area(kHeadsetParameterBytes, 0xFF);
    for (size_t b = 0; b < kBanks.size(); ++b) {
        const auto at = area.begin() + static_cast<long>(b * kHeadsetBankStride);
        std::fill_n(at, kHeadsetBlockBytes, 0);
        std::copy(kBanks[b].begin(), kBanks[b].end(), at);
    }
    area[0] = 0;  // the bank in use
    return area;
}

}  // namespace

FirmwareLayout HeadsetLayout() {
    FirmwareLayout layout;
    layout.deviceInfo.assign(34, 0);
    layout.deviceInfo[0] = 0x10;  // firmware version, minor
    layout.deviceInfo[1] = 0x01;  // firmware version, major
    layout.parameters = ParameterArea();
    // Power and link bytes; byte 4 is the state the main window is told.
    layout.status = {0x00, 0x01, 0x00, 0x00, 0x02, 0x00};
    return layout;
}

}  // namespace emu
