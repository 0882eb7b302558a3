#pragma once
// The software light effects every device runs while the host drives its lighting: the
// shared tables, the wrapping step, one step of each effect over a small state, the reactive
// key intensities and marquee ring, tick counting for the light threads, and the light frame
// the device receives. Plain C++, no Qt, no I/O.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace light {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

// One LED entry: colour, brightness, then four bytes the device classes use.
struct LedEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t brightness = 0;
    std::array<uint8_t, 4> extra{};
};
static_assert(sizeof(LedEntry) == 8);

// Word form of an LED entry (SetLed/GetLed): red in the low byte, brightness in the high one.
uint32_t ColourWord(const LedEntry& led);
uint32_t ExtraWord(const LedEntry& led);
void SetWords(LedEntry& led, uint32_t colourWord, uint32_t extraWord);

// The 16 bytes of light settings; stored and read as four 32-bit words (byte 0 lowest).
struct LightSettings {
    uint8_t mode = 0;
    uint8_t brightness = 4;  // level 0..4
    uint8_t speed = 2;       // 0..4
    uint8_t direction = 0;
    uint8_t multicolour = 0;
    uint8_t red = 255;
    uint8_t green = 255;
    uint8_t blue = 255;
    std::array<uint8_t, 8> extra{};
};
static_assert(sizeof(LightSettings) == 16);

std::array<uint32_t, 4> ToWords(const LightSettings& settings);
LightSettings FromWords(const std::array<uint32_t, 4>& words);

struct EffectState {
    uint8_t phase = 0;
    uint8_t colourIndex = 0;
    uint8_t blinkOn = 0;
    uint32_t lastToggleMs = 0;
};

// What one effect step works on.
struct EffectContext {
    std::span<LedEntry> leds;
    const LightSettings& settings;
    EffectState& state;
    uint32_t nowMs = 0;
};

constexpr size_t kWheelEntries = 193;
constexpr size_t kBreathingEntries = 128;
constexpr size_t kFourColours = 4;
constexpr size_t kLevels = 5;
constexpr uint32_t kBlinkUnitMs = 200;

extern const std::array<Rgb, kWheelEntries> kColourWheel;
extern const std::array<uint8_t, kBreathingEntries> kBreathingCurve;
inline constexpr std::array<Rgb, kFourColours> kFourColourTable{
    {{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};
inline constexpr std::array<uint8_t, kLevels> kBrightnessLevels{0, 80, 135, 195, 255};
inline constexpr std::array<uint8_t, kLevels> kBlinkPeriods{8, 6, 4, 2, 1};  // x 200 ms

// Level of a brightness setting; settings beyond the table take its last entry.
uint8_t BrightnessLevel(uint8_t brightness);
// Blink period of a speed setting in milliseconds (speeds beyond the table: the fastest).
uint32_t BlinkPeriodMs(uint8_t speed);

// The wrapping step: with direction set value + step, 0 once it reaches the limit; without,
// value - step (8-bit), and limit - step once that is not below the limit.
uint8_t StepValue(bool direction, int limit, uint8_t value, int step);

void EffectBreathing(EffectContext& context);
void EffectBreathingFourColours(EffectContext& context);
void EffectStatic(EffectContext& context);
void EffectSpectrum(EffectContext& context);
void EffectBlink(EffectContext& context);
void EffectBlinkFourColours(EffectContext& context);
void EffectOff(EffectContext& context);

// Reactive key lighting.
constexpr size_t kKeyIntensities = 170;
constexpr size_t kRingMarks = 23;
constexpr size_t kMarkedRingKeys = 9;
using KeyIntensities = std::array<uint8_t, kKeyIntensities>;
using MarqueeRing = std::array<uint8_t, kRingMarks>;

// One decay step of an intensity (never below 0).
uint8_t DecayIntensity(uint8_t value, int mode);
void DecayKeyLight(KeyIntensities& intensities, int key, int mode);
void MarkRingKeys(const MarqueeRing& ring, KeyIntensities& intensities);
void RotateRing(MarqueeRing& ring, bool backwards);
void ClearReactive(KeyIntensities& intensities, MarqueeRing& ring);

// The light frame: three bytes per LED (each colour × brightness ÷ 256), at most 170 LEDs.
constexpr size_t kMaxFrameLeds = 170;
// Built into the given buffer, which is resized to the frame (a light thread reuses it).
void BuildLightFrame(std::span<const LedEntry> leds, std::vector<uint8_t>& frame);
// Whether a streamed frame goes out: the first one, one that differs from the last sent, and
// the same one again once repeatMs have passed since it was sent.
bool FrameDue(bool sameAsLast, bool sentBefore, uint32_t sinceLastMs, uint32_t repeatMs);

// Tick counting of the light threads: a tick is counted each time the clock has moved on by
// more than 1 ms since the last count, so ticks are kTickMs apart.
constexpr uint32_t kTickMs = 2;
struct TickCounter {
    uint32_t lastCountMs = 0;
    uint32_t ticks = 0;
    bool started = false;

    // Counts the ticks that have passed by now.
    void Advance(uint32_t nowMs);
    void Restart(uint32_t nowMs);
    // Milliseconds from now until the count reaches threshold (0 when it has).
    uint32_t MillisecondsUntil(uint32_t threshold, uint32_t nowMs) const;
    // The whole steps of threshold ticks counted so far, taken off the count (the ticks
    // towards the next step stay). More than limit steps (a thread that could not run for a
    // long while) give limit and drop the rest.
    uint32_t TakeSteps(uint32_t threshold, uint32_t limit);
};

}  // namespace light
