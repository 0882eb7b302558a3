#include "devices/sync_light.h"

namespace light {

namespace {

uint32_t Word(Rgb colour, uint8_t brightness) {
    return static_cast<uint32_t>(colour.red) | static_cast<uint32_t>(colour.green) << 8 |
           static_cast<uint32_t>(colour.blue) << 16 | static_cast<uint32_t>(brightness) << 24;
}

// The colour index moves on by `step` and starts again at 0 once it reaches the wheel's last
// entry (192).
uint8_t AdvanceIndex(uint8_t index, int step) {
    const int next = index + step;
    return next >= static_cast<int>(kWheelEntries) - 1 ? 0 : static_cast<uint8_t>(next);
}

}  // namespace

uint32_t SyncThreshold(uint8_t speed) {
    return kSyncThresholds[speed < kSyncThresholds.size() ? speed : kSyncThresholds.size() - 1];
}

uint32_t SyncStep(const SyncSettings& settings, SyncState& state, uint32_t nowMs) {
    const uint8_t level = BrightnessLevel(settings.brightness);
    switch (settings.mode) {
        case kSyncBreathing: {
            state.phase = StepValue(settings.direction != 0, kBreathingEntries, state.phase, 1);
            Rgb colour = settings.colour;
            if (settings.multicolour) {
                if (state.phase < 2) state.colourIndex = AdvanceIndex(state.colourIndex, 16);
                colour = kColourWheel[state.colourIndex];
            }
            return Word(colour, static_cast<uint8_t>(level * kBreathingCurve[state.phase] / 256));
        }
        case kSyncStatic:
            return Word(settings.colour, level);
        case kSyncBlink: {
            if (nowMs - state.lastToggleMs >= SyncThreshold(settings.speed) * kSyncBlinkUnitMs) {
                state.blinkOn = state.blinkOn ? 0 : 1;
                state.lastToggleMs = nowMs;
                state.colourIndex = AdvanceIndex(state.colourIndex, 14);
            }
            if (!state.blinkOn) return 0;
            return Word(settings.multicolour ? kColourWheel[state.colourIndex] : settings.colour,
                        level);
        }
        case kSyncSpectrum:
            state.colourIndex = StepValue(true, kWheelEntries - 1, state.colourIndex, 1);
            return Word(kColourWheel[state.colourIndex], level);
        default:
            return 0;
    }
}

void SharedSyncSettings::Store(const SyncSettings& settings) {
    const Words words = Pack(settings);
    first_.store(words.first, std::memory_order_relaxed);
    second_.store(words.second, std::memory_order_relaxed);
}

SyncSettings SharedSyncSettings::Load() const {
    const uint32_t a = first_.load(std::memory_order_relaxed);
    const uint32_t b = second_.load(std::memory_order_relaxed);
    SyncSettings s;
    s.mode = static_cast<uint8_t>(a);
    s.brightness = static_cast<uint8_t>(a >> 8);
    s.speed = static_cast<uint8_t>(a >> 16);
    s.direction = static_cast<uint8_t>(a >> 24);
    s.multicolour = static_cast<uint8_t>(b);
    s.colour = {static_cast<uint8_t>(b >> 8), static_cast<uint8_t>(b >> 16),
                static_cast<uint8_t>(b >> 24)};
    return s;
}

}  // namespace light
