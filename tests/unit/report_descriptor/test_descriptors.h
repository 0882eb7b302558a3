// Descriptors that only the parser tests use, beside the shared samples in
// hid/sample_descriptors.h.
#pragma once

#include <array>
#include <cstdint>

namespace test_descriptors {

// Gamepad, report id 7. Bits after the id byte: hat 8..11 (null state,
// 0..7 over 0..315 degrees), padding, X 16..27 and Y 28..39 (signed 12-bit,
// no physical range), throttle 40..49 (0..1000 over -100..100, exponent -2),
// padding, buttons 1..10 at 56..65, padding. 8 data bytes.
inline constexpr auto kGamepad = std::to_array<uint8_t>({
    0x05, 0x01,              // Usage Page (Generic Desktop)
    0x09, 0x05,              // Usage (Gamepad)
    0xA1, 0x01,              // Collection (Application)
    0x85, 0x07,              //   Report ID (7)
    0x09, 0x39,              //   Usage (Hat Switch)
    0x15, 0x00,              //   Logical Minimum (0)
    0x25, 0x07,              //   Logical Maximum (7)
    0x35, 0x00,              //   Physical Minimum (0)
    0x46, 0x3B, 0x01,        //   Physical Maximum (315)
    0x65, 0x14,              //   Unit (degrees)
    0x75, 0x04,              //   Report Size (4)
    0x95, 0x01,              //   Report Count (1)
    0x81, 0x42,              //   Input (Data, Variable, Absolute, Null State)
    0x81, 0x01,              //   Input (Constant): 4 bits
    0x65, 0x00,              //   Unit (none)
    0x45, 0x00,              //   Physical Maximum (0)
    0x09, 0x30,              //   Usage (X)
    0x09, 0x31,              //   Usage (Y)
    0x16, 0x00, 0xF8,        //   Logical Minimum (-2048)
    0x26, 0xFF, 0x07,        //   Logical Maximum (2047)
    0x75, 0x0C,              //   Report Size (12)
    0x95, 0x02,              //   Report Count (2)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x05, 0x02,              //   Usage Page (Simulation Controls)
    0x09, 0xBB,              //   Usage (Throttle)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0xE8, 0x03,        //   Logical Maximum (1000)
    0x35, 0x9C,              //   Physical Minimum (-100)
    0x45, 0x64,              //   Physical Maximum (100)
    0x55, 0x0E,              //   Unit Exponent (-2)
    0x75, 0x0A,              //   Report Size (10)
    0x95, 0x01,              //   Report Count (1)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x75, 0x06,              //   Report Size (6)
    0x81, 0x03,              //   Input (Constant): 6 bits
    0x05, 0x09,              //   Usage Page (Button)
    0x19, 0x01,              //   Usage Minimum (1)
    0x29, 0x0A,              //   Usage Maximum (10)
    0x15, 0x00,              //   Logical Minimum (0)
    0x25, 0x01,              //   Logical Maximum (1)
    0x75, 0x01,              //   Report Size (1)
    0x95, 0x0A,              //   Report Count (10)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x75, 0x06,              //   Report Size (6)
    0x95, 0x01,              //   Report Count (1)
    0x81, 0x01,              //   Input (Constant): 6 bits
    0xC0,                    // End Collection
});

// Consumer array of listed usages, no report ids: slots hold 1..5 for
// 0xB5, 0xB6, 0xE9, 0xEA, 0xCD (the middle two as a range). Two 8-bit slots.
inline constexpr auto kListedConsumerArray = std::to_array<uint8_t>({
    0x05, 0x0C,  // Usage Page (Consumer)
    0x09, 0x01,  // Usage (Consumer Control)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0xB5,  //   Usage (Scan Next Track)
    0x09, 0xB6,  //   Usage (Scan Previous Track)
    0x19, 0xE9,  //   Usage Minimum (Volume Increment)
    0x29, 0xEA,  //   Usage Maximum (Volume Decrement)
    0x09, 0xCD,  //   Usage (Play/Pause)
    0x15, 0x01,  //   Logical Minimum (1)
    0x25, 0x05,  //   Logical Maximum (5)
    0x75, 0x08,  //   Report Size (8)
    0x95, 0x02,  //   Report Count (2)
    0x81, 0x00,  //   Input (Data, Array)
    0xC0,        // End Collection
});

// No report ids, a nested physical collection and a long item to skip.
// An unsigned slider (bits 8..15) declared inside a push/pop, with its
// logical maximum of 255 written in one byte, then six signed axes X..Rz as
// one usage range (bits 16..63) with the popped range -127..127.
inline constexpr auto kAxesRange = std::to_array<uint8_t>({
    0x05, 0x01,              // Usage Page (Generic Desktop)
    0x09, 0x08,              // Usage (Multi-axis Controller)
    0xA1, 0x01,              // Collection (Application)
    0xA1, 0x00,              //   Collection (Physical)
    0xFE, 0x02, 0x10, 0xAA, 0xBB,  // long item, 2 data bytes
    0x15, 0x81,              //     Logical Minimum (-127)
    0x25, 0x7F,              //     Logical Maximum (127)
    0x75, 0x08,              //     Report Size (8)
    0x95, 0x06,              //     Report Count (6)
    0xA4,                    //     Push
    0x15, 0x00,              //     Logical Minimum (0)
    0x25, 0xFF,              //     Logical Maximum (255, one byte)
    0x09, 0x36,              //     Usage (Slider)
    0x95, 0x01,              //     Report Count (1)
    0x81, 0x02,              //     Input (Data, Variable, Absolute): slider
    0xB4,                    //     Pop
    0x19, 0x30,              //     Usage Minimum (X)
    0x29, 0x35,              //     Usage Maximum (Rz)
    0x81, 0x02,              //     Input (Data, Variable, Absolute): axes
    0xC0,                    //   End Collection
    0xC0,                    // End Collection
});

// Vendor feature report id 9: a signed 32-bit value over the full int32
// logical and physical range, then a 16-bit value 0..65535 (written as a
// two-byte 0xFFFF) over 0..10.
inline constexpr auto kWideFeature = std::to_array<uint8_t>({
    0x06, 0x00, 0xFF,              // Usage Page (Vendor 0xFF00)
    0x09, 0x01,                    // Usage (1)
    0xA1, 0x01,                    // Collection (Application)
    0x85, 0x09,                    //   Report ID (9)
    0x09, 0x10,                    //   Usage (0x10)
    0x17, 0x00, 0x00, 0x00, 0x80,  //   Logical Minimum (-2^31)
    0x27, 0xFF, 0xFF, 0xFF, 0x7F,  //   Logical Maximum (2^31 - 1)
    0x37, 0x00, 0x00, 0x00, 0x80,  //   Physical Minimum (-2^31)
    0x47, 0xFF, 0xFF, 0xFF, 0x7F,  //   Physical Maximum (2^31 - 1)
    0x75, 0x20,                    //   Report Size (32)
    0x95, 0x01,                    //   Report Count (1)
    0xB1, 0x02,                    //   Feature (Data, Variable, Absolute)
    0x09, 0x11,                    //   Usage (0x11)
    0x15, 0x00,                    //   Logical Minimum (0)
    0x26, 0xFF, 0xFF,              //   Logical Maximum (65535)
    0x35, 0x00,                    //   Physical Minimum (0)
    0x45, 0x0A,                    //   Physical Maximum (10)
    0x75, 0x10,                    //   Report Size (16)
    0xB1, 0x02,                    //   Feature (Data, Variable, Absolute)
    0xC0,                          // End Collection
});

}  // namespace test_descriptors
