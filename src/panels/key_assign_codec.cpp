#include "panels/key_assign_codec.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <span>

#include "devices/write_outcome.h"
#include "tables/key_tables.h"

namespace key_assign {
namespace {

std::optional<DeviceKeyCode> RowOf(std::span<const DeviceKeyCode> table, int row) {
    if (row < 0 || row >= static_cast<int>(table.size())) return std::nullopt;
    return table[static_cast<std::size_t>(row)];
}

int FindRow(std::span<const DeviceKeyCode> table, const DeviceKeyCode& code) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].high == code.high && table[i].low == code.low) return static_cast<int>(i);
    }
    return kNoRow;
}

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

int Clamp(int value, EditRange range) { return std::clamp(value, range.minimum, range.maximum); }

DeviceKeyCode ComposeMacro(const KeyPanelState& s, const DeviceKeyCode& current) {
    // A row at or past the item count names no macro (the list may have shrunk).
    if (s.macro_count <= 0 || s.macro_row < 0 || s.macro_row >= s.macro_count) return current;
    if (s.over_row == kOverRowRepeat) {
        return {tables::kKindMacroAlt, Byte(s.macro_row), Byte(Clamp(s.cycle_count, kByteRange))};
    }
    const int over = s.over_row >= 0 && s.over_row < kOverRowRepeat ? s.over_row : 0;
    return {tables::kKindMacro, Byte(s.macro_row), Byte(over)};
}

DeviceKeyCode ComposeKeyboardKey(const KeyPanelState& s, const DeviceKeyCode& current) {
    const std::uint8_t usage = s.key_text_empty ? 0 : current.low;
    return tables::KeyboardKey(usage, MaskOfModifierOption(s.modifier));
}

// Shows a kind 0x20 code: a key with no modifier, a key with one modifier, or a shortcut.
int ShowKeyboardKey(const DeviceKeyCode& code, KeyPanelState& s, ShowResult& result) {
    if (code.high == 0) {
        for (std::size_t row = 0; row < tables::kVirtualKeyRowCount; ++row) {
            const DeviceKeyCode& r = tables::kVirtualKeyTable[row].code;
            if (r.kind == tables::kKindKeyboardKey && r.high == 0 && r.low == code.low) {
                s.modifier = 0;
                s.key_text_empty = false;
                result.key_text_row = row;
                return kFunctionKeyboardKey;
            }
        }
        s.modifier = kNoRow;
        s.key_text_empty = true;
        result.key_text_cleared = true;
        result.clear_current_key = true;
        return kFunctionKeyboardKey;
    }
    if (std::popcount(code.high) != 1) {
        for (const tables::ShortcutRow& row : tables::kShortcutTable) {
            if (row.code.high == code.high && row.code.low == code.low) s.shortcut_row = row.index;
        }
        return kFunctionShortcut;
    }
    s.modifier = 0;
    for (std::size_t row = 0; row < tables::kModifierRowCount; ++row) {
        if (tables::kVirtualKeyTable[row].code.high == code.high) {
            s.modifier = ModifierOptionOfRow(row);
            break;
        }
    }
    result.key_text_cleared = true;
    s.key_text_empty = true;
    for (std::size_t row = tables::kModifierRowCount; row < tables::kVirtualKeyRowCount; ++row) {
        const DeviceKeyCode& r = tables::kVirtualKeyTable[row].code;
        if (r.kind == tables::kKindKeyboardKey && r.high == 0 && r.low == code.low) {
            result.key_text_row = row;
            result.key_text_cleared = false;
            s.key_text_empty = false;
            break;
        }
    }
    return kFunctionKeyboardKey;
}

}  // namespace

int ReadEditNumber(std::string_view text, EditRange range) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size()) return range.minimum;
    if (error == std::errc::result_out_of_range)
        return text.front() == '-' ? range.minimum : range.maximum;
    return static_cast<int>(std::clamp<long long>(value, range.minimum, range.maximum));
}

DeviceKeyCode Compose(const KeyPanelState& s, const DeviceKeyCode& current,
                      const DeviceKeyCode& def) {
    switch (s.function_kind) {
        case kFunctionMouseButton:
            return RowOf(kMouseButtonTable, s.mouse_button_row).value_or(def);
        case kFunctionMouseSwing: {
            if (s.swing_row < 0) return def;
            const int count = Clamp(s.swing_count, kCountRange) | (s.swing_row == 1 ? 0x80 : 0);
            return {
                kKindMouseSwing,
                Byte(Clamp(s.swing_delay, kDelayRange) * 16 + Clamp(s.swing_speed, kSpeedRange)),
                Byte(count)};
        }
        case kFunctionMouseWheel: {
            if (s.wheel_row < 0) return def;
            const int count = Clamp(s.wheel_count, kCountRange);
            const int low = s.wheel_row == 1 ? ((-128 - count) | 0x80) : count;
            return {
                kKindMouseWheel,
                Byte(Clamp(s.wheel_delay, kDelayRange) * 16 + Clamp(s.wheel_speed, kSpeedRange)),
                Byte(low)};
        }
        case kFunctionDpi:
            return RowOf(kDpiTable, s.dpi_row).value_or(def);
        case kFunctionMouseFire:
            return {kKindMouseFire, Byte(Clamp(s.fire_interval, kByteRange)),
                    Byte(Clamp(s.fire_count, kByteRange))};
        case kFunctionKeyboardKey:
            return ComposeKeyboardKey(s, current);
        case kFunctionMedia:
            return RowOf(kMediaTable, s.media_row).value_or(def);
        case kFunctionSystem:
            return RowOf(kSystemTable, s.system_row).value_or(def);
        case kFunctionMacro:
            return ComposeMacro(s, current);
        case kFunctionGunKey:
            return s.gun_row < 0 ? def : DeviceKeyCode{kKindGunKey, Byte(s.gun_row), 0};
        case kFunctionShortcut: {
            if (s.shortcut_row < 0 ||
                s.shortcut_row >= static_cast<int>(tables::kShortcutTable.size()))
                return def;
            return tables::kShortcutTable[static_cast<std::size_t>(s.shortcut_row)].code;
        }
        default:
            return def;
    }
}

