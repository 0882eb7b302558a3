#pragma once
// The keyboard's on-screen light preview: which step each effect code runs and at which pace,
// and the two steps of its own (a wave over the key columns, the custom colours). The other
// steps are the shared software effects of light_effects.h. The mapping is documented in
// docs/keyboard-light-preview.md. Plain C++, no Qt.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "devices/keyboard/keyboard_light_codes.h"
#include "devices/light_effects.h"
#include "devices/light_modes.h"
#include "profiles/records.h"

namespace keyboard {

enum class PreviewStep : uint8_t {
    Static,
    Breathing,
    ColourCycle,  // every key the same colour of the wheel, moving on
    Wave,         // the wheel (or the colour's breathing curve) running over the key columns
    Blink,
    Off,
    Custom,  // the per-key colours of the custom mode
    Audio,   // the LEDs follow the sound (audio-reactive lighting, audio_light_step.h)
};

struct PreviewRow {
    PreviewStep step;
    std::array<uint8_t, 5> pace;  // ticks between steps, by speed 0..4
};

inline constexpr std::array<uint8_t, 5> kPreviewPace = light::kKeyboardPace;
// The custom colours do not move: speed means nothing there (the lighting panel hides it).
inline constexpr std::array<uint8_t, 5> kEverySpeedThree{3, 3, 3, 3, 3};
// The music modes step every 2 ticks at every speed.
inline constexpr std::array<uint8_t, 5> kMusicRhythmPace{2, 2, 2, 2, 2};

// The row of an effect code; codes the keyboard does not name show the static colour.
PreviewRow PreviewRowOfCode(int code);

// Number of columns the wave runs over; a key's column is its place across the picture.
inline constexpr int kWaveColumns = 24;

// The wave column of each LED from the horizontal centres of its key in the picture (any unit;
// a negative centre: no key). The leftmost key is column 0, the rightmost kWaveColumns - 1,
// whatever size the picture has at the time; LEDs without a key get column 0.
std::vector<uint8_t> WaveColumnsOfCentres(std::span<const int> centres);

// One wave step: the phase moves 4 entries along the wheel (direction as the breathing
// step); LED i shows the wheel at phase + its column's offset (multicolour), or the fixed
// colour at the breathing curve's level there. LEDs past columns count as column 0.
void EffectWave(light::EffectContext& context, std::span<const uint8_t> columns);
// LED i shows custom colour i, its alpha as the brightness; LEDs past the list are dark.
void EffectCustomColours(light::EffectContext& context,
                         std::span<const profiles::LightColorEntry> colours);

}  // namespace keyboard
