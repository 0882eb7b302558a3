#pragma once
// The mouse pad's own light frames over its 15 LEDs in index order (light modes 0, 5, 6, 7 of
// the pad's list: Wave, Rainbow Wave, Spectrum, Neon). They use the mouse preview's 192-entry
// colour wheel and 96-entry breathing curve; p is the frame's position, advanced by one each
// frame (backwards when the direction is set). Formulas (docs/pad-light-frames.md):
//   Wave (0):         LED i takes index (p + 1 + 7 i) mod L, L = 192 in multicolour (wheel
//                     colour) and 96 otherwise (the live colour scaled by the curve);
//   Rainbow Wave (5): LED i takes the wheel colour (p + 192 i / 15) mod 192, the whole hue
//                     circle spread once over the pad;
//   Spectrum (6):     LED i takes the wheel colour (p + 16 |i - 7|) mod 192, mirrored from the
//                     middle LED outwards;
//   Neon (7):         even LEDs take wheel colour p, odd LEDs the opposite hue (p + 96) mod 192,
//                     all breathing by the curve at (2 p) mod 96.
// Brightness is the level of the settings' brightness (0..4) throughout. Pure.
#include <cstdint>
#include <span>

#include "devices/light_effects.h"

namespace pad {

inline constexpr size_t kPadLeds = 15;

struct PadPreviewState {
    uint8_t position = 0;
};

void WaveFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
               PadPreviewState& state);
void RainbowWaveFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
                      PadPreviewState& state);
void SpectrumFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
                   PadPreviewState& state);
void NeonFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
               PadPreviewState& state);

}  // namespace pad
