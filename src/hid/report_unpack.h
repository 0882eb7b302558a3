// Reading buttons and values out of a report with the caps that
// ParseReportDescriptor produced.
//
// Every function takes the report as a buffer whose first byte is the
// report id, 0 for a descriptor without report ids (see report_descriptor.h).
// A report that is too short for the field, or that carries another report
// id than the cap, gives a failure result; nothing is read out of bounds.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hid/report_descriptor.h"

namespace hid {

enum class UnpackStatus : uint8_t {
  Success,
  IncompatibleReportId,  // the report's first byte is not the cap's report id
  ReportTooShort,        // the report ends before the field does
  UsageNotFound,         // no such usage in the cap (or page in the caps)
  ValueOutOfRange,       // scaling: value outside the logical range
  NullValue,             // scaling: value outside the logical range of a null-state item
  BadLogicalPhysical,    // scaling: logical or physical range empty or reversed
};

template <typename T>
struct Unpacked {
  bool ok = false;
  UnpackStatus status = UnpackStatus::Success;
  std::string error;
  T value{};
};

// Pressed usages of one button cap, in field order. For an array, the usages
// that the slots select and that belong to this cap; for one-bit variable
// fields, the usages whose bit is set. Usage 0 ("no event") is never listed.
Unpacked<std::vector<uint16_t>> GetButtonUsages(const ButtonCap& cap, std::span<const uint8_t> report);

// Pressed usages of every button cap of `usagePage` (0: of any page) that
// belongs to the report's id, in cap order.
Unpacked<std::vector<uint16_t>> GetUsages(const ReportCaps& caps, uint16_t usagePage,
                                          std::span<const uint8_t> report);

// Most usages that GetUsages can list for this report type and usage page
// (0: all pages): the slots of each array item plus the usages of each
// variable button cap.
uint32_t MaxUsageListLength(const ReportCaps& caps, uint16_t usagePage);

// The field of `usage` as an unsigned number, sign-extended to 32 bits when
// the cap's logical minimum is negative.
Unpacked<uint32_t> GetUsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report);

// The field mapped from the logical onto the physical range:
// (value - logicalMin) * (physicalMax - physicalMin) / (logicalMax - logicalMin) + physicalMin.
// Fails when the value lies outside the logical range, or when either range
// is empty or reversed (a cap that declares no physical range, 0..0, cannot
// be scaled).
Unpacked<int32_t> GetScaledUsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report);

}  // namespace hid