ShowResult Show(const DeviceKeyCode& code, const DeviceKeyCode& def, KeyPanelState& s) {
    ShowResult result;
    if (code == def) {
        result.function_kind = kFunctionDefault;
        s.function_kind = result.function_kind;
        return result;
    }
    auto select = [](std::span<const DeviceKeyCode> table, const DeviceKeyCode& c, int& row) {
        const int found = FindRow(table, c);
        if (found != kNoRow) row = found;
    };
    switch (code.kind) {
        case kKindMouseButton:
            select(kMouseButtonTable, code, s.mouse_button_row);
            result.function_kind = kFunctionMouseButton;
            break;
        case kKindMouseSwing:
            s.swing_delay = code.high >> 4;
            s.swing_speed = code.high & 15;
            s.swing_row = (code.low & 0x80) ? 1 : 0;
            s.swing_count = code.low & 0x7F;
            result.function_kind = kFunctionMouseSwing;
            break;
        case kKindMouseWheel:
            s.wheel_delay = code.high >> 4;
            s.wheel_speed = code.high & 15;
            s.wheel_row = (code.low & 0x80) ? 1 : 0;
            s.wheel_count = (code.low & 0x80) ? 0x80 - (code.low & 0x7F) : code.low;
            result.function_kind = kFunctionMouseWheel;
            break;
        case kKindDpi:
            select(kDpiTable, code, s.dpi_row);
            result.function_kind = kFunctionDpi;
            break;
        case kKindMouseFire:
            s.fire_interval = code.high;
            s.fire_count = code.low;
            result.function_kind = kFunctionMouseFire;
            break;
        case tables::kKindKeyboardKey:
            result.function_kind = ShowKeyboardKey(code, s, result);
            break;
        case tables::kKindConsumer:
            select(kMediaTable, code, s.media_row);
            result.function_kind = kFunctionMedia;
            break;
        case tables::kKindSystem:
            select(kSystemTable, code, s.system_row);
            result.function_kind = kFunctionSystem;
            break;
        case tables::kKindMacro:
            s.macro_row = code.high;
            s.over_row = code.low;
            s.cycle_visible = false;
            result.function_kind = kFunctionMacro;
            break;
        case tables::kKindMacroAlt:
            s.macro_row = code.high;
            s.over_row = kOverRowRepeat;
            s.cycle_visible = true;
            s.cycle_count = code.low;
            result.function_kind = kFunctionMacro;
            break;
        case kKindGunKey:
            s.gun_row = code.high;
            result.function_kind = kFunctionGunKey;
            break;
        default:
            result.function_kind = kFunctionDefault;
            break;
    }
    s.function_kind = result.function_kind;
    return result;
}

CaptureResult Capture(std::size_t row, int selected_modifier) {
    CaptureResult result;
    if (row >= tables::kVirtualKeyRowCount) return result;
    const DeviceKeyCode& code = tables::kVirtualKeyTable[row].code;
    if (code.kind != tables::kKindKeyboardKey) return result;
    result.used = true;
    result.usage = code.low;
    if (row < tables::kModifierRowCount) {
        result.modifier = ModifierOptionOfRow(row);
        result.compose_before = true;
        return result;
    }
    if (selected_modifier < 0)
        result.modifier = 0;
    else
        result.compose_before = true;
    result.text = row;
    return result;
}

WriteMessage MessageForOutcome(const WriteOutcome& outcome) {
    if (outcome.excess > 0) return {"message_text_16", static_cast<long long>(outcome.excess)};
    if (outcome.code != hid::kResultOk || !outcome.step.empty()) return {"message_text_7", {}};
    return {};
}

std::string FormatNumberText(std::string_view text, long long number) {
    const std::string digits = std::to_string(number);
    const std::size_t at = text.find("%d");
    if (at == std::string_view::npos) {
        std::string result(text);
        if (!result.empty()) result += ' ';
        return result + digits;
    }
    std::string result(text.substr(0, at));
    result += digits;
    result += text.substr(at + 2);
    return result;
}

}  // namespace key_assign
