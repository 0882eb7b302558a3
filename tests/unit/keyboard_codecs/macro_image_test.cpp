// The macro image and the 4-byte device form of a macro event.
#include "devices/macro_image.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <vector>

#include "devices/macro_event_codec.h"

namespace {

using macro_codec::DeviceEvent;

TEST(MacroImage, LayoutOfTwoMacros) {
    // Macro 5 (two events) then macro 2 (one event).
    const std::vector<std::vector<DeviceEvent>> macros{
        {{0x0A, 0x00, 0x8A, 0x04}, {0x14, 0x00, 0x0A, 0x04}},
        {{0x00, 0x01, 0x81, 0x01}},
    };
    const std::vector<uint8_t> expected{
        0xAA,
        0x55,  // 0x55AA
        0x28,
        0x00,  // size 16 + 6 x 2 + 4 x 3 = 40
        0x02,
        0x00,  // two macros
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0x14,
        0x00,  // block of macro 0
               // at 20
        0x20,
        0x00,  // block of macro 1 at 32
        0x02,
        0x00,
        0x00,
        0x00,
        0x0A,
        0x00,
        0x8A,
        0x04,
        0x14,
        0x00,
        0x0A,
        0x04,
        0x01,
        0x00,
        0x00,
        0x00,
        0x00,
        0x01,
        0x81,
        0x01,
    };
    EXPECT_EQ(macro_codec::BuildMacroImage(macros, 256), expected);
}

TEST(MacroImage, CapacityAndExcess) {
    struct Case {
        const char* name;
        std::vector<uint64_t> counts;
        uint64_t capacity;
        uint64_t size;
        uint64_t excess;
    };
    const Case cases[] = {
        {"40 events fit two units", {40}, 256, 182, 0},
        {"40 events in one unit", {40}, 128, 182, 14},            // (182 - 128) / 4 + 1
        {"no memory at all", {0}, 0, 22, 6},                      // 22 / 4 + 1
        {"100,000 events", {100000}, 512, 400022, 99878},         // (400022 - 512) / 4 + 1
        {"past the 16-bit size", {17000}, 0xFFFFFF, 68022, 622},  // (68022 - 65535) / 4 + 1
        {"header only, no memory", {}, 0, 16, 5},
    };
    for (const Case& c : cases) {
        const uint64_t size = macro_codec::MacroImageSize(c.counts);
        EXPECT_EQ(size, c.size) << c.name;
        EXPECT_EQ(macro_codec::MacroImageExcess(size, c.capacity), c.excess) << c.name;
    }
    const std::vector<std::vector<DeviceEvent>> forty{std::vector<DeviceEvent>(40)};
    EXPECT_EQ(macro_codec::BuildMacroImage(forty, 256).size(), 182u);
    EXPECT_TRUE(macro_codec::BuildMacroImage(forty, 128).empty());
}

Json::Value Event(const char* action, Json::Value button, Json::Value type, Json::Value delay) {
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Button"] = button;
    event["Type"] = type;
    if (!delay.isNull()) event["Delay"] = delay;
    return event;
}

TEST(MacroEvent, DeviceFormAndDelayRules) {
    struct Case {
        const char* name;
        Json::Value event;
        DeviceEvent bytes;
        bool repaired;
    };
    const Case cases[] = {
        {"key press, decimal text", Event("down", 4, 10, "300"), {0x2C, 0x01, 0x8A, 0x04}, false},
        {"release", Event("up", 0x02, 9, "0"), {0x00, 0x00, 0x09, 0x02}, false},
        {"integer delay (shoot files)", Event("up", 1, 1, 65535), {0xFF, 0xFF, 0x01, 0x01}, false},
        {"70000 clamps", Event("down", 1, 1, "70000"), {0xFF, 0xFF, 0x81, 0x01}, true},
        {"-5 clamps", Event("down", 1, 1, "-5"), {0x00, 0x00, 0x81, 0x01}, true},
        {"abc reads 0", Event("down", 1, 1, "abc"), {0x00, 0x00, 0x81, 0x01}, true},
        {"missing reads 0", Event("down", 1, 1, Json::Value()), {0x00, 0x00, 0x81, 0x01}, true},
        {"type past 127", Event("down", 300, 200, "1"), {0x01, 0x00, 0xFF, 0xFF}, true},
    };
    for (const Case& c : cases) {
        macro_codec::EventIssues issues;
        const auto event = macro_codec::ReadMacroEvent(c.event, &issues);
        EXPECT_EQ(macro_codec::EncodeDeviceEvent(event), c.bytes) << c.name;
        EXPECT_EQ(issues.Any(), c.repaired) << c.name;
    }
    macro_codec::EventIssues issues;
    EXPECT_EQ(macro_codec::EncodeDeviceEvent(macro_codec::ReadMacroEvent("text", &issues)),
              (DeviceEvent{0, 0, 0, 0}));
    EXPECT_TRUE(issues.notAnObject);
}

}  // namespace
