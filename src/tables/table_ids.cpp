#include "tables/table_ids.h"

#include <charconv>
#include <cstdio>

#include "tables/device_tables.h"
#include "tables/emulated_mouse.h"

namespace tables {
namespace {

struct KindRows {
    const char* name;
    uint16_t kind;
    bool hasModelRow;
};

constexpr KindRows kKinds[] = {
    {"mouse", kKindMouse, true},
    {"mouse-receiver", kKindMouseReceiver, false},
    {"mousepad", kKindMousePad, true},
};

const KindRows* FindKind(std::string_view name) {
    for (const KindRows& kind : kKinds) {
        if (name == kind.name) return &kind;
    }
    return nullptr;
}

bool ParseHexId(std::string_view text, uint16_t& value) {
    if (text.empty() || text.size() > 4) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

// BEFORE 'TEXT' AFTER, built by appending: GCC 12 at -O2 reads "literal" + std::string as an
// overlapping copy (-Wrestrict).
std::string Quoted(std::string_view before, std::string_view text, std::string_view after) {
    std::string message(before);
    message.append("'").append(text).append("'").append(after);
    return message;
}

}  // namespace

bool ParseTableIds(std::string_view text, std::vector<TableIdOverride>& out, std::string& error) {
    std::vector<TableIdOverride> parsed;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string_view item = text.substr(
            start, comma == std::string_view::npos ? text.size() - start : comma - start);
        start = comma == std::string_view::npos ? text.size() + 1 : comma + 1;
        const size_t equals = item.find('=');
        const size_t colon = item.find(':', equals == std::string_view::npos ? 0 : equals);
        if (equals == std::string_view::npos || colon == std::string_view::npos) {
            error = Quoted("", item, " is not KIND=VENDOR:PRODUCT");
            return false;
        }
        const std::string_view name = item.substr(0, equals);
        if (!FindKind(name)) {
            error = Quoted("unknown kind ", name, " (mouse, mouse-receiver, mousepad)");
            return false;
        }
        TableIdOverride entry{std::string(name)};
        if (!ParseHexId(item.substr(equals + 1, colon - equals - 1), entry.vendorId) ||
            !ParseHexId(item.substr(colon + 1), entry.productId) || entry.vendorId == 0) {
            error = Quoted("", item, ": ids are hexadecimal VENDOR:PRODUCT, not 0");
            return false;
        }
        for (const TableIdOverride& seen : parsed) {
            if (seen.kind == entry.kind) {
                error = Quoted("kind ", entry.kind, " given twice");
                return false;
            }
        }
        parsed.push_back(std::move(entry));
    }
    out = std::move(parsed);
    return true;
}

void ApplyTableIds(const std::vector<TableIdOverride>& overrides) {
    InterfaceTable table = ActiveInterfaceTable();
    for (const TableIdOverride& entry : overrides) {
        const KindRows* kind = FindKind(entry.kind);
        if (!kind) continue;
        for (DeviceIdentity& row : table) {
            if (row.kind != kind->kind) continue;
            row.vendorId = entry.vendorId;
            row.productId = entry.productId;
        }
        if (kind->hasModelRow) SetModelIdsForKind(kind->kind, entry.vendorId, entry.productId);
    }
    SetInterfaceTableForTesting(table);
}

std::string EmulatedTableIds(std::string_view emulatedKinds) {
    bool mouse = false, receiver = false, pad = false;
    size_t start = 0;
    while (start <= emulatedKinds.size()) {
        const size_t comma = emulatedKinds.find(',', start);
        const std::string_view kind = emulatedKinds.substr(
            start, comma == std::string_view::npos ? emulatedKinds.size() - start : comma - start);
        mouse = mouse || kind == "mouse";
        receiver = receiver || kind == "mouse-receiver";
        pad = pad || kind == "mousepad";
        start = comma == std::string_view::npos ? emulatedKinds.size() + 1 : comma + 1;
    }
    std::string value;
    const auto add = [&value](const char* kind, uint16_t productId) {
        char entry[48];
        std::snprintf(entry, sizeof entry, "%s%s=%04x:%04x", value.empty() ? "" : ",", kind,
                      emulated_mouse::kVendorId, productId);
        value += entry;
    };
    if (mouse) add("mouse", emulated_mouse::kProductId);
    if (receiver) add("mouse-receiver", emulated_mouse::kReceiverProductId);
    if (pad) add("mousepad", emulated_mouse::kPadProductId);
    return value;
}

}  // namespace tables
