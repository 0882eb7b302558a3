#pragma once
// The mouse's DPI scale: a DPI stage is stored as a level; the page shows and takes DPI values.
// From the information block: sensor S, step D (DPI per level), highest level L, base B (the
// DPI of level 0).
//   level v -> DPI: B + v x D; on the two-slope sensor 0x3325 above level 48,
//                   B + 48 x D + (v - 48) x 200.
//   DPI x -> level: the inverse of that, rounding down; x below B counts as B, the result is
//                   limited to 0..L, and a step of 0 gives level 0.
#include <cstdint>
#include <string_view>

#include "devices/mouse/mouse_limits.h"

namespace mouse {

inline constexpr int kTwoSlopeKnee = 48;
inline constexpr int kTwoSlopeStep = 200;

struct DpiScale {
    uint16_t sensor = 0;
    int step = 0;
    int highestLevel = 0;
    int base = 0;
    static DpiScale From(const MouseInfo& info) {
        return {info.sensor, info.dpiStep, info.highestLevel, info.dpiBase};
    }
};

int64_t DpiOfLevel(const DpiScale& scale, int level);
int LevelOfDpi(const DpiScale& scale, int64_t dpi);
// The edit's text: empty counts as 0, text that is not a decimal number as 0, a number too
// large for 64 bits as the highest level.
int LevelOfDpiText(const DpiScale& scale, std::string_view text);

}  // namespace mouse
