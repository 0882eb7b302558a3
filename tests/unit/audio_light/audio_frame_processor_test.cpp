// The main window's frame processing and the keyboard's level rule.
#include "devices/audio_light/audio_frame_processor.h"

#include <gtest/gtest.h>

#include <limits>

#include "devices/audio_light/audio_level_rule.h"

namespace {

using audio_light::AudioFrameProcessor;
using audio_light::AudioLevelRule;

std::array<int32_t, 500> Filled(int32_t value) {
    std::array<int32_t, 500> frame;
    frame.fill(value);
    return frame;
}

TEST(AudioFrameProcessor, IdenticalFramesLetTheMeansFallToAQuarter) {
    AudioFrameProcessor processor;
    std::array<int, 500> out{};
    const auto frame = Filled(400);
    processor.LevelFrame(frame, out);
    EXPECT_EQ(processor.Means()[0], 400u);  // (0 + 4 x 400) / 4
    processor.LevelFrame(frame, out);
    EXPECT_EQ(processor.Means()[0], 100u);  // no difference: a quarter
    ASSERT_TRUE(processor.LevelFrame(frame, out));
    EXPECT_EQ(processor.Means()[24], 25u);
    EXPECT_EQ(out[0], 25);
    EXPECT_EQ(out[24], 25);
    EXPECT_EQ(out[25], 0);
    EXPECT_EQ(out[499], 0);
}

TEST(AudioFrameProcessor, OnlyEveryThirdFrameIsHandedOn) {
    AudioFrameProcessor processor;
    std::array<int, 500> out{};
    const bool expected[] = {false, false, true, false, false, true, false};
    for (const bool handed : expected) EXPECT_EQ(processor.LevelFrame(Filled(7), out), handed);
}

TEST(AudioFrameProcessor, TheFifthDifferenceIsNotUsedAndShortFramesKeepTheRest) {
    AudioFrameProcessor processor;
    std::array<int, 500> out{};
    std::array<int32_t, 500> frame{};
    frame[4] = 1000;  // the unused fifth of band 0
    frame[5] = 1000;  // the first of band 1
    processor.LevelFrame(frame, out);
    EXPECT_EQ(processor.Means()[0], 0u);
    EXPECT_EQ(processor.Means()[1], 250u);
    // A frame of 3 values changes only those: band 1's value at 5 stays, no difference.
    const int32_t three[] = {8, 0, 0};
    processor.LevelFrame(three, out);
    EXPECT_EQ(processor.Means()[0], 2u);   // (0 + 8) / 4
    EXPECT_EQ(processor.Means()[1], 62u);  // (250 + 0) / 4
}

TEST(AudioFrameProcessor, ExtremeFramesDoNotOverflow) {
    AudioFrameProcessor processor;
    std::array<int, 500> out{};
    for (int i = 0; i < 6; ++i)
        processor.LevelFrame(Filled(i % 2 ? std::numeric_limits<int32_t>::min()
                                          : std::numeric_limits<int32_t>::max()),
                             out);
    // Four differences of 2^32 - 1 each: the mean is capped, the keyboard gets the int top.
    EXPECT_EQ(processor.Means()[0], std::numeric_limits<uint32_t>::max());
    EXPECT_EQ(out[0], std::numeric_limits<int>::max());
}

TEST(AudioFrameProcessor, BandValuesTakeSixValuesAtMost) {
    AudioFrameProcessor processor;
    const int32_t eight[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(processor.BandValues(eight), (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
    const int32_t two[] = {9, 9};
    EXPECT_EQ(processor.BandValues(two), (std::array<int, 6>{9, 9, 3, 4, 5, 6}));
}

TEST(AudioLevelRule, LoudnessOfLevelBuffers) {
    const struct {
        int value;
        int loudness;
    } cases[] = {{0, 0},
                 {2000, 25},
                 {1000, 13},
                 {5000, 25},
                 {std::numeric_limits<int>::max(), 25},
                 {-5, 0},
                 {std::numeric_limits<int>::min(), 0}};
    for (const auto& c : cases) {
        std::array<int, 25> levels;
        levels.fill(c.value);
        EXPECT_EQ(audio_light::LoudnessOfLevels(levels), c.loudness) << c.value;
    }
}

TEST(AudioLevelRule, TheReactionFiresOnTheThirdLoudCallInRhythmModeOnly) {
    struct Case {
        const char* name;
        int value;
        int effectCode;
        int audioMode;
        std::vector<bool> fires;
    };
    const Case cases[] = {
        {"2000 in rhythm", 2000, 29, 2, {false, false, true, false, false, true}},
        {"5000 counts as 2000", 5000, 29, 2, {false, false, true}},
        {"silence never", 0, 29, 2, {false, false, false, false}},
        {"spectrum effect", 2000, 30, 2, {false, false, false, false}},
        {"other audio mode", 2000, 29, 1, {false, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioLevelRule rule;
        std::array<int, 500> levels{};
        std::fill_n(levels.begin(), 25, c.value);
        for (const bool fires : c.fires)
            EXPECT_EQ(rule.SetAudioLevels(levels, c.effectCode, c.audioMode), fires);
        const bool consumed = c.effectCode == 29 && c.audioMode == 2;
        // Outside rhythm mode the buffer keeps the levels; inside it is taken.
        EXPECT_EQ(rule.Buffer()[24], consumed ? 0 : c.value);
    }
}

}  // namespace
