#pragma once
// SKELMORA_TABLE_IDS: gives the interface table's mouse, receiver and mouse pad rows (and the
// model rows of the mouse and the mouse pad) real USB ids, so that such devices are found.
//   SKELMORA_TABLE_IDS=mouse=320f:5060,mouse-receiver=320f:5061,mousepad=320f:5062
// Ids are hexadecimal vendor:product, each kind at most once, any subset of the three. The
// shipped tables give those rows the ids 0, which no device reports.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tables {

struct TableIdOverride {
    std::string kind;  // "mouse", "mouse-receiver" or "mousepad"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// Parses the value; false with a reason when it is malformed (nothing is applied then).
bool ParseTableIds(std::string_view text, std::vector<TableIdOverride>& out, std::string& error);

// Puts the ids into the active interface and model tables.
void ApplyTableIds(const std::vector<TableIdOverride>& overrides);

// The overrides that the emulated devices of a comma-separated kind list need ("mouse" and
// "mouse-receiver" get the emulated mouse's and receiver's ids, "mousepad" the pad's), as a
// SKELMORA_TABLE_IDS value; empty when the list plugs none of them.
std::string EmulatedTableIds(std::string_view emulatedKinds);

}  // namespace tables
