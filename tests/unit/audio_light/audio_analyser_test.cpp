// The sound analysis over WAV files written into a temporary folder: what a sine, silence, a
// sweep and broken samples read as on the 0..2000 scale.
#include "devices/audio_light/audio_analyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/wav_file_source.h"
#include "wav_writer.h"

namespace {

using audio_light::AudioAnalyser;
using audio_light::AudioAnalysis;
using wav_test::WavFormat;

std::vector<AudioAnalysis> AnalyseFile(const std::string& path, int* rate = nullptr) {
    platform::CWavFileSource source(path, platform::CWavFileSource::Pacing::Unpaced);
    EXPECT_TRUE(source.Open().ok) << source.LastError();
    if (rate) *rate = source.SampleRate();
    AudioAnalyser analyser(source.SampleRate());
    std::vector<AudioAnalysis> out;
    AudioAnalysis analysis;
    std::vector<float> block(1000);
    for (;;) {
        const platform::AudioReadResult r = source.Read(block, 1000, -1);
        if (r.status != platform::AudioReadStatus::Data) break;
        std::span<const float> samples(block.data(), r.count);
        while (analyser.Feed(samples, analysis)) out.push_back(analysis);
    }
    return out;
}

int LargestBand(const AudioAnalysis& a) {
    return static_cast<int>(std::max_element(a.bands.begin(), a.bands.end()) - a.bands.begin());
}

// The level band whose range holds hz: bands are log-spaced from 30 Hz to the top.
int LevelBandOf(double hz, int rate) {
    const double top = std::min(16000.0, 0.45 * rate);
    return static_cast<int>(std::floor(500 * std::log(hz / 30) / std::log(top / 30)));
}

class AnalyserTest : public ::testing::Test {
  protected:
    QTemporaryDir dir_;
};

TEST_F(AnalyserTest, ASineReadsItsLevelInItsBands) {
    struct Case {
        const char* name;
        uint32_t rate;
        int bits;
        double amplitude;
        int expected;
        int tolerance;
    };
    const Case cases[] = {
        {"full scale, 48 kHz", 48000, 16, 1.0, 2000, 50},
        {"full scale, 44.1 kHz", 44100, 16, 1.0, 2000, 50},
        {"-20 dBFS, 48 kHz", 48000, 16, 0.1, 1429, 30},
        {"-20 dBFS, 44.1 kHz float", 44100, 32, 0.1, 1429, 30},
        {"-20 dBFS, 8 kHz", 8000, 16, 0.1, 1429, 30},
        {"-20 dBFS, 192 kHz", 192000, 32, 0.1, 1429, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WavFormat wav;
        wav.rate = c.rate;
        wav.bits = c.bits;
        wav.tag = c.bits == 32 ? 3 : 1;
        wav.seconds = 0.5;
        wav.sample = wav_test::Sine(1000, c.amplitude);
        const std::vector<AudioAnalysis> all = AnalyseFile(wav_test::Write(dir_, "s.wav", wav));
        ASSERT_GT(all.size(), 4u);
        const AudioAnalysis& a = all[all.size() / 2];
        EXPECT_NEAR(a.bands[3], c.expected, c.tolerance);
        EXPECT_EQ(LargestBand(a), 3);
        EXPECT_NEAR(a.level, c.expected, c.tolerance);
        // A level band narrower than a bin holds one bin, and the window spreads a sine over
        // three: at most two thirds of its power (-1.8 dB), less between bins (-2.8 dB at
        // 44.1 kHz), so the band reads up to 110 below the sine's level, never above it.
        const int narrow =
            a.levels[static_cast<size_t>(LevelBandOf(1000, static_cast<int>(c.rate)))];
        EXPECT_NEAR(narrow, c.expected - 55, 55);
        for (const int b : {0, 5}) EXPECT_LT(a.bands[static_cast<size_t>(b)], 300) << b;
    }
}

TEST_F(AnalyserTest, SilenceAndCancellingChannelsReadZeroEverywhere) {
    WavFormat silence;
    silence.seconds = 0.2;
    WavFormat opposite;
    opposite.channels = 2;
    opposite.seconds = 0.2;
    opposite.sample = [](double t, int c) {
        return (c == 0 ? 0.5 : -0.5) * std::sin(2 * std::numbers::pi * 440 * t);
    };
    for (const WavFormat& wav : {silence, opposite}) {
        const std::vector<AudioAnalysis> all = AnalyseFile(wav_test::Write(dir_, "z.wav", wav));
        ASSERT_FALSE(all.empty());
        for (const AudioAnalysis& a : all) {
            EXPECT_EQ(a.level, 0);
            EXPECT_EQ(*std::max_element(a.bands.begin(), a.bands.end()), 0);
            EXPECT_EQ(*std::max_element(a.levels.begin(), a.levels.end()), 0);
        }
    }
}

TEST_F(AnalyserTest, ASweepMovesTheLargestBandFromZeroToFiveInOrder) {
    WavFormat wav;
    wav.seconds = 4;
    wav.sample = wav_test::Sweep(50, 12000, 4);
    const std::vector<AudioAnalysis> all = AnalyseFile(wav_test::Write(dir_, "sweep.wav", wav));
    std::vector<int> order;
    for (const AudioAnalysis& a : all)
        if (order.empty() || order.back() != LargestBand(a)) order.push_back(LargestBand(a));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(AnalyserTest, RatesOf44And48KilohertzAgree) {
    std::vector<AudioAnalysis> at[2];
    const uint32_t rates[2] = {44100, 48000};
    for (int i = 0; i < 2; ++i) {
        WavFormat wav;
        wav.rate = rates[i];
        wav.seconds = 0.5;
        wav.sample = [](double t, int) {
            return 0.3 * std::sin(2 * std::numbers::pi * 400 * t) +
                   0.05 * std::sin(2 * std::numbers::pi * 4000 * t);
        };
        at[i] = AnalyseFile(wav_test::Write(dir_, "r.wav", wav));
        ASSERT_GT(at[i].size(), 10u);
    }
    // The bands holding the two sines and the overall level agree; the others hold only the
    // window's leakage, far below.
    const AudioAnalysis& a = at[0][10];
    const AudioAnalysis& b = at[1][10];
    EXPECT_NEAR(a.level, b.level, 5);
    EXPECT_NEAR(a.bands[2], b.bands[2], 5);
    EXPECT_NEAR(a.bands[4], b.bands[4], 5);
    EXPECT_NEAR(a.bands[2], 1701, 10);  // 0.3: -10.5 dBFS
    EXPECT_NEAR(a.bands[4], 1257, 10);  // 0.05: -26 dBFS
    for (const size_t band : {0, 1, 3, 5}) {
        EXPECT_LT(a.bands[band], 1000) << band;
        EXPECT_LT(b.bands[band], 1000) << band;
    }
}

TEST_F(AnalyserTest, NaNAndHugeSamplesGiveValuesOnTheScale) {
    WavFormat wav;
    wav.tag = 3;
    wav.bits = 32;
    wav.seconds = 0.2;
    wav.sample = [](double t, int) {
        const int n = static_cast<int>(t * 48000);
        if (n % 3 == 0) return std::numeric_limits<double>::quiet_NaN();
        if (n % 3 == 1) return 1e30;
        return -std::numeric_limits<double>::infinity();
    };
    const std::vector<AudioAnalysis> all = AnalyseFile(wav_test::Write(dir_, "nan.wav", wav));
    ASSERT_FALSE(all.empty());
    for (const AudioAnalysis& a : all) {
        EXPECT_GE(a.level, 0);
        EXPECT_LE(a.level, 2000);
        for (const int v : a.levels) ASSERT_TRUE(v >= 0 && v <= 2000) << v;
        for (const int v : a.bands) ASSERT_TRUE(v >= 0 && v <= 2000) << v;
    }
}

TEST(AnalyserShape, WindowHopAndTimeFollowTheRate) {
    const struct {
        int rate;
        int window;
    } cases[] = {{8000, 256}, {44100, 2048}, {48000, 2048}, {96000, 4096}, {192000, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        AudioAnalyser analyser(c.rate);
        EXPECT_EQ(analyser.WindowLength(), c.window);
        EXPECT_EQ(analyser.Hop(), c.window / 2);
        // No level band is empty, even where bands are narrower than a bin.
        for (int i = 0; i < audio_light::kLevelBands; ++i) {
            const auto [first, last] = analyser.LevelBandBins(i);
            ASSERT_LT(first, last) << i;
        }
    }
    // One second at 48 kHz: the first window ends at 2,048 samples (42 ms), then one analysis
    // per 1,024 samples.
    AudioAnalyser analyser(48000);
    std::vector<float> second(48000, 0.0f);
    std::span<const float> samples(second);
    AudioAnalysis a;
    std::vector<uint64_t> ends;
    while (analyser.Feed(samples, a)) ends.push_back(a.EndMs(48000));
    ASSERT_EQ(ends.size(), 45u);
    EXPECT_EQ(ends[0], 42u);
    EXPECT_EQ(ends[1], 64u);
    EXPECT_EQ(ends.back(), 981u);
}

TEST(AnalyserShape, ValuesOfPowers) {
    const struct {
        double power;
        int value;
    } cases[] = {
        {0.5, 2000},    // a full-scale sine: 0 dBFS
        {5.0, 2000},    // louder still: the top
        {0.005, 1429},  // -20 dBFS
        {0.5e-6, 286},  // -60 dBFS
        {0.5e-7, 0},    // -70 dBFS: the floor
        {0.0, 0},      {-1.0, 0}, {std::nan(""), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(audio_light::ValueOfPower(c.power), c.value) << c.power;
}

}  // namespace
