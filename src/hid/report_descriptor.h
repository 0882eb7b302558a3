// HID report descriptor parser.
//
// Turns the report descriptor of one HID interface (read from sysfs or
// received from the virtual HID bus) into the capability tables that the
// connection class works with: one entry per top-level collection, each with
// its report byte lengths and its button and value capabilities per report
// type. Plain C++, no Qt, nothing thrown: a bad descriptor gives a result with
// ok == false and an error text.
//
// Report buffer convention (used by the byte lengths here and by the
// unpacking functions in report_unpack.h): a report buffer always starts with
// the report id byte, which is 0 when the descriptor uses no report ids. The
// byte lengths therefore count that byte in every case. hidraw delivers
// reports of a device without report ids without that byte; the connection
// layer prepends a 0 before handing such a report on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hid {

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };

// Longest report accepted, id byte included.
inline constexpr uint32_t kMaxReportBytes = 4096;
// Largest field accepted (Report Size).
inline constexpr uint32_t kMaxFieldBits = 32;
// Longest descriptor accepted (the USB descriptor length field is 16 bits).
inline constexpr size_t kMaxDescriptorBytes = 65535;
// Most top-level collections accepted: the "&col" marker of a path holds two hex digits.
inline constexpr size_t kMaxCollections = 255;
// Most report items (one per button cap, one per value usage) and most usages (the usage
// lists of the button caps plus the value usages) of one collection, over its three report
// types. A full keyboard with media keys uses a few hundred usages; a descriptor beyond
// these is refused, so that no device can make an open allocate without bound.
inline constexpr uint32_t kMaxItemsPerCollection = 4096;
inline constexpr uint32_t kMaxUsagesPerCollection = 16384;

// Data bits of an input, output or feature item.
namespace item_flags {
inline constexpr uint16_t kConstant = 1u << 0;
inline constexpr uint16_t kVariable = 1u << 1;
inline constexpr uint16_t kRelative = 1u << 2;
inline constexpr uint16_t kWrap = 1u << 3;
inline constexpr uint16_t kNonLinear = 1u << 4;
inline constexpr uint16_t kNoPreferred = 1u << 5;
inline constexpr uint16_t kNullState = 1u << 6;
inline constexpr uint16_t kVolatile = 1u << 7;
inline constexpr uint16_t kBufferedBytes = 1u << 8;
}  // namespace item_flags

// A group of buttons: the one-bit fields of a variable item, or the usages
// that an array item can report. One cap per usage or usage range named
// before the main item, in descriptor order.
struct ButtonCap {
  uint16_t usagePage = 0;
  uint8_t reportId = 0;  // 0 when the descriptor uses no report ids
  bool isRange = false;
  uint16_t usageMin = 0;  // the usage itself when !isRange
  uint16_t usageMax = 0;  // == usageMin when !isRange
  uint16_t bitField = 0;  // item_flags of the main item
  bool isArray = false;
  // First field's bit, counted from bit 0 of byte 0 of the report buffer
  // (the id byte), so it is always >= 8.
  uint32_t bitPosition = 0;
  uint16_t bitSize = 0;      // bits per field: 1 for variable buttons
  uint16_t reportCount = 0;  // fields of this cap (arrays: all array slots)
  // Arrays: the index range a slot may hold, and the index of usageMin
  // in the main item's usage list (slot value logicalMin + usageIndex
  // selects usageMin). Variable buttons: the item's logical range.
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  uint32_t usageIndex = 0;
};

// A group of value fields: one cap per usage or usage range of a variable
// item whose fields are wider than one bit. A range cap has one field per
// usage (field k belongs to usageMin + k); a single-usage cap may hold
// several fields (reportCount > 1), its usage reads the first one.
struct ValueCap {
  uint16_t usagePage = 0;
  uint8_t reportId = 0;
  bool isRange = false;
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
  uint16_t bitField = 0;
  bool isAbsolute = true;
  bool hasNull = false;
  uint32_t bitPosition = 0;  // as in ButtonCap
  uint16_t bitSize = 0;
  uint16_t reportCount = 0;
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  int32_t physicalMin = 0;
  int32_t physicalMax = 0;
  uint32_t units = 0;
  int8_t unitExponent = 0;  // -8..7, from the item's low four bits
};

// Most usages that one button cap can report at once: its usages for one-bit fields (one
// field each), at most its slots for an array.
inline uint32_t ButtonUsageCount(const ButtonCap& cap) {
  const uint32_t usages = uint32_t{cap.usageMax} - cap.usageMin + 1;
  return cap.isArray && cap.reportCount < usages ? cap.reportCount : usages;
}

struct ReportCaps {
  // Longest report of this type in the collection plus the id byte;
  // 0 when the collection has no report of this type.
  uint16_t byteLength = 0;
  // Ids of this type's reports in order of first use; {0} for the one
  // report of a descriptor without report ids, empty when there is none.
  std::vector<uint8_t> reportIds;
  std::vector<ButtonCap> buttonCaps;
  std::vector<ValueCap> valueCaps;
};

struct TopLevelCollection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  // Report ids used by the collection's items, in order of first use;
  // empty when the descriptor uses no report ids.
  std::vector<uint8_t> reportIds;
  std::array<ReportCaps, 3> reports;  // indexed by ReportType

  const ReportCaps& caps(ReportType type) const { return reports[static_cast<size_t>(type)]; }
};

struct ReportDescriptor {
  bool ok = false;
  std::string error;  // set when !ok, with the byte offset of the fault
  bool usesReportIds = false;
  // In descriptor order: collection number n (the "&col" number) is
  // collections[n - 1].
  std::vector<TopLevelCollection> collections;
};

ReportDescriptor ParseReportDescriptor(std::span<const uint8_t> descriptor);

// Collection number (1..) that owns report `reportId` of the given type,
// 0 when none does. Use id 0 for a descriptor without report ids.
int CollectionOfReport(const ReportDescriptor& descriptor, ReportType type, uint8_t reportId);

}  // namespace hid
