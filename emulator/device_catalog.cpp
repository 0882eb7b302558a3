#include "emulator/device_catalog.h"

#include "hid/sample_descriptors.h"

namespace emu {
namespace {

template <size_t N>
hid::HidNodeInfo Node(uint16_t vid, uint16_t pid, int interfaceNumber, const char* product,
                      const std::array<uint8_t, N>& descriptor) {
    hid::HidNodeInfo node;
    node.vendorId = vid;
    node.productId = pid;
    node.version = 0x0100;
    node.interfaceNumber = interfaceNumber;
    node.product = product;
    node.reportDescriptor.assign(descriptor.begin(), descriptor.end());
    return node;
}

FirmwareLayout KeyboardLayout() {
    FirmwareLayout layout;
    layout.deviceInfo.assign(34, 0);
    layout.deviceInfo[0] = 0x01;  // firmware version, minor
    layout.deviceInfo[1] = 0x02;  // firmware version, major
    layout.deviceInfo[5] = kKeyboardKeyPositions;
    layout.deviceInfo[6] = kKeyboardMacroUnits;
    layout.macroBytes = kKeyboardMacroUnits * 128;
    return layout;
}

FirmwareLayout HeadsetLayout() {
    FirmwareLayout layout;
    layout.deviceInfo.assign(34, 0);
    return layout;
}

const CatalogEntry kCatalog[] = {
    {"keyboard",
     [] {
         return std::vector{Node(0x320F, 0x5055, 1, "Skelmora Gaming Keyboard",
                                 hid::descriptors::kKeyboardInterface1)};
     },
     KeyboardLayout},
    {"headset",
     [] {
         return std::vector{Node(0x0C76, 0x1630, 3, "Skelmora USB Headset",
                                 hid::descriptors::kHeadsetInterface3)};
     },
     HeadsetLayout},
};

}  // namespace

std::span<const CatalogEntry> DeviceCatalog() { return kCatalog; }

}  // namespace emu
