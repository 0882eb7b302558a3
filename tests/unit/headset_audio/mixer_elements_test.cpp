// Element choice over element lists that USB sound cards give, and the percent <-> raw
// mapping on the ranges such cards use.
#include "devices/audio/mixer_elements.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using audio::ChooseElements;
using audio::ElementRef;
using audio::MixerElementInfo;

// name, index, playback volume, playback switch, capture volume, capture switch
MixerElementInfo E(const char* name, bool pv, bool ps, bool cv, bool cs, unsigned index = 0) {
    return {name, index, pv, ps, cv, cs};
}

struct ChoiceCase {
    const char* what;
    std::vector<MixerElementInfo> elements;
    const char* mic;  // nullptr: none
    const char* monitor;
    const char* playback;
};

TEST(ElementChoice, RealLookingLists) {
    const ChoiceCase cases[] = {
        {"USB audio class headset: Mic has both sides",
         {E("Headset", true, true, false, false), E("Mic", true, true, true, true),
          E("Auto Gain Control", false, true, false, false)},
         "Mic",
         "Mic",
         "Headset"},
        {"PCM playback, capture-only Mic: no monitoring",
         {E("PCM", true, true, false, false), E("Mic", false, false, true, true)},
         "Mic",
         nullptr,
         "PCM"},
        {"sidetone card",
         {E("Speaker", true, true, false, false), E("Headset", false, false, true, true),
          E("Sidetone", true, true, false, false)},
         "Headset",
         "Sidetone",
         "Speaker"},
        {"odd names: first capture, first other playback",
         {E("Sidetone", true, false, false, false), E("Line Out", true, true, false, false),
          E("Capture", false, false, true, true)},
         "Capture",
         "Sidetone",
         "Line Out"},
        {"PCM preferred over Master whatever the order",
         {E("Master", true, true, false, false), E("PCM", true, false, false, false)},
         nullptr,
         nullptr,
         "PCM"},
        {"nothing", {}, nullptr, nullptr, nullptr},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto choice = ChooseElements(c.elements);
        const auto check = [](const std::optional<ElementRef>& got, const char* want) {
            if (!want) {
                EXPECT_FALSE(got) << got->name;
            } else {
                ASSERT_TRUE(got);
                EXPECT_EQ(got->name, want);
            }
        };
        check(choice.microphone, c.mic);
        check(choice.monitoring, c.monitor);
        check(choice.playback, c.playback);
    }
}

struct RangeCase {
    long min;
    long max;
};

TEST(LevelMapping, EndsMonotonicAndRoundTrip) {
    const RangeCase ranges[] = {{0, 31}, {-4096, 0}, {0, 127}};
    for (const RangeCase& r : ranges) {
        SCOPED_TRACE(std::to_string(r.min) + ".." + std::to_string(r.max));
        const audio::RawRange range{r.min, r.max};
        EXPECT_EQ(audio::PercentToRaw(0, range), r.min);
        EXPECT_EQ(audio::PercentToRaw(100, range), r.max);
        EXPECT_EQ(audio::PercentToRaw(-5, range), r.min);
        EXPECT_EQ(audio::PercentToRaw(150, range), r.max);
        long previous = r.min;
        const long steps = r.max - r.min;
        for (int p = 0; p <= 100; ++p) {
            const auto raw = audio::PercentToRaw(p, range);
            ASSERT_TRUE(raw);
            EXPECT_GE(*raw, previous);
            EXPECT_LE(*raw, r.max);
            previous = *raw;
            // With at least 101 steps every percent comes back as itself.
            if (steps >= 100) {
                EXPECT_EQ(audio::RawToPercent(*raw, range), p);
            }
        }
        // Every raw step comes back as itself through its percent.
        for (long raw = r.min; raw <= r.max; ++raw) {
            const auto p = audio::RawToPercent(raw, range);
            ASSERT_TRUE(p);
            if (steps <= 100) {
                EXPECT_EQ(audio::PercentToRaw(*p, range), raw);
            }
        }
    }
}

TEST(LevelMapping, NearestStep) {
    // 0..31: 50 % is 15.5 steps, rounded to 16; raw 16 is 51.6 %, shown as 52.
    EXPECT_EQ(audio::PercentToRaw(50, {0, 31}), 16);
    EXPECT_EQ(audio::RawToPercent(16, {0, 31}), 52);
    EXPECT_EQ(audio::PercentToRaw(37, {-4096, 0}), -2580);
    EXPECT_EQ(audio::RawToPercent(-4096, {-4096, 0}), 0);
    EXPECT_EQ(audio::RawToPercent(100000, {0, 127}), 100);
}

TEST(LevelMapping, SingleValueRangeUnsupported) {
    EXPECT_FALSE(audio::PercentToRaw(50, {5, 5}));
    EXPECT_FALSE(audio::RawToPercent(5, {5, 5}));
    EXPECT_FALSE(audio::PercentToRaw(50, {10, 0}));
}

}  // namespace
