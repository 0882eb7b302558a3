#include "devices/mouse/pad_preview.h"

#include <algorithm>
#include <cstdlib>

#include "devices/mouse/mouse_preview.h"

namespace pad {
namespace {

constexpr int kWheel = static_cast<int>(mouse::kPreviewWheel);
constexpr int kCurve = static_cast<int>(mouse::kPreviewCurve);
constexpr int kMiddleLed = 7;
constexpr int kWaveStep = 7;
constexpr int kSpectrumStep = 16;

void Paint(light::LedEntry& led, light::Rgb colour, int brightness) {
    led.red = colour.red;
    led.green = colour.green;
    led.blue = colour.blue;
    led.brightness = static_cast<uint8_t>(std::clamp(brightness, 0, 255));
}

light::Rgb Wheel(int index) { return mouse::PreviewWheel()[static_cast<size_t>(index % kWheel)]; }

uint8_t Advance(const light::LightSettings& settings, int limit, PadPreviewState& state) {
    state.position = light::StepValue(settings.direction != 0, limit, state.position, 1);
    return state.position;
}

size_t LedCount(std::span<light::LedEntry> leds) { return std::min(leds.size(), kPadLeds); }

}  // namespace

void WaveFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
               PadPreviewState& state) {
    const bool multicolour = settings.multicolour != 0;
    const int limit = multicolour ? kWheel : kCurve;
    const int p = Advance(settings, limit, state);
    const int scale = light::BrightnessLevel(settings.brightness);
    int index = (p + 1) % limit;
    for (size_t i = 0; i < LedCount(leds); ++i) {
        if (multicolour) {
            Paint(leds[i], Wheel(index), scale);
        } else {
            Paint(leds[i], {settings.red, settings.green, settings.blue},
                  scale * mouse::PreviewCurve()[static_cast<size_t>(index)] / 256);
        }
        index = (index + kWaveStep) % limit;
    }
}

void RainbowWaveFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
                      PadPreviewState& state) {
    const int p = Advance(settings, kWheel, state);
    const int scale = light::BrightnessLevel(settings.brightness);
    for (size_t i = 0; i < LedCount(leds); ++i)
        Paint(leds[i], Wheel(p + kWheel * static_cast<int>(i) / static_cast<int>(kPadLeds)), scale);
}

void SpectrumFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
                   PadPreviewState& state) {
    const int p = Advance(settings, kWheel, state);
    const int scale = light::BrightnessLevel(settings.brightness);
    for (size_t i = 0; i < LedCount(leds); ++i)
        Paint(leds[i], Wheel(p + kSpectrumStep * std::abs(static_cast<int>(i) - kMiddleLed)),
              scale);
}

void NeonFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
               PadPreviewState& state) {
    const int p = Advance(settings, kWheel, state);
    const int level = light::BrightnessLevel(settings.brightness) *
                      mouse::PreviewCurve()[static_cast<size_t>((2 * p) % kCurve)] / 256;
    for (size_t i = 0; i < LedCount(leds); ++i)
        Paint(leds[i], Wheel(i % 2 == 0 ? p : p + kWheel / 2), level);
}

}  // namespace pad
