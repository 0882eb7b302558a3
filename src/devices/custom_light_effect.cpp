#include "devices/custom_light_effect.h"

#include <algorithm>

namespace light {
namespace {

constexpr size_t kWaveCurveRiseStart = 16;  // the breathing curve's 22
constexpr int kWheelSize = 192;
constexpr int kBreathColourStep = 16;
constexpr int kBlinkColourOffset = 14;

std::array<uint8_t, kWaveCurveEntries> MakeWaveCurve() {
    std::array<uint8_t, kWaveCurveEntries> curve{};
    constexpr size_t half = kWaveCurveEntries / 2;
    for (size_t i = 0; i < half; ++i) {
        curve[i] = kBreathingCurve[kWaveCurveRiseStart + i];
        curve[kWaveCurveEntries - 1 - i] = curve[i];
    }
    return curve;
}

uint8_t Scale(unsigned value, unsigned level) { return static_cast<uint8_t>(value * level / 256); }

void Fill(std::span<LedEntry> leds, Rgb colour, uint8_t brightness) {
    for (LedEntry& led : leds) {
        led.red = colour.red;
        led.green = colour.green;
        led.blue = colour.blue;
        led.brightness = brightness;
    }
}

void Set(LedEntry& led, Rgb colour, uint8_t brightness) {
    led.red = colour.red;
    led.green = colour.green;
    led.blue = colour.blue;
    led.brightness = brightness;
}

Rgb StepColour(const profiles::LightEffectStep& step) { return {step.red, step.green, step.blue}; }

Rgb Wheel(int index) { return kColourWheel[static_cast<size_t>(index % kWheelSize)]; }

void Breathing(std::span<LedEntry> leds, const profiles::LightEffectStep& step,
               CustomEffectState& state, uint8_t level) {
    state.phase = static_cast<uint8_t>((state.phase + 1) % kBreathingEntries);
    // A seven-colour breath takes the next wheel colour each time a breath begins.
    if (state.phase == 0)
        state.breathColourIndex =
            static_cast<uint8_t>((state.breathColourIndex + kBreathColourStep) % kWheelSize);
    const Rgb colour = step.multicolour ? Wheel(state.breathColourIndex) : StepColour(step);
    Fill(leds, colour, Scale(kBreathingCurve[state.phase], level));
}

void Blink(std::span<LedEntry> leds, const profiles::LightEffectStep& step,
           CustomEffectState& state, uint8_t level, uint8_t ownSpeed, uint32_t nowMs) {
    if (nowMs - state.lastToggleMs >= BlinkPeriodMs(ownSpeed)) {
        state.blinkOn = state.blinkOn ? 0 : 1;
        state.lastToggleMs = nowMs;
        state.blinkColourIndex = (state.phase + 78) % 256 >= 64
                                     ? static_cast<uint8_t>(state.phase + kBlinkColourOffset)
                                     : 0;
    }
    if (!state.blinkOn) {
        Fill(leds, {}, 0);
        return;
    }
    Fill(leds, step.multicolour ? Wheel(state.blinkColourIndex) : StepColour(step), level);
}

void Wave(std::span<LedEntry> leds, const profiles::LightEffectStep& step,
          const CustomEffectState& state, uint8_t level) {
    int d = state.phase + 1;
    if (d >= kWheelSize) d = 0;
    if (step.direction)
        d = std::min(static_cast<int>(static_cast<uint8_t>(-state.phase - 64)), 191);
    for (LedEntry& led : leds) {
        if (step.multicolour) {
            Set(led, Wheel(d), level);
            d = (d + kWaveLedStep) % kWheelSize;
        } else {
            d = (d + kWaveLedStep) % static_cast<int>(kWaveCurveEntries);
            Set(led, StepColour(step), Scale(kWaveCurve[static_cast<size_t>(d)], level));
        }
    }
}

}  // namespace

const std::array<uint8_t, kWaveCurveEntries> kWaveCurve = MakeWaveCurve();

uint8_t CustomStepInterval(const profiles::LightEffectStep& step) {
    const auto& pace = step.mode == static_cast<uint8_t>(CustomStepMode::Spectrum)
                           ? kCustomSpectrumPace
                           : kCustomStepPace;
    return pace[std::min<size_t>(step.speed, kLevels - 1)];
}

void CustomEffectPass(std::span<LedEntry> leds, std::span<const profiles::LightEffectStep> steps,
                      uint8_t ownSpeed, CustomEffectState& state, uint32_t nowMs) {
    if (steps.empty()) {
        Fill(leds, {}, 0);
        return;
    }
    if (!state.started) {
        state.started = true;
        state.stepStartMs = nowMs;
    }
    if (state.stepIndex >= steps.size()) state.stepIndex = 0;
    const profiles::LightEffectStep& step = steps[state.stepIndex];
    const uint8_t level = BrightnessLevel(step.brightness);
    const uint8_t interval = CustomStepInterval(step);
    state.passCount = static_cast<uint8_t>(state.passCount + 1);
    // A step that follows a slower one may find the count past its interval already.
    const bool due = state.passCount >= interval;
    if (due) state.passCount = 0;

    switch (static_cast<CustomStepMode>(step.mode)) {
        case CustomStepMode::Breathing:
            if (due) Breathing(leds, step, state, level);
            break;
        case CustomStepMode::Static:
            if (due) {
                state.phase = static_cast<uint8_t>((state.phase + 1) % 9);
                Fill(leds, StepColour(step), level);
            }
            break;
        case CustomStepMode::Blink:
            state.phase = static_cast<uint8_t>((state.phase + 1) % kBreathingEntries);
            Blink(leds, step, state, level, ownSpeed, nowMs);
            break;
        case CustomStepMode::Wave:
            if (due) {
                state.phase = static_cast<uint8_t>((state.phase + 1) % kWheelSize);
                Wave(leds, step, state, level);
            }
            break;
        case CustomStepMode::Spectrum:
            if (due) {
                state.phase = static_cast<uint8_t>((state.phase + 1) % kWheelSize);
                Fill(leds, Wheel(state.phase), level);
            }
            break;
        default:
            break;  // a mode the player does not know draws nothing
    }
    if (state.passCount == 255) state.passCount = 0;

    const uint32_t stepTime = static_cast<uint32_t>(std::max<int32_t>(step.time, 0));
    if (nowMs - state.stepStartMs > stepTime) {
        state.stepIndex = state.stepIndex + 1 >= steps.size() ? 0 : state.stepIndex + 1;
        state.stepStartMs = nowMs;
    }
}

}  // namespace light
