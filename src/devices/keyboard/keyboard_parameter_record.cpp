#include "devices/keyboard/keyboard_parameter_record.h"

#include <algorithm>

namespace keyboard {

int EffectCodeOfMode(int mode, std::span<const int> effectCodes) {
    return mode >= 0 && mode < static_cast<int>(effectCodes.size()) ? effectCodes[mode] : mode;
}

KeyboardParameterRecord EncodeParameterRecord(uint8_t profile, const profiles::LightInfo& light,
                                              const profiles::KeyboardSystemStages& stages,
                                              std::span<const int> effectCodes) {
    KeyboardParameterRecord record;
    auto& b = record.bytes;
    const int code = EffectCodeOfMode(light.mode, effectCodes);
    b[0] = profile;
    b[1] = IsHostStreamedCode(code) ? kKeepModeCode : static_cast<uint8_t>(code);
    b[2] = std::min(light.brightness, kMaxLevel);
    b[3] = static_cast<uint8_t>(kMaxLevel - std::min(light.speed, kMaxLevel));
    b[4] = light.direction;
    b[5] = light.multicolour;
    b[6] = light.red;
    b[7] = light.green;
    b[8] = light.blue;
    b[18] = light.light_mode_variant;
    b[19] = static_cast<uint8_t>(stages.w_flag & 0xFF);
    b[20] = static_cast<uint8_t>(stages.key6_flag & 0xFF);
    b[21] = static_cast<uint8_t>(stages.win_flag & 0xFF);
    b[22] = static_cast<uint8_t>(stages.polling_rate & 0xFF);
    b[25] = light.custom_group;
    return record;
}

DecodedParameters DecodeParameterRecord(const KeyboardParameterRecord& record,
                                        const profiles::LightInfo& current,
                                        const profiles::KeyboardSystemStages& currentStages,
                                        std::span<const int> effectCodes) {
    const auto& b = record.bytes;
    DecodedParameters out;
    out.light = current;
    out.stages = currentStages;

    const int code = b[1];
    if (code != kKeepModeCode) {
        const auto found = std::find(effectCodes.begin(), effectCodes.end(), code);
        if (found != effectCodes.end()) {
            out.light.mode = static_cast<uint8_t>(found - effectCodes.begin());
        } else if (code <= kMaxEffectCode) {
            out.light.mode = static_cast<uint8_t>(code);
        } else {
            out.unknownCode = true;
        }
    }
    out.brightnessClamped = b[2] > kMaxLevel;
    out.speedClamped = b[3] > kMaxLevel;
    out.light.brightness = std::min(b[2], kMaxLevel);
    out.light.speed = static_cast<uint8_t>(kMaxLevel - std::min(b[3], kMaxLevel));
    out.light.direction = b[4];
    out.light.multicolour = b[5];
    out.light.red = b[6];
    out.light.green = b[7];
    out.light.blue = b[8];
    out.light.light_mode_variant = b[18];
    out.light.custom_group = b[25];
    out.stages.w_flag = b[19];
    out.stages.key6_flag = b[20];
    out.stages.win_flag = b[21];
    return out;
}

}  // namespace keyboard
