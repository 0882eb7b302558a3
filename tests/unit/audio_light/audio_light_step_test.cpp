// The keyboard's music-mode step: what it draws from band values, the overall level and the
// rhythm's reaction marks.
#include "devices/audio_light/audio_light_step.h"

#include <gtest/gtest.h>

#include <set>

#include "tables/key_grid.h"

namespace {

using audio_light::AudioLightInputs;
using audio_light::AudioLightState;
using light::LedEntry;

constexpr light::Rgb kRed{255, 0, 0};
constexpr light::Rgb kBlue{0, 0, 255};

profiles::AudioLightInfo Info(uint8_t mode, bool sevenColour = false) {
    profiles::AudioLightInfo info;
    info.audio_mode = mode;
    info.background_blue = 255;  // background blue, foreground red
    info.foreground_red = 255;
    info.seven_colour = sevenColour ? 1 : 0;
    return info;
}

struct Drawn {
    std::vector<LedEntry> leds = std::vector<LedEntry>(170);
    light::Rgb At(int key) const {
        const LedEntry& led = leds[static_cast<size_t>(key)];
        return {led.red, led.green, led.blue};
    }
    // The keys showing colour, as a set.
    std::set<int> KeysOf(light::Rgb colour) const {
        std::set<int> keys;
        for (size_t i = 0; i < leds.size(); ++i)
            if (At(static_cast<int>(i)) == colour) keys.insert(static_cast<int>(i));
        return keys;
    }
    // Rows lit in a grid column (counted from the bottom, as the bar grows).
    int LitRows(int column, light::Rgb colour) const {
        int rows = 0;
        for (const uint8_t key : tables::kKeyGrid[static_cast<size_t>(column)])
            if (key != tables::kNoKey && At(key) == colour) ++rows;
        return rows;
    }
};

Drawn Step(AudioLightState& state, const AudioLightInputs& in, const profiles::AudioLightInfo& info,
           uint32_t nowMs, int effectCode = 29, audio_light::StyleColour style = {}) {
    Drawn drawn;
    light::LightSettings settings;
    settings.brightness = 4;
    audio_light::AudioLightStep(state, in, info, settings, style, effectCode, nowMs, drawn.leds);
    return drawn;
}

TEST(AudioLightStep, TheRhythmsCrossLeavesKey51OneKeyPerStep) {
    AudioLightState state;
    audio_light::FireKeyReaction(state, 51);
    const struct {
        uint32_t ms;
        std::set<int> full;
    } steps[] = {
        {0, {51}},
        {39, {51}},
        {40, {50, 52, 30, 72}},  // O's neighbours: I, P, 9, L
        {80, {49, 53, 7, 92}},   // U, [, F7, ","
        {120, {48, 54, 109}},    // Y, ], right Alt (the upward plane has left the grid)
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.ms);
        const Drawn drawn = Step(state, {}, Info(2), s.ms);
        EXPECT_EQ(drawn.KeysOf(kRed), s.full);
    }
    // A key the cross has left fades towards the background rather than going dark at once.
    const Drawn later = Step(state, {}, Info(2), 160);
    EXPECT_GT(later.At(51).red, 0);
    EXPECT_LT(later.At(51).red, 255);
    // Another flag, or a key outside the grid, marks nothing.
    AudioLightState quiet;
    audio_light::FireKeyReaction(quiet, 51, 0);
    audio_light::FireKeyReaction(quiet, 20);
    EXPECT_TRUE(Step(quiet, {}, Info(2), 0).KeysOf(kRed).empty());
}

