#include "devices/light_effects.h"

#include <gtest/gtest.h>

#include <vector>

#include "devices/light_modes.h"

using namespace light;

namespace {

// A few LEDs with their extra bytes set, so that effects can be seen to leave them alone.
struct EffectFixture {
    std::vector<LedEntry> leds = std::vector<LedEntry>(3, LedEntry{1, 2, 3, 4, {9, 9, 9, 9}});
    LightSettings settings;
    EffectState state;

    EffectContext At(uint32_t nowMs) { return EffectContext{leds, settings, state, nowMs}; }
    void Run(void (*effect)(EffectContext&), uint32_t nowMs = 0) {
        EffectContext context = At(nowMs);
        effect(context);
    }
    Rgb Colour() const { return {leds[0].red, leds[0].green, leds[0].blue}; }
    void ExpectAllLike(const LedEntry& first) const {
        for (const LedEntry& led : leds) {
            EXPECT_EQ(led.red, first.red);
            EXPECT_EQ(led.green, first.green);
            EXPECT_EQ(led.blue, first.blue);
            EXPECT_EQ(led.brightness, first.brightness);
            EXPECT_EQ(led.extra, (std::array<uint8_t, 4>{9, 9, 9, 9}));
        }
    }
};

}  // namespace

TEST(LightTables, ColourWheelSegmentsAndClosure) {
    const struct {
        size_t index;
        Rgb colour;
    } cases[] = {
        {0, {255, 1, 0}},   {31, {255, 255, 0}},  {32, {248, 255, 0}},  {63, {0, 255, 0}},
        {64, {0, 255, 1}},  {95, {0, 255, 255}},  {96, {0, 248, 255}},  {127, {0, 0, 255}},
        {128, {1, 0, 255}}, {159, {255, 0, 255}}, {160, {255, 0, 248}}, {191, {255, 0, 0}},
        {192, {255, 1, 0}}, {9, {255, 32, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(kColourWheel[c.index], c.colour) << "entry " << c.index;
}

TEST(LightTables, BreathingCurveRisesToFullAndMirrors) {
    EXPECT_EQ(kBreathingCurve[0], 0);
    EXPECT_EQ(kBreathingCurve[18], 27);
    EXPECT_EQ(kBreathingCurve[63], 255);
    for (size_t i = 0; i < 64; ++i) EXPECT_EQ(kBreathingCurve[127 - i], kBreathingCurve[i]);
    for (size_t i = 1; i < 64; ++i) EXPECT_GT(kBreathingCurve[i], kBreathingCurve[i - 1]);
}

TEST(LightTables, LevelsAndPeriodsClampPastTheirTables) {
    const struct {
        uint8_t setting;
        uint8_t level;
        uint32_t periodMs;
    } cases[] = {{0, 0, 1600},  {1, 80, 1200}, {2, 135, 800},  {3, 195, 400},
                 {4, 255, 200}, {5, 255, 200}, {255, 255, 200}};
    for (const auto& c : cases) {
        EXPECT_EQ(BrightnessLevel(c.setting), c.level) << int(c.setting);
        EXPECT_EQ(BlinkPeriodMs(c.setting), c.periodMs) << int(c.setting);
    }
}

TEST(StepValue, WrapsAtTheLimitInBothDirections) {
    const struct {
        bool direction;
        int limit;
        uint8_t value;
        int step;
        uint8_t expected;
    } cases[] = {
        {true, 128, 0, 1, 1},    {true, 128, 126, 1, 127}, {true, 128, 127, 1, 0},
        {true, 192, 191, 1, 0},  {true, 10, 8, 3, 0},      {true, 10, 6, 3, 9},
        {false, 128, 0, 1, 127}, {false, 128, 1, 1, 0},    {false, 128, 127, 1, 126},
        {false, 192, 0, 1, 191}, {false, 10, 2, 3, 7},     {false, 10, 9, 3, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StepValue(c.direction, c.limit, c.value, c.step), c.expected)
            << c.direction << " " << c.limit << " " << int(c.value) << " " << c.step;
    }
}

TEST(EffectBreathing, PhasesRunBothWaysAndTheColourChangesAtEachReturnToZero) {
    for (const bool direction : {true, false}) {
        SCOPED_TRACE(direction ? "direction set" : "direction clear");
        EffectFixture f;
        f.settings.direction = direction;
        f.settings.multicolour = 1;
        std::vector<int> phases;
        std::vector<int> colourChanges;
        for (int step = 1; step <= 256; ++step) {
            const uint8_t indexBefore = f.state.colourIndex;
            f.Run(EffectBreathing);
            phases.push_back(f.state.phase);
            if (f.state.colourIndex != indexBefore) colourChanges.push_back(step);
            EXPECT_EQ(f.Colour(), kColourWheel[f.state.colourIndex]);
        }
        for (int step = 1; step <= 128; ++step) {
            const int expected = direction ? step % 128 : (128 - step) % 128;
            ASSERT_EQ(phases[step - 1], expected) << "step " << step;
        }
        EXPECT_EQ(colourChanges, (std::vector<int>{128, 256}));
        EXPECT_EQ(f.state.colourIndex, 32);
        f.ExpectAllLike(f.leds[0]);
    }
}

TEST(EffectBreathing, BrightnessFollowsTheCurveAtTheLevelAndTheFixedColourWithoutMulticolour) {
    EffectFixture f;
    f.settings.direction = 1;
    f.settings.brightness = 2;
    f.settings.red = 10;
    f.settings.green = 20;
    f.settings.blue = 30;
    f.state.phase = 62;
    f.Run(EffectBreathing);
    EXPECT_EQ(f.state.phase, 63);
    EXPECT_EQ(f.leds[0].brightness, 255 * 135 / 256);
    EXPECT_EQ(f.Colour(), (Rgb{10, 20, 30}));
}

TEST(EffectBreathing, ColourIndexReturnsToZeroAfterPassing192) {
    const struct {
        void (*effect)(EffectContext&);
        uint8_t indexBefore;
        uint8_t indexAfter;
    } cases[] = {
        {EffectBreathing, 176, 192},
        {EffectBreathing, 192, 0},
        {EffectBreathingFourColours, 2, 3},
        {EffectBreathingFourColours, 3, 0},
        // An index left behind by the other breathing effect stays inside the four colours.
        {EffectBreathingFourColours, 176, 0},
    };
    for (const auto& c : cases) {
        EffectFixture f;
        f.settings.direction = 1;
        f.state.phase = 127;
        f.state.colourIndex = c.indexBefore;
        f.Run(c.effect);
        EXPECT_EQ(f.state.phase, 0);
        EXPECT_EQ(f.state.colourIndex, c.indexAfter) << int(c.indexBefore);
    }
}

TEST(EffectBreathingFourColours, ShowsTheFourColourTable) {
    EffectFixture f;
    f.settings.direction = 1;
    f.state.phase = 10;
    for (uint8_t index = 0; index < 4; ++index) {
        f.state.colourIndex = index;
        f.Run(EffectBreathingFourColours);
        EXPECT_EQ(f.Colour(), kFourColourTable[index]);
    }
}

TEST(EffectBlink, TogglesAfterThePeriodOfItsSpeed) {
    for (const auto& [speed, periodMs] :
         {std::pair{0, 1600u}, std::pair{2, 800u}, std::pair{4, 200u}}) {
        SCOPED_TRACE(speed);
        EffectFixture f;
        f.settings.speed = static_cast<uint8_t>(speed);
        f.settings.red = 7;
        f.state.lastToggleMs = 1000;
        f.Run(EffectBlink, 1000 + periodMs - 1);
        EXPECT_EQ(f.state.blinkOn, 0);
        EXPECT_EQ(f.leds[0].brightness, 0);
        EXPECT_EQ(f.Colour(), (Rgb{}));

        f.Run(EffectBlink, 1000 + periodMs);
        EXPECT_EQ(f.state.blinkOn, 1);
        EXPECT_EQ(f.state.phase, 16);
        EXPECT_EQ(f.state.lastToggleMs, 1000 + periodMs);
        EXPECT_EQ(f.Colour(), (Rgb{7, 255, 255}));
        EXPECT_EQ(f.leds[0].brightness, 255);
        f.ExpectAllLike(f.leds[0]);

        f.Run(EffectBlink, 1000 + 2 * periodMs - 1);
        EXPECT_EQ(f.state.blinkOn, 1);
        f.Run(EffectBlink, 1000 + 2 * periodMs);
        EXPECT_EQ(f.state.blinkOn, 0);
        EXPECT_EQ(f.leds[0].brightness, 0);
    }
}

TEST(EffectBlink, PhaseWrapsAndPicksTheWheelOrTheFourColours) {
    const struct {
        void (*effect)(EffectContext&);
        uint8_t phaseBefore;
        uint8_t phaseAfter;
        Rgb lit;
    } cases[] = {
        {EffectBlink, 160, 176, kColourWheel[176]},
        {EffectBlink, 176, 0, kColourWheel[0]},
        {EffectBlinkFourColours, 2, 3, kFourColourTable[3]},
        {EffectBlinkFourColours, 3, 0, kFourColourTable[0]},
        {EffectBlinkFourColours, 150, 0, kFourColourTable[0]},
    };
    for (const auto& c : cases) {
        EffectFixture f;
        f.settings.multicolour = 1;
        f.state.phase = c.phaseBefore;
        f.Run(c.effect, 5000);
        EXPECT_EQ(f.state.phase, c.phaseAfter) << int(c.phaseBefore);
        EXPECT_EQ(f.Colour(), c.lit) << int(c.phaseBefore);
    }
}

TEST(EffectSpectrum, StepsRoundTheWheelInBothDirections) {
    const struct {
        bool direction;
        uint8_t before;
        uint8_t after;
    } cases[] = {{true, 0, 1}, {true, 191, 0}, {false, 0, 191}, {false, 100, 99}};
    for (const auto& c : cases) {
        EffectFixture f;
        f.settings.direction = c.direction;
        f.settings.brightness = 1;
        f.state.phase = c.before;
        f.Run(EffectSpectrum);
        EXPECT_EQ(f.state.phase, c.after);
        EXPECT_EQ(f.Colour(), kColourWheel[c.after]);
        EXPECT_EQ(f.leds[2].brightness, 80);
    }
}

TEST(EffectStaticAndOff, FillEveryLed) {
    EffectFixture f;
    f.settings.red = 1;
    f.settings.green = 2;
    f.settings.blue = 3;
    f.settings.brightness = 3;
    f.Run(EffectStatic);
    EXPECT_EQ(f.Colour(), (Rgb{1, 2, 3}));
    f.ExpectAllLike({1, 2, 3, 195, {}});
    f.Run(EffectOff);
    f.ExpectAllLike({0, 0, 0, 0, {}});
}

TEST(DecayKeyLight, SequencesByMode) {
    auto run = [](uint8_t start, int mode) {
        KeyIntensities keys{};
        keys[5] = start;
        std::vector<int> seen{start};
        while (keys[5] != 0 && seen.size() < 300) {
            DecayKeyLight(keys, 5, mode);
            seen.push_back(keys[5]);
        }
        return seen;
    };
    auto countDown = [](std::vector<int> head, int from) {
        for (int v = from; v >= 0; --v) head.push_back(v);
        return head;
    };
    EXPECT_EQ(run(255, 0), countDown({255, 215, 175, 135, 95, 65, 35, 20, 12}, 11));
    EXPECT_EQ(run(255, 29), countDown({255, 210, 165, 120, 75, 40}, 5));
    EXPECT_EQ(run(255, 1), countDown({255, 215, 175, 135, 95, 65, 35, 25, 17, 9}, 8));
}

TEST(DecayKeyLight, NeverWrapsBelowZeroAndIgnoresKeysOutsideTheTable) {
    const struct {
        uint8_t value;
        int mode;
        uint8_t expected;
    } cases[] = {{16, 29, 0}, {31, 29, 0}, {32, 29, 0}, {0, 0, 0},
                 {0, 29, 0},  {17, 0, 9},  {1, 7, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(DecayIntensity(c.value, c.mode), c.expected) << int(c.value) << " " << c.mode;
    }
    KeyIntensities keys{};
    keys.fill(200);
    DecayKeyLight(keys, -1, 0);
    DecayKeyLight(keys, static_cast<int>(kKeyIntensities), 0);
    for (uint8_t v : keys) EXPECT_EQ(v, 200);
}

TEST(MarqueeRing, MarksRotateAndClear) {
    MarqueeRing ring{};
    ring[0] = 1;
    ring[8] = 1;
    ring[9] = 1;
    KeyIntensities keys{};
    MarkRingKeys(ring, keys);
    EXPECT_EQ(keys[0], 255);
    EXPECT_EQ(keys[8], 255);
    EXPECT_EQ(keys[9], 0);  // only the first nine positions mark keys
    EXPECT_EQ(keys[1], 0);

    MarqueeRing forwards = ring;
    RotateRing(forwards, false);  // the first moves to the last place
    EXPECT_EQ(forwards[22], 1);
    EXPECT_EQ(forwards[7], 1);
    EXPECT_EQ(forwards[8], 1);
    EXPECT_EQ(forwards[0], 0);

    MarqueeRing backwards = ring;
    RotateRing(backwards, true);  // the last moves to the first place
    EXPECT_EQ(backwards[1], 1);
    EXPECT_EQ(backwards[9], 1);
    EXPECT_EQ(backwards[10], 1);
    EXPECT_EQ(backwards[0], 0);

    ClearReactive(keys, ring);
    EXPECT_EQ(keys, KeyIntensities{});
    EXPECT_EQ(ring, MarqueeRing{});
}

TEST(LightFrame, ThreeScaledBytesPerLedAndAtMost170Leds) {
    std::vector<LedEntry> leds(171, LedEntry{255, 255, 255, 255, {}});
    leds[0] = {200, 100, 50, 128, {}};
    leds[1] = {200, 100, 50, 0, {}};
    std::vector<uint8_t> frame;  // one buffer for every frame, as the light thread keeps it
    BuildLightFrame(leds, frame);
    ASSERT_EQ(frame.size(), 510u);
    EXPECT_EQ((std::vector<uint8_t>(frame.begin(), frame.begin() + 9)),
              (std::vector<uint8_t>{100, 50, 25, 0, 0, 0, 254, 254, 254}));
    BuildLightFrame({}, frame);
    EXPECT_TRUE(frame.empty());
    BuildLightFrame(std::span(leds).first(15), frame);
    EXPECT_EQ(frame.size(), 45u);
}

TEST(LightWords, SettingsAndLedEntriesKeepTheirByteOrder) {
    LightSettings settings;
    settings.mode = 3;
    settings.brightness = 4;
    settings.speed = 2;
    settings.direction = 1;
    settings.multicolour = 1;
    settings.red = 0x11;
    settings.green = 0x22;
    settings.blue = 0x33;
    settings.extra[7] = 0xEE;
    const auto words = ToWords(settings);
    EXPECT_EQ(words[0], 0x01020403u);
    EXPECT_EQ(words[1], 0x33221101u);
    EXPECT_EQ(words[3], 0xEE000000u);
    EXPECT_EQ(ToWords(FromWords(words)), words);

    LedEntry led;
    SetWords(led, 0x80302010u, 0x04030201u);
    EXPECT_EQ(led.red, 0x10);
    EXPECT_EQ(led.green, 0x20);
    EXPECT_EQ(led.blue, 0x30);
    EXPECT_EQ(led.brightness, 0x80);
    EXPECT_EQ(ColourWord(led), 0x80302010u);
    EXPECT_EQ(ExtraWord(led), 0x04030201u);
}

TEST(TickCounter, CountsTwoMillisecondTicksAndTellsWhenTheThresholdIsDue) {
    const uint32_t start = 0xFFFFFFF0u;  // the clock wraps during the test
    TickCounter counter;
    counter.Advance(start);
    EXPECT_EQ(counter.ticks, 0u);
    EXPECT_EQ(counter.MillisecondsUntil(8, start), 16u);
    counter.Advance(start + 1);
    EXPECT_EQ(counter.ticks, 0u);
    counter.Advance(start + 2);
    EXPECT_EQ(counter.ticks, 1u);
    counter.Advance(start + 7);
    EXPECT_EQ(counter.ticks, 3u);
    EXPECT_EQ(counter.MillisecondsUntil(8, start + 7), 9u);
    counter.Advance(start + 40);
    EXPECT_EQ(counter.ticks, 20u);
    EXPECT_EQ(counter.MillisecondsUntil(8, start + 40), 0u);
    counter.Restart(start + 41);
    EXPECT_EQ(counter.ticks, 0u);
    EXPECT_EQ(counter.MillisecondsUntil(1, start + 41), 2u);
}

TEST(TickCounter, TakesTheWholeStepsAndKeepsTheTicksTowardsTheNext) {
    TickCounter counter;
    counter.Advance(100);
    counter.Advance(100 + 2 * 11);  // 11 ticks
    EXPECT_EQ(counter.TakeSteps(4, 250), 2u);
    EXPECT_EQ(counter.ticks, 3u);
    EXPECT_EQ(counter.MillisecondsUntil(4, 122), 2u);
    EXPECT_EQ(counter.TakeSteps(4, 250), 0u);
    EXPECT_EQ(counter.ticks, 3u);
    EXPECT_EQ(counter.TakeSteps(0, 250), 3u) << "a threshold of 0 counts as 1";
    counter.Advance(122 + 2 * 1000);
    EXPECT_EQ(counter.TakeSteps(1, 250), 250u) << "a long stall gives the limit";
    EXPECT_EQ(counter.ticks, 0u) << "and drops the rest";
}

TEST(LightModes, ThresholdsByClassModeAndSpeed) {
    const struct {
        std::span<const LightModeRow> table;
        uint8_t mode;
        uint8_t speed;
        uint8_t threshold;
        LightStep step;
    } cases[] = {
        {kMouseLightModes, 0, 0, 8, LightStep::ClassEffectA},
        {kMouseLightModes, 2, 4, 1, LightStep::Breathing},
        {kMouseLightModes, 5, 0, 16, LightStep::ClassEffectB},
        {kMouseLightModes, 5, 4, 2, LightStep::ClassEffectB},
        {kMouseLightModes, 5, 9, 2, LightStep::ClassEffectB},
        {kMouseLightModes, 9, 1, 6, LightStep::Off},
        {kPadLightModes, 7, 3, 2, LightStep::ClassEffectB},
        {kPadLightModes, 8, 2, 4, LightStep::Off},
    };
    for (const auto& c : cases) {
        const auto row = FindLightMode(c.table, c.mode);
        ASSERT_TRUE(row) << int(c.mode);
        EXPECT_EQ(ThresholdAt(*row, c.speed), c.threshold) << int(c.mode) << " " << int(c.speed);
        EXPECT_EQ(row->step, c.step) << int(c.mode);
    }
    EXPECT_FALSE(FindLightMode(kMouseLightModes, 10));
    EXPECT_FALSE(FindLightMode(kPadLightModes, 9));
    EXPECT_TRUE(FindLightMode(kPadLightModes, 5)->everyPass);
}
