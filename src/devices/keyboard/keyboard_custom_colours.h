#pragma once
// The keyboard's per-key custom colours (effect code 21): each key's colour is sent scaled by
// its alpha, (c x alpha) >> 8, and keys with the bright flag are marked in a 21-byte mask,
// byte p mod 21, bit p div 21. Positions 168 and above have no bit.
#include <array>
#include <cstdint>
#include <vector>

#include "devices/keyboard/keyboard_key_map.h"
#include "devices/keyboard/keyboard_light_codes.h"
#include "profiles/records.h"

namespace keyboard {

inline constexpr size_t kBrightMaskBytes = 21;
inline constexpr int kMaskPositions = 8 * kBrightMaskBytes;  // 168

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

Rgb ScaledColour(const profiles::LightColorEntry& entry);

struct BrightMask {
    std::array<uint8_t, kBrightMaskBytes> bytes{};
    // Bright keys whose position has no bit (168 and above): left out.
    std::vector<int> leftOutKeys;
};

// colours: entry i is key index i. Only keys with a position below positionCount (and below
// 170) take part.
BrightMask BuildBrightMask(const KeyPositions& positions, int positionCount,
                           const std::vector<profiles::LightColorEntry>& colours);

}  // namespace keyboard