TEST(AudioLightStep, BarsLightBandTimesSixOverTwoThousandRows) {
    const struct {
        int band;
        int rows;
    } cases[] = {{0, 0}, {333, 0}, {334, 1}, {1000, 3}, {1999, 5}, {2000, 6}, {5000, 6}, {-7, 0}};
    for (const auto& c : cases) EXPECT_EQ(audio_light::BarRows(c.band), c.rows) << c.band;

    AudioLightState state;
    AudioLightInputs in;
    in.bands = {0, 1000, 2000, 0, 0, 0};
    const Drawn drawn = Step(state, in, Info(1), 0);
    // Columns 0-3 show band 0, 4-7 band 1, 8-11 band 2: 0, 3 and 6 rows from the bottom.
    for (int column = 0; column < 12; ++column) {
        const int rows = column < 4 ? 0 : column < 8 ? 3 : 6;
        for (int row = 0; row < 6; ++row) {
            const uint8_t key =
                tables::kKeyGrid[static_cast<size_t>(column)][static_cast<size_t>(row)];
            if (key == tables::kNoKey) continue;
            EXPECT_EQ(drawn.At(key), 5 - row < rows ? kRed : kBlue) << column << "," << row;
        }
    }
}

TEST(AudioLightStep, PeaksFallOneRowPer100Ms) {
    AudioLightState state;
    AudioLightInputs loud;
    loud.bands.fill(2000);
    Step(state, loud, Info(1), 0);
    const struct {
        uint32_t ms;
        int litInColumn10;  // the peak's key only
        int peakRowFromTop;
    } steps[] = {{50, 1, 0}, {100, 1, 1}, {150, 1, 1}, {200, 1, 2}, {600, 0, -1}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.ms);
        const Drawn drawn = Step(state, {}, Info(1), s.ms);
        EXPECT_EQ(drawn.LitRows(10, kRed), s.litInColumn10);
        if (s.peakRowFromTop >= 0) {
            EXPECT_EQ(drawn.At(tables::kKeyGrid[10][static_cast<size_t>(s.peakRowFromTop)]), kRed);
        }
    }
}

TEST(AudioLightStep, SpectrumDrawsBarsInTheStylesColour) {
    const struct {
        audio_light::StyleColour style;
        light::Rgb colour;
    } cases[] = {{{9, 0, 0}, {255, 0, 0}}, {{0, 9, 3}, {0, 255, 85}}, {{12, 1, 0}, {255, 28, 0}}};
    for (const auto& c : cases) {
        AudioLightState state;
        AudioLightInputs in;
        in.bands.fill(2000);
        // The record's own colours and audio mode mean nothing in the spectrum effect.
        const Drawn drawn = Step(state, in, Info(2, true), 0, 30, c.style);
        EXPECT_EQ(drawn.At(51), c.colour);
        EXPECT_EQ(drawn.At(0), c.colour);
        EXPECT_EQ(drawn.leds[51].brightness, 255);
        EXPECT_EQ(drawn.KeysOf(c.colour).size(), 125u);  // every key of the grid
    }
}

TEST(AudioLightStep, LevelModeAndColourChoices) {
    struct Case {
        const char* name;
        uint8_t mode;
        bool seven;
        int level;
        light::Rgb key51;
    };
    const Case cases[] = {
        {"silent: background", 0, false, 0, kBlue},
        {"loudest: foreground", 0, false, 2000, kRed},
        {"half way", 0, false, 1000, {127, 0, 128}},
        {"mode 7 draws as 0", 7, false, 2000, kRed},
        {"seven colours: the wheel at column 10", 0, true, 2000, light::kColourWheel[87]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioLightState state;
        AudioLightInputs in;
        in.level = c.level;
        EXPECT_EQ(Step(state, in, Info(c.mode, c.seven), 0).At(51), c.key51);
    }
    // Rainbow bars take the wheel by column whatever the colours.
    AudioLightState state;
    AudioLightInputs in;
    in.bands.fill(2000);
    const Drawn rainbow = Step(state, in, Info(3), 0);
    EXPECT_EQ(rainbow.At(tables::kKeyGrid[0][5]), light::kColourWheel[0]);
    EXPECT_EQ(rainbow.At(51), light::kColourWheel[87]);
    EXPECT_EQ(rainbow.At(tables::kKeyGrid[22][0]), light::kColourWheel[192]);
}

}  // namespace
