#include "devices/light_effects.h"

#include <algorithm>
#include <cstring>

namespace light {
namespace {

constexpr std::array<uint8_t, 32> kRising{1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                          44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                          140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kFalling{248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                           114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                           29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

// Six segments of 32: red to yellow, yellow to green, green to cyan, cyan to blue, blue to
// magenta, magenta to red; the last entry closes the circle.
constexpr std::array<Rgb, kWheelEntries> MakeWheel() {
    std::array<Rgb, kWheelEntries> wheel{};
    for (size_t i = 0; i < 32; ++i) {
        wheel[i] = {255, kRising[i], 0};
        wheel[32 + i] = {kFalling[i], 255, 0};
        wheel[64 + i] = {0, 255, kRising[i]};
        wheel[96 + i] = {0, kFalling[i], 255};
        wheel[128 + i] = {kRising[i], 0, 255};
        wheel[160 + i] = {255, 0, kFalling[i]};
    }
    wheel[192] = wheel[0];
    return wheel;
}

constexpr std::array<uint8_t, 64> kBreathingRise{
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, kBreathingEntries> MakeBreathing() {
    std::array<uint8_t, kBreathingEntries> curve{};
    for (size_t i = 0; i < 64; ++i) {
        curve[i] = kBreathingRise[i];
        curve[127 - i] = kBreathingRise[i];
    }
    return curve;
}

uint8_t Scale(uint8_t value, unsigned level) { return static_cast<uint8_t>(value * level / 256); }

void FillAll(EffectContext& context, Rgb colour, uint8_t brightness) {
    for (LedEntry& led : context.leds) {
        led.red = colour.red;
        led.green = colour.green;
        led.blue = colour.blue;
        led.brightness = brightness;
    }
}

Rgb FixedColour(const LightSettings& settings) {
    return {settings.red, settings.green, settings.blue};
}

// The phase and colour index of both breathing effects; true when a new breath begins.
bool BreathStep(EffectState& state, const LightSettings& settings) {
    state.phase = StepValue(settings.direction != 0, kBreathingEntries, state.phase, 1);
    return state.phase == 0;
}

// True when the blink state toggled on this step.
bool BlinkToggle(EffectContext& context) {
    EffectState& state = context.state;
    if (context.nowMs - state.lastToggleMs < BlinkPeriodMs(context.settings.speed)) return false;
    state.blinkOn = state.blinkOn ? 0 : 1;
    state.lastToggleMs = context.nowMs;
    return true;
}

void FillBlink(EffectContext& context, Rgb lit) {
    if (context.state.blinkOn) {
        FillAll(context, lit, BrightnessLevel(context.settings.brightness));
    } else {
        FillAll(context, {}, 0);
    }
}

}  // namespace

const std::array<Rgb, kWheelEntries> kColourWheel = MakeWheel();
const std::array<uint8_t, kBreathingEntries> kBreathingCurve = MakeBreathing();

uint32_t ColourWord(const LedEntry& led) {
    return led.red | (led.green << 8) | (led.blue << 16) |
           (static_cast<uint32_t>(led.brightness) << 24);
}

uint32_t ExtraWord(const LedEntry& led) {
    uint32_t word = 0;
    std::memcpy(&word, led.extra.data(), sizeof word);
    return word;
}

void SetWords(LedEntry& led, uint32_t colourWord, uint32_t extraWord) {
    led.red = static_cast<uint8_t>(colourWord);
    led.green = static_cast<uint8_t>(colourWord >> 8);
    led.blue = static_cast<uint8_t>(colourWord >> 16);
    led.brightness = static_cast<uint8_t>(colourWord >> 24);
    std::memcpy(led.extra.data(), &extraWord, sizeof extraWord);
}

std::array<uint32_t, 4> ToWords(const LightSettings& settings) {
    std::array<uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), &settings, bytes.size());
    std::array<uint32_t, 4> words{};
    for (size_t w = 0; w < 4; ++w) {
        words[w] = bytes[4 * w] | (bytes[4 * w + 1] << 8) | (bytes[4 * w + 2] << 16) |
                   (static_cast<uint32_t>(bytes[4 * w + 3]) << 24);
    }
    return words;
}

LightSettings FromWords(const std::array<uint32_t, 4>& words) {
    std::array<uint8_t, 16> bytes{};
    for (size_t w = 0; w < 4; ++w) {
        for (size_t b = 0; b < 4; ++b) bytes[4 * w + b] = static_cast<uint8_t>(words[w] >> (8 * b));
    }
    LightSettings settings;
    std::memcpy(&settings, bytes.data(), bytes.size());
    return settings;
}

uint8_t BrightnessLevel(uint8_t brightness) {
    return kBrightnessLevels[std::min<size_t>(brightness, kLevels - 1)];
}

uint32_t BlinkPeriodMs(uint8_t speed) {
    return kBlinkPeriods[std::min<size_t>(speed, kLevels - 1)] * kBlinkUnitMs;
}

uint8_t StepValue(bool direction, int limit, uint8_t value, int step) {
    if (direction) {
        const int next = value + step;
        return next >= limit ? 0 : static_cast<uint8_t>(next);
    }
    const uint8_t next = static_cast<uint8_t>(value - step);
    return next >= limit ? static_cast<uint8_t>(limit - step) : next;
}

void EffectBreathing(EffectContext& context) {
    EffectState& state = context.state;
    if (BreathStep(state, context.settings)) {
        state.colourIndex = static_cast<uint8_t>(state.colourIndex + 16);
        if (state.colourIndex > 192) state.colourIndex = 0;
    }
    const Rgb colour = context.settings.multicolour
                           ? kColourWheel[std::min<size_t>(state.colourIndex, kWheelEntries - 1)]
                           : FixedColour(context.settings);
    FillAll(context, colour,
            Scale(kBreathingCurve[state.phase], BrightnessLevel(context.settings.brightness)));
}

void EffectBreathingFourColours(EffectContext& context) {
    EffectState& state = context.state;
    if (BreathStep(state, context.settings)) {
        state.colourIndex = static_cast<uint8_t>(state.colourIndex + 1);
    }
    if (state.colourIndex > 3) state.colourIndex = 0;
    FillAll(context, kFourColourTable[state.colourIndex],
            Scale(kBreathingCurve[state.phase], BrightnessLevel(context.settings.brightness)));
}

void EffectStatic(EffectContext& context) {
    FillAll(context, FixedColour(context.settings), BrightnessLevel(context.settings.brightness));
}

void EffectSpectrum(EffectContext& context) {
    EffectState& state = context.state;
    state.phase = StepValue(context.settings.direction != 0, 192, state.phase, 1);
    FillAll(context, kColourWheel[state.phase], BrightnessLevel(context.settings.brightness));
}

void EffectBlink(EffectContext& context) {
    EffectState& state = context.state;
    if (BlinkToggle(context)) {
        state.phase = static_cast<uint8_t>(state.phase + 16);
        if (state.phase >= 192) state.phase = 0;
    }
    FillBlink(context, context.settings.multicolour
                           ? kColourWheel[std::min<size_t>(state.phase, kWheelEntries - 1)]
                           : FixedColour(context.settings));
}

void EffectBlinkFourColours(EffectContext& context) {
    EffectState& state = context.state;
    if (BlinkToggle(context)) state.phase = static_cast<uint8_t>(state.phase + 1);
    if (state.phase > 3) state.phase = 0;
    FillBlink(context, kFourColourTable[state.phase]);
}

void EffectOff(EffectContext& context) { FillAll(context, {}, 0); }

uint8_t DecayIntensity(uint8_t value, int mode) {
    int step = 0;
    if (mode == 29) {
        if (value & 0x90)
            step = 45;
        else if (value & 0x70)
            step = 35;
        else if (value > 0)
            step = 1;
    } else {
        if (value & 0x80)
            step = 40;
        else if (value & 0x40)
            step = 30;
        else if (value & 0x20)
            step = mode == 0 ? 15 : 10;
        else if (value > 16)
            step = 8;
        else if (value > 0)
            step = 1;
    }
    // Some steps are larger than the value they apply to (mode 29 with 0x10..0x1F); an
    // intensity that wrapped round would flash the key at full light again.
    return static_cast<uint8_t>(std::max(0, value - step));
}

void DecayKeyLight(KeyIntensities& intensities, int key, int mode) {
    if (key < 0 || static_cast<size_t>(key) >= intensities.size()) return;
    intensities[key] = DecayIntensity(intensities[key], mode);
}

void MarkRingKeys(const MarqueeRing& ring, KeyIntensities& intensities) {
    for (size_t i = 0; i < kMarkedRingKeys; ++i) {
        if (ring[i]) intensities[i] = 255;
    }
}

void RotateRing(MarqueeRing& ring, bool backwards) {
    if (backwards) {
        std::rotate(ring.rbegin(), ring.rbegin() + 1, ring.rend());
    } else {
        std::rotate(ring.begin(), ring.begin() + 1, ring.end());
    }
}

void ClearReactive(KeyIntensities& intensities, MarqueeRing& ring) {
    intensities.fill(0);
    ring.fill(0);
}

void BuildLightFrame(std::span<const LedEntry> leds, std::vector<uint8_t>& frame) {
    const size_t count = std::min(leds.size(), kMaxFrameLeds);
    frame.resize(count * 3);
    for (size_t i = 0; i < count; ++i) {
        const LedEntry& led = leds[i];
        frame[3 * i] = Scale(led.red, led.brightness);
        frame[3 * i + 1] = Scale(led.green, led.brightness);
        frame[3 * i + 2] = Scale(led.blue, led.brightness);
    }
}

bool FrameDue(bool sameAsLast, bool sentBefore, uint32_t sinceLastMs, uint32_t repeatMs) {
    return !sentBefore || !sameAsLast || sinceLastMs >= repeatMs;
}

void TickCounter::Advance(uint32_t nowMs) {
    if (!started) {
        Restart(nowMs);
        return;
    }
    const uint32_t counted = (nowMs - lastCountMs) / kTickMs;
    ticks += counted;
    lastCountMs += counted * kTickMs;
}

void TickCounter::Restart(uint32_t nowMs) {
    started = true;
    lastCountMs = nowMs;
    ticks = 0;
}

uint32_t TickCounter::MillisecondsUntil(uint32_t threshold, uint32_t nowMs) const {
    if (ticks >= threshold) return 0;
    const uint32_t due = lastCountMs + (threshold - ticks) * kTickMs;
    const auto left = static_cast<int32_t>(due - nowMs);
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

uint32_t TickCounter::TakeSteps(uint32_t threshold, uint32_t limit) {
    threshold = std::max<uint32_t>(threshold, 1);
    const uint32_t steps = ticks / threshold;
    if (steps > limit) {
        ticks = 0;
        return limit;
    }
    ticks -= steps * threshold;
    return steps;
}

}  // namespace light
