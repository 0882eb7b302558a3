// The mouse pad's light block: offsets of the two strides, reading the 26 bytes back into the
// live record and writing it (mode codes, speed 4 - speed, bytes out of range).
#include "devices/mouse/pad_light_block.h"

#include <gtest/gtest.h>

namespace {

// Row 2 of "default_light.json" gives the pad the codes 0..8; a table of other codes shows the
// lookup is by table position.
const std::vector<int> kPadCodes{0, 1, 2, 3, 4, 5, 6, 7, 8};
const std::vector<int> kOtherCodes{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};

TEST(PadLightBlock, OffsetsOfTheReadAndWriteStrides) {
    const struct {
        uint8_t slot;
        uint16_t read;
        uint16_t write;
    } cases[] = {{0, 0, 0}, {1, 25, 64}, {2, 50, 128}, {4, 100, 256}, {255, 6375, 16320}};
    for (const auto& c : cases) {
        EXPECT_EQ(pad::ReadOffset(c.slot), c.read) << int{c.slot};
        EXPECT_EQ(pad::WriteOffset(c.slot), c.write) << int{c.slot};
    }
}

TEST(PadLightBlock, ReadBackTakesTwentyOneBytesWithSlotModeAndSpeed) {
    pad::ReadBlock read{};
    for (size_t i = 0; i < read.size(); ++i) read[i] = static_cast<uint8_t>(0x40 + i);
    read[1] = 0x13;  // code of mode 3 in kOtherCodes
    read[3] = 3;     // speed 1 on the wire
    const pad::DecodedRead decoded = pad::DecodeRead(2, read, kOtherCodes);
    EXPECT_FALSE(decoded.unknownCode);
    EXPECT_EQ(decoded.record,
              (pad::LiveRecord{2,    3,    0x42, 1,    0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A,
                               0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54}));

    read[1] = 0x99;
    read[3] = 9;  // a speed byte past 4 shows speed 0, not 4 - 9
    const pad::DecodedRead odd = pad::DecodeRead(0, read, kOtherCodes);
    EXPECT_TRUE(odd.unknownCode);
    EXPECT_EQ(odd.record[1], 0x99);
    EXPECT_EQ(odd.record[3], 0);
}

TEST(PadLightBlock, WriteSendsTheModesCodeAndFourMinusSpeed) {
    const struct {
        uint8_t mode, speed;
        const std::vector<int>* codes;
        uint8_t wireMode, wireSpeed;
    } cases[] = {
        {3, 1, &kPadCodes, 3, 3},      {7, 0, &kOtherCodes, 0x17, 4}, {0, 4, &kOtherCodes, 0x10, 0},
        {9, 9, &kOtherCodes, 0x10, 0},  // a custom mode past the list: mode 0's code
        {12, 2, &kPadCodes, 0, 2},
    };
    for (const auto& c : cases) {
        pad::LiveRecord live{};
        for (size_t i = 0; i < live.size(); ++i) live[i] = static_cast<uint8_t>(i + 100);
        live[1] = c.mode;
        live[3] = c.speed;
        const pad::LiveRecord wire = pad::EncodeWrite(live, *c.codes);
        pad::LiveRecord expected = live;
        expected[1] = c.wireMode;
        expected[3] = c.wireSpeed;
        EXPECT_EQ(wire, expected) << "mode " << int{c.mode} << " speed " << int{c.speed};
    }
}

TEST(PadLightBlock, LightRecordGoesIntoItsBytes) {
    pad::LiveRecord live{};
    live.fill(0xEE);
    profiles::LightInfo light;
    light.mode = 6;
    light.brightness = 3;
    light.speed = 1;
    light.direction = 1;
    light.multicolour = 1;
    light.red = 10;
    light.green = 20;
    light.blue = 30;
    pad::ApplyLight(live, light);
    EXPECT_EQ(live,
              (pad::LiveRecord{0xEE, 6,    3,    1,    0xEE, 1,    10,   20,   30,   0xEE, 0xEE,
                               0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
}

}  // namespace
