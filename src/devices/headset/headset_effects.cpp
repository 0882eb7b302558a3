#include "devices/headset/headset_effects.h"

#include <algorithm>

namespace headset {
namespace {

constexpr std::array<uint8_t, kWaveCurveEntries / 2> kRising{
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, kWaveCurveEntries> MakeWaveCurve() {
    std::array<uint8_t, kWaveCurveEntries> curve{};
    for (size_t i = 0; i < kRising.size(); ++i) {
        curve[i] = kRising[i];
        curve[kWaveCurveEntries - 1 - i] = kRising[i];
    }
    return curve;
}

constexpr size_t kWheelSpan = 192;
constexpr int kWheelStepPerLed = 12;
constexpr size_t kHeadsetRingPositions = 13;

uint8_t Scaled(uint8_t level, uint8_t by) { return static_cast<uint8_t>(level * by / 256); }

void SetLed(light::LedEntry& led, light::Rgb colour, uint8_t brightness) {
    led.red = colour.red;
    led.green = colour.green;
    led.blue = colour.blue;
    led.brightness = brightness;
}

// The marquee's common part: the phase steps every pass; every second pass the ring lights
// its keys and the first marks of it move one place. An empty ring is seeded with one mark,
// so the marquee always has something to move.
void MoveMarquee(light::EffectContext& context, MarqueeState& marquee, size_t marks,
                 bool backwards) {
    const light::LightSettings& s = context.settings;
    context.state.phase = PhaseStep(s.direction != 0, kWheelSpan, context.state.phase, 1);
    if (++marquee.passes < 2) return;
    marquee.passes = 0;
    const auto first = marquee.ring.begin();
    if (std::all_of(first, first + static_cast<long>(marks), [](uint8_t m) { return m == 0; }))
        marquee.ring[0] = 1;
    MarkHeadsetRing(marquee.ring, marquee.keys);
    if (backwards) {
        std::rotate(first, first + static_cast<long>(marks) - 1, first + static_cast<long>(marks));
    } else {
        std::rotate(first, first + 1, first + static_cast<long>(marks));
    }
}

// The colour of the next pair or LED: the fixed colour, or with the multicolour flag the
// wheel entry at index, which then moves on by 12.
light::Rgb NextColour(const light::LightSettings& s, int& index) {
    if (!s.multicolour) return {s.red, s.green, s.blue};
    const light::Rgb colour = light::kColourWheel[static_cast<size_t>(index) % kWheelSpan];
    index += kWheelStepPerLed;
    return colour;
}

}  // namespace

const std::array<uint8_t, kWaveCurveEntries> kWaveCurve = MakeWaveCurve();

uint8_t PhaseStep(bool direction, int modulus, uint8_t phase, int step) {
    return light::StepValue(direction, modulus, phase, step);
}

void EffectA(light::EffectContext& context) {
    const light::LightSettings& s = context.settings;
    const uint8_t level = light::BrightnessLevel(s.brightness);
    uint8_t& phase = context.state.phase;
    for (size_t i = 0; i < context.leds.size(); ++i) {
        light::LedEntry& led = context.leds[i];
        if (s.multicolour) {
            phase = PhaseStep(s.direction != 0, kWheelSpan, phase, 1);
            SetLed(led, light::kColourWheel[(phase + 1 + 16 * i) % kWheelSpan], level);
        } else {
            phase = PhaseStep(s.direction != 0, kWaveCurveEntries, phase, 3);
            SetLed(led, {s.red, s.green, s.blue},
                   Scaled(level, kWaveCurve[(phase + 10 * i) % kWaveCurveEntries]));
        }
    }
}

void MarkHeadsetRing(const light::MarqueeRing& ring, light::KeyIntensities& keys) {
    for (size_t p = 0; p < kHeadsetRingPositions; ++p) {
        if (ring[p]) keys[p + 1] = 255;
    }
}

bool EffectB(light::EffectContext& context, MarqueeState& marquee) {
    const light::LightSettings& s = context.settings;
    MoveMarquee(context, marquee, kPairRingMarks, s.direction == 0);
    const uint8_t level = light::BrightnessLevel(s.brightness);
    int colourIndex = context.state.phase;
    bool skipped = false;
    for (size_t k = 0; k < kMirroredPairs.size(); ++k) {
        // The pair's brightness follows key k + 1, and that key decays.
        light::DecayKeyLight(marquee.keys, static_cast<int>(k + 1), kEffectBCode);
        const light::Rgb colour = NextColour(s, colourIndex);
        const uint8_t brightness = Scaled(level, marquee.keys[k + 1]);
        for (const uint8_t entry : kMirroredPairs[k]) {
            if (entry >= context.leds.size()) {
                skipped = true;
                continue;
            }
            SetLed(context.leds[entry], colour, brightness);
        }
    }
    return skipped;
}

void EffectC(light::EffectContext& context, MarqueeState& marquee) {
    const light::LightSettings& s = context.settings;
    MoveMarquee(context, marquee, kLedRingMarks, s.direction != 0);
    const uint8_t level = light::BrightnessLevel(s.brightness);
    int colourIndex = context.state.phase;
    for (size_t i = 0; i < context.leds.size() && i + 1 < marquee.keys.size(); ++i) {
        light::DecayKeyLight(marquee.keys, static_cast<int>(i + 1), kEffectCCode);
        const light::Rgb colour = NextColour(s, colourIndex);
        SetLed(context.leds[i], colour, Scaled(level, marquee.keys[i + 1]));
    }
}

}  // namespace headset
