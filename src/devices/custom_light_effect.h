#pragma once
// The step player of a user light effect (the ".light" steps of modes past a device's
// built-in list). One call is one pass of the light thread: the current step's mode draws the
// LEDs when its pass count reaches the step's interval, and once the step's "Time" (ms) has
// passed the next step begins, the first again after the last. Each device keeps its own
// state, so two devices playing the same effect never move each other's steps. Plain C++,
// no Qt, no I/O; the clock comes in as nowMs.
#include <array>
#include <cstdint>
#include <span>

#include "devices/light_effects.h"
#include "profiles/records.h"

namespace light {

// Step modes of a light effect file ("LEDREGMode").
enum class CustomStepMode : uint8_t {
    Breathing = 0,
    Static = 1,
    Blink = 2,
    Wave = 4,
    Spectrum = 5,
};

inline constexpr std::array<uint8_t, kLevels> kCustomStepPace{8, 6, 4, 2, 1};
inline constexpr std::array<uint8_t, kLevels> kCustomSpectrumPace{10, 8, 5, 3, 1};
inline constexpr size_t kWaveCurveEntries = 96;
// Colour wheel steps between neighbouring LEDs of a wave.
inline constexpr int kWaveLedStep = 12;

// The 96-entry wave curve: 22 rising to 255 in 48 entries, then falling back the same way.
extern const std::array<uint8_t, kWaveCurveEntries> kWaveCurve;

struct CustomEffectState {
    uint32_t stepIndex = 0;
    uint8_t phase = 0;      // P
    uint8_t passCount = 0;  // Q
    uint8_t blinkOn = 0;
    uint8_t blinkColourIndex = 0;
    uint8_t breathColourIndex = 0;  // the wheel entry of a seven-colour breath
    uint32_t lastToggleMs = 0;
    uint32_t stepStartMs = 0;
    bool started = false;  // the step clock is taken at the first pass
};

// Passes between two draws of a step (speeds past 4: the fastest).
uint8_t CustomStepInterval(const profiles::LightEffectStep& step);

// One pass. With no steps every LED goes dark. ownSpeed is the device's own light speed
// (0..4), which paces the blink of a blink step.
void CustomEffectPass(std::span<LedEntry> leds, std::span<const profiles::LightEffectStep> steps,
                      uint8_t ownSpeed, CustomEffectState& state, uint32_t nowMs);

}  // namespace light
