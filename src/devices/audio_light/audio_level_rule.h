#pragma once
// The keyboard's level rule: each array the main window hands over fills a level buffer of 25
// values; in the music rhythm effect (code 29) with audio mode 2 the buffer is taken, its
// loudness added to an accumulator, and above 70 the accumulator restarts and the key reaction
// fires on key 51. A value counts as 0..2000 (more is as loud as 2000, less than 0 as silence),
// and v x 600 is computed in 64 bits. Plain C++.
#include <array>
#include <cstdint>
#include <span>

namespace audio_light {

inline constexpr int kLevelBufferValues = 25;
inline constexpr int kRhythmEffectCode = 29;
inline constexpr int kSpectrumEffectCode = 30;
inline constexpr int kRhythmAudioMode = 2;
inline constexpr int kReactionThreshold = 70;
inline constexpr int kReactionKey = 51;

// The loudness of a level buffer: 25 - average x 25 / 600 of the terms 600 - v x 600 / 2000.
int LoudnessOfLevels(std::span<const int> levels);

class AudioLevelRule {
  public:
    // True when the reaction fires. effectCode is the keyboard's current effect code.
    bool SetAudioLevels(std::span<const int> values, int effectCode, int audioMode);
    const std::array<int, kLevelBufferValues>& Buffer() const { return buffer_; }
    int Accumulator() const { return accumulator_; }

  private:
    std::array<int, kLevelBufferValues> buffer_{};
    int accumulator_ = 0;
};

}  // namespace audio_light
