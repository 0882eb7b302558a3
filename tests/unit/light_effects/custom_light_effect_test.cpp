// The step player of user light effects: pacing by passes, step changes by the clock, and what
// each step mode draws. Expected values come from the breathing curve, the wave curve (22 rising
// to 255) and the colour wheel as the tables list them.
#include "devices/custom_light_effect.h"

#include <gtest/gtest.h>

#include <vector>

namespace light {
namespace {

using profiles::LightEffectStep;

LightEffectStep Step(uint8_t mode, uint8_t speed, Rgb colour, int32_t timeMs,
                     uint8_t brightness = 4, uint8_t multicolour = 0, uint8_t direction = 0) {
    LightEffectStep step;
    step.mode = mode;
    step.brightness = brightness;
    step.speed = speed;
    step.direction = direction;
    step.multicolour = multicolour;
    step.red = colour.red;
    step.green = colour.green;
    step.blue = colour.blue;
    step.time = timeMs;
    return step;
}

Rgb ColourOf(const LedEntry& led) { return {led.red, led.green, led.blue}; }

class Player : public ::testing::Test {
  protected:
    void Pass(uint32_t nowMs, uint8_t ownSpeed = 4) {
        CustomEffectPass(leds_, steps_, ownSpeed, state_, nowMs);
    }
    std::vector<LedEntry> leds_ = std::vector<LedEntry>(3);
    std::vector<LightEffectStep> steps_;
    CustomEffectState state_;
};

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};

TEST_F(Player, TheNextStepBeginsOnceMoreThanItsTimeHasPassed) {
    steps_ = {Step(1, 4, kRed, 100), Step(1, 4, kGreen, 50)};
    struct Row {
        uint32_t nowMs;
        Rgb drawn;
        uint32_t stepAfter;
    };
    // The clock starts at the first pass (t = 1000); a step ends when more than its time has
    // passed since it began, after the pass that drew it.
    const Row rows[] = {
        {1000, kRed, 0},   {1050, kRed, 0},   {1100, kRed, 0},   {1101, kRed, 1},
        {1102, kGreen, 1}, {1151, kGreen, 1}, {1152, kGreen, 0}, {1153, kRed, 0},
    };
    for (const Row& row : rows) {
        Pass(row.nowMs);
        EXPECT_EQ(ColourOf(leds_[2]), row.drawn) << row.nowMs;
        EXPECT_EQ(state_.stepIndex, row.stepAfter) << row.nowMs;
    }
}

TEST_F(Player, NegativeTimeEndsTheStepAtTheNextMillisecond) {
    steps_ = {Step(1, 4, kRed, -500), Step(1, 4, kGreen, 1000)};
    Pass(10);
    EXPECT_EQ(state_.stepIndex, 0u);
    Pass(11);
    EXPECT_EQ(state_.stepIndex, 1u);
}

TEST_F(Player, AStepDrawsAfterItsIntervalOfPasses) {
    struct Case {
        uint8_t mode;
        uint8_t speed;
        int passes;  // the pass that draws first
    };
    const Case cases[] = {
        {1, 0, 8}, {1, 1, 6}, {1, 2, 4}, {1, 3, 2}, {1, 4, 1}, {1, 9, 1}, {5, 0, 10},
        {5, 1, 8}, {5, 2, 5}, {5, 3, 3}, {5, 4, 1}, {0, 0, 8}, {4, 2, 4},
    };
    for (const Case& c : cases) {
        steps_ = {Step(c.mode, c.speed, {9, 9, 9}, 100000)};
        state_ = {};
        leds_.assign(3, LedEntry{});
        for (int pass = 1; pass < c.passes; ++pass) {
            Pass(0);
            EXPECT_EQ(state_.phase, 0) << int(c.mode) << "/" << int(c.speed) << " " << pass;
            EXPECT_EQ(leds_[0].brightness, 0) << int(c.mode) << "/" << int(c.speed) << " " << pass;
        }
        Pass(0);
        EXPECT_EQ(state_.phase, 1) << int(c.mode) << "/" << int(c.speed);
        EXPECT_EQ(state_.passCount, 0) << int(c.mode) << "/" << int(c.speed);
    }
}

TEST_F(Player, BreathingFollowsTheCurveAtTheStepsLevel) {
    steps_ = {Step(0, 4, {200, 100, 50}, 100000, 2)};
    for (int i = 0; i < 20; ++i) Pass(0);
    EXPECT_EQ(state_.phase, 20);
    EXPECT_EQ(ColourOf(leds_[0]), (Rgb{200, 100, 50}));
    EXPECT_EQ(leds_[0].brightness, 17);  // curve 33 x level 135 / 256
}

TEST_F(Player, WaveRunsTheCurveOverTheLeds) {
    steps_ = {Step(4, 4, {1, 2, 3}, 100000)};
    Pass(0);  // P = 1, start 2; LEDs at curve 14, 26, 38: 69, 124, 194
    EXPECT_EQ(leds_[0].brightness, 68);
    EXPECT_EQ(leds_[1].brightness, 123);
    EXPECT_EQ(leds_[2].brightness, 193);
    EXPECT_EQ(ColourOf(leds_[1]), (Rgb{1, 2, 3}));
}

TEST_F(Player, SevenColourWaveAgainstTheDirectionStartsAtTheWheelsEnd) {
    steps_ = {Step(4, 4, {}, 100000, 3, 1, 1)};
    Pass(0);  // P = 1: start (-1 - 64) mod 256 = 191, then 11 and 23
    EXPECT_EQ(ColourOf(leds_[0]), (Rgb{255, 0, 0}));
    EXPECT_EQ(ColourOf(leds_[1]), (Rgb{255, 44, 0}));
    EXPECT_EQ(ColourOf(leds_[2]), (Rgb{255, 152, 0}));
    EXPECT_EQ(leds_[2].brightness, 195);
}

TEST_F(Player, SpectrumShowsTheWheelEntryOfThePhase) {
    steps_ = {Step(5, 4, {}, 100000, 1)};
    for (int i = 0; i < 40; ++i) Pass(0);
    EXPECT_EQ(ColourOf(leds_[0]), (Rgb{146, 255, 0}));  // wheel 40: falling ramp 8, 255, 0
    EXPECT_EQ(leds_[0].brightness, 80);
}

TEST_F(Player, BlinkTogglesByTheDevicesOwnSpeed) {
    steps_ = {Step(2, 0, {}, 100000, 2, 1)};
    Pass(0, 4);  // 200 ms period: not yet
    EXPECT_EQ(leds_[0].brightness, 0);
    Pass(199, 4);
    EXPECT_EQ(leds_[0].brightness, 0);
    Pass(200, 4);  // P = 3: (3 + 78) >= 64, colour index 17
    EXPECT_EQ(state_.blinkOn, 1);
    EXPECT_EQ(ColourOf(leds_[0]), (Rgb{255, 89, 0}));
    EXPECT_EQ(leds_[0].brightness, 135);
    Pass(399, 4);
    EXPECT_EQ(state_.blinkOn, 1);
    Pass(400, 4);
    EXPECT_EQ(state_.blinkOn, 0);
    EXPECT_EQ(leds_[0].brightness, 0);
    EXPECT_EQ(ColourOf(leds_[0]), (Rgb{0, 0, 0}));
    // At speed 0 the period is 8 x 200 ms.
    Pass(1999, 0);
    EXPECT_EQ(state_.blinkOn, 0);
    Pass(2000, 0);
    EXPECT_EQ(state_.blinkOn, 1);
}

TEST_F(Player, NoStepsDarkenAndUnknownModesDrawNothing) {
    leds_.assign(3, LedEntry{7, 7, 7, 7, {}});
    Pass(0);
    EXPECT_EQ(leds_[1].brightness, 0);
    EXPECT_EQ(ColourOf(leds_[1]), (Rgb{0, 0, 0}));

    leds_.assign(3, LedEntry{7, 7, 7, 7, {}});
    steps_ = {Step(3, 4, kRed, 100000), Step(200, 4, kRed, 100000)};
    Pass(0);
    EXPECT_EQ(leds_[1].brightness, 7);
    state_.stepIndex = 1;
    Pass(0);
    EXPECT_EQ(leds_[1].brightness, 7);
}

TEST_F(Player, AStepIndexPastTheListStartsAgainAtTheFirst) {
    steps_ = {Step(1, 4, kGreen, 100000)};
    state_.stepIndex = 5;  // the list got shorter
    Pass(0);
    EXPECT_EQ(state_.stepIndex, 0u);
    EXPECT_EQ(ColourOf(leds_[0]), kGreen);
}

}  // namespace
}  // namespace light
