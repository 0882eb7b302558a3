#pragma once
// What a device class does with the event code of an unsolicited input report. Plain data.
#include <cstdint>

namespace device_events {

enum class EventClass : uint8_t { Keyboard, MouseWired, MouseReceiver, PadOrHeadset };

struct EventAction {
    enum Kind : uint8_t {
        Ignore,
        StartEventTimer,  // the selector item's timer 1002 after timerMs
        Handler,          // the class's report handler
        OwnReaction,      // the mouse's reactive light trigger
    };
    Kind kind = Ignore;
    int timerMs = 0;
    constexpr bool operator==(const EventAction&) const = default;
};

inline constexpr int kShortEventDelayMs = 50;
inline constexpr int kLongEventDelayMs = 500;

constexpr EventAction ClassifyEventCode(EventClass eventClass, uint16_t code) {
    switch (eventClass) {
        case EventClass::Keyboard:
            if (code == 0x401 || code == 0x402)
                return {EventAction::StartEventTimer, kShortEventDelayMs};
            if (code > 0x402) return {EventAction::Handler};
            break;
        case EventClass::MouseWired:
            if (code == 0x401) return {EventAction::StartEventTimer, kShortEventDelayMs};
            if (code == 0x403) return {EventAction::OwnReaction};
            if (code > 0x401) return {EventAction::Handler};
            break;
        case EventClass::MouseReceiver:
            if (code == 0x401) return {EventAction::StartEventTimer, kShortEventDelayMs};
            if (code > 0x401) return {EventAction::Handler};
            break;
        case EventClass::PadOrHeadset:
            if (code == 0x401) return {EventAction::StartEventTimer, kLongEventDelayMs};
            break;
    }
    return {};
}

}  // namespace device_events
