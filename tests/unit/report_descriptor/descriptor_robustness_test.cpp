// Cut and damaged descriptors: the parser must answer with a result, and
// whatever it accepts must give caps that stay inside its own report lengths.
// Meant to run under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "hid/report_descriptor.h"
#include "hid/report_unpack.h"
#include "hid/sample_descriptors.h"
#include "test_descriptors.h"

namespace {

using hid::ReportType;
using Bytes = std::vector<uint8_t>;

struct Sample {
  const char* name;
  std::span<const uint8_t> bytes;
  // Proper prefixes that form a whole descriptor: those that end after a
  // top-level End Collection, or after the global and local items that
  // follow it.
  int wholePrefixes;
};

const Sample kSamples[] = {
    {"boot keyboard", hid::descriptors::kBootKeyboard, 0},
    {"consumer control", hid::descriptors::kConsumerControl, 0},
    {"vendor 64", hid::descriptors::kVendor64, 0},
    {"keyboard interface 1", hid::descriptors::kKeyboardInterface1, 9},
    {"headset interface 3", hid::descriptors::kHeadsetInterface3, 0},
    {"gamepad", test_descriptors::kGamepad, 0},
    {"listed consumer array", test_descriptors::kListedConsumerArray, 0},
    {"axes range", test_descriptors::kAxesRange, 0},
    {"wide feature", test_descriptors::kWideFeature, 0},
};

// Short reports tried per cap: every length for small reports, about 64
// lengths for long ones.
size_t Step(size_t length) { return length > 64 ? length / 64 : 1; }

// Checks what an accepted descriptor promises, reads every cap out of a
// random report of the advertised length, and out of shorter ones.
void CheckAccepted(const hid::ReportDescriptor& d, std::mt19937& rng) {
  ASSERT_FALSE(d.collections.empty());
  for (const hid::TopLevelCollection& c : d.collections) {
    for (ReportType type : {ReportType::Input, ReportType::Output, ReportType::Feature}) {
      const hid::ReportCaps& caps = c.caps(type);
      ASSERT_LE(caps.byteLength, hid::kMaxReportBytes);
      ASSERT_EQ(caps.byteLength == 0, caps.reportIds.empty());
      Bytes report(caps.byteLength);
      for (uint8_t& b : report) b = static_cast<uint8_t>(rng());
      for (const hid::ButtonCap& cap : caps.buttonCaps) {
        const uint64_t end = uint64_t{cap.bitPosition} + uint64_t{cap.reportCount} * cap.bitSize;
        ASSERT_LE(end, uint64_t{caps.byteLength} * 8) << "button cap beyond the report length";
        ASSERT_GE(cap.bitPosition, 8u);
        ASSERT_LE(cap.usageMin, cap.usageMax);
        report[0] = cap.reportId;
        ASSERT_TRUE(hid::GetButtonUsages(cap, report).ok);
        const auto all = hid::GetUsages(caps, cap.usagePage, report);
        ASSERT_TRUE(all.ok) << all.error;
        ASSERT_LE(all.value.size(), hid::MaxUsageListLength(caps, cap.usagePage));
        for (size_t n = 0; n < report.size(); n += Step(report.size()))
          (void)hid::GetButtonUsages(cap, std::span(report).first(n));
      }
      for (const hid::ValueCap& cap : caps.valueCaps) {
        const uint64_t end = uint64_t{cap.bitPosition} + uint64_t{cap.reportCount} * cap.bitSize;
        ASSERT_LE(end, uint64_t{caps.byteLength} * 8) << "value cap beyond the report length";
        ASSERT_LE(cap.usageMin, cap.usageMax);
        ASSERT_LE(uint32_t{cap.usageMax} - cap.usageMin, cap.reportCount);
        report[0] = cap.reportId;
        for (uint32_t usage = cap.usageMin; usage <= cap.usageMax; ++usage) {
          ASSERT_TRUE(hid::GetUsageValue(cap, static_cast<uint16_t>(usage), report).ok);
          (void)hid::GetScaledUsageValue(cap, static_cast<uint16_t>(usage), report);
        }
        for (size_t n = 0; n < report.size(); n += Step(report.size())) {
          (void)hid::GetUsageValue(cap, cap.usageMax, std::span(report).first(n));
          (void)hid::GetScaledUsageValue(cap, cap.usageMax, std::span(report).first(n));
        }
      }
    }
  }
}

TEST(DescriptorRobustness, EveryTruncationIsRejectedOrConsistent) {
  std::mt19937 rng(1);
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.name);
    const hid::ReportDescriptor full = hid::ParseReportDescriptor(s.bytes);
    ASSERT_TRUE(full.ok) << full.error;
    CheckAccepted(full, rng);
    int whole = 0;
    for (size_t n = 0; n < s.bytes.size(); ++n) {
      SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
      // A copy of exactly n bytes, so reading past the cut is caught.
      const Bytes cut(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(n));
      const hid::ReportDescriptor d = hid::ParseReportDescriptor(cut);
      if (!d.ok) {
        EXPECT_FALSE(d.error.empty());
        EXPECT_TRUE(d.collections.empty());
        continue;
      }
      ++whole;
      // A cut right after a complete collection leaves the collections before it.
      ASSERT_LT(d.collections.size(), full.collections.size());
      for (size_t i = 0; i < d.collections.size(); ++i) {
        EXPECT_EQ(d.collections[i].usagePage, full.collections[i].usagePage);
        EXPECT_EQ(d.collections[i].usage, full.collections[i].usage);
        EXPECT_EQ(d.collections[i].reportIds, full.collections[i].reportIds);
      }
      CheckAccepted(d, rng);
    }
    EXPECT_EQ(whole, s.wholePrefixes);
  }
}

TEST(DescriptorRobustness, RandomMutationsNeverCrash) {
  std::mt19937 rng(20261210);
  int accepted = 0;
  int rejected = 0;
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.name);
    for (int round = 0; round < 1500; ++round) {
      Bytes m(s.bytes.begin(), s.bytes.end());
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits && !m.empty(); ++e) {
        const size_t at = rng() % m.size();
        switch (rng() % 4) {
          case 0: m[at] = static_cast<uint8_t>(rng()); break;
          case 1: m[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
          case 2: m.insert(m.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
          default: m.erase(m.begin() + static_cast<std::ptrdiff_t>(at)); break;
        }
      }
      const hid::ReportDescriptor d = hid::ParseReportDescriptor(m);
      if (d.ok) {
        ++accepted;
        CheckAccepted(d, rng);
        if (::testing::Test::HasFatalFailure()) return;
      } else {
        ++rejected;
        EXPECT_FALSE(d.error.empty());
      }
    }
  }
  // Both outcomes must occur, or the mutations test nothing.
  EXPECT_GT(accepted, 100);
  EXPECT_GT(rejected, 100);
}

TEST(DescriptorRobustness, RandomBytesNeverCrash) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    Bytes m(rng() % 96);
    for (uint8_t& b : m) b = static_cast<uint8_t>(rng());
    const hid::ReportDescriptor d = hid::ParseReportDescriptor(m);
    if (d.ok) CheckAccepted(d, rng);
    else EXPECT_FALSE(d.error.empty());
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace
