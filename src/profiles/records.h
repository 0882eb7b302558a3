#pragma once
// The settings records kept in a profile element, with the field widths the devices and the
// profile files use. The records are plain values; the device codecs turn them into bytes
// field by field, so their in-memory padding does not matter.
#include <cstdint>
#include <string>

namespace profiles {

// A light effect setting ("LightInfo"; also an entry of "LightList").
struct LightInfo {
    std::uint8_t mode = 0;         // selected effect index ("SelectItem" / "LEDREGMode")
    std::uint8_t brightness = 0;   // "Light" / "LEDBrightness"
    std::uint8_t speed = 0;        // "Speed" / "LEDSpeed"
    std::uint8_t direction = 0;    // "Fx" / "LEDDirection"
    std::uint8_t multicolour = 0;  // "MultiColor" / "LEDMultiColor"
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    // Not stored; in a "LightList" entry reserved[2] is 1 when the entry exists.
    std::uint8_t reserved[3] = {0, 0, 0};
    std::uint8_t light_mode_variant = 0;  // "ZZCCLedMode"
    std::uint8_t custom_group = 0;        // "CustomGroup"
    std::uint8_t previous_mode = 0;       // "OldLedmode"

    friend bool operator==(const LightInfo&, const LightInfo&) = default;
};
static_assert(sizeof(LightInfo) == 14);

struct AudioLightInfo {
    std::uint8_t audio_mode = 0;  // "AudioMode"
    std::uint8_t background_red = 0, background_green = 0, background_blue = 0;
    std::uint8_t foreground_red = 0, foreground_green = 0, foreground_blue = 0;
    std::uint8_t seven_colour = 0;  // "7ColorFlags", 0 or 1
    std::uint8_t colour_type = 0;   // "ColorTypeFlags", 0 or 1

    friend bool operator==(const AudioLightInfo&, const AudioLightInfo&) = default;
};
static_assert(sizeof(AudioLightInfo) == 9);

// One step of a user light effect (".light" file, "LEDEffectList").
struct LightEffectStep {
    std::uint8_t mode = 0, brightness = 0, speed = 0, direction = 0, multicolour = 0;
    std::uint8_t red = 0, green = 0, blue = 0;
    std::int32_t time = 0;   // "Time"
    std::int32_t cycle = 0;  // "Cyle"

    friend bool operator==(const LightEffectStep&, const LightEffectStep&) = default;
};

struct KeyAssignment {
    std::uint16_t key_index = 0;
    std::uint8_t kind = 0;
    std::uint8_t high = 0;
    std::uint8_t low = 0;

    friend bool operator==(const KeyAssignment&, const KeyAssignment&) = default;
};

// The current assignment followed by the default one.
struct KeyAssignmentPair {
    KeyAssignment current;
    KeyAssignment default_assignment;

    friend bool operator==(const KeyAssignmentPair&, const KeyAssignmentPair&) = default;
};

// "Assignment" / "DefaultAssignment": kind * 65536 + high * 256 + low.
constexpr std::int32_t EncodeKeyAssignment(const KeyAssignment& a) {
    return static_cast<std::int32_t>((a.kind << 16) | (a.high << 8) | a.low);
}
constexpr KeyAssignment DecodeKeyAssignment(std::int32_t value, std::uint16_t key_index) {
    const auto bits = static_cast<std::uint32_t>(value);
    return KeyAssignment{key_index, static_cast<std::uint8_t>((bits >> 16) & 0xFF),
                         static_cast<std::uint8_t>((bits >> 8) & 0xFF),
                         static_cast<std::uint8_t>(bits & 0xFF)};
}

// Keyboard "SystemStages".
struct KeyboardSystemStages {
    std::uint16_t repeat_rate = 0;   // "Repeat"
    std::uint16_t repeat_delay = 0;  // "RepeatDelay"
    std::uint16_t key6_flag = 0;     // "Key6Flag"
    std::uint16_t polling_rate = 0;  // "PollingRate"
    std::uint16_t w_flag = 0;        // "WFlag"
    std::uint16_t win_flag = 0;      // "WinFlag"

    friend bool operator==(const KeyboardSystemStages&, const KeyboardSystemStages&) = default;
};

// One key's colour of the keyboard's custom light mode.
struct LightColorEntry {
    std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    std::uint8_t bright = 0;  // "IsBright"

    friend bool operator==(const LightColorEntry&, const LightColorEntry&) = default;
};
static_assert(sizeof(LightColorEntry) == 5);

struct DPIStage {
    std::uint8_t active = 0;                    // "StageActive"
    std::uint8_t separate_xy = 0;               // "StageXY"
    std::uint16_t dpi_x = 0;                    // "StageDPIX": a level of the mouse's DPI scale
    std::uint16_t dpi_y = 0;                    // "StageDPIY"
    std::uint8_t red = 0, green = 0, blue = 0;  // "StageColorR", "StageColorG", "StageColorB"

    friend bool operator==(const DPIStage&, const DPIStage&) = default;
};

// Mouse "SystemStages" plus the report-rate stage of "ReportStages".
struct MouseSystemStages {
    std::uint16_t double_click_time = 0;   // "DoubleClickTime"
    std::uint16_t pointer_speed = 0;       // "MouseSpeed"
    std::uint16_t pointer_precision = 0;   // "PointerPrecision"
    std::uint16_t scroll_page = 0;         // "ScorllPage"
    std::uint16_t wheel_scroll_lines = 0;  // "WheelScorlllinse"
    std::uint16_t report_rate_stage = 0;   // "ReportStages" / "StageActive"

    friend bool operator==(const MouseSystemStages&, const MouseSystemStages&) = default;
};

struct CorrectInfoEntry {
    std::uint8_t pixel_threshold = 0;  // "CorrectPixThresh"
    std::uint8_t minimum_square = 0;   // "CorrectMinSq"
    std::uint8_t selection = 0;        // "CorrectSelect"
    std::wstring name;                 // "CorrectName"

    friend bool operator==(const CorrectInfoEntry&, const CorrectInfoEntry&) = default;
};

// Headset "SystemSetStages".
struct HeadsetSystemSetStages {
    std::int32_t magic_enable = 0;            // "MagicEnable"
    std::int32_t magic_type = 0;              // "MagicType"
    std::int32_t eq_type = 0;                 // "EqType"
    std::int32_t custom_eq_select_index = 0;  // "CustomEqSeletIndex"
    std::int32_t mic_in_select = 0;           // "MicInSelect"
    std::int32_t mic_in_value = 0;            // "MicInValue"
    std::int32_t mic_monitor_select = 0;      // "MicMoniterSelect"
    std::int32_t mic_monitor_value = 0;       // "MicMoniterValue"

    friend bool operator==(const HeadsetSystemSetStages&, const HeadsetSystemSetStages&) = default;
};

}  // namespace profiles
