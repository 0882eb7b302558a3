#pragma once
// The capability tables of one opened collection: its parsed report descriptor and the
// report items built from its button and value caps.
#include <vector>

#include "hid/hid_types.h"
#include "hid/report_descriptor.h"

namespace hid {

struct CapabilityTables {
    ReportDescriptor descriptor;
    int collectionIndex = 0;  // into descriptor.collections
    const TopLevelCollection& Collection() const { return descriptor.collections[collectionIndex]; }
};

// Caps as the device code reads them: usage page and usage, report byte lengths, cap counts.
HidCaps MakeCaps(const TopLevelCollection& collection);

// One button item per button cap, then one value item per value usage (ascending within a
// range), for one report type.
std::vector<HidReportItem> MakeReportItems(const TopLevelCollection& collection, ReportType type);

}  // namespace hid
