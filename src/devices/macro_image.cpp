#include "devices/macro_image.h"

#include <algorithm>

namespace macro_codec {
namespace {

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

uint64_t MacroImageSize(std::span<const uint64_t> eventCounts) {
    uint64_t size = kMacroHeaderBytes;
    for (uint64_t count : eventCounts) {
        // Counts come from files; saturate instead of wrapping.
        const uint64_t block = count > (UINT64_MAX / 8)
                                   ? UINT64_MAX / 4
                                   : kMacroPerMacroBytes + kMacroEventBytes * count;
        size = size > UINT64_MAX / 2 ? size : size + block;
    }
    return size;
}

uint64_t MacroImageExcess(uint64_t size, uint64_t capacity) {
    const uint64_t limit = std::min(capacity, kMacroImageLimit);
    return size > limit ? (size - limit) / kMacroEventBytes + 1 : 0;
}

std::vector<uint8_t> BuildMacroImage(const std::vector<std::vector<DeviceEvent>>& macros,
                                     uint64_t capacity) {
    std::vector<uint64_t> counts;
    counts.reserve(macros.size());
    for (const auto& macro : macros) counts.push_back(macro.size());
    const uint64_t size = MacroImageSize(counts);
    if (MacroImageExcess(size, capacity) > 0) return {};

    std::vector<uint8_t> image(size, 0);
    PutU16(image, 0, kMacroImageMagic);
    PutU16(image, 2, size);
    PutU16(image, 4, macros.size());
    size_t block = kMacroHeaderBytes + 2 * macros.size();
    for (size_t i = 0; i < macros.size(); ++i) {
        PutU16(image, kMacroHeaderBytes + 2 * i, block);
        PutU16(image, block, macros[i].size());
        size_t at = block + kMacroEventBytes;
        for (const DeviceEvent& event : macros[i]) {
            std::copy(event.begin(), event.end(), image.begin() + static_cast<ptrdiff_t>(at));
            at += kMacroEventBytes;
        }
        block = at;
    }
    return image;
}

}  // namespace macro_codec
