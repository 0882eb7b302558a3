#include "devices/mouse/mouse_parameter_block.h"

#include <algorithm>

namespace mouse {
namespace {

constexpr uint8_t kMaxLevel = 4;  // brightness and speed are 0..4

void PutU16(ParameterBlock& block, size_t at, int value) {
    const auto v = static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF));
    block[at] = static_cast<uint8_t>(v & 0xFF);
    block[at + 1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

int EffectCodeOfMode(int mode, const std::vector<int>& effectCodes) {
    const int index = mode >= kCustomModeStart ? 0 : mode;
    if (index >= 0 && index < static_cast<int>(effectCodes.size()))
        return effectCodes[static_cast<size_t>(index)];
    return index;
}

ParameterBlock EncodeParameterBlock(const ParameterInputs& in, ParameterRepairs* repairs) {
    ParameterRepairs fixed;
    ParameterBlock block{};
    block[0] = in.firstByte;
    const int index = in.light.mode >= kCustomModeStart ? 0 : in.light.mode;
    fixed.modeWithoutCode = index >= static_cast<int>(in.effectCodes.size());
    block[1] = static_cast<uint8_t>(EffectCodeOfMode(in.light.mode, in.effectCodes) & 0xFF);
    const uint8_t brightness = std::min(in.light.brightness, kMaxLevel);
    const uint8_t speed = std::min(in.light.speed, kMaxLevel);
    fixed.lightClamped = brightness != in.light.brightness || speed != in.light.speed;
    block[2] = brightness;
    block[3] = static_cast<uint8_t>(kMaxLevel - speed);
    block[4] = in.light.direction;
    block[5] = in.light.multicolour;
    block[6] = in.light.red;
    block[7] = in.light.green;
    block[8] = in.light.blue;
    fixed.reportRateOutOfRange = in.reportRateStage < 0 || in.reportRateStage >= kReportRateStages;
    block[kReportRateByte] =
        static_cast<uint8_t>(fixed.reportRateOutOfRange ? 0 : in.reportRateStage);
    fixed.activeStageOutOfRange = in.activeStage < 0 || in.activeStage >= kDpiStages;
    block[kActiveStageByte] =
        static_cast<uint8_t>(fixed.activeStageOutOfRange ? 0 : in.activeStage);
    const size_t count = std::min<size_t>(in.stages.size(), kDpiStages);
    for (size_t i = 0; i < count; ++i) {
        const profiles::DPIStage& stage = in.stages[i];
        const auto level = [&](uint16_t value) {
            if (in.highestLevel == 0 || value <= in.highestLevel) return int{value};
            fixed.levelClamped = true;
            return int{in.highestLevel};
        };
        const size_t at = kDpiStageOffset + kDpiStageBytes * i;
        block[at] = stage.active;
        block[at + 1] = stage.separate_xy;
        PutU16(block, at + 2, level(stage.dpi_x));
        PutU16(block, at + 4, level(stage.dpi_y));
        block[at + 6] = stage.red;
        block[at + 7] = stage.green;
        block[at + 8] = stage.blue;
    }
    block[59] = in.byte59;
    PutU16(block, 60, in.screenWidth);
    PutU16(block, 62, in.screenHeight);
    for (const profiles::CorrectInfoEntry& entry : in.correction) {
        if (entry.selection == 0) continue;
        block[64] = entry.minimum_square;
        block[65] = entry.pixel_threshold;
        break;
    }
    if (repairs) *repairs = fixed;
    return block;
}

DecodedParameters DecodeParameterBlock(const ParameterBlock& block, uint8_t activeSlot,
                                       const profiles::LightInfo& previous,
                                       const std::vector<int>& effectCodes) {
    DecodedParameters out;
    out.block = block;
    out.block[0] = activeSlot;
    const auto found = std::find(effectCodes.begin(), effectCodes.end(), int{block[1]});
    out.unknownCode = found == effectCodes.end();
    if (!out.unknownCode) out.block[1] = static_cast<uint8_t>(found - effectCodes.begin());
    out.block[9] = 0;
    out.light = previous;
    out.light.mode = out.block[1];
    out.light.brightness = std::min(out.block[2], kMaxLevel);
    out.light.speed = static_cast<uint8_t>(kMaxLevel - std::min(out.block[3], kMaxLevel));
    out.light.multicolour = out.block[5];
    out.light.red = out.block[6];
    out.light.green = out.block[7];
    out.light.blue = out.block[8];
    out.activeStage = out.block[kActiveStageByte] < kDpiStages ? out.block[kActiveStageByte] : 0;
    return out;
}

}  // namespace mouse
