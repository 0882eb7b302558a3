#include "hid/report_descriptor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hid/sample_descriptors.h"
#include "test_descriptors.h"

namespace {

using hid::ReportType;
using Bytes = std::vector<uint8_t>;

template <typename A>
Bytes ToBytes(const A& a) {
  return Bytes(a.begin(), a.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// What one top-level collection looks like from outside.
struct CollectionShape {
  uint16_t usagePage;
  uint16_t usage;
  std::vector<uint8_t> reportIds;
  uint16_t inputLength, outputLength, featureLength;
  size_t inputButtons, inputValues, outputButtons, outputValues, featureButtons, featureValues;
};

struct ShapeCase {
  const char* name;
  Bytes descriptor;
  bool usesReportIds;
  std::vector<CollectionShape> collections;
};

TEST(ReportDescriptor, CollectionsIdsLengthsAndCapCounts) {
  const std::vector<ShapeCase> cases = {
      {"boot keyboard", ToBytes(hid::descriptors::kBootKeyboard), false,
       {{0x01, 0x06, {}, 9, 2, 0, 2, 0, 1, 0, 0, 0}}},
      {"consumer control", ToBytes(hid::descriptors::kConsumerControl), true,
       {{0x0C, 0x01, {3}, 3, 0, 0, 1, 0, 0, 0, 0, 0}}},
      {"vendor 64", ToBytes(hid::descriptors::kVendor64), true,
       {{0xFF1C, 0x92, {4}, 64, 64, 0, 0, 1, 0, 1, 0, 0}}},
      {"keyboard interface 1", ToBytes(hid::descriptors::kKeyboardInterface1), true,
       {{0x01, 0x06, {1}, 17, 2, 0, 2, 0, 1, 0, 0, 0},
        {0x01, 0x80, {2}, 2, 0, 0, 1, 0, 0, 0, 0, 0},
        {0x0C, 0x01, {3}, 3, 0, 0, 1, 0, 0, 0, 0, 0},
        {0xFF1C, 0x92, {4}, 64, 64, 0, 0, 1, 0, 1, 0, 0}}},
      {"headset interface 3", ToBytes(hid::descriptors::kHeadsetInterface3), true,
       {{0x0C, 0x01, {1, 4, 0xFF}, 64, 64, 0, 1, 1, 0, 2, 0, 0}}},
      {"gamepad", ToBytes(test_descriptors::kGamepad), true,
       {{0x01, 0x05, {7}, 9, 0, 0, 1, 4, 0, 0, 0, 0}}},
      {"listed consumer array", ToBytes(test_descriptors::kListedConsumerArray), false,
       {{0x0C, 0x01, {}, 3, 0, 0, 4, 0, 0, 0, 0, 0}}},
      {"axes range", ToBytes(test_descriptors::kAxesRange), false,
       {{0x01, 0x08, {}, 8, 0, 0, 0, 2, 0, 0, 0, 0}}},
      {"wide feature", ToBytes(test_descriptors::kWideFeature), true,
       {{0xFF00, 0x01, {9}, 0, 0, 7, 0, 0, 0, 0, 0, 2}}},
  };
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const hid::ReportDescriptor d = hid::ParseReportDescriptor(c.descriptor);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.usesReportIds, c.usesReportIds);
    ASSERT_EQ(d.collections.size(), c.collections.size());
    for (size_t i = 0; i < c.collections.size(); ++i) {
      SCOPED_TRACE("collection " + std::to_string(i + 1));
      const hid::TopLevelCollection& got = d.collections[i];
      const CollectionShape& want = c.collections[i];
      EXPECT_EQ(got.usagePage, want.usagePage);
      EXPECT_EQ(got.usage, want.usage);
      EXPECT_EQ(got.reportIds, want.reportIds);
      EXPECT_EQ(got.caps(ReportType::Input).byteLength, want.inputLength);
      EXPECT_EQ(got.caps(ReportType::Output).byteLength, want.outputLength);
      EXPECT_EQ(got.caps(ReportType::Feature).byteLength, want.featureLength);
      EXPECT_EQ(got.caps(ReportType::Input).buttonCaps.size(), want.inputButtons);
      EXPECT_EQ(got.caps(ReportType::Input).valueCaps.size(), want.inputValues);
      EXPECT_EQ(got.caps(ReportType::Output).buttonCaps.size(), want.outputButtons);
      EXPECT_EQ(got.caps(ReportType::Output).valueCaps.size(), want.outputValues);
      EXPECT_EQ(got.caps(ReportType::Feature).buttonCaps.size(), want.featureButtons);
      EXPECT_EQ(got.caps(ReportType::Feature).valueCaps.size(), want.featureValues);
    }
  }
}

TEST(ReportDescriptor, ReportIdsPerType) {
  const hid::ReportDescriptor headset = hid::ParseReportDescriptor(hid::descriptors::kHeadsetInterface3);
  ASSERT_TRUE(headset.ok) << headset.error;
  EXPECT_EQ(headset.collections[0].caps(ReportType::Input).reportIds, (std::vector<uint8_t>{1, 4}));
  EXPECT_EQ(headset.collections[0].caps(ReportType::Output).reportIds, (std::vector<uint8_t>{4, 0xFF}));
  EXPECT_TRUE(headset.collections[0].caps(ReportType::Feature).reportIds.empty());

  const hid::ReportDescriptor boot = hid::ParseReportDescriptor(hid::descriptors::kBootKeyboard);
  ASSERT_TRUE(boot.ok) << boot.error;
  EXPECT_EQ(boot.collections[0].caps(ReportType::Input).reportIds, (std::vector<uint8_t>{0}));
}

TEST(ReportDescriptor, CollectionOfReport) {
  const hid::ReportDescriptor kb = hid::ParseReportDescriptor(hid::descriptors::kKeyboardInterface1);
  const hid::ReportDescriptor boot = hid::ParseReportDescriptor(hid::descriptors::kBootKeyboard);
  ASSERT_TRUE(kb.ok && boot.ok);
  struct Case {
    const hid::ReportDescriptor* d;
    ReportType type;
    uint8_t id;
    int collection;
  };
  const Case cases[] = {
      {&kb, ReportType::Input, 1, 1},   {&kb, ReportType::Output, 1, 1},  {&kb, ReportType::Input, 2, 2},
      {&kb, ReportType::Input, 3, 3},   {&kb, ReportType::Input, 4, 4},   {&kb, ReportType::Output, 4, 4},
      {&kb, ReportType::Output, 2, 0},  {&kb, ReportType::Feature, 4, 0}, {&kb, ReportType::Input, 5, 0},
      {&kb, ReportType::Input, 0, 0},   {&boot, ReportType::Input, 0, 1}, {&boot, ReportType::Output, 0, 1},
      {&boot, ReportType::Feature, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(static_cast<int>(c.type)) + " id " + std::to_string(c.id));
    EXPECT_EQ(hid::CollectionOfReport(*c.d, c.type, c.id), c.collection);
  }
}

TEST(ReportDescriptor, ButtonCapsOfBootKeyboard) {
  const hid::ReportDescriptor d = hid::ParseReportDescriptor(hid::descriptors::kBootKeyboard);
  ASSERT_TRUE(d.ok) << d.error;
  const auto& in = d.collections[0].caps(ReportType::Input).buttonCaps;
  const auto& out = d.collections[0].caps(ReportType::Output).buttonCaps;
  ASSERT_EQ(in.size(), 2u);
  ASSERT_EQ(out.size(), 1u);
  struct Want {
    const hid::ButtonCap* cap;
    uint16_t page, usageMin, usageMax;
    bool isArray;
    uint32_t bitPosition;
    uint16_t bitSize, reportCount;
    int32_t logicalMax;
  };
  const Want wants[] = {
      {&in[0], 0x07, 0xE0, 0xE7, false, 8, 1, 8, 1},    // modifiers after the id byte
      {&in[1], 0x07, 0x00, 0x65, true, 24, 8, 6, 101},  // keys after the reserved byte
      {&out[0], 0x08, 0x01, 0x05, false, 8, 1, 5, 1},   // LEDs
  };
  for (const Want& w : wants) {
    SCOPED_TRACE("usage min " + std::to_string(w.usageMin));
    EXPECT_EQ(w.cap->usagePage, w.page);
    EXPECT_EQ(w.cap->reportId, 0);
    EXPECT_TRUE(w.cap->isRange);
    EXPECT_EQ(w.cap->usageMin, w.usageMin);
    EXPECT_EQ(w.cap->usageMax, w.usageMax);
    EXPECT_EQ(w.cap->isArray, w.isArray);
    EXPECT_EQ(w.cap->bitPosition, w.bitPosition);
    EXPECT_EQ(w.cap->bitSize, w.bitSize);
    EXPECT_EQ(w.cap->reportCount, w.reportCount);
    EXPECT_EQ(w.cap->logicalMin, 0);
    EXPECT_EQ(w.cap->logicalMax, w.logicalMax);
  }
}

TEST(ReportDescriptor, ArrayOfListedUsagesGivesOneCapPerUsageOrRange) {
  const hid::ReportDescriptor d = hid::ParseReportDescriptor(test_descriptors::kListedConsumerArray);
  ASSERT_TRUE(d.ok) << d.error;
  const auto& caps = d.collections[0].caps(ReportType::Input).buttonCaps;
  ASSERT_EQ(caps.size(), 4u);
  const struct {
    bool isRange;
    uint16_t usageMin, usageMax;
    uint32_t usageIndex;
  } wants[] = {{false, 0xB5, 0xB5, 0}, {false, 0xB6, 0xB6, 1}, {true, 0xE9, 0xEA, 2}, {false, 0xCD, 0xCD, 4}};
  for (size_t i = 0; i < caps.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(caps[i].isRange, wants[i].isRange);
    EXPECT_EQ(caps[i].usageMin, wants[i].usageMin);
    EXPECT_EQ(caps[i].usageMax, wants[i].usageMax);
    EXPECT_EQ(caps[i].usageIndex, wants[i].usageIndex);
    EXPECT_TRUE(caps[i].isArray);
    EXPECT_EQ(caps[i].bitPosition, 8u);  // all share the two slots
    EXPECT_EQ(caps[i].reportCount, 2);
    EXPECT_EQ(caps[i].logicalMin, 1);
    EXPECT_EQ(caps[i].logicalMax, 5);
  }
}

TEST(ReportDescriptor, ValueCaps) {
  const hid::ReportDescriptor pad = hid::ParseReportDescriptor(test_descriptors::kGamepad);
  const hid::ReportDescriptor axes = hid::ParseReportDescriptor(test_descriptors::kAxesRange);
  const hid::ReportDescriptor vendor = hid::ParseReportDescriptor(hid::descriptors::kVendor64);
  const hid::ReportDescriptor wide = hid::ParseReportDescriptor(test_descriptors::kWideFeature);
  ASSERT_TRUE(pad.ok && axes.ok && vendor.ok && wide.ok);
  const auto& p = pad.collections[0].caps(ReportType::Input).valueCaps;
  const auto& a = axes.collections[0].caps(ReportType::Input).valueCaps;
  const auto& v = vendor.collections[0].caps(ReportType::Input).valueCaps;
  const auto& vo = vendor.collections[0].caps(ReportType::Output).valueCaps;
  const auto& w = wide.collections[0].caps(ReportType::Feature).valueCaps;
  ASSERT_EQ(p.size(), 4u);
  ASSERT_EQ(a.size(), 2u);
  struct Want {
    const char* name;
    const hid::ValueCap* cap;
    uint16_t page, usageMin, usageMax;
    bool isRange;
    uint8_t reportId;
    uint32_t bitPosition;
    uint16_t bitSize, reportCount;
    int32_t logicalMin, logicalMax, physicalMin, physicalMax;
    uint32_t units;
    int8_t unitExponent;
    bool hasNull;
  };
  const Want wants[] = {
      {"hat", &p[0], 0x01, 0x39, 0x39, false, 7, 8, 4, 1, 0, 7, 0, 315, 0x14, 0, true},
      {"x", &p[1], 0x01, 0x30, 0x30, false, 7, 16, 12, 1, -2048, 2047, 0, 0, 0, 0, false},
      {"y", &p[2], 0x01, 0x31, 0x31, false, 7, 28, 12, 1, -2048, 2047, 0, 0, 0, 0, false},
      {"throttle", &p[3], 0x02, 0xBB, 0xBB, false, 7, 40, 10, 1, 0, 1000, -100, 100, 0, -2, false},
      {"slider", &a[0], 0x01, 0x36, 0x36, false, 0, 8, 8, 1, 0, 255, 0, 0, 0, 0, false},
      {"axes", &a[1], 0x01, 0x30, 0x35, true, 0, 16, 8, 6, -127, 127, 0, 0, 0, 0, false},
      {"vendor in", &v[0], 0xFF1C, 0x01, 0x01, false, 4, 8, 8, 63, 0, 255, 0, 0, 0, 0, false},
      {"vendor out", &vo[0], 0xFF1C, 0x02, 0x02, false, 4, 8, 8, 63, 0, 255, 0, 0, 0, 0, false},
      {"wide 32", &w[0], 0xFF00, 0x10, 0x10, false, 9, 8, 32, 1, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, 0, 0,
       false},
      {"wide 16", &w[1], 0xFF00, 0x11, 0x11, false, 9, 40, 16, 1, 0, 65535, 0, 10, 0, 0, false},
  };
  for (const Want& x : wants) {
    SCOPED_TRACE(x.name);
    EXPECT_EQ(x.cap->usagePage, x.page);
    EXPECT_EQ(x.cap->usageMin, x.usageMin);
    EXPECT_EQ(x.cap->usageMax, x.usageMax);
    EXPECT_EQ(x.cap->isRange, x.isRange);
    EXPECT_EQ(x.cap->reportId, x.reportId);
    EXPECT_EQ(x.cap->bitPosition, x.bitPosition);
    EXPECT_EQ(x.cap->bitSize, x.bitSize);
    EXPECT_EQ(x.cap->reportCount, x.reportCount);
    EXPECT_EQ(x.cap->logicalMin, x.logicalMin);
    EXPECT_EQ(x.cap->logicalMax, x.logicalMax);
    EXPECT_EQ(x.cap->physicalMin, x.physicalMin);
    EXPECT_EQ(x.cap->physicalMax, x.physicalMax);
    EXPECT_EQ(x.cap->units, x.units);
    EXPECT_EQ(x.cap->unitExponent, x.unitExponent);
    EXPECT_EQ(x.cap->hasNull, x.hasNull);
    EXPECT_TRUE(x.cap->isAbsolute);
  }
}

// A minimal collection around `body`, for the item-level cases below.
Bytes InCollection(const Bytes& body) { return Concat({{0x05, 0x01, 0x09, 0x00, 0xA1, 0x01}, body, {0xC0}}); }

TEST(ReportDescriptor, ItemDetails) {
  const Bytes byte8 = {0x75, 0x08, 0x95, 0x01};  // Report Size 8, Report Count 1
  struct Case {
    const char* name;
    Bytes descriptor;
    uint16_t page, usageMin, usageMax;
    uint16_t reportCount;
  };
  const Case cases[] = {
      // A four-byte usage carries its own page.
      {"extended usage", InCollection(Concat({{0x0B, 0xE9, 0x00, 0x0C, 0x00}, byte8, {0x81, 0x02}})), 0x0C, 0xE9,
       0xE9, 1},
      // A short usage takes the page in force when it is read.
      {"page read with usage", InCollection(Concat({{0x09, 0x30, 0x05, 0x09}, byte8, {0x81, 0x02}})), 0x01, 0x30,
       0x30, 1},
      // No usage at all: one cap of usage 0 on the current page.
      {"no usage", InCollection(Concat({byte8, {0x81, 0x02}})), 0x01, 0, 0, 1},
      // More fields than usages: the rest belong to the last usage.
      {"extra fields", InCollection({0x09, 0x30, 0x75, 0x08, 0x95, 0x03, 0x81, 0x02}), 0x01, 0x30, 0x30, 3},
      // A range longer than the fields is cut to the fields.
      {"range cut", InCollection({0x19, 0x30, 0x29, 0x38, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02}), 0x01, 0x30, 0x31,
       2},
      // Usage maximum before usage minimum is accepted.
      {"max before min", InCollection({0x29, 0x31, 0x19, 0x30, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02}), 0x01, 0x30,
       0x31, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const hid::ReportDescriptor d = hid::ParseReportDescriptor(c.descriptor);
    ASSERT_TRUE(d.ok) << d.error;
    const auto& caps = d.collections[0].caps(ReportType::Input).valueCaps;
    ASSERT_EQ(caps.size(), 1u);
    EXPECT_EQ(caps[0].usagePage, c.page);
    EXPECT_EQ(caps[0].usageMin, c.usageMin);
    EXPECT_EQ(caps[0].usageMax, c.usageMax);
    EXPECT_EQ(caps[0].reportCount, c.reportCount);
  }
}

TEST(ReportDescriptor, ConstantItemsPadWithoutCaps) {
  // Reserved byte of the boot keyboard: counted in the length, no cap.
  const hid::ReportDescriptor d = hid::ParseReportDescriptor(
      InCollection({0x75, 0x08, 0x95, 0x02, 0x81, 0x01, 0x09, 0x30, 0x95, 0x01, 0x81, 0x02}));
  ASSERT_TRUE(d.ok) << d.error;
  const auto& in = d.collections[0].caps(ReportType::Input);
  EXPECT_EQ(in.byteLength, 4);
  ASSERT_EQ(in.valueCaps.size(), 1u);
  EXPECT_TRUE(in.buttonCaps.empty());
  EXPECT_EQ(in.valueCaps[0].bitPosition, 24u);
}

TEST(ReportDescriptor, ReportsOfSeveralIdsInOneCollection) {
  // Longest report wins; each report counts its bits from its own id byte.
  const hid::ReportDescriptor d = hid::ParseReportDescriptor(InCollection({
      0x85, 0x01, 0x09, 0x30, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02,  // id 1: 2 bytes
      0x85, 0x02, 0x09, 0x31, 0x95, 0x05, 0x81, 0x02,              // id 2: 5 bytes
      0x85, 0x01, 0x09, 0x32, 0x95, 0x01, 0x81, 0x02,              // id 1 again: 3rd byte
  }));
  ASSERT_TRUE(d.ok) << d.error;
  const auto& in = d.collections[0].caps(ReportType::Input);
  EXPECT_EQ(in.byteLength, 6);
  ASSERT_EQ(in.valueCaps.size(), 3u);
  EXPECT_EQ(in.valueCaps[1].bitPosition, 8u);
  EXPECT_EQ(in.valueCaps[2].reportId, 1);
  EXPECT_EQ(in.valueCaps[2].bitPosition, 24u);
  EXPECT_EQ(d.collections[0].reportIds, (std::vector<uint8_t>{1, 2}));
}

struct BadCase {
  const char* name;
  Bytes descriptor;
  std::string error;  // expected part of the error text
};

TEST(ReportDescriptor, BadDescriptorsGiveErrors) {
  const Bytes valid = ToBytes(hid::descriptors::kConsumerControl);
  const Bytes body = {0x09, 0x30, 0x75, 0x08, 0x95, 0x01};
  const std::vector<BadCase> cases = {
      {"empty", {}, "no top-level collection"},
      {"truncated short item", {0x05, 0x01, 0x26, 0xFF}, "offset 2: item truncated"},
      {"truncated four-byte item", {0x27, 0x01, 0x02, 0x03}, "offset 0: item truncated"},
      {"truncated long item header", {0xFE, 0x04}, "long item truncated"},
      {"truncated long item data", {0xFE, 0x04, 0x00, 0x01, 0x02}, "long item truncated"},
      {"end collection without collection", {0x05, 0x01, 0xC0}, "offset 2: end collection without collection"},
      {"end collection after the last one", Concat({valid, {0xC0}}), "end collection without collection"},
      {"collection not closed", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xA1, 0x00, 0xC0}, "collection not closed"},
      {"report size above 32", InCollection({0x09, 0x30, 0x75, 0x21, 0x95, 0x01, 0x81, 0x02}), "report size 33"},
      {"report count 65535", InCollection({0x75, 0x08, 0x96, 0xFF, 0xFF, 0x81, 0x02}), "longer than 4096 bytes"},
      {"report count 2^32-1 of 32 bits",
       InCollection({0x75, 0x20, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02}), "longer than 4096 bytes"},
      {"report growing past 4096 bytes",
       InCollection({0x75, 0x08, 0x96, 0x00, 0x08, 0x81, 0x02, 0x81, 0x02}), "offset 13: input report 0 longer"},
      {"pop without push", {0x05, 0x01, 0xB4}, "offset 2: pop without push"},
      {"push too deep", Bytes(17, 0xA4), "offset 16: push nested deeper"},
      {"usage minimum above maximum", InCollection({0x19, 0x05, 0x29, 0x04, 0x81, 0x02}), "usage minimum 5 above"},
      {"usage range across pages",
       InCollection({0x1B, 0x01, 0x00, 0x09, 0x00, 0x2B, 0x05, 0x00, 0x0C, 0x00, 0x81, 0x02}), "different usage pages"},
      {"usage minimum alone", InCollection(Concat({{0x19, 0x01}, body, {0x81, 0x02}})), "usage minimum without"},
      {"usage maximum alone", InCollection(Concat({{0x29, 0x01}, body, {0x91, 0x02}})), "usage maximum without"},
      {"input outside a collection", Concat({body, {0x81, 0x02}}), "input item outside a collection"},
      {"feature after the last collection", Concat({valid, body, {0xB1, 0x02}}), "feature item outside"},
      {"zero padding after the descriptor", Concat({valid, {0x00, 0x00}}), "unknown main item tag 0"},
      {"report id 0", InCollection({0x85, 0x00}), "report id 0 outside"},
      {"report id 256", InCollection({0x86, 0x00, 0x01}), "report id 256 outside"},
      {"items with and without report id",
       InCollection(Concat({body, {0x81, 0x02, 0x85, 0x01}, body, {0x81, 0x02}})), "with and without report id"},
      {"two collections without report ids",
       Concat({InCollection(Concat({body, {0x81, 0x02}})), InCollection(Concat({body, {0x81, 0x02}}))}),
       "several top-level collections"},
      {"descriptor longer than 65535 bytes", Bytes(65536, 0xA4), "longer than 65535"},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const hid::ReportDescriptor d = hid::ParseReportDescriptor(c.descriptor);
    EXPECT_FALSE(d.ok);
    EXPECT_NE(d.error.find(c.error), std::string::npos) << "error: " << d.error;
    EXPECT_TRUE(d.collections.empty());
  }
}

TEST(ReportDescriptor, OddButValidDescriptorsParse) {
  const Bytes valid = ToBytes(hid::descriptors::kConsumerControl);
  const Bytes body = {0x09, 0x30, 0x75, 0x08, 0x95, 0x01};
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"global items after the last collection", Concat({valid, {0x05, 0x01, 0x75, 0x08}})},
      {"reserved item type", InCollection(Concat({{0x0E, 0x12, 0x34}, body, {0x81, 0x02}}))},
      {"long item between items", InCollection(Concat({{0xFE, 0x00, 0x01}, body, {0x81, 0x02}}))},
      {"push without pop", InCollection(Concat({{0xA4}, body, {0x81, 0x02}}))},
      {"empty collection", {0x09, 0x01, 0xA1, 0x01, 0xC0}},
      {"report count 0", InCollection({0x75, 0x08, 0x95, 0x00, 0x81, 0x02})},
      {"largest report, 4095 data bytes", InCollection({0x75, 0x08, 0x96, 0xFF, 0x0F, 0x81, 0x02})},
      {"two collections, one without reports", Concat({InCollection(Concat({body, {0x81, 0x02}})), InCollection({})})},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const hid::ReportDescriptor d = hid::ParseReportDescriptor(bytes);
    EXPECT_TRUE(d.ok) << d.error;
  }
  const hid::ReportDescriptor largest = hid::ParseReportDescriptor(cases[6].second);
  ASSERT_TRUE(largest.ok);
  EXPECT_EQ(largest.collections[0].caps(ReportType::Input).byteLength, hid::kMaxReportBytes);
}

}  // namespace
