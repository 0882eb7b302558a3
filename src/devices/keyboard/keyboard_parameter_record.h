#pragma once
// The keyboard's parameter area: byte 0 holds the active device profile; the record of device
// profile p is 26 bytes at offset p x 25 (records 25 bytes apart, 26 bytes moved).
//
// KeyboardParameterRecord:
//   0 device profile   1 effect code (29 and 30 sent as 254)   2 brightness
//   3 4 - speed        4 direction    5 multicolour    6..8 red, green, blue
//   9..17 zero         18 light-mode variant   19 W flag (low byte)   20 6-key flag
//   21 Windows-key flag   22 polling rate   23, 24 zero   25 custom group
#include <array>
#include <cstdint>
#include <span>

#include "devices/keyboard/keyboard_light_codes.h"
#include "profiles/records.h"

namespace keyboard {

struct KeyboardParameterRecord {
    static constexpr size_t kSize = 26;
    std::array<uint8_t, kSize> bytes{};
    friend bool operator==(const KeyboardParameterRecord&,
                           const KeyboardParameterRecord&) = default;
};

inline constexpr uint16_t kParameterRecordStride = 25;
inline constexpr uint8_t kKeepModeCode = 254;
inline constexpr uint8_t kMaxLevel = 4;  // brightness and speed run 0..4
// The highest effect code the keyboard knows; an unknown code above it read back keeps the
// page's mode.
inline constexpr int kMaxEffectCode = 30;

constexpr uint16_t ParameterRecordOffset(uint8_t profile) {
    return static_cast<uint16_t>(profile * kParameterRecordStride);
}

// The effect code of a mode index: its entry of the effect-code list, the index itself when
// the list has no such entry.
int EffectCodeOfMode(int mode, std::span<const int> effectCodes);

KeyboardParameterRecord EncodeParameterRecord(uint8_t profile, const profiles::LightInfo& light,
                                              const profiles::KeyboardSystemStages& stages,
                                              std::span<const int> effectCodes);

struct DecodedParameters {
    profiles::LightInfo light;
    profiles::KeyboardSystemStages stages;
    bool speedClamped = false;       // byte 3 above 4
    bool brightnessClamped = false;  // byte 2 above 4
    bool unknownCode = false;        // a code above kMaxEffectCode: the mode was kept
};

// The record read back onto the page's light and the profile's stages: the effect code turns
// into a mode by its position in the effect-code list (the code itself when not found), 254
// and unknown codes keep the current mode; speed is 4 - byte 3; byte 18 is the variant and
// byte 25 the custom group; the stages take bytes 19 (W), 20 (6-key) and 21 (Windows key).
// Speed and brightness never leave 0..4.
DecodedParameters DecodeParameterRecord(const KeyboardParameterRecord& record,
                                        const profiles::LightInfo& current,
                                        const profiles::KeyboardSystemStages& currentStages,
                                        std::span<const int> effectCodes);

}  // namespace keyboard
