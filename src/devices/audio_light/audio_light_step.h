#pragma once
// The keyboard's music modes: one pure step from what the sound last said (band values,
// overall level, reaction marks) to the LED list by key index, run by the keyboard's light
// thread every 2 ticks in effects 29 (music rhythm) and 30 (music spectrum).
//
// Effect 29 by audio mode: 0 level (every key from the background towards the foreground as
// loud as the overall level), 1 bars (the six band values as bars over column groups of
// 4, 4, 4, 4, 4 and 3 columns, height band x 6 / 2000 rows from the bottom row, peaks falling
// one row per 100 ms), 2 rhythm (the reaction planes move one step per 40 ms, plane 1 a column
// left, 2 right, 3 a row up, 4 down; every key they pass lights and fades), 3 rainbow bars (as
// 1 in the colour wheel by column). An audio mode above 3 draws as 0. Active keys take the
// foreground colour (with the seven-colour flag, the wheel by column), the rest the
// background. Effect 30: bars in the selected style's colour (channel c of 0..9 as
// c x 255 / 9) over black. Brightness comes from the light settings. Plain C++, no Qt.
#include <array>
#include <cstdint>
#include <span>

#include "devices/light_effects.h"
#include "profiles/records.h"

namespace audio_light {

// Four planes of 23 bytes at bytes 1, 24, 47 and 70; bit r of byte c marks row r of column c.
inline constexpr size_t kPlaneColumns = 23;
inline constexpr std::array<size_t, 4> kPlaneStarts{1, 24, 47, 70};
inline constexpr size_t kReactionBytes = 93;
inline constexpr uint32_t kPlaneStepMs = 40;
inline constexpr uint32_t kPeakFallMs = 100;
inline constexpr std::array<int, 6> kBarColumnStarts{0, 4, 8, 12, 16, 20};

struct StyleColour {
    uint8_t red = 0;  // 0..9
    uint8_t green = 0;
    uint8_t blue = 0;
};
// A style channel of 0..9 on the 0..255 scale (above 9 reads as 9).
uint8_t StyleChannel(uint8_t value);

struct AudioLightInputs {
    std::array<int, 6> bands{};  // 0..2000
    int level = 0;               // 0..2000
};

struct AudioLightState {
    std::array<uint8_t, kReactionBytes> reaction{};
    std::array<uint8_t, 6> peaks{};  // rows of each bar's peak
    light::KeyIntensities intensities{};
    uint32_t lastPlaneMs = 0;
    uint32_t lastPeakMs = 0;
    bool started = false;
};

// The key reaction: with flag 1, marks the key's grid cell in all four planes (a key outside
// the grid, or another flag, does nothing).
void FireKeyReaction(AudioLightState& state, int key, int flag = 1);

// The rows a band value lights: band x 6 / 2000, 0..6.
int BarRows(int band);

void AudioLightStep(AudioLightState& state, const AudioLightInputs& inputs,
                    const profiles::AudioLightInfo& info, const light::LightSettings& settings,
                    StyleColour style, int effectCode, uint32_t nowMs,
                    std::span<light::LedEntry> leds);

}  // namespace audio_light
