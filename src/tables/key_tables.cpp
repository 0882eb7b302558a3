#include "tables/key_tables.h"

#include <algorithm>

namespace tables {

namespace {

template <typename Table, typename Predicate>
std::optional<std::size_t> FirstIndex(const Table& table, Predicate predicate) {
    const auto it = std::find_if(table.begin(), table.end(), predicate);
    if (it == table.end()) return std::nullopt;
    return static_cast<std::size_t>(it - table.begin());
}

}  // namespace

std::optional<std::size_t> FindVirtualKeyRow(std::uint16_t virtual_key) {
    if (virtual_key == 0) return std::nullopt;  // the special rows have no virtual key
    return FirstIndex(kVirtualKeyTable,
                      [&](const VirtualKeyRow& row) { return row.virtual_key == virtual_key; });
}

std::optional<std::size_t> FindRowByKeyCode(const DeviceKeyCode& code) {
    return FirstIndex(kVirtualKeyTable, [&](const VirtualKeyRow& row) { return row.code == code; });
}

std::optional<std::size_t> FindRowByScanCode(std::uint16_t scan_code, bool extended) {
    if (scan_code == 0) return std::nullopt;
    return FirstIndex(kScanCodeTable, [&](const ScanCodeRow& row) {
        return row.scan_code == scan_code && row.extended == extended;
    });
}

std::optional<std::size_t> FindRowByEvdev(std::uint16_t evdev_code) {
    const auto entry = FirstIndex(
        kEvdevKeyTable, [&](const EvdevKeyRow& row) { return row.evdev_code == evdev_code; });
    if (!entry) return std::nullopt;
    return FindRowByKeyCode(kEvdevKeyTable[*entry].code);
}

std::optional<ScanCodeRow> ScanCodeForEvdev(std::uint16_t evdev_code) {
    const auto row = FindRowByEvdev(evdev_code);
    if (!row || kScanCodeTable[*row].scan_code == 0) return std::nullopt;
    return kScanCodeTable[*row];
}

std::wstring_view KeyTextIdentifier(std::size_t row) {
    if (row >= kKeyTextIdentifiers.size()) return {};
    return kKeyTextIdentifiers[row];
}

}  // namespace tables
