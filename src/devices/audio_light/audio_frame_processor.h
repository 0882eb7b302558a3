#pragma once
// AudioFrameProcessor: what the main window does with the analyser's level frames and band
// values before the first keyboard sees them. A level frame is compared with the previous one;
// 25 means of four of every five differences are smoothed by (mean + sum) / 4, and every third
// frame hands the keyboard a zero-filled 500-array with the means in front. Differences, sums
// and means are computed in 64 bits and the means capped at 2^32 - 1, so frames of extreme
// values cannot overflow; the array handed on holds them capped at the int range. Plain C++.
#include <array>
#include <cstdint>
#include <span>

#include "devices/audio_light/audio_analyser.h"

namespace audio_light {

inline constexpr int kMeans = 25;
inline constexpr int kFramesPerHandOver = 3;

class AudioFrameProcessor {
  public:
    // Copies up to 500 values over the front of the frame buffer (the rest keeps its previous
    // content) and updates the means. True every third frame: `out` then holds the array for
    // SetAudioLevels.
    bool LevelFrame(std::span<const int32_t> data, std::array<int, kLevelBands>& out);
    // Up to six values copied into the band buffer, which is handed to SetAudioBands.
    const std::array<int, kBandValues>& BandValues(std::span<const int32_t> data);

    const std::array<uint32_t, kMeans>& Means() const { return means_; }
    int Counter() const { return counter_; }

  private:
    std::array<int32_t, kLevelBands> frame_{};
    std::array<int32_t, kLevelBands> previous_{};
    std::array<uint32_t, kMeans> means_{};
    std::array<int, kBandValues> bands_{};
    int counter_ = 0;
};

}  // namespace audio_light
