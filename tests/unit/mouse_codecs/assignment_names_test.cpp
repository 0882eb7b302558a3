// What a button's tool tip calls its assignment, by kind.
#include <gtest/gtest.h>

#include "devices/mouse/mouse_assignment_names.h"

namespace {

using mouse::NamePiece;

TEST(AssignmentNames, EachKindItsName) {
    const std::vector<std::string> macros{"open door", "reload"};
    const struct {
        const char* name;
        tables::DeviceKeyCode code;
        std::vector<NamePiece> expected;
    } cases[] = {
        {"empty key", {0x20, 0x00, 0x00}, {{"close_text"}}},
        {"empty kind 0", {0x00, 0x00, 0x00}, {{"close_text"}}},
        {"left button", {0x10, 0x01, 0x00}, {{"mouse_key_left"}}},
        {"DPI cycle", {0x13, 0x03, 0x00}, {{"mouse_key_DPI_loop"}}},
        {"fire key", {0x14, 0x78, 0x02}, {{"mouse_key_fire_key"}}},
        {"A", {0x20, 0x00, 0x04}, {{"keyboard_key_A"}}},
        {"left Shift alone", {0x20, 0x02, 0x00}, {{"keyboard_key_LShift"}}},
        {"Ctrl+Shift+A",
         {0x20, 0x03, 0x04},
         {{"keyboard_key_LCtrl"}, {"keyboard_key_LShift"}, {"keyboard_key_A"}}},
        {"right Alt+A", {0x20, 0x40, 0x04}, {{"keyboard_key_RAlt"}, {"keyboard_key_A"}}},
        {"volume up", {0x30, 0xE9, 0x00}, {{"keyboard_key_Volume Up"}}},
        {"power", {0x40, 0x01, 0x00}, {{"keyboard_key_Power"}}},
        {"Fn", {0xA0, 0x01, 0x00}, {{"keyboard_key_FN"}}},
        {"GM (a mouse button's factory code)", {0xA0, 0x1B, 0x00}, {{"keyboard_key_GM"}}},
        {"special group", {0xD0, 0xA2, 0x01}, {{"keyboard_key_M1"}}},
        {"macro p", {0x70, 0x01, 0x00}, {{"reload", false}}},
        {"macro q", {0x71, 0x00, 0x00}, {{"open door", false}}},
        {"macro beyond the list", {0x71, 0x05, 0x00}, {{"macro 5", false}}},
        {"unknown kind", {0xB0, 0x12, 0x34}, {{"B0 12 34", false}}},
        {"unknown usage", {0x20, 0x01, 0xF0}, {{"keyboard_key_LCtrl"}, {"20 00 F0", false}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mouse::AssignmentName(c.code, macros), c.expected) << c.name;
}

}  // namespace
