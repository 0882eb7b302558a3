#include "hid/report_unpack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hid/sample_descriptors.h"
#include "test_descriptors.h"

namespace {

using hid::ReportType;
using hid::UnpackStatus;
using Bytes = std::vector<uint8_t>;
using Usages = std::vector<uint16_t>;

const hid::ReportDescriptor& Parsed(std::span<const uint8_t> bytes) {
  // Each descriptor is parsed once; the tests keep references to its caps.
  static std::vector<std::pair<const uint8_t*, hid::ReportDescriptor>> cache;
  for (const auto& [key, d] : cache)
    if (key == bytes.data()) return d;
  cache.emplace_back(bytes.data(), hid::ParseReportDescriptor(bytes));
  return cache.back().second;
}

const hid::ReportCaps& Caps(std::span<const uint8_t> bytes, int collection, ReportType type) {
  const hid::ReportDescriptor& d = Parsed(bytes);
  EXPECT_TRUE(d.ok) << d.error;
  return d.collections.at(static_cast<size_t>(collection - 1)).caps(type);
}

// A zeroed report of `length` bytes with `id` first and `value` written at
// `bit` (least significant bit first), for building key bitmaps.
Bytes ReportWithBits(size_t length, uint8_t id, std::initializer_list<uint32_t> bits) {
  Bytes r(length, 0);
  r[0] = id;
  for (uint32_t bit : bits) r.at(bit / 8) |= static_cast<uint8_t>(1u << (bit % 8));
  return r;
}

struct ButtonCase {
  const char* name;
  const hid::ButtonCap* cap;
  Bytes report;
  bool ok;
  Usages usages;               // when ok
  UnpackStatus status = UnpackStatus::Success;  // when not ok
};

TEST(ReportUnpack, ButtonUsagesOfOneCap) {
  const auto& boot = Caps(hid::descriptors::kBootKeyboard, 1, ReportType::Input).buttonCaps;
  const auto& bootLeds = Caps(hid::descriptors::kBootKeyboard, 1, ReportType::Output).buttonCaps;
  const auto& kb = Caps(hid::descriptors::kKeyboardInterface1, 1, ReportType::Input).buttonCaps;
  const auto& sys = Caps(hid::descriptors::kKeyboardInterface1, 2, ReportType::Input).buttonCaps;
  const auto& consumer = Caps(hid::descriptors::kConsumerControl, 1, ReportType::Input).buttonCaps;
  const auto& headset = Caps(hid::descriptors::kHeadsetInterface3, 1, ReportType::Input).buttonCaps;
  const auto& pad = Caps(test_descriptors::kGamepad, 1, ReportType::Input).buttonCaps;
  const auto& listed = Caps(test_descriptors::kListedConsumerArray, 1, ReportType::Input).buttonCaps;
  ASSERT_EQ(boot.size(), 2u);
  ASSERT_EQ(kb.size(), 2u);
  ASSERT_EQ(listed.size(), 4u);

  const Bytes bootReport = {0, 0x22, 0x00, 0x04, 0x00, 0x2C, 0x66, 0x00, 0x00};
  const std::vector<ButtonCase> cases = {
      {"modifiers: left and right shift", &boot[0], bootReport, true, {0xE1, 0xE5}},
      {"keys: empty slots and 0x66 beyond the logical maximum are nothing", &boot[1], bootReport, true, {0x04, 0x2C}},
      {"keys: no key", &boot[1], Bytes(9, 0), true, {}},
      {"keys: report one byte short", &boot[1], Bytes(8, 0), false, {}, UnpackStatus::ReportTooShort},
      {"keys: report with an id byte the keyboard does not use", &boot[1], {1, 0, 0, 4, 0, 0, 0, 0, 0}, false, {},
       UnpackStatus::IncompatibleReportId},
      {"LEDs: num and caps lock", &bootLeds[0], {0, 0x03}, true, {0x01, 0x02}},
      {"LEDs: padding bits are not LEDs", &bootLeds[0], {0, 0xE0}, true, {}},
      {"bitmap: first and last key", &kb[1], ReportWithBits(17, 1, {16 + 0x04, 16 + 0x77}), true, {0x04, 0x77}},
      {"bitmap: modifier bit is not a key", &kb[1], ReportWithBits(17, 1, {8}), true, {}},
      {"bitmap: modifier", &kb[0], ReportWithBits(17, 1, {8}), true, {0xE0}},
      {"bitmap: report of the consumer collection", &kb[1], ReportWithBits(17, 3, {}), false, {},
       UnpackStatus::IncompatibleReportId},
      {"system control: sleep", &sys[0], {2, 0x02}, true, {0x82}},
      {"system control: padding ignored", &sys[0], {2, 0xF8}, true, {}},
      {"consumer: volume up", &consumer[0], {3, 0xE9, 0x00}, true, {0xE9}},
      {"consumer: top of the range", &consumer[0], {3, 0xFF, 0x03}, true, {0x3FF}},
      {"consumer: above the range", &consumer[0], {3, 0x00, 0x04}, true, {}},
      {"consumer: released", &consumer[0], {3, 0x00, 0x00}, true, {}},
      {"consumer: truncated report", &consumer[0], {3, 0xE9}, false, {}, UnpackStatus::ReportTooShort},
      {"consumer: wrong id", &consumer[0], {4, 0xE9, 0x00}, false, {}, UnpackStatus::IncompatibleReportId},
      {"consumer: empty report", &consumer[0], {}, false, {}, UnpackStatus::ReportTooShort},
      {"headset consumer report", &headset[0], {1, 0xCD, 0x00}, true, {0xCD}},
      {"headset vendor report is not for the consumer cap", &headset[0], Bytes(64, 4), false, {},
       UnpackStatus::IncompatibleReportId},
      {"gamepad buttons 1, 3, 10", &pad[0], {7, 0x02, 0xFB, 0x3F, 0x12, 0xEE, 0x02, 0x05, 0x02}, true, {1, 3, 10}},
      {"gamepad padding after button 10", &pad[0], {7, 0, 0, 0, 0, 0, 0, 0x00, 0xFC}, true, {}},
      {"listed array: index 2 is the second usage", &listed[1], {0, 2, 4}, true, {0xB6}},
      {"listed array: index 4 is in the range cap", &listed[2], {0, 2, 4}, true, {0xEA}},
      {"listed array: index 5 is the last usage", &listed[3], {0, 5, 0}, true, {0xCD}},
      {"listed array: index 0 is below the logical minimum", &listed[0], {0, 0, 0}, true, {}},
      {"listed array: both slots on one usage", &listed[0], {0, 1, 1}, true, {0xB5, 0xB5}},
  };
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto got = hid::GetButtonUsages(*c.cap, c.report);
    ASSERT_EQ(got.ok, c.ok) << got.error;
    if (c.ok) {
      EXPECT_EQ(got.value, c.usages);
    } else {
      EXPECT_EQ(got.status, c.status);
      EXPECT_FALSE(got.error.empty());
      EXPECT_TRUE(got.value.empty());
    }
  }
}

