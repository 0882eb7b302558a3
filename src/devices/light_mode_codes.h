#pragma once
// The device codes of a mode list ("value" of each "default_light.json" entry). A value that is
// not an integer 0..255 gives the mode no code, and a mode without a code is written with mode
// 0's code (0 when mode 0 has none either), so a bad file never sends a truncated number.
#include <json/value.h>

#include <optional>
#include <vector>

namespace light {

inline std::optional<int> LightModeCode(const Json::Value& value) {
    if (!value.isIntegral() || value.isBool()) return std::nullopt;
    if (value.isInt64() && value.asInt64() >= 0 && value.asInt64() <= 255)
        return static_cast<int>(value.asInt64());
    if (!value.isInt64() && value.isUInt64() && value.asUInt64() <= 255)
        return static_cast<int>(value.asUInt64());
    return std::nullopt;
}

inline std::vector<int> CodesWithFallback(const std::vector<std::optional<int>>& codes) {
    const int fallback = !codes.empty() && codes.front() ? *codes.front() : 0;
    std::vector<int> out;
    out.reserve(codes.size());
    for (const std::optional<int>& code : codes) out.push_back(code.value_or(fallback));
    return out;
}

}  // namespace light
