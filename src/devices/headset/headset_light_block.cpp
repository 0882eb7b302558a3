#include "devices/headset/headset_light_block.h"

#include <algorithm>

namespace headset {

void PutLightInfo(LightBlock& block, const profiles::LightInfo& light, std::span<const int> codes) {
    const uint8_t mode = light.mode > kHighestMode ? 0 : light.mode;
    block[kCodeByte] =
        mode < codes.size() ? static_cast<uint8_t>(codes[mode]) : static_cast<uint8_t>(mode);
    block[kBrightnessByte] = light.brightness;
    block[kSpeedByte] = light.speed;
    block[kMulticolourByte] = light.multicolour;
    block[kRedByte] = light.red;
    block[kGreenByte] = light.green;
    block[kBlueByte] = light.blue;
}

LightBlock ToWire(const LightBlock& block) {
    LightBlock wire = block;
    wire[kSpeedByte] = static_cast<uint8_t>(kMaxSpeed - std::min(block[kSpeedByte], kMaxSpeed));
    return wire;
}

DecodedLight DecodeLightBlock(std::span<const uint8_t, kLightReadBytes> read,
                              const profiles::LightInfo& previous, std::span<const int> codes) {
    DecodedLight out;
    std::copy_n(read.begin(), kLightBlockBytes, out.block.begin());
    out.light = previous;
    const uint8_t code = out.block[kCodeByte];
    const auto found = std::find(codes.begin(), codes.end(), int{code});
    if (found != codes.end()) {
        out.light.mode = static_cast<uint8_t>(found - codes.begin());
    } else {
        out.unknownCode = true;
    }
    const uint8_t wireSpeed = out.block[kSpeedByte];
    out.speedClamped = wireSpeed > kMaxSpeed;
    out.light.speed = static_cast<uint8_t>(kMaxSpeed - std::min(wireSpeed, kMaxSpeed));
    out.block[kSpeedByte] = out.light.speed;
    out.light.brightness = out.block[kBrightnessByte];
    out.light.multicolour = out.block[kMulticolourByte];
    out.light.red = out.block[kRedByte];
    out.light.green = out.block[kGreenByte];
    out.light.blue = out.block[kBlueByte];
    return out;
}

}  // namespace headset
