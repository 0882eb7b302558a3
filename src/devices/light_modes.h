#pragma once
// Which operation each light mode of a device class runs, and after how many ticks at each
// speed (0..4) the light thread runs it. Plain data.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace light {

enum class LightStep : uint8_t {
    ClassEffectA,
    Spectrum,
    Breathing,
    Static,
    Blink,
    ClassEffectB,
    ClassEffectC,
    BreathingFourColours,
    BlinkFourColours,
    Off,
    OwnRoutine,  // the class's own routine (custom effects, audio, the keyboard's preview)
};

struct LightModeRow {
    std::array<uint8_t, 5> thresholds;  // ticks, by speed
    LightStep step;
    bool everyPass = false;  // runs on every pass without waiting for the threshold
};

inline constexpr std::array<uint8_t, 5> kStandardPace{8, 6, 4, 2, 1};
inline constexpr std::array<uint8_t, 5> kSlowPace{16, 12, 8, 4, 2};

inline constexpr std::array<LightModeRow, 10> kMouseLightModes{{
    {kStandardPace, LightStep::ClassEffectA},
    {kStandardPace, LightStep::Spectrum},
    {kStandardPace, LightStep::Breathing},
    {kStandardPace, LightStep::Static},
    {kStandardPace, LightStep::Blink},
    {kSlowPace, LightStep::ClassEffectB},
    {kStandardPace, LightStep::ClassEffectC},
    {kStandardPace, LightStep::BreathingFourColours},
    {kStandardPace, LightStep::BlinkFourColours},
    {kStandardPace, LightStep::Off},
}};
// Modes past the mouse's table: its own routine (custom effects), on every pass.
inline constexpr LightModeRow kMouseCustomMode{kStandardPace, LightStep::OwnRoutine, true};

// Mouse pad and headset.
inline constexpr std::array<LightModeRow, 9> kPadLightModes{{
    {kStandardPace, LightStep::ClassEffectA},
    {kStandardPace, LightStep::Spectrum},
    {kStandardPace, LightStep::Breathing},
    {kStandardPace, LightStep::Static},
    {kStandardPace, LightStep::Blink},
    {kStandardPace, LightStep::OwnRoutine, true},
    {kStandardPace, LightStep::ClassEffectC},
    {kStandardPace, LightStep::ClassEffectB},
    {kStandardPace, LightStep::Off},
}};

// The keyboard's preview paces most effect codes 10, 8, 5, 3, 1 ticks; its own routine picks
// the step and the row by effect code (devices/keyboard/light_preview_steps.h).
inline constexpr std::array<uint8_t, 5> kKeyboardPace{10, 8, 5, 3, 1};

// The row of a mode, or none for a mode past the table.
inline std::optional<LightModeRow> FindLightMode(std::span<const LightModeRow> table,
                                                 uint8_t mode) {
    if (mode >= table.size()) return std::nullopt;
    return table[mode];
}

// Threshold of a row at a speed (speeds past 4: the fastest).
inline uint8_t ThresholdAt(const LightModeRow& row, uint8_t speed) {
    return row.thresholds[speed < row.thresholds.size() ? speed : row.thresholds.size() - 1];
}

}  // namespace light
