// The headset's own effects and the phase step they move by.
#include <gtest/gtest.h>

#include <vector>

#include "devices/headset/headset_effects.h"

namespace {

TEST(HeadsetPhaseStep, StepsUpToZeroAtTheModulusAndDownToModulusMinusStep) {
    struct Case {
        bool direction;
        int modulus;
        uint8_t phase;
        int step;
        uint8_t next;
    };
    const Case cases[] = {
        {true, 192, 190, 1, 191}, {true, 192, 191, 1, 0}, {true, 96, 90, 3, 93},
        {true, 96, 93, 3, 0},     {false, 192, 5, 1, 4},  {false, 192, 0, 1, 191},
        {false, 96, 50, 3, 47},   {false, 96, 0, 3, 93},  {false, 96, 2, 3, 93},
        {false, 96, 150, 3, 93},  // a phase left by a 192 effect: 147 is not below 96
    };
    for (const Case& c : cases) {
        EXPECT_EQ(headset::PhaseStep(c.direction, c.modulus, c.phase, c.step), c.next)
            << c.direction << " " << c.modulus << " " << int{c.phase};
    }
}

struct Fixture {
    std::vector<light::LedEntry> leds = std::vector<light::LedEntry>(13);
    light::LightSettings settings;
    light::EffectState state;
    light::EffectContext Context() { return {leds, settings, state, 0}; }
};

TEST(HeadsetEffectA, OneColourFollowsTheCurveAsThePhaseStepsForEveryLed) {
    struct Case {
        uint8_t direction;
        std::array<uint8_t, 3> brightness;  // LEDs 0, 1, 2
    };
    // direction 1: phases 3, 6, 9 -> curve[3] = 30, curve[16] = 77, curve[29] = 140;
    // direction 0: phases 93, 90, 87 -> curve[93] = 27, curve[4] = 33, curve[11] = 57.
    for (const Case& c : {Case{1, {29, 76, 139}}, Case{0, {26, 32, 56}}}) {
        Fixture f;
        f.settings.brightness = 4;
        f.settings.direction = c.direction;
        f.settings.red = 200;
        f.settings.green = 100;
        f.settings.blue = 50;
        light::EffectContext context = f.Context();
        headset::EffectA(context);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(f.leds[i].brightness, c.brightness[i]) << "LED " << i;
            EXPECT_EQ(f.leds[i].red, 200);
        }
        EXPECT_EQ(f.state.phase, c.direction ? 39 : 96 - 39);
    }
}

TEST(HeadsetEffectA, SevenColoursTakeWheelEntriesSixteenApartAtTheLevel) {
    Fixture f;
    f.settings.brightness = 2;  // level 135
    f.settings.direction = 1;
    f.settings.multicolour = 1;
    light::EffectContext context = f.Context();
    headset::EffectA(context);
    // LED 0: phase 1, entry 2; LED 1: phase 2, entry 19; LED 12: phase 13, entry 206 mod 192.
    EXPECT_EQ((light::Rgb{f.leds[0].red, f.leds[0].green, f.leds[0].blue}),
              (light::Rgb{255, 5, 0}));
    EXPECT_EQ((light::Rgb{f.leds[1].red, f.leds[1].green, f.leds[1].blue}),
              (light::Rgb{255, 109, 0}));
    EXPECT_EQ((light::Rgb{f.leds[12].red, f.leds[12].green, f.leds[12].blue}),
              (light::Rgb{255, 65, 0}));
    EXPECT_EQ(f.leds[12].brightness, 135);
}

TEST(HeadsetEffectB, NeverWritesPastEntryTwelveNorLedZero) {
    for (const uint8_t direction : {0, 1}) {
        std::vector<light::LedEntry> all(15);
        const light::LedEntry sentinel{1, 2, 3, 99, {}};
        all[0] = all[13] = all[14] = sentinel;
        light::LightSettings settings;
        settings.direction = direction;
        settings.multicolour = 1;
        light::EffectState state;
        light::KeyIntensities keys{};
        light::MarqueeRing ring{};
        uint8_t passes = 0;
        headset::MarqueeState marquee{keys, ring, passes};
        for (int pass = 0; pass < 60; ++pass) {
            light::EffectContext context{std::span(all).first(13), settings, state, 0};
            EXPECT_TRUE(headset::EffectB(context, marquee)) << "entries 13 and 14 are skipped";
        }
        for (const size_t i : {0, 13, 14}) {
            EXPECT_EQ(all[i].brightness, 99) << "entry " << i;
            EXPECT_EQ(all[i].red, 1) << "entry " << i;
        }
        bool lit = false;
        for (size_t i = 1; i <= 12; ++i) lit = lit || all[i].brightness > 0;
        EXPECT_TRUE(lit) << "the marquee lights the pairs";
    }
}

TEST(HeadsetEffectC, EverySecondPassTheRingLightsAKeyThatThenDecays) {
    Fixture f;
    f.settings.brightness = 4;
    light::KeyIntensities keys{};
    light::MarqueeRing ring{};
    uint8_t passes = 0;
    headset::MarqueeState marquee{keys, ring, passes};
    light::EffectContext context = f.Context();
    headset::EffectC(context, marquee);
    EXPECT_EQ(f.leds[0].brightness, 0);
    headset::EffectC(context, marquee);
    // Key 1 marked to 255, then one decay step of 40: 215; 255 x 215 / 256 = 214.
    EXPECT_EQ(f.leds[0].brightness, 214);
    EXPECT_EQ(f.leds[1].brightness, 0);
    EXPECT_EQ(f.state.phase, 190) << "the phase steps down by one each pass";
}

}  // namespace
