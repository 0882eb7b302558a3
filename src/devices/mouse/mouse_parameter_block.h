#pragma once
// The mouse's parameter block: one per on-board profile slot, block s at parameter offset
// s x 128; the byte at offset 0 is the active slot. 71 bytes are read and 66 written:
//   0        0 (given by the caller); on reading, the active slot
//   1        device code of the light effect (the effect code table at the light mode; a mode
//            of 10 or more, a custom effect, sends the code of mode 0)
//   2        brightness          3  4 - speed          4  direction       5  multicolour
//   6, 7, 8  red, green, blue    9, 10  0
//   11       report-rate stage   12 active DPI stage   13 0
//   14 + 9i  DPI stage i (i = 0..4): active, XY flag, DPI X low, high, DPI Y low, high, red,
//            green, blue; a stage past the list's end is 0
//   59       1 (given by the caller)
//   60..63   screen width and height in device pixels, u16 little-endian
//   64, 65   minimum square and pixel threshold of the first correction entry that is selected
//            (0 when none)
//   66..70   read, never written
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "devices/mouse/mouse_limits.h"
#include "profiles/records.h"

namespace mouse {

inline constexpr size_t kParameterReadBytes = 71;
inline constexpr size_t kParameterWriteBytes = 66;
inline constexpr uint16_t kParameterStride = 128;
inline constexpr size_t kDpiStageOffset = 14;
inline constexpr size_t kDpiStageBytes = 9;
inline constexpr size_t kActiveStageByte = 12;
inline constexpr size_t kReportRateByte = 11;
inline constexpr int kCustomModeStart = 10;

using ParameterBlock = std::array<uint8_t, kParameterReadBytes>;

constexpr uint16_t ParameterBlockOffset(int slot) {
    return static_cast<uint16_t>((slot & 0xFF) * kParameterStride);
}

struct ParameterInputs {
    uint8_t firstByte = 0;
    uint8_t byte59 = 1;
    profiles::LightInfo light;
    std::vector<int> effectCodes;            // light mode -> device effect code
    std::vector<profiles::DPIStage> stages;  // the profile's own stages; only 5 are sent
    int activeStage = 0;
    int reportRateStage = 0;
    uint16_t highestLevel = 0;  // levels above it are sent as it (0: no limit known)
    int screenWidth = 0;
    int screenHeight = 0;
    std::vector<profiles::CorrectInfoEntry> correction;
};

// What the encoder had to repair (for a log line).
struct ParameterRepairs {
    bool modeWithoutCode = false;  // the mode has no entry in the effect code table
    bool activeStageOutOfRange = false;
    bool reportRateOutOfRange = false;
    bool levelClamped = false;
    bool lightClamped = false;  // brightness or speed above 4
};

ParameterBlock EncodeParameterBlock(const ParameterInputs& in, ParameterRepairs* repairs = nullptr);

// The light effect code of a mode: the table's entry, mode 0's for modes of 10 and more; the
// mode itself when the table has no such entry.
int EffectCodeOfMode(int mode, const std::vector<int>& effectCodes);

struct DecodedParameters {
    ParameterBlock block;       // byte 0 the active slot, byte 1 the mode, byte 9 cleared
    profiles::LightInfo light;  // direction kept from the previous record
    int activeStage = 0;        // byte 12
    bool unknownCode = false;   // the effect code is not in the table: the mode is the raw code
};

// block: the 71 bytes read at slot x 128; previous: the live light record (its direction is
// kept). The report-rate stage and the DPI stages of the block are not taken over.
DecodedParameters DecodeParameterBlock(const ParameterBlock& block, uint8_t activeSlot,
                                       const profiles::LightInfo& previous,
                                       const std::vector<int>& effectCodes);

}  // namespace mouse
