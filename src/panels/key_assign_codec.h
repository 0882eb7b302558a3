#pragma once
// The key assignment panel's state and the 3-byte device key code, both ways. Compose builds
// the code from what the controls hold; Show says what the controls show for a code. The
// panel class only moves values between its widgets and KeyPanelState.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "panels/key_assign_tables.h"

struct WriteOutcome;

namespace key_assign {

inline constexpr int kNoRow = -1;
inline constexpr int kOverRowRepeat = 4;  // "keyset_macro_over_combo": repeat a count of times

struct KeyPanelState {
    int function_kind = kFunctionDefault;  // of the selected function item; -1 none
    int mouse_button_row = kNoRow;
    int swing_row = kNoRow;
    int swing_count = 0, swing_delay = 0, swing_speed = 0;
    int wheel_row = kNoRow;
    int wheel_count = 0, wheel_delay = 0, wheel_speed = 0;
    int dpi_row = kNoRow;
    int fire_interval = 0, fire_count = 0;
    int modifier = kNoRow;  // modifier option 0..4
    bool key_text_empty = true;
    int media_row = kNoRow;
    int system_row = kNoRow;
    int macro_row = kNoRow;
    int macro_count = 0;  // items of "keyset_macro_combo"
    int over_row = kNoRow;
    int cycle_count = 0;
    bool cycle_visible = false;
    int gun_row = kNoRow;
    int shortcut_row = kNoRow;
};

// A number typed into an edit: empty or not a number reads as 0; the value is limited to the
// range (what is sent is what the edit then shows).
int ReadEditNumber(std::string_view text, EditRange range);

// The code of the panel's state. current supplies the keyboard key's usage and is kept for a
// macro without a usable row; def is returned for the default kind, unknown kinds and a
// table-driven kind whose combo has no selection.
DeviceKeyCode Compose(const KeyPanelState& state, const DeviceKeyCode& current,
                      const DeviceKeyCode& def);

// What Show changes besides the state's fields.
struct ShowResult {
    int function_kind = kFunctionDefault;  // the function item to select
    // Keyboard key: the key text (a row of tables::kVirtualKeyTable), or cleared.
    std::optional<std::size_t> key_text_row;
    bool key_text_cleared = false;
    // The code had no key row: the current code's value high and low become 0.
    bool clear_current_key = false;
};

// Sets the fields of state that the code shows (others are left as they were). A code equal
// to def shows as the default kind.
ShowResult Show(const DeviceKeyCode& code, const DeviceKeyCode& def, KeyPanelState& state);

// The modifier option of a virtual-key row 0..7: left and right Ctrl give 1, Shift 2, Alt 3,
// Windows 4.
constexpr int ModifierOptionOfRow(std::size_t row) {
    return static_cast<int>((row + 1) % 5 + (row + 1) / 5);
}
// The mask of a modifier option: 0 for none and option 0, else the left-hand modifier.
constexpr std::uint8_t MaskOfModifierOption(int option) {
    return option >= 1 && option <= 4 ? static_cast<std::uint8_t>(1u << (option - 1)) : 0;
}

// A key pressed while capturing, as a row of the virtual-key table.
struct CaptureResult {
    bool used = false;                // the row is a keyboard key (kind 0x20)
    std::optional<int> modifier;      // the option to select
    bool compose_before = false;      // a key pressed with a modifier selected: compose first
    std::optional<std::size_t> text;  // the key text; none: cleared
    std::uint8_t usage = 0;           // the current code's new value low
};
CaptureResult Capture(std::size_t row, int selected_modifier);

// The message shown after the key table was written: none on success, "message_text_7" for
// a failed step, "message_text_16" with the number of events that do not fit.
struct WriteMessage {
    std::string text_id;  // empty: no message
    std::optional<long long> number;
};
WriteMessage MessageForOutcome(const WriteOutcome& outcome);

// A translated text with the number put in place of exactly one "%d"; a text without one gets
// the number appended after a space. Nothing else of the text is interpreted.
std::string FormatNumberText(std::string_view text, long long number);

}  // namespace key_assign
