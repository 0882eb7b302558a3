#include "hid/report_unpack.h"

#include <algorithm>

namespace hid {
namespace {

template <typename T>
Unpacked<T> Failure(UnpackStatus status, std::string error) {
  Unpacked<T> result;
  result.status = status;
  result.error = std::move(error);
  return result;
}

template <typename T>
Unpacked<T> Success(T value) {
  Unpacked<T> result;
  result.ok = true;
  result.value = std::move(value);
  return result;
}

// Checks that `report` carries `reportId` and holds bits [bitPosition, bitEnd).
template <typename T>
bool CheckReport(std::span<const uint8_t> report, uint8_t reportId, uint64_t bitEnd, Unpacked<T>& failure) {
  if (report.empty()) {
    failure = Failure<T>(UnpackStatus::ReportTooShort, "empty report");
    return false;
  }
  if (report[0] != reportId) {
    failure = Failure<T>(UnpackStatus::IncompatibleReportId, "report id " + std::to_string(report[0]) +
                                                                 ", field belongs to report id " +
                                                                 std::to_string(reportId));
    return false;
  }
  if (bitEnd > uint64_t{report.size()} * 8) {
    failure = Failure<T>(UnpackStatus::ReportTooShort, "report of " + std::to_string(report.size()) +
                                                           " bytes ends before bit " + std::to_string(bitEnd));
    return false;
  }
  return true;
}

// Field of `size` (1..32) bits at `position`, least significant bit first.
// The caller has checked that the report holds it.
uint32_t ReadBits(std::span<const uint8_t> report, uint64_t position, unsigned size) {
  const size_t first = static_cast<size_t>(position / 8);
  const size_t last = static_cast<size_t>((position + size - 1) / 8);
  uint64_t word = 0;
  for (size_t i = first; i <= last; ++i) word |= uint64_t{report[i]} << (8 * (i - first));
  word >>= position % 8;
  const uint64_t mask = size >= 32 ? 0xFFFFFFFFull : (uint64_t{1} << size) - 1;
  return static_cast<uint32_t>(word & mask);
}

// The field as a number: two's complement when the logical minimum is negative.
int64_t FieldNumber(uint32_t bits, unsigned size, bool isSigned) {
  if (!isSigned || size == 0 || size >= 32) return isSigned ? int64_t{static_cast<int32_t>(bits)} : int64_t{bits};
  const uint32_t sign = uint32_t{1} << (size - 1);
  return (bits & sign) ? int64_t{bits} - (int64_t{1} << size) : int64_t{bits};
}

Unpacked<uint32_t> ReadValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report, int64_t& number) {
  if (usage < cap.usageMin || usage > cap.usageMax)
    return Failure<uint32_t>(UnpackStatus::UsageNotFound, "usage " + std::to_string(usage) + " not in the cap");
  const uint32_t field = cap.isRange ? uint32_t{usage} - cap.usageMin : 0;
  if (cap.bitSize == 0 || cap.bitSize > kMaxFieldBits || field >= cap.reportCount)
    return Failure<uint32_t>(UnpackStatus::UsageNotFound, "usage " + std::to_string(usage) + " has no field");
  const uint64_t position = uint64_t{cap.bitPosition} + uint64_t{field} * cap.bitSize;
  Unpacked<uint32_t> failure;
  if (!CheckReport(report, cap.reportId, position + cap.bitSize, failure)) return failure;
  const uint32_t bits = ReadBits(report, position, cap.bitSize);
  number = FieldNumber(bits, cap.bitSize, cap.logicalMin < 0);
  return Success(static_cast<uint32_t>(number));
}

}  // namespace

