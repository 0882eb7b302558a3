#include "devices/audio_light/audio_level_rule.h"

#include <algorithm>

namespace audio_light {

namespace {
constexpr int64_t kTermTop = 600;
constexpr int64_t kValueTop = 2000;
constexpr size_t kMaxValues = 500;
}  // namespace

int LoudnessOfLevels(std::span<const int> levels) {
    int64_t sum = 0;
    for (const int v : levels) {
        const int64_t value = std::clamp<int64_t>(v, 0, kValueTop);
        sum += kTermTop - value * kTermTop / kValueTop;
    }
    const int64_t average = sum / kLevelBufferValues;
    return static_cast<int>(kLevelBufferValues - average * kLevelBufferValues / kTermTop);
}

bool AudioLevelRule::SetAudioLevels(std::span<const int> values, int effectCode, int audioMode) {
    const size_t count = std::min({values.size(), kMaxValues, buffer_.size()});
    std::copy_n(values.begin(), count, buffer_.begin());
    if (effectCode != kRhythmEffectCode || audioMode != kRhythmAudioMode) return false;
    const int loudness = LoudnessOfLevels(buffer_);
    buffer_.fill(0);
    accumulator_ += loudness;
    if (accumulator_ <= kReactionThreshold) return false;
    accumulator_ = 0;
    return true;
}

}  // namespace audio_light
