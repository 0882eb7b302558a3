// The mouse's preview frames: its wheel and curve, the wave over the seven positions, the
// run, and the reactive fade.
#include <gtest/gtest.h>

#include <vector>

#include "devices/mouse/mouse_preview.h"

namespace {

using light::LedEntry;
using light::Rgb;

light::LightSettings Settings(uint8_t multicolour, uint8_t direction, uint8_t brightness = 4) {
    light::LightSettings settings;
    settings.multicolour = multicolour;
    settings.direction = direction;
    settings.brightness = brightness;
    settings.red = 10;
    settings.green = 20;
    settings.blue = 30;
    return settings;
}

TEST(MousePreview, WheelAndCurve) {
    const auto& wheel = mouse::PreviewWheel();
    const struct {
        size_t index;
        Rgb colour;
    } wheelCases[] = {{0, {255, 1, 0}},   {31, {255, 255, 0}},  {32, {255, 255, 0}},
                      {63, {1, 255, 0}},  {64, {0, 255, 1}},    {96, {0, 255, 255}},
                      {128, {1, 0, 255}}, {160, {255, 0, 255}}, {191, {255, 0, 1}}};
    for (const auto& c : wheelCases) EXPECT_EQ(wheel[c.index], c.colour) << c.index;

    const auto& curve = mouse::PreviewCurve();
    EXPECT_EQ(curve[0], 22);
    EXPECT_EQ(curve[47], 255);
    EXPECT_EQ(curve[48], 255);
    EXPECT_EQ(curve[95], 22);
    for (size_t i = 1; i < 48; ++i) EXPECT_GT(curve[i], curve[i - 1]) << i;
}

TEST(MousePreview, WaveGivesEachPositionItsWheelEntryAndBothLedsOfAPositionAgree) {
    std::vector<LedEntry> leds(15);
    mouse::PreviewState state;
    mouse::WaveFrame(leds, Settings(1, 1), state);
    EXPECT_EQ(state.position, 1);
    // c = p + 1 = 2, then 9, 16, ... 44 for the seventh position.
    const auto& wheel = mouse::PreviewWheel();
    const struct {
        int led;
        size_t entry;
    } cases[] = {{0, 2}, {13, 2}, {1, 9}, {12, 9}, {5, 37}, {8, 37}, {6, 44}, {14, 44}, {7, 44}};
    for (const auto& c : cases) {
        EXPECT_EQ((Rgb{leds[c.led].red, leds[c.led].green, leds[c.led].blue}), wheel[c.entry])
            << c.led;
        EXPECT_EQ(leds[c.led].brightness, 255) << c.led;
    }

    // Single colour: the live colour at scale × curve ÷ 256; the step wraps at 96.
    state.position = 0;
    mouse::WaveFrame(leds, Settings(0, 0, 2), state);  // direction clear: 0 - 1 wraps to 95
    EXPECT_EQ(state.position, 95);
    EXPECT_EQ((Rgb{leds[0].red, leds[0].green, leds[0].blue}), (Rgb{10, 20, 30}));
    EXPECT_EQ(leds[0].brightness, 135 * mouse::PreviewCurve()[0] / 256);  // b = 96 mod 96
    EXPECT_EQ(leds[1].brightness, 135 * mouse::PreviewCurve()[7] / 256);
}

TEST(MousePreview, RunMovesItsHeadInTheLightDirection) {
    std::vector<LedEntry> leds(15);
    mouse::PreviewState state;
    mouse::RunFrame(leds, Settings(0, 1), state);
    EXPECT_EQ(state.levels[1], 255);     // p = 1: the head is at position 1
    EXPECT_EQ(leds[1].brightness, 254);  // 255 × 255 ÷ 256
    EXPECT_EQ(leds[12].brightness, 254);
    EXPECT_EQ(leds[0].brightness, 0);
    mouse::RunFrame(leds, Settings(0, 1), state);
    EXPECT_EQ(state.levels[2], 255);
    EXPECT_EQ(state.levels[1], 215);  // fading behind the head
    mouse::PreviewState back;
    mouse::RunFrame(leds, Settings(0, 0), back);
    EXPECT_EQ(back.levels[5], 255);  // direction clear: from the other end
}

TEST(MousePreview, ReactiveRisesToTheTopThenFallsByFifteen) {
    std::vector<LedEntry> leds(15);
    std::vector<uint8_t> fade(15, 0);
    uint8_t next = 190;
    mouse::StartReactive(leds, fade, [&] { return next++; });
    EXPECT_EQ(fade, std::vector<uint8_t>(15, 1));
    EXPECT_EQ(leds[0].extra[0], 190);
    EXPECT_EQ(leds[2].extra[0], 0);  // 192 mod 192

    mouse::ReactiveFrame(leds, fade, Settings(1, 0));
    EXPECT_EQ(fade[0], 2);  // at 255: falling from now
    EXPECT_EQ(leds[0].brightness, 255 * 255 / 256);
    const auto& wheel = mouse::PreviewWheel();
    EXPECT_EQ((Rgb{leds[0].red, leds[0].green, leds[0].blue}), wheel[190]);
    for (int frame = 0; frame < 16; ++frame) mouse::ReactiveFrame(leds, fade, Settings(1, 0));
    EXPECT_EQ(leds[0].extra[1], 15);
    mouse::ReactiveFrame(leds, fade, Settings(0, 0, 1));
    EXPECT_EQ(leds[0].extra[1], 0);
    EXPECT_EQ(fade[0], 0);
    EXPECT_EQ((Rgb{leds[0].red, leds[0].green, leds[0].blue}), (Rgb{10, 20, 30}));
    mouse::ReactiveFrame(leds, fade, Settings(0, 0));  // idle stays dark
    EXPECT_EQ(leds[0].brightness, 0);
}

}  // namespace
