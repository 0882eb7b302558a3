#pragma once
// Capability records of an opened HID interface, shaped as the device code expects them.
#include <cstdint>
#include <vector>

#include "hid/report_descriptor.h"

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

struct HidCaps {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;  // longest input report, plus the report id byte
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberOutputButtonCaps = 0;
    uint16_t numberOutputValueCaps = 0;
    uint16_t numberFeatureButtonCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
};

// One item of a report: a button range whose pressed usages are listed, or one value.
struct HidReportItem {
    uint8_t isButton = 0;
    uint8_t reserved = 0;
    uint16_t usagePage = 0;
    uint32_t status = 0;  // 0: the last unpacking of this item succeeded
    uint32_t reportId = 0;
    uint8_t isSet = 0;
    // button part
    uint32_t usageMinimum = 0;
    uint32_t usageMaximum = 0;
    uint32_t maxUsageListLength = 0;
    std::vector<uint16_t> usageList;
    // value part
    uint16_t usage = 0;
    uint16_t reserved2 = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
};
