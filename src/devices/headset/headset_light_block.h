#pragma once
// The headset's 21-byte hardware light block and its conversions from and to LightInfo.
// Byte 0 bank index (as read back), byte 1 effect code (the mode list's value of the mode),
// byte 2 brightness 0..4, byte 3 speed, byte 5 seven-colour flag, bytes 6..8 red, green, blue;
// the other bytes are kept as the headset gave them. In memory byte 3 holds the panel's speed;
// on the wire it is 4 minus that. Plain C++, no Qt, no I/O.
#include <array>
#include <cstdint>
#include <span>

#include "profiles/records.h"

namespace headset {

inline constexpr size_t kLightBlockBytes = 21;
// A read fills this many bytes (the record stride of the headset's memory is 25, so a read
// covers the next record's first byte too); the first 21 are the block.
inline constexpr size_t kLightReadBytes = 26;
inline constexpr uint16_t kBankReadStride = 25;
inline constexpr uint16_t kBankWriteStride = 64;
inline constexpr uint8_t kMaxSpeed = 4;
inline constexpr uint8_t kHighestMode = 8;  // modes above it are written as mode 0

inline constexpr size_t kBankByte = 0;
inline constexpr size_t kCodeByte = 1;
inline constexpr size_t kBrightnessByte = 2;
inline constexpr size_t kSpeedByte = 3;
inline constexpr size_t kMulticolourByte = 5;
inline constexpr size_t kRedByte = 6;
inline constexpr size_t kGreenByte = 7;
inline constexpr size_t kBlueByte = 8;

using LightBlock = std::array<uint8_t, kLightBlockBytes>;
using LightRead = std::array<uint8_t, kLightReadBytes>;

// The light settings put into the block in memory (bytes 1, 2, 3, 5, 6, 7, 8; the others
// unchanged). A mode above 8 is taken as mode 0; its code is codes[mode], or the mode itself
// when the list has no entry for it.
void PutLightInfo(LightBlock& block, const profiles::LightInfo& light, std::span<const int> codes);

// The block as sent: byte 3 becomes 4 minus the speed (a speed above 4 is sent as 0).
LightBlock ToWire(const LightBlock& block);

// What a block read back says.
struct DecodedLight {
    profiles::LightInfo light;  // mode, brightness, speed, seven-colour flag and colour changed
    LightBlock block;           // the block in memory form (speed as the panel's)
    bool unknownCode = false;   // no mode has the effect code: the mode was left unchanged
    bool speedClamped = false;  // the speed byte was above 4 (read as 4, i.e. speed 0)
};

// Decodes the first 21 bytes of a read. The effect code maps to the first mode whose code
// equals it; with none the previous mode stays. The speed byte is converted back (4 minus
// it, a byte above 4 taken as 4).
DecodedLight DecodeLightBlock(std::span<const uint8_t, kLightReadBytes> read,
                              const profiles::LightInfo& previous, std::span<const int> codes);

// Offsets of the two accesses: reads at bank x 25, writes at bank x 64.
constexpr uint16_t ReadOffset(uint8_t bank) {
    return static_cast<uint16_t>(bank * kBankReadStride);
}
constexpr uint16_t WriteOffset(uint8_t bank) {
    return static_cast<uint16_t>(bank * kBankWriteStride);
}

}  // namespace headset
