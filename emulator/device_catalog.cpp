#include "emulator/device_catalog.h"

#include <algorithm>

#include "emulator/headset_memory.h"
#include "emulator/keyboard_memory.h"
#include "emulator/mouse_memory.h"
#include "emulator/pad_memory.h"
#include "hid/sample_descriptors.h"
#include "tables/emulated_mouse.h"

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

// A five-button mouse with wheel, report id 1; the mouse's interface 1 then carries the same
// system control, consumer and vendor collections as the keyboard's.
constexpr uint8_t kMouseCollection[] = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Generic Desktop, Mouse, Application
    0x85, 0x01, 0x09, 0x01, 0xA1, 0x00,  //   Report ID 1, Pointer, Physical
    0x05, 0x09, 0x19, 0x01, 0x29, 0x05,  //     Buttons 1..5
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x05, 0x81, 0x02, 0x95, 0x03,
    0x81, 0x01,                                      //     padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38,  // X, Y, Wheel
    0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0,
};

// Bytes of a descriptor up to the end of its first top-level collection.
size_t FirstCollectionLength(std::span<const uint8_t> descriptor) {
    int depth = 0;
    for (size_t i = 0; i < descriptor.size();) {
        const uint8_t prefix = descriptor[i];
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if ((prefix & 0xFC) == 0xA0) ++depth;
        if ((prefix & 0xFC) == 0xC0 && --depth == 0) return i + 1 + size;
        i += 1 + size;
    }
    return descriptor.size();
}

constexpr std::array<uint8_t, 0> kNone{};

hid::HidNodeInfo MouseNode(uint16_t pid, const char* product) {
    const std::span<const uint8_t> keyboard(hid::descriptors::kKeyboardInterface1);
    const auto shared = keyboard.subspan(FirstCollectionLength(keyboard));
    hid::HidNodeInfo node = Node(kEmulatedMouseVendor, pid, 1, product, kNone);
    node.reportDescriptor.assign(std::begin(kMouseCollection), std::end(kMouseCollection));
    node.reportDescriptor.insert(node.reportDescriptor.end(), shared.begin(), shared.end());
    return node;
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
         return std::vector{
             Node(0x0C76, 0x1630, 3, "Skelmora USB Headset", hid::descriptors::kHeadsetInterface3)};
     },
     HeadsetLayout, nullptr, DeviceModel::Headset},
    {"mouse", [] { return std::vector{MouseNode(kEmulatedMousePid, "Skelmora Gaming Mouse")}; },
     MouseLayout},
    // The receiver reaches the same mouse: it shares the mouse's firmware and memory.
    {"mouse-receiver",
     [] { return std::vector{MouseNode(kEmulatedReceiverPid, "Skelmora 2.4G Receiver")}; },
     MouseLayout, "mouse"},
    // Interface 1 as the pad rows of the interface table expect: consumer collection 3,
    // vendor command collection 4.
    {"mousepad",
     [] {
         return std::vector{Node(kEmulatedMouseVendor, kEmulatedPadPid, 1, "Skelmora Mouse Pad",
                                 hid::descriptors::kKeyboardInterface1)};
     },
     PadLayout},
};

}  // namespace

std::span<const CatalogEntry> DeviceCatalog() { return kCatalog; }

}  // namespace emu
