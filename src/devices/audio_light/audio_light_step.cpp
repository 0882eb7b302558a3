#include "devices/audio_light/audio_light_step.h"

#include <algorithm>

#include "devices/audio_light/audio_level_rule.h"
#include "tables/key_grid.h"

namespace audio_light {

namespace {

using tables::kKeyGrid;
using tables::kKeyGridColumns;
using tables::kKeyGridRows;
using tables::kNoKey;

constexpr int kValueTop = 2000;
constexpr uint8_t kRowMask = (1u << kKeyGridRows) - 1;

enum class Draw { Level, Bars, Rhythm, RainbowBars };

Draw DrawOf(int effectCode, int audioMode) {
    if (effectCode == kSpectrumEffectCode) return Draw::Bars;
    switch (audioMode) {
        case 1:
            return Draw::Bars;
        case 2:
            return Draw::Rhythm;
        case 3:
            return Draw::RainbowBars;
        default:
            return Draw::Level;
    }
}

light::Rgb WheelOfColumn(int column) {
    const size_t last = light::kWheelEntries - 1;
    return light::kColourWheel[static_cast<size_t>(column) * last / (kKeyGridColumns - 1)];
}

uint8_t Mix(uint8_t from, uint8_t to, int amount, int top) {
    return static_cast<uint8_t>(from + (static_cast<int>(to) - from) * amount / top);
}

light::Rgb Mix(light::Rgb from, light::Rgb to, int amount, int top) {
    amount = std::clamp(amount, 0, top);
    return {Mix(from.red, to.red, amount, top), Mix(from.green, to.green, amount, top),
            Mix(from.blue, to.blue, amount, top)};
}

void Paint(std::span<light::LedEntry> leds, int key, light::Rgb colour, uint8_t brightness) {
    if (key < 0 || static_cast<size_t>(key) >= leds.size()) return;
    light::LedEntry& led = leds[static_cast<size_t>(key)];
    led.red = colour.red;
    led.green = colour.green;
    led.blue = colour.blue;
    led.brightness = brightness;
}

int GroupOfColumn(int column) {
    int group = 0;
    for (size_t g = 0; g < kBarColumnStarts.size(); ++g)
        if (column >= kBarColumnStarts[g]) group = static_cast<int>(g);
    return group;
}

// Plane p moved one step: 0 a column left, 1 right, 2 a row up, 3 a row down.
void MovePlane(std::span<uint8_t, kPlaneColumns> plane, int p) {
    if (p == 0) {
        std::copy(plane.begin() + 1, plane.end(), plane.begin());
        plane.back() = 0;
    } else if (p == 1) {
        std::copy_backward(plane.begin(), plane.end() - 1, plane.end());
        plane.front() = 0;
    } else {
        for (uint8_t& rows : plane)
            rows = static_cast<uint8_t>((p == 2 ? rows >> 1 : rows << 1) & kRowMask);
    }
}

std::span<uint8_t, kPlaneColumns> Plane(AudioLightState& state, size_t p) {
    return std::span<uint8_t, kPlaneColumns>(state.reaction.data() + kPlaneStarts[p],
                                             kPlaneColumns);
}

// After a pause (another effect, no steps) the animation catches up at most a second: by then
// every mark has left the grid and every peak has fallen.
void CatchUp(uint32_t& lastMs, uint32_t nowMs) {
    constexpr uint32_t kLongestCatchUpMs = 1000;
    if (nowMs - lastMs > kLongestCatchUpMs) lastMs = nowMs - kLongestCatchUpMs;
}

}  // namespace

uint8_t StyleChannel(uint8_t value) {
    return static_cast<uint8_t>(std::min<int>(value, 9) * 255 / 9);
}

int BarRows(int band) {
    return static_cast<int>(
        std::clamp<int64_t>(int64_t{band} * kKeyGridRows / kValueTop, 0, kKeyGridRows));
}

void FireKeyReaction(AudioLightState& state, int key, int flag) {
    if (flag != 1) return;
    const auto cell = tables::FindKeyInGrid(key);
    if (!cell) return;
    for (size_t p = 0; p < kPlaneStarts.size(); ++p)
        Plane(state, p)[static_cast<size_t>(cell->column)] |= static_cast<uint8_t>(1u << cell->row);
}

void AudioLightStep(AudioLightState& state, const AudioLightInputs& inputs,
                    const profiles::AudioLightInfo& info, const light::LightSettings& settings,
                    StyleColour style, int effectCode, uint32_t nowMs,
                    std::span<light::LedEntry> leds) {
    if (!state.started) {
        state.started = true;
        state.lastPlaneMs = nowMs;
        state.lastPeakMs = nowMs;
    }
    const uint8_t brightness = light::BrightnessLevel(settings.brightness);
    const bool spectrum = effectCode == kSpectrumEffectCode;
    const light::Rgb background =
        spectrum ? light::Rgb{}
                 : light::Rgb{info.background_red, info.background_green, info.background_blue};
    const light::Rgb foreground =
        spectrum ? light::Rgb{StyleChannel(style.red), StyleChannel(style.green),
                              StyleChannel(style.blue)}
                 : light::Rgb{info.foreground_red, info.foreground_green, info.foreground_blue};
    const Draw draw = DrawOf(effectCode, info.audio_mode);
    const bool wheel = draw == Draw::RainbowBars || (!spectrum && info.seven_colour != 0);
    auto activeColour = [&](int column) { return wheel ? WheelOfColumn(column) : foreground; };

    // Every LED starts from the background; the drawing lights the active keys.
    for (size_t i = 0; i < leds.size(); ++i)
        Paint(leds, static_cast<int>(i), background, brightness);

    if (draw == Draw::Level) {
        for (int c = 0; c < kKeyGridColumns; ++c)
            for (const uint8_t key : kKeyGrid[static_cast<size_t>(c)])
                if (key != kNoKey)
                    Paint(leds, key, Mix(background, activeColour(c), inputs.level, kValueTop),
                          brightness);
        // Keys outside the grid follow the level too.
        for (size_t i = 0; i < leds.size(); ++i)
            if (!tables::FindKeyInGrid(static_cast<int>(i)))
                Paint(leds, static_cast<int>(i),
                      Mix(background, foreground, inputs.level, kValueTop), brightness);
        return;
    }

    if (draw == Draw::Rhythm) {
        // The planes move one step per 40 ms; every key a plane marks lights at full and fades.
        CatchUp(state.lastPlaneMs, nowMs);
        while (nowMs - state.lastPlaneMs >= kPlaneStepMs) {
            state.lastPlaneMs += kPlaneStepMs;
            for (size_t p = 0; p < kPlaneStarts.size(); ++p)
                MovePlane(Plane(state, p), static_cast<int>(p));
            for (size_t k = 0; k < state.intensities.size(); ++k)
                light::DecayKeyLight(state.intensities, static_cast<int>(k), kRhythmEffectCode);
        }
        for (int c = 0; c < kKeyGridColumns; ++c) {
            uint8_t rows = 0;
            for (size_t p = 0; p < kPlaneStarts.size(); ++p)
                rows |= Plane(state, p)[static_cast<size_t>(c)];
            for (int r = 0; r < kKeyGridRows; ++r) {
                const uint8_t key = kKeyGrid[static_cast<size_t>(c)][static_cast<size_t>(r)];
                if (key == kNoKey) continue;
                if (rows & (1u << r)) state.intensities[key] = 255;
                Paint(leds, key, Mix(background, activeColour(c), state.intensities[key], 255),
                      brightness);
            }
        }
        return;
    }

    // Bars: peaks rise with the bar at once and fall one row per 100 ms.
    std::array<int, 6> heights{};
    for (size_t g = 0; g < heights.size(); ++g) heights[g] = BarRows(inputs.bands[g]);
    CatchUp(state.lastPeakMs, nowMs);
    while (nowMs - state.lastPeakMs >= kPeakFallMs) {
        state.lastPeakMs += kPeakFallMs;
        for (uint8_t& peak : state.peaks)
            if (peak > 0) --peak;
    }
    for (size_t g = 0; g < heights.size(); ++g)
        state.peaks[g] = static_cast<uint8_t>(std::max<int>(state.peaks[g], heights[g]));
    for (int c = 0; c < kKeyGridColumns; ++c) {
        const size_t g = static_cast<size_t>(GroupOfColumn(c));
        for (int r = 0; r < kKeyGridRows; ++r) {
            const int fromBottom = kKeyGridRows - 1 - r;  // 0 for the bottom row
            const bool lit = fromBottom < heights[g] || fromBottom == state.peaks[g] - 1;
            const uint8_t key = kKeyGrid[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (lit && key != kNoKey) Paint(leds, key, activeColour(c), brightness);
        }
    }
}

}  // namespace audio_light
