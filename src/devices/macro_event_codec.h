#pragma once
// The 4-byte device form of a macro event, as the keyboard and the mouse upload macros and
// the recoil editor uploads its patterns: delay low, delay high, the event type with bit 7 set
// for a press ("Action" "down"), and the button byte.
//
// An event object of a ".mac" file holds "Action" (string), "Button" (integer), "Type"
// (integer) and "Delay" (a string holding a decimal number; shoot files hold an integer).
// Values out of their range are clamped rather than cut to their low bits: a delay of 70,000 ms
// must not become 4,464 ms.
#include <json/value.h>

#include <array>
#include <cstdint>

namespace macro_codec {

inline constexpr uint32_t kMaxDelayMs = 65535;
inline constexpr uint8_t kPressBit = 0x80;

struct MacroEvent {
    bool down = false;
    uint8_t type = 0;    // 0..127
    uint8_t button = 0;  // 0..255
    uint16_t delay = 0;  // milliseconds after the event
    friend bool operator==(const MacroEvent&, const MacroEvent&) = default;
};

// What reading an event had to repair.
struct EventIssues {
    bool delayInvalid = false;  // missing, not a number, or text that is not a decimal number
    bool delayClamped = false;  // below 0 or above 65,535
    bool fieldClamped = false;  // "Button" or "Type" outside its range, or not a number
    bool notAnObject = false;
    bool Any() const { return delayInvalid || delayClamped || fieldClamped || notAnObject; }
};

struct DelayValue {
    uint16_t delay = 0;
    bool invalid = false;
    bool clamped = false;
};

// "Delay" as a decimal string or an integer; invalid reads as 0, out of range is clamped.
DelayValue ReadDelay(const Json::Value& value);

MacroEvent ReadMacroEvent(const Json::Value& event, EventIssues* issues = nullptr);

std::array<uint8_t, 4> EncodeDeviceEvent(const MacroEvent& event);

}  // namespace macro_codec
