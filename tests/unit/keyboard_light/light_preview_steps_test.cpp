// The keyboard's preview: the step and pace of each effect code, the wave over the key
// columns and the custom colours.
#include "devices/keyboard/light_preview_steps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using keyboard::PreviewStep;

TEST(KeyboardPreviewRows, EffectCodesPickTheirStepAndPace) {
    const std::array<uint8_t, 5> standard{10, 8, 5, 3, 1};
    const struct {
        int code;
        PreviewStep step;
        std::array<uint8_t, 5> pace;
    } cases[] = {
        {0, PreviewStep::Off, standard},
        {1, PreviewStep::Wave, standard},
        {5, PreviewStep::Static, standard},
        {6, PreviewStep::Breathing, standard},
        {12, PreviewStep::ColourCycle, standard},
        {23, PreviewStep::Blink, standard},
        {21, PreviewStep::Custom, {3, 3, 3, 3, 3}},
        {28, PreviewStep::Off, standard},
        {29, PreviewStep::Audio, {2, 2, 2, 2, 2}},
        {30, PreviewStep::Audio, {2, 2, 2, 2, 2}},
        {40, PreviewStep::ColourCycle, standard},
        {45, PreviewStep::Static, standard},
        {46, PreviewStep::Static, standard},
        {-1, PreviewStep::Static, standard},
        {254, PreviewStep::Static, standard},
    };
    for (const auto& c : cases) {
        const keyboard::PreviewRow row = keyboard::PreviewRowOfCode(c.code);
        EXPECT_EQ(row.step, c.step) << c.code;
        EXPECT_EQ(row.pace, c.pace) << c.code;
    }
    EXPECT_TRUE(keyboard::IsHostStreamedCode(29));
    EXPECT_TRUE(keyboard::IsHostStreamedCode(30));
    EXPECT_FALSE(keyboard::IsHostStreamedCode(21));
    EXPECT_FALSE(keyboard::IsHostStreamedCode(0));
}

class PreviewStepTest : public ::testing::Test {
  protected:
    light::EffectContext Context() { return {leds, settings, state, 0}; }
    std::vector<light::LedEntry> leds = std::vector<light::LedEntry>(4);
    light::LightSettings settings;
    light::EffectState state;
};

TEST_F(PreviewStepTest, TheRainbowWaveRunsOverTheColumns) {
    settings.multicolour = 1;
    settings.direction = 1;
    settings.brightness = 4;
    // Columns 0, 6, 12 and none: wheel offsets 0, 48, 96 and 0 (192 / 24 per column).
    const std::vector<uint8_t> columns{0, 6, 12};
    auto context = Context();
    keyboard::EffectWave(context, columns);
    EXPECT_EQ(state.phase, 4);
    // Wheel entries 4, 52, 100 and 4: (255, U4, 0), (D20, 255, 0), (0, D4, 255), (255, U4, 0).
    const std::vector<std::array<uint8_t, 4>> expected{
        {255, 10, 0, 255}, {41, 255, 0, 255}, {0, 194, 255, 255}, {255, 10, 0, 255}};
    for (size_t i = 0; i < leds.size(); ++i) {
        EXPECT_EQ(
            (std::array<uint8_t, 4>{leds[i].red, leds[i].green, leds[i].blue, leds[i].brightness}),
            expected[i])
            << "LED " << i;
    }
    keyboard::EffectWave(context, columns);
    EXPECT_EQ(state.phase, 8);
    EXPECT_EQ(leds[0].green, 26);  // wheel entry 8
}

TEST_F(PreviewStepTest, TheSingleColourWaveBreathesOverTheColumns) {
    settings.multicolour = 0;
    settings.direction = 0;   // backwards: 0 -> 188
    settings.brightness = 2;  // level 135
    settings.red = 10;
    settings.green = 20;
    settings.blue = 30;
    const std::vector<uint8_t> columns{0, 1};
    auto context = Context();
    keyboard::EffectWave(context, columns);
    EXPECT_EQ(state.phase, 188);
    // LED 0 at wheel 188 -> curve[125] = 2: 2 * 135 / 256 = 1; LED 1 at (188 + 8) % 192 = 4
    // -> curve[2] = 2 -> 1.
    EXPECT_EQ(leds[0].red, 10);
    EXPECT_EQ(leds[0].blue, 30);
    EXPECT_EQ(leds[0].brightness, 1);
    EXPECT_EQ(leds[1].brightness, 1);
}

TEST_F(PreviewStepTest, CustomColoursShowPerKeyWithAlphaAsBrightness) {
    const std::vector<profiles::LightColorEntry> colours{{255, 0, 0, 255, 1}, {0, 0, 255, 128, 0}};
    leds[3] = {9, 9, 9, 9, {}};
    auto context = Context();
    keyboard::EffectCustomColours(context, colours);
    EXPECT_EQ(
        (std::array<uint8_t, 4>{leds[0].red, leds[0].green, leds[0].blue, leds[0].brightness}),
        (std::array<uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(
        (std::array<uint8_t, 4>{leds[1].red, leds[1].green, leds[1].blue, leds[1].brightness}),
        (std::array<uint8_t, 4>{0, 0, 255, 128}));
    EXPECT_EQ(leds[3].red, 0);  // past the list: dark
    EXPECT_EQ(leds[3].brightness, 0);
}

TEST(KeyboardWaveColumns, RunFromTheLeftmostToTheRightmostKeyWhateverThePictureSize) {
    const struct {
        const char* what;
        std::vector<int> centres;
        std::vector<uint8_t> columns;
    } cases[] = {
        {"keys across 0..230", {0, 230, 115, 10}, {0, 23, 11, 1}},
        {"the same picture shifted right", {500, 730, 615, 510}, {0, 23, 11, 1}},
        {"keys past a small panel's width", {38, 400, 523}, {0, 17, 23}},
        {"LEDs without a key", {-1, 100, -1, 200}, {0, 0, 0, 23}},
        {"every key in one place", {50, 50, 50}, {0, 0, 0}},
        {"no key", {-1, -1}, {0, 0}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyboard::WaveColumnsOfCentres(c.centres), c.columns) << c.what;
    }
}

}  // namespace
