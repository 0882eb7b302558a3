// The headset's light block: what goes on the wire for a LightInfo and what a read gives back.
#include <gtest/gtest.h>

#include <vector>

#include "devices/headset/headset_light_block.h"

namespace {

using headset::LightBlock;
using headset::LightRead;

// A mode list whose codes differ from the modes, so a mix-up shows.
const std::vector<int> kCodes{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};

LightBlock Filled(uint8_t value) {
    LightBlock block;
    block.fill(value);
    block[0] = 0;
    return block;
}

TEST(HeadsetLightBlock, WritesTheLightIntoItsBytesAndTheSpeedAsFourMinusIt) {
    profiles::LightInfo light;
    light.mode = 2;
    light.brightness = 3;
    light.speed = 1;
    light.direction = 1;  // the block has no direction byte: byte 4 keeps what was read
    light.multicolour = 1;
    light.red = 0x10;
    light.green = 0x20;
    light.blue = 0x30;
    LightBlock block = Filled(0xEE);
    headset::PutLightInfo(block, light, kCodes);
    const LightBlock expected{0x00, 0x12, 0x03, 0x03, 0xEE, 0x01, 0x10, 0x20, 0x30, 0xEE, 0xEE,
                              0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(headset::ToWire(block), expected);
    EXPECT_EQ(block[3], 1) << "in memory the block keeps the panel's speed";
}

TEST(HeadsetLightBlock, SpeedGoesOutAsFourMinusItAndComesBack) {
    struct Case {
        uint8_t speed;
        uint8_t wire;
    };
    for (const Case c : {Case{4, 0}, Case{0, 4}, Case{2, 2}, Case{1, 3}}) {
        profiles::LightInfo light;
        light.speed = c.speed;
        LightBlock block{};
        headset::PutLightInfo(block, light, kCodes);
        const LightBlock wire = headset::ToWire(block);
        EXPECT_EQ(wire[3], c.wire) << "speed " << int{c.speed};
        LightRead read{};
        std::copy(wire.begin(), wire.end(), read.begin());
        EXPECT_EQ(headset::DecodeLightBlock(read, {}, kCodes).light.speed, c.speed);
    }
}

TEST(HeadsetLightBlock, ModeAboveEightIsWrittenAsModeZero) {
    for (const uint8_t mode : {9, 40, 255}) {
        profiles::LightInfo light;
        light.mode = mode;
        LightBlock block{};
        headset::PutLightInfo(block, light, kCodes);
        EXPECT_EQ(block[1], 0x10) << "mode " << int{mode};
    }
}

TEST(HeadsetLightBlock, ReadBackTakesTheFirstModeOfTheCodeAndKeepsTheModeOfAnUnknownCode) {
    const std::vector<int> codes{0x03, 0x05, 0x05, 0x07};
    profiles::LightInfo previous;
    previous.mode = 3;
    struct Case {
        uint8_t code;
        uint8_t mode;
        bool unknown;
    };
    for (const Case c : {Case{0x05, 1, false}, Case{0x03, 0, false}, Case{0x42, 3, true}}) {
        LightRead read{};
        read[1] = c.code;
        read[3] = 2;
        const headset::DecodedLight decoded = headset::DecodeLightBlock(read, previous, codes);
        EXPECT_EQ(decoded.light.mode, c.mode) << "code " << int{c.code};
        EXPECT_EQ(decoded.unknownCode, c.unknown);
    }
}

TEST(HeadsetLightBlock, ReadBackTakesTwentyOneBytesAndClampsASpeedByteAboveFour) {
    LightRead read{};
    for (size_t i = 0; i < read.size(); ++i) read[i] = static_cast<uint8_t>(0xA0 + i);
    read[1] = 0x12;
    read[2] = 4;
    read[3] = 9;  // no speed: read as 4, i.e. speed 0
    read[5] = 1;
    read[6] = 0xFF;
    read[7] = 0x80;
    read[8] = 0x00;
    const headset::DecodedLight decoded = headset::DecodeLightBlock(read, {}, kCodes);
    EXPECT_TRUE(decoded.speedClamped);
    EXPECT_EQ(decoded.light.speed, 0);
    EXPECT_EQ(decoded.light.mode, 2);
    EXPECT_EQ(decoded.light.brightness, 4);
    EXPECT_EQ(decoded.light.multicolour, 1);
    EXPECT_EQ(decoded.light.red, 0xFF);
    EXPECT_EQ(decoded.light.green, 0x80);
    EXPECT_EQ(decoded.light.blue, 0x00);
    const LightBlock expected{0xA0, 0x12, 0x04, 0x00, 0xA4, 0x01, 0xFF, 0x80, 0x00, 0xA9, 0xAA,
                              0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4};
    EXPECT_EQ(decoded.block, expected);
}

TEST(HeadsetLightBlock, ReadsAtBankTimesTwentyFiveAndWritesAtBankTimesSixtyFour) {
    EXPECT_EQ(headset::ReadOffset(0), 0);
    EXPECT_EQ(headset::ReadOffset(3), 75);
    EXPECT_EQ(headset::ReadOffset(200), 5000);
    EXPECT_EQ(headset::WriteOffset(0), 0);
    EXPECT_EQ(headset::WriteOffset(2), 128);
}

}  // namespace
