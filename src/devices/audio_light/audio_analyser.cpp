#include "devices/audio_light/audio_analyser.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace audio_light {

namespace {

constexpr double kWindowSeconds = 0.043;
// The mean square of a full-scale sine: 0 dBFS.
constexpr double kFullScalePower = 0.5;

// The bins whose centre frequency lies in [low, high); a band narrower than one bin takes the
// bin at its (geometric) centre.
std::pair<int, int> BinsOf(double low, double high, int length, int rate, bool neverEmpty) {
    const double binHz = static_cast<double>(rate) / length;
    const int first = static_cast<int>(std::ceil(low / binHz));
    const int last = static_cast<int>(std::ceil(high / binHz));
    if (first < last) return {first, last};
    if (!neverEmpty) return {0, 0};
    const int centre = static_cast<int>(std::lround(std::sqrt(low * high) / binHz));
    return {centre, centre + 1};
}

}  // namespace

int32_t ValueOfPower(double power) {
    if (!(power > 0.0)) return 0;
    const double db = 10.0 * std::log10(power / kFullScalePower);
    const double value = std::round((db - kFloorDb) / -kFloorDb * kValueTop);
    return static_cast<int32_t>(std::clamp(value, 0.0, static_cast<double>(kValueTop)));
}

int WindowLengthForRate(int sampleRate) {
    const double target = kWindowSeconds * sampleRate;
    int length = 64;
    while (length * 2 <= target) length *= 2;
    // length <= target < 2 x length: the nearer of the two.
    return target - length <= length * 2 - target ? length : length * 2;
}

double TopFrequency(int sampleRate) { return std::min(kHighestHz, 0.45 * sampleRate); }

AudioAnalyser::AudioAnalyser(int sampleRate)
    : rate_(sampleRate > 0 ? sampleRate : 48000), length_(WindowLengthForRate(rate_)) {
    config_ = kiss_fftr_alloc(length_, 0, nullptr, nullptr);
    if (!config_) throw std::runtime_error("kiss_fftr_alloc failed");
    const size_t n = static_cast<size_t>(length_);
    window_.resize(n);
    double sumSquares = 0.0;
    for (size_t i = 0; i < n; ++i) {
        // Periodic Hann: the hops of half its length add up to a constant.
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                              static_cast<double>(n));
        window_[i] = static_cast<float>(w);
        sumSquares += w * w;
    }
    normalisation_ = 1.0 / (sumSquares * static_cast<double>(n));
    samples_.assign(n, 0.0f);
    windowed_.assign(n, 0.0f);
    spectrum_.assign(n / 2 + 1, kiss_fft_cpx{});
    power_.assign(n / 2 + 1, 0.0);

    const double top = TopFrequency(rate_);
    levelBins_.resize(kLevelBands);
    const double ratio = top / kLowestHz;
    for (int i = 0; i < kLevelBands; ++i) {
        const double low = kLowestHz * std::pow(ratio, static_cast<double>(i) / kLevelBands);
        const double high = kLowestHz * std::pow(ratio, static_cast<double>(i + 1) / kLevelBands);
        levelBins_[static_cast<size_t>(i)] = BinsOf(low, high, length_, rate_, true);
    }
    for (int b = 0; b < kBandValues; ++b) {
        const double low = kBandEdgesHz[static_cast<size_t>(b)];
        const double high = std::min(kBandEdgesHz[static_cast<size_t>(b) + 1], top);
        bandBins_[static_cast<size_t>(b)] =
            low < high ? BinsOf(low, high, length_, rate_, false) : std::pair<int, int>{0, 0};
    }
    levelRange_ = BinsOf(kLowestHz, top, length_, rate_, true);
}

AudioAnalyser::~AudioAnalyser() { kiss_fftr_free(config_); }

bool AudioAnalyser::Feed(std::span<const float>& samples, AudioAnalysis& out) {
    const size_t n = static_cast<size_t>(length_);
    while (!samples.empty()) {
        const size_t take = std::min(samples.size(), n - filled_);
        for (size_t i = 0; i < take; ++i) {
            float s = samples[i];
            // NaN and infinities carry no sound; anything beyond full scale is clipped.
            if (!std::isfinite(s)) s = 0.0f;
            samples_[filled_ + i] = std::clamp(s, -1.0f, 1.0f);
        }
        filled_ += take;
        consumed_ += take;
        samples = samples.subspan(take);
        if (filled_ == n) {
            Analyse(out);
            const size_t hop = static_cast<size_t>(Hop());
            std::copy(samples_.begin() + static_cast<std::ptrdiff_t>(hop), samples_.end(),
                      samples_.begin());
            filled_ = n - hop;
            return true;
        }
    }
    return false;
}

void AudioAnalyser::Analyse(AudioAnalysis& out) {
    const size_t n = static_cast<size_t>(length_);
    for (size_t i = 0; i < n; ++i) windowed_[i] = samples_[i] * window_[i];
    kiss_fftr(config_, windowed_.data(), spectrum_.data());
    const size_t half = n / 2;
    for (size_t k = 0; k <= half; ++k) {
        const double re = spectrum_[k].r;
        const double im = spectrum_[k].i;
        // One-sided: every bin but DC and Nyquist stands for its mirror too.
        const double sides = (k == 0 || k == half) ? 1.0 : 2.0;
        power_[k] = sides * (re * re + im * im) * normalisation_;
    }
    auto sum = [this](std::pair<int, int> bins) {
        double total = 0.0;
        for (int k = bins.first; k < bins.second; ++k) total += power_[static_cast<size_t>(k)];
        return total;
    };
    for (int i = 0; i < kLevelBands; ++i)
        out.levels[static_cast<size_t>(i)] = ValueOfPower(sum(levelBins_[static_cast<size_t>(i)]));
    for (int b = 0; b < kBandValues; ++b)
        out.bands[static_cast<size_t>(b)] = ValueOfPower(sum(bandBins_[static_cast<size_t>(b)]));
    out.level = ValueOfPower(sum(levelRange_));
    out.endSample = consumed_;
}

}  // namespace audio_light
