#include "devices/macro_event_codec.h"

#include <charconv>
#include <limits>
#include <string>

namespace macro_codec {
namespace {

// A JSON number or a decimal text, as a 64-bit integer; nullopt-like flag when neither.
bool ReadInteger(const Json::Value& value, int64_t& out) {
    if (value.isInt64()) {
        out = value.asInt64();
        return true;
    }
    if (value.isUInt64()) {
        out = std::numeric_limits<int64_t>::max();
        return true;
    }
    if (value.isDouble()) {
        const double d = value.asDouble();
        if (d != d) return false;
        out = d < -9e18  ? std::numeric_limits<int64_t>::min()
              : d > 9e18 ? std::numeric_limits<int64_t>::max()
                         : static_cast<int64_t>(d);
        return true;
    }
    if (!value.isString()) return false;
    std::string text = value.asString();
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) return false;
    text = text.substr(first, last - first + 1);
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+') ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, out);
    if (ec == std::errc::result_out_of_range) {
        out = text.front() == '-' ? std::numeric_limits<int64_t>::min()
                                  : std::numeric_limits<int64_t>::max();
        return true;
    }
    return ec == std::errc() && ptr == end;
}

uint8_t ClampedByte(const Json::Value& value, int64_t maximum, bool& clamped) {
    int64_t number = 0;
    if (!ReadInteger(value, number)) {
        clamped = clamped || !value.isNull();
        return 0;
    }
    if (number < 0 || number > maximum) {
        clamped = true;
        number = number < 0 ? 0 : maximum;
    }
    return static_cast<uint8_t>(number);
}

}  // namespace

DelayValue ReadDelay(const Json::Value& value) {
    DelayValue result;
    int64_t number = 0;
    if (!ReadInteger(value, number)) {
        result.invalid = true;
        return result;
    }
    if (number < 0 || number > kMaxDelayMs) {
        result.clamped = true;
        number = number < 0 ? 0 : kMaxDelayMs;
    }
    result.delay = static_cast<uint16_t>(number);
    return result;
}

MacroEvent ReadMacroEvent(const Json::Value& event, EventIssues* issues) {
    EventIssues found;
    MacroEvent result;
    if (!event.isObject()) {
        found.notAnObject = true;
        if (issues) *issues = found;
        return result;
    }
    const Json::Value& action = event["Action"];
    result.down = action.isString() && action.asString() == "down";
    result.button = ClampedByte(event["Button"], 255, found.fieldClamped);
    result.type = ClampedByte(event["Type"], 127, found.fieldClamped);
    const DelayValue delay = ReadDelay(event["Delay"]);
    result.delay = delay.delay;
    found.delayInvalid = delay.invalid;
    found.delayClamped = delay.clamped;
    if (issues) *issues = found;
    return result;
}

std::array<uint8_t, 4> EncodeDeviceEvent(const MacroEvent& event) {
    return {static_cast<uint8_t>(event.delay & 0xFF), static_cast<uint8_t>(event.delay >> 8),
            static_cast<uint8_t>((event.type & 0x7F) | (event.down ? kPressBit : 0)), event.button};
}

}  // namespace macro_codec
