#include "devices/mouse/mouse_dpi_scale.h"

#include <algorithm>
#include <charconv>

namespace mouse {
namespace {

bool TwoSlope(const DpiScale& scale) { return scale.sensor == kTwoSlopeSensor; }

}  // namespace

int64_t DpiOfLevel(const DpiScale& scale, int level) {
    const int64_t v = level;
    if (TwoSlope(scale) && v > kTwoSlopeKnee)
        return scale.base + int64_t{kTwoSlopeKnee} * scale.step +
               (v - kTwoSlopeKnee) * kTwoSlopeStep;
    return scale.base + v * scale.step;
}

int LevelOfDpi(const DpiScale& scale, int64_t dpi) {
    if (scale.step <= 0) return 0;
    const int64_t x = std::max<int64_t>(dpi, scale.base) - scale.base;
    const int64_t knee = int64_t{kTwoSlopeKnee} * scale.step;
    int64_t level = x / scale.step;
    if (TwoSlope(scale) && x > knee) level = (x - knee) / kTwoSlopeStep + kTwoSlopeKnee;
    return static_cast<int>(std::clamp<int64_t>(level, 0, std::max(0, scale.highestLevel)));
}

int LevelOfDpiText(const DpiScale& scale, std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    int64_t value = 0;
    if (text.empty()) return LevelOfDpi(scale, 0);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range && text.front() != '-')
        return LevelOfDpi(scale, INT64_MAX / 2);
    if (ec != std::errc() || end != text.data() + text.size()) return LevelOfDpi(scale, 0);
    return LevelOfDpi(scale, value);
}

}  // namespace mouse
