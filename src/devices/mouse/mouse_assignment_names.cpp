#include "devices/mouse/mouse_assignment_names.h"

#include <cstdio>

#include "devices/mouse/mouse_button_map.h"
#include "tables/key_tables.h"

namespace mouse {
namespace {

constexpr uint8_t kKindNone = 0x00;
constexpr uint8_t kKindKey = 0x20;
constexpr uint8_t kKindMacroP = 0x70;
constexpr uint8_t kKindMacroQ = 0x71;

std::string Narrow(std::wstring_view text) { return {text.begin(), text.end()}; }

std::string Bytes(const tables::DeviceKeyCode& code) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", code.kind, code.high, code.low);
    return text;
}

// The text identifier of the first key table row with this code, if any.
bool RowName(const tables::DeviceKeyCode& code, std::vector<NamePiece>& out) {
    const auto row = tables::FindRowByKeyCode(code);
    if (!row) return false;
    out.push_back({Narrow(tables::KeyTextIdentifier(*row))});
    return true;
}

}  // namespace

std::vector<NamePiece> AssignmentName(const tables::DeviceKeyCode& code,
                                      const std::vector<std::string>& macroNames) {
    std::vector<NamePiece> out;
    if ((code.kind == kKindNone || code.kind == kKindKey) && code.high == 0 && code.low == 0)
        return {{"close_text"}};
    if (code.kind == kKindMacroP || code.kind == kKindMacroQ) {
        if (code.high < macroNames.size()) return {{macroNames[code.high], false}};
        return {{"macro " + std::to_string(code.high), false}};
    }
    for (const FactoryButton& button : kFactoryButtons) {
        if (button.code == code) return {{button.nameKey}};
    }
    if (code.kind == kKindKey) {
        // The modifiers first (rows 0 to 7 of the key table carry masks 0x01 to 0x80).
        for (int bit = 0; bit < 8; ++bit) {
            if (!(code.high & (1u << bit))) continue;
            RowName({kKindKey, static_cast<uint8_t>(1u << bit), 0}, out);
        }
        if (code.low != 0 && !RowName({kKindKey, 0, code.low}, out))
            out.push_back({Bytes({kKindKey, 0, code.low}), false});
        return out;
    }
    if (RowName(code, out)) return out;
    return {{Bytes(code), false}};
}

}  // namespace mouse
