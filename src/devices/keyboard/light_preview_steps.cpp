#include "devices/keyboard/light_preview_steps.h"

#include <algorithm>
#include <limits>

namespace keyboard {

namespace {

using S = PreviewStep;

// By effect code (the "value" of the keyboard's effects in default_light.json).
constexpr std::array<PreviewStep, 46> kStepOfCode{{
    S::Off,          // 0 off
    S::Wave,         // 1 wave
    S::Wave,         // 2 snake
    S::Wave,         // 3 ripple
    S::ColourCycle,  // 4 neon stream
    S::Static,       // 5 static
    S::Breathing,    // 6 breathing
    S::Blink,        // 7 reactive
    S::Blink,        // 8 raindrops
    S::Blink,        // 9 sparkle
    S::Breathing,    // 10 starlight
    S::Wave,         // 11 rainbow wheel
    S::ColourCycle,  // 12 spectrum
    S::Blink,        // 13 fireworks
    S::Wave,         // 14 cross
    S::Wave,         // 15 meteor
    S::Wave,         // 16 scan
    S::Blink,        // 17 rain
    S::Breathing,    // 18 flower
    S::Wave,         // 19 rising
    S::Wave,         // 20 trail
    S::Custom,       // 21 custom
    S::Breathing,    // 22 heartbeat
    S::Blink,        // 23 flashing
    S::Wave,         // 24 waterfall
    S::Static,       // 25
    S::Wave,         // 26 rainbow ripple
    S::Blink,        // 27 rainbow reactive
    S::Off,          // 28 light off
    S::Audio,        // 29 music rhythm
    S::Audio,        // 30 music spectrum
    S::Static,       // 31
    S::Static,       // 32
    S::Static,       // 33
    S::Static,       // 34
    S::Static,       // 35
    S::Static,       // 36
    S::Static,       // 37
    S::Static,       // 38
    S::Static,       // 39
    S::ColourCycle,  // 40 colour cycle
    S::Wave,         // 41 tornado
    S::Breathing,    // 42 rainbow breathing
    S::Breathing,    // 43 pulse
    S::Static,       // 44
    S::Static,       // 45 zone effects
}};

constexpr int kWheelSpan = 192;
constexpr int kWaveStep = 4;

}  // namespace

PreviewRow PreviewRowOfCode(int code) {
    if (code == kCustomColourCode) return {S::Custom, kEverySpeedThree};
    if (code == kMusicRhythmCode || code == kMusicSpectrumCode) return {S::Audio, kMusicRhythmPace};
    if (code < 0 || code >= static_cast<int>(kStepOfCode.size())) return {S::Static, kPreviewPace};
    return {kStepOfCode[static_cast<size_t>(code)], kPreviewPace};
}

std::vector<uint8_t> WaveColumnsOfCentres(std::span<const int> centres) {
    std::vector<uint8_t> columns(centres.size(), 0);
    int left = std::numeric_limits<int>::max();
    int right = std::numeric_limits<int>::min();
    for (const int centre : centres) {
        if (centre < 0) continue;
        left = std::min(left, centre);
        right = std::max(right, centre);
    }
    if (left >= right) return columns;  // no key, or every key in one place
    const int64_t span = int64_t{right} - left;
    for (size_t i = 0; i < centres.size(); ++i) {
        if (centres[i] < 0) continue;
        const int64_t column = (int64_t{centres[i]} - left) * (kWaveColumns - 1) / span;
        columns[i] = static_cast<uint8_t>(std::clamp<int64_t>(column, 0, kWaveColumns - 1));
    }
    return columns;
}

void EffectWave(light::EffectContext& context, std::span<const uint8_t> columns) {
    light::EffectState& state = context.state;
    const light::LightSettings& settings = context.settings;
    state.phase = light::StepValue(settings.direction != 0, kWheelSpan, state.phase, kWaveStep);
    const uint8_t level = light::BrightnessLevel(settings.brightness);
    for (size_t i = 0; i < context.leds.size(); ++i) {
        const int column = i < columns.size() ? columns[i] : 0;
        const int at = (state.phase + column * kWheelSpan / kWaveColumns) % kWheelSpan;
        light::LedEntry& led = context.leds[i];
        if (settings.multicolour != 0) {
            const light::Rgb colour = light::kColourWheel[static_cast<size_t>(at)];
            led.red = colour.red;
            led.green = colour.green;
            led.blue = colour.blue;
            led.brightness = level;
        } else {
            led.red = settings.red;
            led.green = settings.green;
            led.blue = settings.blue;
            const int curve = light::kBreathingCurve[static_cast<size_t>(
                at * static_cast<int>(light::kBreathingEntries) / kWheelSpan)];
            led.brightness = static_cast<uint8_t>(curve * level / 256);
        }
    }
}

void EffectCustomColours(light::EffectContext& context,
                         std::span<const profiles::LightColorEntry> colours) {
    for (size_t i = 0; i < context.leds.size(); ++i) {
        light::LedEntry& led = context.leds[i];
        if (i >= colours.size()) {
            led.red = led.green = led.blue = led.brightness = 0;
            continue;
        }
        led.red = colours[i].red;
        led.green = colours[i].green;
        led.blue = colours[i].blue;
        led.brightness = colours[i].alpha;
    }
}

}  // namespace keyboard
