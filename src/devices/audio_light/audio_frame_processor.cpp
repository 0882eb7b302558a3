#include "devices/audio_light/audio_frame_processor.h"

#include <algorithm>
#include <limits>

namespace audio_light {

bool AudioFrameProcessor::LevelFrame(std::span<const int32_t> data,
                                     std::array<int, kLevelBands>& out) {
    const size_t count = std::min(data.size(), frame_.size());
    std::copy_n(data.begin(), count, frame_.begin());
    ++counter_;
    std::array<uint64_t, kLevelBands> difference;
    for (size_t i = 0; i < frame_.size(); ++i) {
        const int64_t d = static_cast<int64_t>(frame_[i]) - static_cast<int64_t>(previous_[i]);
        difference[i] = static_cast<uint64_t>(d < 0 ? -d : d);
    }
    previous_ = frame_;
    constexpr uint64_t kMeanCap = std::numeric_limits<uint32_t>::max();
    for (size_t j = 0; j < means_.size(); ++j) {
        // Four of every five differences; the fifth is not used.
        const uint64_t sum = difference[5 * j] + difference[5 * j + 1] + difference[5 * j + 2] +
                             difference[5 * j + 3];
        means_[j] = static_cast<uint32_t>(std::min((means_[j] + sum) / 4, kMeanCap));
    }
    if (counter_ < kFramesPerHandOver) return false;
    counter_ = 0;
    out.fill(0);
    for (size_t j = 0; j < means_.size(); ++j)
        out[j] = static_cast<int>(std::min<uint32_t>(means_[j], std::numeric_limits<int>::max()));
    return true;
}

const std::array<int, kBandValues>& AudioFrameProcessor::BandValues(std::span<const int32_t> data) {
    const size_t count = std::min(data.size(), bands_.size());
    std::copy_n(data.begin(), count, bands_.begin());
    return bands_;
}

}  // namespace audio_light
