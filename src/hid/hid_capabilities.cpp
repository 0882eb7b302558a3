#include "hid/hid_capabilities.h"

namespace hid {

HidCaps MakeCaps(const TopLevelCollection& collection) {
    HidCaps caps;
    caps.usagePage = collection.usagePage;
    caps.usage = collection.usage;
    const auto& in = collection.caps(ReportType::Input);
    const auto& out = collection.caps(ReportType::Output);
    const auto& feature = collection.caps(ReportType::Feature);
    caps.inputReportByteLength = in.byteLength;
    caps.outputReportByteLength = out.byteLength;
    caps.featureReportByteLength = feature.byteLength;
    caps.numberInputButtonCaps = static_cast<uint16_t>(in.buttonCaps.size());
    caps.numberInputValueCaps = static_cast<uint16_t>(in.valueCaps.size());
    caps.numberOutputButtonCaps = static_cast<uint16_t>(out.buttonCaps.size());
    caps.numberOutputValueCaps = static_cast<uint16_t>(out.valueCaps.size());
    caps.numberFeatureButtonCaps = static_cast<uint16_t>(feature.buttonCaps.size());
    caps.numberFeatureValueCaps = static_cast<uint16_t>(feature.valueCaps.size());
    return caps;
}

std::vector<HidReportItem> MakeReportItems(const TopLevelCollection& collection, ReportType type) {
    const ReportCaps& caps = collection.caps(type);
    std::vector<HidReportItem> items;
    for (const ButtonCap& cap : caps.buttonCaps) {
        HidReportItem item;
        item.isButton = 1;
        item.usagePage = cap.usagePage;
        item.usageMinimum = cap.usageMin;
        item.usageMaximum = cap.isRange ? cap.usageMax : cap.usageMin;
        // Sized by this item alone: sizing every item of a page by the whole page's count
        // makes the tables grow with items times usages.
        item.maxUsageListLength = ButtonUsageCount(cap);
        item.usageList.assign(item.maxUsageListLength, 0);
        item.reportId = cap.reportId;
        items.push_back(std::move(item));
    }
    for (const ValueCap& cap : caps.valueCaps) {
        const uint32_t last = cap.isRange ? cap.usageMax : cap.usageMin;
        for (uint32_t usage = cap.usageMin; usage <= last; ++usage) {
            HidReportItem item;
            item.isButton = 0;
            item.usagePage = cap.usagePage;
            item.usage = static_cast<uint16_t>(usage);
            item.reportId = cap.reportId;
            items.push_back(std::move(item));
        }
    }
    return items;
}

}  // namespace hid
