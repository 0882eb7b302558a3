#include "devices/keyboard/keyboard_custom_colours.h"

#include <algorithm>

namespace keyboard {

Rgb ScaledColour(const profiles::LightColorEntry& entry) {
    return {ScaledByte(entry.red, entry.alpha), ScaledByte(entry.green, entry.alpha),
            ScaledByte(entry.blue, entry.alpha)};
}

BrightMask BuildBrightMask(const KeyPositions& positions, int positionCount,
                           const std::vector<profiles::LightColorEntry>& colours) {
    BrightMask mask;
    const int usable = std::clamp(positionCount, 0, kMaxPositions);
    const int keys = std::min<int>(kKeyIndexCount, static_cast<int>(colours.size()));
    for (int key = 0; key < keys; ++key) {
        const int position = positions[key];
        if (position < 0 || position >= usable || !colours[key].bright) continue;
        if (position >= kMaskPositions) {
            mask.leftOutKeys.push_back(key);
            continue;
        }
        mask.bytes[position % kBrightMaskBytes] |=
            static_cast<uint8_t>(1u << (position / kBrightMaskBytes));
    }
    return mask;
}

}  // namespace keyboard
