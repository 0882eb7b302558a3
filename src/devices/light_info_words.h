#pragma once
// The lighting records as the device and the lighting panel pass them: a LightInfo as the
// device's 16 bytes of light settings (bytes 8..13 are the settings' extra bytes 0..5: three
// unused, the ZZCC variant, the custom group, the mode to return to), and an AudioLightInfo as
// two 32-bit words and one byte (byte 0 lowest). Plain C++.
#include <array>
#include <cstdint>

#include "devices/light_effects.h"
#include "profiles/records.h"

namespace light {

inline constexpr std::size_t kZzccExtra = 3;
inline constexpr std::size_t kCustomGroupExtra = 4;
inline constexpr std::size_t kOldModeExtra = 5;

inline profiles::LightInfo ToLightInfo(const LightSettings& s) {
    profiles::LightInfo info;
    info.mode = s.mode;
    info.brightness = s.brightness;
    info.speed = s.speed;
    info.direction = s.direction;
    info.multicolour = s.multicolour;
    info.red = s.red;
    info.green = s.green;
    info.blue = s.blue;
    info.light_mode_variant = s.extra[kZzccExtra];
    info.custom_group = s.extra[kCustomGroupExtra];
    info.previous_mode = s.extra[kOldModeExtra];
    return info;
}

// The settings of `base` with every field of the record (the spare bytes of base stay).
inline LightSettings WithLightInfo(LightSettings base, const profiles::LightInfo& info) {
    base.mode = info.mode;
    base.brightness = info.brightness;
    base.speed = info.speed;
    base.direction = info.direction;
    base.multicolour = info.multicolour;
    base.red = info.red;
    base.green = info.green;
    base.blue = info.blue;
    base.extra[kZzccExtra] = info.light_mode_variant;
    base.extra[kCustomGroupExtra] = info.custom_group;
    base.extra[kOldModeExtra] = info.previous_mode;
    return base;
}

inline std::array<int, 3> PackAudioLight(const profiles::AudioLightInfo& info) {
    const auto word = [](uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
        return static_cast<int>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 8 |
                                static_cast<uint32_t>(c) << 16 | static_cast<uint32_t>(d) << 24);
    };
    return {
        word(info.audio_mode, info.background_red, info.background_green, info.background_blue),
        word(info.foreground_red, info.foreground_green, info.foreground_blue, info.seven_colour),
        info.colour_type};
}

inline profiles::AudioLightInfo UnpackAudioLight(const std::array<int, 3>& words) {
    const auto byte = [&words](std::size_t word, int index) {
        return static_cast<uint8_t>(static_cast<uint32_t>(words[word]) >> (8 * index));
    };
    profiles::AudioLightInfo info;
    info.audio_mode = byte(0, 0);
    info.background_red = byte(0, 1);
    info.background_green = byte(0, 2);
    info.background_blue = byte(0, 3);
    info.foreground_red = byte(1, 0);
    info.foreground_green = byte(1, 1);
    info.foreground_blue = byte(1, 2);
    info.seven_colour = byte(1, 3);
    info.colour_type = byte(2, 0);
    return info;
}

}  // namespace light
