#pragma once
// The macro image the keyboard and the mouse receive with WriteMacroData, little-endian:
//   0   u16 0x55AA
//   2   u16 total size in bytes
//   4   u16 number of macros n
//   6   10 zero bytes
//   16  u16 x n   offset of each macro's block
//   block: u16 event count, two zero bytes, then 4 bytes per event (the device event form).
// Total size = 16 + 6 x n + 4 x (all events). The size is worked out from the event counts
// before anything is built, in 64 bits, so an oversized macro list never allocates its image
// and can never wrap the 16-bit size or offset fields.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace macro_codec {

using DeviceEvent = std::array<uint8_t, 4>;

inline constexpr uint16_t kMacroImageMagic = 0x55AA;
inline constexpr uint64_t kMacroHeaderBytes = 16;
inline constexpr uint64_t kMacroPerMacroBytes = 6;  // its offset and its block header
inline constexpr uint64_t kMacroEventBytes = 4;
// The 16-bit size field bounds every image, whatever the device's memory.
inline constexpr uint64_t kMacroImageLimit = 0xFFFF;

uint64_t MacroImageSize(std::span<const uint64_t> eventCounts);

// (size - capacity) / 4 + 1 when the image does not fit (capacity or the 16-bit limit), else 0.
uint64_t MacroImageExcess(uint64_t size, uint64_t capacity);

// The image of macros (each a list of device events), or empty when it would exceed capacity
// (MacroImageExcess then tells by how much).
std::vector<uint8_t> BuildMacroImage(const std::vector<std::vector<DeviceEvent>>& macros,
                                     uint64_t capacity);

}  // namespace macro_codec
