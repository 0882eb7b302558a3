#pragma once
// The mouse's own preview frames on the page (light modes 0, 5 and 6): its 15 LEDs as seven
// positions (0, 13), (1, 12), (2, 11), (3, 10), (4, 9), (5, 8), (6, 14, 7), a 192-entry colour
// wheel and a 96-entry breathing curve of its own. Pure: each frame works on the LED list and
// a small state.
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "devices/light_effects.h"

namespace mouse {

inline constexpr size_t kPreviewWheel = 192;
inline constexpr size_t kPreviewCurve = 96;
inline constexpr size_t kPreviewPositions = 7;
inline constexpr size_t kPreviewLedCount = 15;
inline constexpr int kNoLed = -1;
inline constexpr std::array<std::array<int, 3>, kPreviewPositions> kPreviewLayout{{
    {0, 13, kNoLed},
    {1, 12, kNoLed},
    {2, 11, kNoLed},
    {3, 10, kNoLed},
    {4, 9, kNoLed},
    {5, 8, kNoLed},
    {6, 14, 7},
}};

// A full hue circle from (255, 1, 0): one channel at 255 while the next rises or the previous
// falls, 32 entries per sixth.
const std::array<light::Rgb, kPreviewWheel>& PreviewWheel();
// 22 rising to 255 in 48 entries, then falling back the same way.
const std::array<uint8_t, kPreviewCurve>& PreviewCurve();

struct PreviewState {
    uint8_t position = 0;                             // p of the frames
    std::array<uint8_t, kPreviewPositions> levels{};  // frame 5: each position's level
};

// Reactive fade of one LED.
enum class Fade : uint8_t { Idle = 0, Rising = 1, Falling = 2 };

// Frame 0, the wave.
void WaveFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
               PreviewState& state);
// Frame 5: a light running along the positions in the light direction, fading behind it.
void RunFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
              PreviewState& state);
// Frame 6, reactive: rising LEDs gain 15 up to 255 then fall, falling ones lose 15 down to 0.
// Each LED keeps its wheel entry in extra[0] and its level in extra[1].
void ReactiveFrame(std::span<light::LedEntry> leds, std::span<uint8_t> fade,
                   const light::LightSettings& settings);
// A press (0x0403): every LED rises from 255 with a wheel entry of its own.
void StartReactive(std::span<light::LedEntry> leds, std::span<uint8_t> fade,
                   const std::function<uint8_t()>& randomWheelEntry);

}  // namespace mouse
