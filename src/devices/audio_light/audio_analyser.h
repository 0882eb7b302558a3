#pragma once
// AudioAnalyser: mono samples in, one AudioAnalysis per hop out. A Hann window of the power of
// two nearest 43 ms (2,048 samples at 44.1 or 48 kHz), hopped by half its length, through the
// real FFT of kissfft. Powers are normalised so that a sine's power summed over the bins of any
// band that holds it equals its power, and 0 dBFS is a full-scale sine; a value is
// round((dB + 70) / 70 x 2000) clamped to 0..2000, the scale the keyboard's level rule reads
// (2000 loudest). Configuration and buffers are made once, in the constructor; a hop allocates
// nothing. Plain C++, no Qt, no I/O. docs/audio-lighting.md describes the values.
#include <kiss_fftr.h>

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace audio_light {

inline constexpr int kLevelBands = 500;
inline constexpr int kBandValues = 6;
inline constexpr int kValueTop = 2000;
inline constexpr double kFloorDb = -70.0;
inline constexpr double kLowestHz = 30.0;
inline constexpr double kHighestHz = 16000.0;
// The six band values' limits in Hz; the top is cut at the rate's limit.
inline constexpr std::array<double, kBandValues + 1> kBandEdgesHz{30,   80,   250,  800,
                                                                  2500, 6000, 16000};

struct AudioAnalysis {
    std::array<int32_t, kLevelBands> levels{};  // the level frame, 30 Hz .. top, log-spaced
    std::array<int32_t, kBandValues> bands{};
    int32_t level = 0;       // every bin from 30 Hz to the top band's limit
    uint64_t endSample = 0;  // samples from the start to the end of the analysed window
    uint64_t EndMs(int sampleRate) const { return endSample * 1000 / sampleRate; }
};

// The value of a power on the 0..2000 scale (0 for no power).
int32_t ValueOfPower(double power);
// The window length for a rate: the power of two nearest 43 ms.
int WindowLengthForRate(int sampleRate);
// The top of the analysed range: min(16 kHz, 0.45 x rate).
double TopFrequency(int sampleRate);

class AudioAnalyser {
  public:
    // sampleRate must be positive (the sources accept 8,000 to 192,000 Hz).
    explicit AudioAnalyser(int sampleRate);
    ~AudioAnalyser();
    AudioAnalyser(const AudioAnalyser&) = delete;
    AudioAnalyser& operator=(const AudioAnalyser&) = delete;

    // Takes samples from the front of `samples` until one analysis is ready (true: `out`
    // holds it, `samples` is what is left) or the samples run out (false). Call again with
    // what is left until it returns false.
    bool Feed(std::span<const float>& samples, AudioAnalysis& out);

    int SampleRate() const { return rate_; }
    int WindowLength() const { return length_; }
    int Hop() const { return length_ / 2; }
    // First and one-past-last FFT bin of level band i (never empty).
    std::pair<int, int> LevelBandBins(int band) const {
        return levelBins_[static_cast<size_t>(band)];
    }

  private:
    void Analyse(AudioAnalysis& out);

    int rate_;
    int length_;
    kiss_fftr_cfg config_ = nullptr;
    std::vector<float> window_;    // Hann coefficients
    std::vector<float> samples_;   // the last length_ samples
    std::vector<float> windowed_;  // FFT input
    std::vector<double> power_;    // per bin, normalised
    std::vector<kiss_fft_cpx> spectrum_;
    std::vector<std::pair<int, int>> levelBins_;  // [first, last) bin of each level band
    std::array<std::pair<int, int>, kBandValues> bandBins_{};
    std::pair<int, int> levelRange_{};
    double normalisation_ = 1.0;
    std::size_t filled_ = 0;
    uint64_t consumed_ = 0;
};

}  // namespace audio_light
