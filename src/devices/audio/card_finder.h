#pragma once
// Finds the headset's sound card by its USB ids and position, never by its number (numbers
// change with the order cards appear). Pure over a folder laid out as /proc/asound: every
// "cardN" folder of a USB card holds "usbid" ("0c76:1630"), "usbbus" ("BBB/DDD") and "id".
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devices/audio_bridge.h"

namespace audio {

inline constexpr std::string_view kHeadsetUsbId = "0c76:1630";
inline constexpr char kProcAsound[] = "/proc/asound";

struct SoundCard {
    int number = -1;
    std::string id;  // opened as "hw:CARD=" + id
};

struct CardSearch {
    std::optional<SoundCard> card;
    // Why no card was taken (or what was skipped on the way), for the log.
    std::vector<std::string> notes;
};

// The card with usbid among the cards under folder: the one whose usbbus equals position
// when it is known; the only match when it is not. Several matches without a position, or
// none at the position, give none. Unreadable or malformed files skip that card.
CardSearch FindHeadsetCard(const std::filesystem::path& folder, std::string_view usbid,
                           UsbPosition position);

// "BBB/DDD" as a position; none when malformed.
std::optional<UsbPosition> ParseUsbBus(std::string_view text);

}  // namespace audio
