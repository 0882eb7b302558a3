#pragma once
// The mouse pad's light parameter block (the live light record, 21 bytes): 0 the active slot,
// 1 the light mode (on the wire the mode's device code from the pad's effect code table),
// 2 brightness, 3 speed (on the wire 4 - speed), 4 direction, 5 multicolour, 6..8 red, green,
// blue, 9..20 further bytes as last read from the pad.
//
// The pad's memory is addressed in two strides: the block of slot s is read as 26 bytes at
// s x 25 and written as 21 bytes at s x 64 (callers write slot 0). Byte 0 of the parameter
// area is the active slot. Pure: no Qt, no I/O.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/records.h"

namespace pad {

inline constexpr size_t kLiveRecordBytes = 21;
inline constexpr size_t kReadBytes = 26;
inline constexpr uint16_t kReadStride = 25;
inline constexpr uint16_t kWriteStride = 64;
inline constexpr uint8_t kFastestSpeed = 4;
inline constexpr size_t kModeByte = 1;
inline constexpr size_t kSpeedByte = 3;

using LiveRecord = std::array<uint8_t, kLiveRecordBytes>;
using ReadBlock = std::array<uint8_t, kReadBytes>;

constexpr uint16_t ReadOffset(uint8_t slot) { return static_cast<uint16_t>(slot * kReadStride); }
constexpr uint16_t WriteOffset(uint8_t slot) { return static_cast<uint16_t>(slot * kWriteStride); }

// The speed byte on the wire for a speed, and back; both limited to 0..4 (a pad that answers
// 9 shows speed 0, not 251).
uint8_t SpeedToWire(uint8_t speed);
uint8_t SpeedFromWire(uint8_t wire);

// The device code of a mode: its entry in the table; a mode past the table (a custom effect
// the host plays) sends the code of mode 0; without a table the mode itself.
uint8_t EffectCodeOfMode(uint8_t mode, std::span<const int> effectCodes);

struct DecodedRead {
    LiveRecord record{};
    bool unknownCode = false;  // byte 1 matched no table entry and was kept
};
// The first 21 bytes read at slot x 25 as the live record: byte 0 = slot, byte 1 the position
// of the code in the table (first match), byte 3 the speed.
DecodedRead DecodeRead(uint8_t slot, const ReadBlock& read, std::span<const int> effectCodes);

// The 21 bytes written: byte 1 the mode's code, byte 3 = 4 - speed.
LiveRecord EncodeWrite(const LiveRecord& live, std::span<const int> effectCodes);

// A light record into bytes 1, 2, 3, 5, 6, 7, 8 of the live record, and back.
void ApplyLight(LiveRecord& live, const profiles::LightInfo& light);
profiles::LightInfo LightOf(const LiveRecord& live);

}  // namespace pad
