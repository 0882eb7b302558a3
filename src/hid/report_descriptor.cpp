#include "hid/report_descriptor.h"

#include <algorithm>
#include <bitset>
#include <limits>

namespace hid {
namespace {

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr size_t kMaxPushDepth = 16;
constexpr uint32_t kMaxDataBits = (kMaxReportBytes - 1) * 8;

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReserved = 3 };

enum MainTag : uint8_t { kInput = 0x8, kOutput = 0x9, kCollection = 0xA, kFeature = 0xB, kEndCollection = 0xC };

enum GlobalTag : uint8_t {
  kUsagePage = 0x0,
  kLogicalMin = 0x1,
  kLogicalMax = 0x2,
  kPhysicalMin = 0x3,
  kPhysicalMax = 0x4,
  kUnitExponent = 0x5,
  kUnit = 0x6,
  kReportSize = 0x7,
  kReportId = 0x8,
  kReportCount = 0x9,
  kPush = 0xA,
  kPop = 0xB,
};

enum LocalTag : uint8_t { kUsage = 0x0, kUsageMin = 0x1, kUsageMax = 0x2 };

// A minimum or maximum item keeps both readings of its data: the signed one
// and the unsigned one. Which applies is decided when a main item uses it.
struct Extent {
  int32_t asSigned = 0;
  uint32_t asUnsigned = 0;
};

struct Globals {
  uint16_t usagePage = 0;
  Extent logicalMin, logicalMax, physicalMin, physicalMax;
  uint32_t unitExponent = 0;
  uint32_t unit = 0;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;
};

struct UsageSegment {
  uint16_t page = 0;
  uint16_t min = 0;
  uint16_t max = 0;
  bool isRange = false;
  uint32_t length() const { return uint32_t{max} - min + 1; }
};

struct Locals {
  std::vector<UsageSegment> usages;
  bool haveMin = false;
  bool haveMax = false;
  uint32_t min = 0;  // extended: page in the high 16 bits
  uint32_t max = 0;
};

// Collection being built, with the reports of each type that it uses.
struct CollectionBuild {
  TopLevelCollection collection;
  std::array<std::bitset<256>, 3> used;
  std::bitset<256> anyUsed;
  uint32_t items = 0;   // report items the connection will build
  uint32_t usages = 0;  // entries of their usage lists, value usages included
};

// The maximum of a pair: a device that writes Logical Maximum (255) in one
// byte means 255, not -1. When the minimum is not negative and the signed
// reading of the maximum falls below it, the unsigned reading is taken.
int32_t MaximumOf(int32_t minimum, const Extent& maximum) {
  if (minimum >= 0 && maximum.asSigned < minimum &&
      maximum.asUnsigned <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
    return static_cast<int32_t>(maximum.asUnsigned);
  return maximum.asSigned;
}

int8_t UnitExponentOf(uint32_t raw) {
  const int nibble = static_cast<int>(raw & 0xF);
  return static_cast<int8_t>(nibble >= 8 ? nibble - 16 : nibble);
}

class Parser {
 public:
  explicit Parser(std::span<const uint8_t> descriptor) : d_(descriptor) {}

  ReportDescriptor Run() {
    ReportDescriptor result;
    if (d_.size() > kMaxDescriptorBytes) {
      result.error = "descriptor of " + std::to_string(d_.size()) + " bytes is longer than " +
                     std::to_string(kMaxDescriptorBytes);
      return result;
    }
    size_t pos = 0;
    while (pos < d_.size() && error_.empty()) pos = Item(pos);
    if (error_.empty() && depth_ != 0) Fail(d_.size(), "collection not closed at the end of the descriptor");
    if (error_.empty() && collections_.empty()) Fail(d_.size(), "no top-level collection");
    if (error_.empty()) Finish(result);
    if (!error_.empty()) {
      result = ReportDescriptor{};
      result.error = error_;
      return result;
    }
    result.ok = true;
    return result;
  }

 private:
  void Fail(size_t offset, const std::string& text) {
    if (error_.empty()) error_ = "offset " + std::to_string(offset) + ": " + text;
  }

  // Parses the item at `pos`; returns the offset of the next item.
  size_t Item(size_t pos) {
    const uint8_t prefix = d_[pos];
    if (prefix == kLongItemPrefix) {
      // Long item: prefix, data size, tag, data. No long item tags are
      // defined, so the item is skipped.
      if (d_.size() - pos < 3) {
        Fail(pos, "long item truncated");
        return d_.size();
      }
      const size_t size = d_[pos + 1];
      if (d_.size() - pos - 3 < size) {
        Fail(pos, "long item truncated");
        return d_.size();
      }
      return pos + 3 + size;
    }
    const size_t sizeCode = prefix & 0x3;
    const size_t size = sizeCode == 3 ? 4 : sizeCode;
    if (d_.size() - pos - 1 < size) {
      Fail(pos, "item truncated");
      return d_.size();
    }
    uint32_t u = 0;
    for (size_t i = 0; i < size; ++i) u |= uint32_t{d_[pos + 1 + i]} << (8 * i);
    int32_t s = 0;
    if (size == 1) s = static_cast<int8_t>(u);
    if (size == 2) s = static_cast<int16_t>(u);
    if (size == 4) s = static_cast<int32_t>(u);
    const uint8_t type = (prefix >> 2) & 0x3;
    const uint8_t tag = prefix >> 4;
    switch (type) {
      case kMain: MainItem(pos, tag, u); break;
      case kGlobal: GlobalItem(pos, tag, u, s); break;
      case kLocal: LocalItem(pos, tag, u, size); break;
      default: break;  // reserved item types carry nothing we use
    }
    return pos + 1 + size;
  }

  void GlobalItem(size_t pos, uint8_t tag, uint32_t u, int32_t s) {
    switch (tag) {
      case kUsagePage: g_.usagePage = static_cast<uint16_t>(u); break;
      case kLogicalMin: g_.logicalMin = {s, u}; break;
      case kLogicalMax: g_.logicalMax = {s, u}; break;
      case kPhysicalMin: g_.physicalMin = {s, u}; break;
      case kPhysicalMax: g_.physicalMax = {s, u}; break;
      case kUnitExponent: g_.unitExponent = u; break;
      case kUnit: g_.unit = u; break;
      case kReportSize: g_.reportSize = u; break;
      case kReportCount: g_.reportCount = u; break;
      case kReportId:
        if (u == 0 || u > 255) {
          Fail(pos, "report id " + std::to_string(u) + " outside 1..255");
          return;
        }
        g_.reportId = static_cast<uint8_t>(u);
        break;
      case kPush:
        if (stack_.size() >= kMaxPushDepth) {
          Fail(pos, "push nested deeper than " + std::to_string(kMaxPushDepth));
          return;
        }
        stack_.push_back(g_);
        break;
      case kPop:
        if (stack_.empty()) {
          Fail(pos, "pop without push");
          return;
        }
        g_ = stack_.back();
        stack_.pop_back();
        break;
      default: break;  // reserved global tags
    }
  }

  void LocalItem(size_t pos, uint8_t tag, uint32_t u, size_t size) {
    // A four-byte usage carries its page in the high 16 bits; a shorter one
    // takes the usage page in force when it is read.
    const uint32_t extended = size == 4 ? u : (uint32_t{g_.usagePage} << 16) | (u & 0xFFFF);
    switch (tag) {
      case kUsage:
        l_.usages.push_back({static_cast<uint16_t>(extended >> 16), static_cast<uint16_t>(extended),
                             static_cast<uint16_t>(extended), false});
        break;
      case kUsageMin:
        l_.haveMin = true;
        l_.min = extended;
        CloseRange(pos);
        break;
      case kUsageMax:
        l_.haveMax = true;
        l_.max = extended;
        CloseRange(pos);
        break;
      default: break;  // designators, strings and delimiters are not used
    }
  }

  void CloseRange(size_t pos) {
    if (!l_.haveMin || !l_.haveMax) return;
    l_.haveMin = l_.haveMax = false;
    if ((l_.min >> 16) != (l_.max >> 16)) {
      Fail(pos, "usage minimum and maximum on different usage pages");
      return;
    }
    if ((l_.min & 0xFFFF) > (l_.max & 0xFFFF)) {
      Fail(pos, "usage minimum " + std::to_string(l_.min & 0xFFFF) + " above usage maximum " +
                    std::to_string(l_.max & 0xFFFF));
      return;
    }
    l_.usages.push_back({static_cast<uint16_t>(l_.min >> 16), static_cast<uint16_t>(l_.min),
                         static_cast<uint16_t>(l_.max), true});
  }

  void MainItem(size_t pos, uint8_t tag, uint32_t u) {
    switch (tag) {
      case kInput: DataItem(pos, ReportType::Input, u); break;
      case kOutput: DataItem(pos, ReportType::Output, u); break;
      case kFeature: DataItem(pos, ReportType::Feature, u); break;
      case kCollection:
        if (depth_ == 0) {
          if (collections_.size() >= kMaxCollections) {
            Fail(pos, "more than " + std::to_string(kMaxCollections) + " top-level collections");
            return;
          }
          CollectionBuild build;
          if (!l_.usages.empty()) {
            build.collection.usagePage = l_.usages.front().page;
            build.collection.usage = l_.usages.front().min;
          } else {
            build.collection.usagePage = g_.usagePage;
          }
          collections_.push_back(std::move(build));
        }
        ++depth_;
        break;
      case kEndCollection:
        if (depth_ == 0) {
          Fail(pos, "end collection without collection");
          return;
        }
        --depth_;
        break;
      default: Fail(pos, "unknown main item tag " + std::to_string(tag)); return;
    }
    l_ = Locals{};
  }

  void DataItem(size_t pos, ReportType type, uint32_t flags) {
    const char* name = type == ReportType::Input ? "input" : type == ReportType::Output ? "output" : "feature";
    if (depth_ == 0) {
      Fail(pos, std::string(name) + " item outside a collection");
      return;
    }
    if (l_.haveMin || l_.haveMax) {
      Fail(pos, l_.haveMin ? "usage minimum without usage maximum" : "usage maximum without usage minimum");
      return;
    }
    if (g_.reportSize > kMaxFieldBits) {
      Fail(pos, "report size " + std::to_string(g_.reportSize) + " above " + std::to_string(kMaxFieldBits) + " bits");
      return;
    }
    const uint8_t id = g_.reportId;
    (id == 0 ? itemsWithoutId_ : itemsWithId_) = true;
    if (itemsWithoutId_ && itemsWithId_) {
      Fail(pos, "items with and without report id in one descriptor");
      return;
    }
    const size_t t = static_cast<size_t>(type);
    const uint64_t bits = uint64_t{g_.reportSize} * g_.reportCount;
    uint32_t& reportBits = bits_[t][id];
    if (reportBits + bits > kMaxDataBits) {
      Fail(pos, std::string(name) + " report " + std::to_string(id) + " longer than " +
                    std::to_string(kMaxReportBytes) + " bytes");
      return;
    }
    const uint32_t position = 8 + reportBits;
    reportBits += static_cast<uint32_t>(bits);
    if (bits == 0) return;

    CollectionBuild& build = collections_.back();
    if (!build.used[t].test(id)) {
      build.used[t].set(id);
      build.collection.reports[t].reportIds.push_back(id);
    }
    if (id != 0 && !build.anyUsed.test(id)) {
      build.anyUsed.set(id);
      build.collection.reportIds.push_back(id);
    }
    if (flags & item_flags::kConstant) return;  // padding: no caps

    const auto size = static_cast<uint16_t>(g_.reportSize);
    const auto count = static_cast<uint16_t>(g_.reportCount);
    const int32_t logicalMin = g_.logicalMin.asSigned;
    const int32_t logicalMax = MaximumOf(logicalMin, g_.logicalMax);
    ReportCaps& caps = build.collection.reports[t];
    std::vector<UsageSegment> usages = l_.usages;
    const bool isArray = !(flags & item_flags::kVariable);

    if (isArray) {
      uint64_t index = 0;
      for (const UsageSegment& seg : usages) {
        ButtonCap cap;
        cap.usagePage = seg.page;
        cap.reportId = id;
        cap.isRange = seg.isRange;
        cap.usageMin = seg.min;
        cap.usageMax = seg.max;
        cap.bitField = static_cast<uint16_t>(flags & 0x1FF);
        cap.isArray = true;
        cap.bitPosition = position;
        cap.bitSize = size;
        cap.reportCount = count;
        cap.logicalMin = logicalMin;
        cap.logicalMax = logicalMax;
        cap.usageIndex = static_cast<uint32_t>(std::min<uint64_t>(index, std::numeric_limits<uint32_t>::max()));
        if (!Count(pos, build, 1, ButtonUsageCount(cap))) return;
        caps.buttonCaps.push_back(cap);
        index += seg.length();
      }
      return;
    }

    // Variable item: field k belongs to the k-th usage; fields beyond the
    // last usage belong to the last one.
    if (usages.empty()) usages.push_back({g_.usagePage, 0, 0, false});
    const bool isButton = size == 1;
    const int32_t physicalMin = g_.physicalMin.asSigned;
    const int32_t physicalMax = MaximumOf(physicalMin, g_.physicalMax);
    uint32_t field = 0;
    for (const UsageSegment& seg : usages) {
      if (field >= count) break;
      const uint32_t n = std::min<uint32_t>(seg.length(), count - field);
      const bool last = &seg == &usages.back() || field + n >= count;
      const auto fields = static_cast<uint16_t>(last ? count - field : n);
      const auto usageMax = static_cast<uint16_t>(seg.min + n - 1);
      const uint32_t bitPosition = position + field * size;
      if (isButton) {
        ButtonCap cap;
        cap.usagePage = seg.page;
        cap.reportId = id;
        cap.isRange = seg.isRange;
        cap.usageMin = seg.min;
        cap.usageMax = usageMax;
        cap.bitField = static_cast<uint16_t>(flags & 0x1FF);
        cap.bitPosition = bitPosition;
        cap.bitSize = 1;
        cap.reportCount = fields;
        cap.logicalMin = logicalMin;
        cap.logicalMax = logicalMax;
        if (!Count(pos, build, 1, ButtonUsageCount(cap))) return;
        caps.buttonCaps.push_back(cap);
      } else {
        ValueCap cap;
        cap.usagePage = seg.page;
        cap.reportId = id;
        cap.isRange = seg.isRange;
        cap.usageMin = seg.min;
        cap.usageMax = usageMax;
        cap.bitField = static_cast<uint16_t>(flags & 0x1FF);
        cap.isAbsolute = !(flags & item_flags::kRelative);
        cap.hasNull = (flags & item_flags::kNullState) != 0;
        cap.bitPosition = bitPosition;
        cap.bitSize = size;
        cap.reportCount = fields;
        cap.logicalMin = logicalMin;
        cap.logicalMax = logicalMax;
        cap.physicalMin = physicalMin;
        cap.physicalMax = physicalMax;
        cap.units = g_.unit;
        cap.unitExponent = UnitExponentOf(g_.unitExponent);
        const uint32_t valueUsages = uint32_t{cap.usageMax} - cap.usageMin + 1;
        if (!Count(pos, build, valueUsages, valueUsages)) return;
        caps.valueCaps.push_back(cap);
      }
      field += fields;
    }
  }

  // Adds a cap's report items and usages to its collection's totals; false (and the
  // descriptor refused) beyond what a real device needs.
  bool Count(size_t pos, CollectionBuild& build, uint32_t items, uint32_t usages) {
    build.items += items;
    build.usages += usages;
    const std::string which = "collection " + std::to_string(collections_.size());
    if (build.items > kMaxItemsPerCollection) {
      Fail(pos, which + " declares more than " + std::to_string(kMaxItemsPerCollection) + " report items");
      return false;
    }
    if (build.usages > kMaxUsagesPerCollection) {
      Fail(pos, which + " declares more than " + std::to_string(kMaxUsagesPerCollection) + " usages");
      return false;
    }
    return true;
  }

  void Finish(ReportDescriptor& result) {
    result.usesReportIds = itemsWithId_;
    size_t withReports = 0;
    for (CollectionBuild& build : collections_) {
      bool any = false;
      for (size_t t = 0; t < 3; ++t) {
        ReportCaps& caps = build.collection.reports[t];
        uint32_t longest = 0;
        for (uint8_t id : caps.reportIds) longest = std::max(longest, (bits_[t][id] + 7) / 8);
        caps.byteLength = caps.reportIds.empty() ? 0 : static_cast<uint16_t>(longest + 1);
        any = any || !caps.reportIds.empty();
      }
      if (any) ++withReports;
      result.collections.push_back(std::move(build.collection));
    }
    if (!itemsWithId_ && withReports > 1)
      Fail(d_.size(), "several top-level collections with reports but no report ids");
  }

  std::span<const uint8_t> d_;
  std::string error_;
  Globals g_;
  Locals l_;
  std::vector<Globals> stack_;
  int depth_ = 0;
  bool itemsWithId_ = false;
  bool itemsWithoutId_ = false;
  std::array<std::array<uint32_t, 256>, 3> bits_{};
  std::vector<CollectionBuild> collections_;
};

}  // namespace

ReportDescriptor ParseReportDescriptor(std::span<const uint8_t> descriptor) {
  return Parser(descriptor).Run();
}

int CollectionOfReport(const ReportDescriptor& descriptor, ReportType type, uint8_t reportId) {
  for (size_t i = 0; i < descriptor.collections.size(); ++i) {
    const std::vector<uint8_t>& ids = descriptor.collections[i].caps(type).reportIds;
    if (std::find(ids.begin(), ids.end(), reportId) != ids.end()) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace hid
