// The keyboard's 26-byte parameter record, written and read back.
#include <gtest/gtest.h>

#include <vector>

#include "devices/keyboard/keyboard_parameter_record.h"

namespace {

using keyboard::KeyboardParameterRecord;
using profiles::KeyboardSystemStages;
using profiles::LightInfo;

// Effect codes of the modes, deliberately not equal to their positions.
const std::vector<int> kCodes{9, 3, 21, 29, 30, 0};

LightInfo Light(uint8_t mode, uint8_t speed) {
    LightInfo light;
    light.mode = mode;
    light.brightness = 3;
    light.speed = speed;
    light.direction = 1;
    light.multicolour = 1;
    light.red = 0x10;
    light.green = 0x20;
    light.blue = 0x30;
    light.light_mode_variant = 7;
    light.custom_group = 2;
    return light;
}

TEST(ParameterRecord, EveryByteOfTheRecord) {
    KeyboardSystemStages stages;
    stages.repeat_rate = 10;
    stages.repeat_delay = 3;
    stages.w_flag = 0x0101;  // the low byte goes out
    stages.key6_flag = 1;
    stages.win_flag = 1;
    stages.polling_rate = 2;
    const auto record = keyboard::EncodeParameterRecord(2, Light(1, 0), stages, kCodes);
    const std::array<uint8_t, 26> expected{2, 3, 3, 4, 1, 1, 0x10, 0x20, 0x30, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 7, 1,    1,    1,    2, 0, 0, 2};
    EXPECT_EQ(record.bytes, expected);
    EXPECT_EQ(keyboard::ParameterRecordOffset(2), 50);
}

TEST(ParameterRecord, CodesAndSpeedsOnTheWire) {
    struct Case {
        uint8_t mode;
        uint8_t speed;
        uint8_t byte1;
        uint8_t byte3;
    };
    const Case cases[] = {
        {3, 0, 254, 4},  // code 29
        {4, 4, 254, 0},  // code 30
        {2, 2, 21, 2},   // the custom mode
        {9, 9, 9, 0},    // a mode past the list goes as its index; speed above 4 as 4
    };
    for (const Case& c : cases) {
        const auto record = keyboard::EncodeParameterRecord(0, Light(c.mode, c.speed), {}, kCodes);
        EXPECT_EQ(record.bytes[1], c.byte1) << int{c.mode};
        EXPECT_EQ(record.bytes[3], c.byte3) << int{c.mode};
    }
}

KeyboardParameterRecord Record(uint8_t code, uint8_t brightness, uint8_t invertedSpeed) {
    KeyboardParameterRecord record;
    record.bytes = {0,    code, brightness, invertedSpeed,
                    1,    1,    0xAA,       0xBB,
                    0xCC, 0,    0,          0,
                    0,    0,    0,          0,
                    0,    0,    5,          1,
                    0,    1,    3,          0,
                    0,    4};
    return record;
}

TEST(ParameterRecord, ReadBackOntoTheLightAndTheStages) {
    LightInfo current = Light(5, 2);
    KeyboardSystemStages stages;
    stages.repeat_rate = 10;
    stages.polling_rate = 1;
    const auto decoded = keyboard::DecodeParameterRecord(Record(3, 2, 1), current, stages, kCodes);
    EXPECT_EQ(decoded.light.mode, 1);  // code 3 is the second entry
    EXPECT_EQ(decoded.light.brightness, 2);
    EXPECT_EQ(decoded.light.speed, 3);
    EXPECT_EQ(decoded.light.red, 0xAA);
    EXPECT_EQ(decoded.light.blue, 0xCC);
    EXPECT_EQ(decoded.light.light_mode_variant, 5);
    EXPECT_EQ(decoded.light.custom_group, 4);
    EXPECT_EQ(decoded.stages.w_flag, 1);
    EXPECT_EQ(decoded.stages.key6_flag, 0);
    EXPECT_EQ(decoded.stages.win_flag, 1);
    EXPECT_EQ(decoded.stages.polling_rate, 1);  // not taken from the record
    EXPECT_EQ(decoded.stages.repeat_rate, 10);
    EXPECT_FALSE(decoded.speedClamped || decoded.brightnessClamped || decoded.unknownCode);
}

TEST(ParameterRecord, ModesAndLevelsThatNeedARule) {
    struct Case {
        const char* name;
        uint8_t code, brightness, invertedSpeed;
        uint8_t mode, level, speed;
        bool clamped, unknown;
    };
    const Case cases[] = {
        {"254 keeps the page's mode", 254, 4, 0, 5, 4, 4, false, false},
        {"a code not listed is the mode", 7, 0, 4, 7, 0, 0, false, false},
        {"an unknown code keeps the mode", 200, 1, 1, 5, 1, 3, false, true},
        {"speed byte above 4", 9, 1, 7, 0, 1, 0, true, false},
        {"brightness above 4", 9, 200, 0, 0, 4, 4, true, false},
    };
    for (const Case& c : cases) {
        const auto d = keyboard::DecodeParameterRecord(
            Record(c.code, c.brightness, c.invertedSpeed), Light(5, 2), {}, kCodes);
        EXPECT_EQ(d.light.mode, c.mode) << c.name;
        EXPECT_EQ(d.light.brightness, c.level) << c.name;
        EXPECT_EQ(d.light.speed, c.speed) << c.name;
        EXPECT_EQ(d.speedClamped || d.brightnessClamped, c.clamped) << c.name;
        EXPECT_EQ(d.unknownCode, c.unknown) << c.name;
    }
}

}  // namespace