Unpacked<std::vector<uint16_t>> GetButtonUsages(const ButtonCap& cap, std::span<const uint8_t> report) {
  using List = std::vector<uint16_t>;
  if (cap.bitSize == 0 || cap.bitSize > kMaxFieldBits)
    return Failure<List>(UnpackStatus::UsageNotFound, "button cap without fields");
  Unpacked<List> failure;
  const uint64_t end = uint64_t{cap.bitPosition} + uint64_t{cap.reportCount} * cap.bitSize;
  if (!CheckReport(report, cap.reportId, end, failure)) return failure;

  List usages;
  for (uint32_t k = 0; k < cap.reportCount; ++k) {
    const uint64_t position = uint64_t{cap.bitPosition} + uint64_t{k} * cap.bitSize;
    const uint32_t bits = ReadBits(report, position, cap.bitSize);
    uint32_t usage = 0;
    if (cap.isArray) {
      // A slot holds an index into the item's usage list, counted from the
      // logical minimum; indices outside the list mean "nothing".
      const int64_t value = FieldNumber(bits, cap.bitSize, cap.logicalMin < 0);
      if (value < cap.logicalMin || value > cap.logicalMax) continue;
      const int64_t index = value - cap.logicalMin - int64_t{cap.usageIndex};
      if (index < 0 || index > int64_t{cap.usageMax} - cap.usageMin) continue;
      usage = static_cast<uint32_t>(cap.usageMin + index);
    } else {
      if (bits == 0) continue;
      usage = cap.isRange ? std::min<uint32_t>(uint32_t{cap.usageMin} + k, cap.usageMax) : cap.usageMin;
      // Fields past the last usage repeat it; list it once.
      if (!usages.empty() && usages.back() == usage) continue;
    }
    if (usage != 0) usages.push_back(static_cast<uint16_t>(usage));
  }
  return Success(std::move(usages));
}

Unpacked<std::vector<uint16_t>> GetUsages(const ReportCaps& caps, uint16_t usagePage,
                                          std::span<const uint8_t> report) {
  using List = std::vector<uint16_t>;
  if (report.empty()) return Failure<List>(UnpackStatus::ReportTooShort, "empty report");
  bool pageFound = false;
  bool idFound = false;
  List usages;
  for (const ButtonCap& cap : caps.buttonCaps) {
    if (usagePage != 0 && cap.usagePage != usagePage) continue;
    pageFound = true;
    if (cap.reportId != report[0]) continue;
    idFound = true;
    Unpacked<List> one = GetButtonUsages(cap, report);
    if (!one.ok) return one;
    usages.insert(usages.end(), one.value.begin(), one.value.end());
  }
  if (!pageFound)
    return Failure<List>(UnpackStatus::UsageNotFound, "no buttons on usage page " + std::to_string(usagePage));
  if (!idFound)
    return Failure<List>(UnpackStatus::IncompatibleReportId,
                         "no buttons of that usage page in report id " + std::to_string(report[0]));
  return Success(std::move(usages));
}

uint32_t MaxUsageListLength(const ReportCaps& caps, uint16_t usagePage) {
  uint32_t total = 0;
  const ButtonCap* lastArray = nullptr;
  for (const ButtonCap& cap : caps.buttonCaps) {
    if (usagePage != 0 && cap.usagePage != usagePage) continue;
    if (cap.isArray) {
      // The caps of one array item share its slots: count them once.
      const bool sameItem = lastArray && lastArray->reportId == cap.reportId &&
                            lastArray->bitPosition == cap.bitPosition;
      if (!sameItem) total += cap.reportCount;
      lastArray = &cap;
    } else {
      total += uint32_t{cap.usageMax} - cap.usageMin + 1;
    }
  }
  return total;
}

Unpacked<uint32_t> GetUsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report) {
  int64_t number = 0;
  return ReadValue(cap, usage, report, number);
}

Unpacked<int32_t> GetScaledUsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report) {
  int64_t value = 0;
  Unpacked<uint32_t> raw = ReadValue(cap, usage, report, value);
  if (!raw.ok) return Failure<int32_t>(raw.status, std::move(raw.error));
  if (cap.logicalMin >= cap.logicalMax || cap.physicalMin >= cap.physicalMax)
    return Failure<int32_t>(UnpackStatus::BadLogicalPhysical, "logical or physical range cannot be scaled");
  if (value < cap.logicalMin || value > cap.logicalMax)
    return Failure<int32_t>(cap.hasNull ? UnpackStatus::NullValue : UnpackStatus::ValueOutOfRange,
                            "value " + std::to_string(value) + " outside the logical range");
  // Both spans are below 2^32, so their product fits 64 unsigned bits.
  const uint64_t offset = static_cast<uint64_t>(value - cap.logicalMin);
  const uint64_t logicalSpan = static_cast<uint64_t>(int64_t{cap.logicalMax} - cap.logicalMin);
  const uint64_t physicalSpan = static_cast<uint64_t>(int64_t{cap.physicalMax} - cap.physicalMin);
  const int64_t scaled = static_cast<int64_t>(offset * physicalSpan / logicalSpan) + cap.physicalMin;
  return Success(static_cast<int32_t>(scaled));
}

}  // namespace hid
