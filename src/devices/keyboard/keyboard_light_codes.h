#pragma once
// The keyboard's effect codes that the host treats apart, and the colour scaling its light
// frames and custom colours share. Plain C++, no Qt.
#include <cstdint>

namespace keyboard {

// Per-key custom colours.
inline constexpr int kCustomColourCode = 21;
// The sound-driven effects: the keyboard runs them only while the host streams frames.
inline constexpr int kMusicRhythmCode = 29;
inline constexpr int kMusicSpectrumCode = 30;

// Whether the host streams light frames in this effect code (the sound drives the keys); the
// parameter record sends these codes as 254.
constexpr bool IsHostStreamedCode(int code) {
    return code == kMusicRhythmCode || code == kMusicSpectrumCode;
}

// A colour byte scaled by a level 0..255 (alpha or brightness): the high byte of c × level.
constexpr uint8_t ScaledByte(uint8_t c, uint8_t level) {
    return static_cast<uint8_t>((c * level) >> 8);
}

}  // namespace keyboard
