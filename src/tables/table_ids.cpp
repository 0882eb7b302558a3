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
            error = "'" + std::string(item) + "' is not KIND=VENDOR:PRODUCT";
            return false;
        }
        const std::string_view name = item.substr(0, equals);
        if (!FindKind(name)) {
            error = "unknown kind '" + std::string(name) + "' (mouse, mouse-receiver, mousepad)";
            return false;
        }
        TableIdOverride entry{std::string(name)};
        if (!ParseHexId(item.substr(equals + 1, colon - equals - 1), entry.vendorId) ||
            !ParseHexId(item.substr(colon + 1), entry.productId) || entry.vendorId == 0) {
            error = "'" + std::string(item) + "': ids are hexadecimal VENDOR:PRODUCT, not 0";
            return false;
        }
        for (const TableIdOverride& seen : parsed) {
            if (seen.kind == entry.kind) {
                error = "kind '" + entry.kind + "' given twice";
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
    const auto ids = [](uint16_t pid) {
        char text[16];
        std::snprintf(text, sizeof text, "%04x:%04x", emulated_mouse::kVendorId, pid);
        return std::string(text);
    };
    std::string value;
    if (mouse) value = "mouse=" + ids(emulated_mouse::kProductId);
    if (receiver)
        value += (value.empty() ? "" : ",") + std::string("mouse-receiver=") +
                 ids(emulated_mouse::kReceiverProductId);
    if (pad)
        value += (value.empty() ? "" : ",") + std::string("mousepad=") +
                 ids(emulated_mouse::kPadProductId);
    return value;
}

}  // namespace tables