TEST(ReportUnpack, UsagesOfAPageAcrossCaps) {
  const auto& boot = Caps(hid::descriptors::kBootKeyboard, 1, ReportType::Input);
  const auto& listed = Caps(test_descriptors::kListedConsumerArray, 1, ReportType::Input);
  const auto& headset = Caps(hid::descriptors::kHeadsetInterface3, 1, ReportType::Input);
  struct Case {
    const char* name;
    const hid::ReportCaps* caps;
    uint16_t page;
    Bytes report;
    bool ok;
    Usages usages;
    UnpackStatus status = UnpackStatus::Success;
  };
  const Case cases[] = {
      {"modifiers before keys", &boot, 0x07, {0, 0x01, 0, 0x04, 0x05, 0, 0, 0, 0}, true, {0xE0, 0x04, 0x05}},
      {"any page", &boot, 0, {0, 0x80, 0, 0x29, 0, 0, 0, 0, 0}, true, {0xE7, 0x29}},
      {"page without buttons", &boot, 0x0C, Bytes(9, 0), false, {}, UnpackStatus::UsageNotFound},
      {"listed array, two slots", &listed, 0x0C, {0, 2, 4}, true, {0xB6, 0xEA}},
      {"headset consumer report", &headset, 0x0C, {1, 0xE2, 0x00}, true, {0xE2}},
      {"headset vendor report has no buttons", &headset, 0x0C, Bytes(64, 4), false, {},
       UnpackStatus::IncompatibleReportId},
      {"short report", &boot, 0x07, Bytes(4, 0), false, {}, UnpackStatus::ReportTooShort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto got = hid::GetUsages(*c.caps, c.page, c.report);
    ASSERT_EQ(got.ok, c.ok) << got.error;
    if (c.ok)
      EXPECT_EQ(got.value, c.usages);
    else
      EXPECT_EQ(got.status, c.status);
  }
}

TEST(ReportUnpack, MaxUsageListLength) {
  struct Case {
    const char* name;
    const hid::ReportCaps* caps;
    uint16_t page;
    uint32_t length;
  };
  const auto& bootIn = Caps(hid::descriptors::kBootKeyboard, 1, ReportType::Input);
  const auto& bootOut = Caps(hid::descriptors::kBootKeyboard, 1, ReportType::Output);
  const auto& kbIn = Caps(hid::descriptors::kKeyboardInterface1, 1, ReportType::Input);
  const auto& consumerIn = Caps(hid::descriptors::kKeyboardInterface1, 3, ReportType::Input);
  const auto& vendorIn = Caps(hid::descriptors::kKeyboardInterface1, 4, ReportType::Input);
  const auto& listedIn = Caps(test_descriptors::kListedConsumerArray, 1, ReportType::Input);
  const auto& padIn = Caps(test_descriptors::kGamepad, 1, ReportType::Input);
  const Case cases[] = {
      {"boot keyboard: 8 modifiers + 6 slots", &bootIn, 0x07, 14},
      {"boot keyboard, all pages", &bootIn, 0, 14},
      {"boot keyboard, LED page in input", &bootIn, 0x08, 0},
      {"boot keyboard LEDs", &bootOut, 0x08, 5},
      {"bitmap keyboard: 8 + 120", &kbIn, 0x07, 128},
      {"consumer: one slot", &consumerIn, 0x0C, 1},
      {"vendor: values only", &vendorIn, 0, 0},
      {"listed array: its 2 slots once for 4 caps", &listedIn, 0x0C, 2},
      {"gamepad buttons", &padIn, 0x09, 10},
      {"gamepad, axes are values", &padIn, 0x01, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(hid::MaxUsageListLength(*c.caps, c.page), c.length);
  }
}

struct ValueCase {
  const char* name;
  const hid::ValueCap* cap;
  uint16_t usage;
  Bytes report;
  bool rawOk;
  uint32_t raw;
  UnpackStatus rawStatus;
  bool scaledOk;
  int32_t scaled;
  UnpackStatus scaledStatus;
};

TEST(ReportUnpack, RawAndScaledValues) {
  const auto& pad = Caps(test_descriptors::kGamepad, 1, ReportType::Input).valueCaps;
  const auto& axes = Caps(test_descriptors::kAxesRange, 1, ReportType::Input).valueCaps;
  const auto& vendor = Caps(hid::descriptors::kVendor64, 1, ReportType::Input).valueCaps;
  const auto& wide = Caps(test_descriptors::kWideFeature, 1, ReportType::Feature).valueCaps;
  ASSERT_EQ(pad.size(), 4u);
  ASSERT_EQ(axes.size(), 2u);
  ASSERT_EQ(wide.size(), 2u);
  const auto& hat = pad[0];
  const auto& x = pad[1];
  const auto& y = pad[2];
  const auto& throttle = pad[3];
  constexpr auto kOk = UnpackStatus::Success;
  constexpr auto kBadRange = UnpackStatus::BadLogicalPhysical;
  // hat 2, X -5, Y 0x123, throttle 750, buttons 1, 3, 10
  const Bytes padReport = {7, 0x02, 0xFB, 0x3F, 0x12, 0xEE, 0x02, 0x05, 0x02};
  auto withThrottle = [&](uint16_t v) {
    Bytes r = padReport;
    r[5] = static_cast<uint8_t>(v);
    r[6] = static_cast<uint8_t>((r[6] & 0xFC) | (v >> 8));
    return r;
  };
  Bytes nullHat = padReport;
  nullHat[1] = 0x0F;
  const Bytes axesReport = {0, 0xC8, 0x01, 0x7F, 0x81, 0xFF, 0x00, 0x80};
  Bytes vendorReport(64, 0);
  vendorReport[0] = 4;
  vendorReport[1] = 0xAB;
  vendorReport[2] = 0xCD;
  auto wideReport = [](uint32_t v32, uint16_t v16) {
    return Bytes{9, static_cast<uint8_t>(v32), static_cast<uint8_t>(v32 >> 8), static_cast<uint8_t>(v32 >> 16),
                 static_cast<uint8_t>(v32 >> 24), static_cast<uint8_t>(v16), static_cast<uint8_t>(v16 >> 8)};
  };

  const std::vector<ValueCase> cases = {
      {"hat 2 of 0..7 over 0..315", &hat, 0x39, padReport, true, 2, kOk, true, 90, kOk},
      {"hat null", &hat, 0x39, nullHat, true, 15, kOk, false, 0, UnpackStatus::NullValue},
      {"x -5 sign-extended, no physical range", &x, 0x30, padReport, true, 0xFFFFFFFBu, kOk, false, 0, kBadRange},
      {"y across a byte boundary", &y, 0x31, padReport, true, 0x123, kOk, false, 0, kBadRange},
      {"throttle 750 of 0..1000 over -100..100", &throttle, 0xBB, padReport, true, 750, kOk, true, 50, kOk},
      {"throttle at its minimum", &throttle, 0xBB, withThrottle(0), true, 0, kOk, true, -100, kOk},
      {"throttle at its maximum", &throttle, 0xBB, withThrottle(1000), true, 1000, kOk, true, 100, kOk},
      {"throttle 1001 outside the logical range", &throttle, 0xBB, withThrottle(1001), true, 1001, kOk, false, 0,
       UnpackStatus::ValueOutOfRange},
      {"throttle in a report cut before it", &throttle, 0xBB, Bytes(padReport.begin(), padReport.begin() + 6), false,
       0, UnpackStatus::ReportTooShort, false, 0, UnpackStatus::ReportTooShort},
      {"y in a report cut after it", &y, 0x31, Bytes(padReport.begin(), padReport.begin() + 5), true, 0x123, kOk,
       false, 0, kBadRange},
      {"throttle from another report id", &throttle, 0xBB, {6, 0, 0, 0, 0, 0xEE, 0x02, 0, 0}, false, 0,
       UnpackStatus::IncompatibleReportId, false, 0, UnpackStatus::IncompatibleReportId},
      {"usage the cap does not have", &throttle, 0xBA, padReport, false, 0, UnpackStatus::UsageNotFound, false, 0,
       UnpackStatus::UsageNotFound},
      {"slider 200 with a one-byte logical maximum of 255", &axes[0], 0x36, axesReport, true, 200, kOk, false, 0,
       kBadRange},
      {"range: X is the first axis", &axes[1], 0x30, axesReport, true, 1, kOk, false, 0, kBadRange},
      {"range: Y 127", &axes[1], 0x31, axesReport, true, 127, kOk, false, 0, kBadRange},
      {"range: Z -127", &axes[1], 0x32, axesReport, true, 0xFFFFFF81u, kOk, false, 0, kBadRange},
      {"range: Rx -1", &axes[1], 0x33, axesReport, true, 0xFFFFFFFFu, kOk, false, 0, kBadRange},
      {"range: Rz is the last axis, -128", &axes[1], 0x35, axesReport, true, 0xFFFFFF80u, kOk, false, 0, kBadRange},
      {"range: slider is not in the axes cap", &axes[1], 0x36, axesReport, false, 0, UnpackStatus::UsageNotFound,
       false, 0, UnpackStatus::UsageNotFound},
      {"vendor: first of 63 bytes", &vendor[0], 0x01, vendorReport, true, 0xAB, kOk, false, 0, kBadRange},
      {"32-bit maximum", &wide[0], 0x10, wideReport(0x7FFFFFFF, 0), true, 0x7FFFFFFF, kOk, true, INT32_MAX, kOk},
      {"32-bit minimum", &wide[0], 0x10, wideReport(0x80000000, 0), true, 0x80000000u, kOk, true, INT32_MIN, kOk},
      {"32-bit -1", &wide[0], 0x10, wideReport(0xFFFFFFFF, 0), true, 0xFFFFFFFFu, kOk, true, -1, kOk},
      {"16-bit 65535 over 0..10", &wide[1], 0x11, wideReport(0, 65535), true, 65535, kOk, true, 10, kOk},
      {"16-bit 32768 over 0..10, rounded down", &wide[1], 0x11, wideReport(0, 32768), true, 32768, kOk, true, 5, kOk},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto raw = hid::GetUsageValue(*c.cap, c.usage, c.report);
    ASSERT_EQ(raw.ok, c.rawOk) << raw.error;
    EXPECT_EQ(raw.status, c.rawStatus);
    if (c.rawOk) {
      EXPECT_EQ(raw.value, c.raw);
    }
    const auto scaled = hid::GetScaledUsageValue(*c.cap, c.usage, c.report);
    ASSERT_EQ(scaled.ok, c.scaledOk) << scaled.error;
    EXPECT_EQ(scaled.status, c.scaledStatus);
    if (c.scaledOk) {
      EXPECT_EQ(scaled.value, c.scaled);
    }
    if (!c.scaledOk) {
      EXPECT_FALSE(scaled.error.empty());
    }
  }
}

TEST(ReportUnpack, ReportOfTheDescriptorsByteLengthHoldsEveryField) {
  // A report of the advertised length, id byte included, is long enough for
  // every cap of its id; one byte less is not for the cap that ends last.
  for (std::span<const uint8_t> bytes :
       {std::span<const uint8_t>(hid::descriptors::kBootKeyboard), std::span<const uint8_t>(hid::descriptors::kVendor64),
        std::span<const uint8_t>(hid::descriptors::kHeadsetInterface3),
        std::span<const uint8_t>(test_descriptors::kGamepad)}) {
    const hid::ReportDescriptor& d = Parsed(bytes);
    ASSERT_TRUE(d.ok) << d.error;
    for (ReportType type : {ReportType::Input, ReportType::Output}) {
      const hid::ReportCaps& caps = d.collections[0].caps(type);
      bool someCapEndsLast = false;
      for (const hid::ValueCap& cap : caps.valueCaps) {
        Bytes report(caps.byteLength, 0);
        report[0] = cap.reportId;
        EXPECT_TRUE(hid::GetUsageValue(cap, cap.usageMin, report).ok);
        const uint32_t end = cap.bitPosition + uint32_t{cap.reportCount} * cap.bitSize;
        if ((end + 7) / 8 == caps.byteLength) {
          someCapEndsLast = true;
          report.pop_back();
          const auto last = hid::GetUsageValue(cap, cap.isRange ? cap.usageMax : cap.usageMin, report);
          // A single-usage cap reads its first field only.
          if (cap.isRange || cap.reportCount == 1) {
            EXPECT_FALSE(last.ok);
          }
        }
      }
      for (const hid::ButtonCap& cap : caps.buttonCaps) {
        Bytes report(caps.byteLength, 0);
        report[0] = cap.reportId;
        EXPECT_TRUE(hid::GetButtonUsages(cap, report).ok);
        const uint32_t end = cap.bitPosition + uint32_t{cap.reportCount} * cap.bitSize;
        if ((end + 7) / 8 == caps.byteLength) {
          someCapEndsLast = true;
          report.pop_back();
          EXPECT_FALSE(hid::GetButtonUsages(cap, report).ok);
        }
      }
      if (caps.byteLength > 0) {
        EXPECT_TRUE(someCapEndsLast);
      }
    }
  }
}

}  // namespace
