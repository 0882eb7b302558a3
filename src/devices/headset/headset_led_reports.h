#pragma once
// The headset's LED output: each LED colour scaled by its brightness and capped at 247, sent as
// twelve 17-byte output reports with report id 0xFF: byte 1 the target (0x22 and 0x44, the
// two sides), byte 2 the command (red 0xAA for LEDs 0..6 and 0xAD for 7..12, green 0xAB/0xAE,
// blue 0xAC/0xAF), byte 3 zero, bytes 4..10 the values, the rest zero. Order: red for 0x22
// (0xAA, 0xAD), red for 0x44, then green and blue likewise. Plain C++, no Qt, no I/O.
#include <array>
#include <cstdint>
#include <span>

#include "devices/light_effects.h"

namespace headset {

inline constexpr size_t kLedCount = 13;
inline constexpr size_t kLedReportBytes = 17;
inline constexpr size_t kLedReports = 12;
inline constexpr uint8_t kLedReportId = 0xFF;
inline constexpr uint8_t kMaxLedValue = 247;
inline constexpr size_t kLedValuesAt = 4;
inline constexpr size_t kLedsPerReport = 7;  // LEDs 0..6 in the first report of a colour
inline constexpr std::array<uint8_t, 2> kLedTargets{0x22, 0x44};
// Commands by colour (red, green, blue): LEDs 0..6, then LEDs 7..12.
inline constexpr std::array<std::array<uint8_t, 2>, 3> kLedCommands{
    {{0xAA, 0xAD}, {0xAB, 0xAE}, {0xAC, 0xAF}}};

using LedReport = std::array<uint8_t, kLedReportBytes>;
using LedFrame = std::array<LedReport, kLedReports>;
// The values of one frame: per LED red, green, blue after scaling and capping.
using LedValues = std::array<light::Rgb, kLedCount>;

// (c x brightness) >> 8, capped at 247.
uint8_t ScaleLedValue(uint8_t colour, uint8_t brightness);
// The values of the first 13 entries (missing entries are 0).
LedValues LedValuesOf(std::span<const light::LedEntry> leds);
LedFrame BuildLedFrame(const LedValues& values);

}  // namespace headset
