// The mouse's parameter block, written out byte for byte, and read back; the mouse's reports.
#include <gtest/gtest.h>

#include "devices/mouse/mouse_parameter_block.h"
#include "devices/mouse/mouse_reports.h"

namespace {

using mouse::ParameterBlock;

profiles::CorrectInfoEntry Correction(uint8_t threshold, uint8_t square, uint8_t selected) {
    profiles::CorrectInfoEntry entry;
    entry.pixel_threshold = threshold;
    entry.minimum_square = square;
    entry.selection = selected;
    return entry;
}

mouse::ParameterInputs Inputs() {
    mouse::ParameterInputs in;
    in.light.mode = 1;
    in.light.brightness = 3;
    in.light.speed = 0;
    in.light.direction = 1;
    in.light.multicolour = 1;
    in.light.red = 0x12;
    in.light.green = 0x34;
    in.light.blue = 0x56;
    in.effectCodes = {0x21, 0x22, 0x23};
    in.stages = {{1, 0, 6, 6, 0xFF, 0x00, 0x00},
                 {1, 1, 0x0123, 0x0156, 0x00, 0xFF, 0x00},
                 {0, 0, 600, 30, 0x00, 0x00, 0xFF}};
    in.activeStage = 2;
    in.reportRateStage = 3;
    in.highestLevel = 518;
    in.screenWidth = 2560;
    in.screenHeight = 1440;
    in.correction = {Correction(5, 6, 0), Correction(7, 8, 1), Correction(9, 9, 1)};
    return in;
}

TEST(MouseParameterBlock, EveryByteOfTheBlock) {
    mouse::ParameterRepairs repairs;
    const ParameterBlock block = mouse::EncodeParameterBlock(Inputs(), &repairs);
    // clang-format off
    const ParameterBlock expected{
        0x00, 0x22, 0x03, 0x04, 0x01, 0x01, 0x12, 0x34, 0x56, 0x00, 0x00, 0x03, 0x02, 0x00,
        0x01, 0x00, 0x06, 0x00, 0x06, 0x00, 0xFF, 0x00, 0x00,   // stage 0
        0x01, 0x01, 0x23, 0x01, 0x56, 0x01, 0x00, 0xFF, 0x00,   // stage 1
        0x00, 0x00, 0x06, 0x02, 0x1E, 0x00, 0x00, 0x00, 0xFF,   // stage 2, level 600 -> 518
        0, 0, 0, 0, 0, 0, 0, 0, 0,                              // stage 3: not in the list
        0, 0, 0, 0, 0, 0, 0, 0, 0,                              // stage 4
        0x01, 0x00, 0x0A, 0xA0, 0x05, 0x08, 0x07,
        0, 0, 0, 0, 0,
    };
    // clang-format on
    EXPECT_EQ(block, expected);
    EXPECT_TRUE(repairs.levelClamped);
    EXPECT_FALSE(repairs.modeWithoutCode);
}

TEST(MouseParameterBlock, LightModeSpeedAndOutOfRangeValues) {
    const struct {
        const char* name;
        void (*change)(mouse::ParameterInputs&);
        size_t byte;
        uint8_t value;
    } cases[] = {
        {"custom mode 12 sends mode 0's code", [](auto& in) { in.light.mode = 12; }, 1, 0x21},
        {"mode without a code is sent raw", [](auto& in) { in.light.mode = 7; }, 1, 7},
        {"speed 0 is sent as 4", [](auto& in) { in.light.speed = 0; }, 3, 4},
        {"speed 4 is sent as 0", [](auto& in) { in.light.speed = 4; }, 3, 0},
        {"speed 9 is taken as 4", [](auto& in) { in.light.speed = 9; }, 3, 0},
        {"brightness 200 is taken as 4", [](auto& in) { in.light.brightness = 200; }, 2, 4},
        {"active stage 7 does not exist", [](auto& in) { in.activeStage = 7; }, 12, 0},
        {"report rate 9 does not exist", [](auto& in) { in.reportRateStage = 9; }, 11, 0},
        {"no correction selected", [](auto& in) { in.correction.resize(1); }, 64, 0},
        {"nine stages: only five go out",
         [](auto& in) {
             in.stages.resize(9, {1, 0, 1, 1, 1, 1, 1});
         },
         58, 1},
        {"no stages", [](auto& in) { in.stages.clear(); }, 14, 0},
        {"no level limit known", [](auto& in) { in.highestLevel = 0; }, 35, 0x02},
        {"screen wider than 16 bits", [](auto& in) { in.screenWidth = 70000; }, 61, 0xFF},
    };
    for (const auto& c : cases) {
        mouse::ParameterInputs in = Inputs();
        c.change(in);
        EXPECT_EQ(mouse::EncodeParameterBlock(in)[c.byte], c.value) << c.name;
    }
    mouse::ParameterInputs in = Inputs();
    in.highestLevel = 0;
    EXPECT_EQ(mouse::EncodeParameterBlock(in)[34], 0x58);  // 600 = 0x0258, sent as it is
}

TEST(MouseParameterBlock, ReadingTakesTheLightAndStageButNotTheRates) {
    ParameterBlock read{};
    read[0] = 0x07;
    read[1] = 0x23;
    read[2] = 2;
    read[3] = 1;
    read[4] = 0;
    read[5] = 1;
    read[6] = 0xAA;
    read[7] = 0xBB;
    read[8] = 0xCC;
    read[9] = 0x55;
    read[11] = 4;
    read[12] = 3;
    profiles::LightInfo previous;
    previous.direction = 1;
    const mouse::DecodedParameters decoded =
        mouse::DecodeParameterBlock(read, 2, previous, {0x21, 0x22, 0x23});
    EXPECT_EQ(decoded.block[0], 2);
    EXPECT_EQ(decoded.block[1], 2);
    EXPECT_EQ(decoded.block[9], 0);
    EXPECT_EQ(decoded.light.mode, 2);
    EXPECT_EQ(decoded.light.brightness, 2);
    EXPECT_EQ(decoded.light.speed, 3);
    EXPECT_EQ(decoded.light.direction, 1);  // kept
    EXPECT_EQ(decoded.light.multicolour, 1);
    EXPECT_EQ(decoded.light.red, 0xAA);
    EXPECT_EQ(decoded.light.blue, 0xCC);
    EXPECT_EQ(decoded.activeStage, 3);
    EXPECT_FALSE(decoded.unknownCode);

    read[1] = 0x99;
    read[12] = 0xFF;
    read[3] = 0xFF;
    const auto unknown = mouse::DecodeParameterBlock(read, 0, previous, {0x21});
    EXPECT_TRUE(unknown.unknownCode);
    EXPECT_EQ(unknown.light.mode, 0x99);
    EXPECT_EQ(unknown.activeStage, 0);
    EXPECT_EQ(unknown.light.speed, 0);
}

TEST(MouseReports, SlotAndStageReports) {
    using mouse::MouseReport;
    const struct {
        uint16_t value;
        MouseReport::Kind kind;
        int slot, stage;
    } cases[] = {
        {0x1123, MouseReport::SlotAndStage, 3, 2},  {0x1005, MouseReport::Slot, 5, 0},
        {0x0402, MouseReport::Ignored, 0, 0},       {0x1234, MouseReport::Ignored, 0, 0},
        {0x11F3, MouseReport::UnknownStage, 3, 15}, {0x1140, MouseReport::SlotAndStage, 0, 4},
    };
    for (const auto& c : cases) {
        const MouseReport r = mouse::DecodeMouseReport(c.value);
        EXPECT_EQ(r.kind, c.kind) << std::hex << c.value;
        EXPECT_EQ(r.slot, c.slot) << std::hex << c.value;
        EXPECT_EQ(r.stage, c.stage) << std::hex << c.value;
    }
}

}  // namespace
