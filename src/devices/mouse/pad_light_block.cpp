#include "devices/mouse/pad_light_block.h"

#include <algorithm>

namespace pad {

uint8_t SpeedToWire(uint8_t speed) {
    return static_cast<uint8_t>(kFastestSpeed - std::min(speed, kFastestSpeed));
}

uint8_t SpeedFromWire(uint8_t wire) {
    return static_cast<uint8_t>(kFastestSpeed - std::min(wire, kFastestSpeed));
}

uint8_t EffectCodeOfMode(uint8_t mode, std::span<const int> effectCodes) {
    if (effectCodes.empty()) return mode;
    const size_t index = mode < effectCodes.size() ? mode : 0;
    return static_cast<uint8_t>(effectCodes[index] & 0xFF);
}

DecodedRead DecodeRead(uint8_t slot, const ReadBlock& read, std::span<const int> effectCodes) {
    DecodedRead out;
    std::copy_n(read.begin(), kLiveRecordBytes, out.record.begin());
    out.record[0] = slot;
    const auto found = std::find(effectCodes.begin(), effectCodes.end(), int{read[kModeByte]});
    out.unknownCode = found == effectCodes.end();
    if (!out.unknownCode) out.record[kModeByte] = static_cast<uint8_t>(found - effectCodes.begin());
    out.record[kSpeedByte] = SpeedFromWire(read[kSpeedByte]);
    return out;
}

LiveRecord EncodeWrite(const LiveRecord& live, std::span<const int> effectCodes) {
    LiveRecord out = live;
    out[kModeByte] = EffectCodeOfMode(live[kModeByte], effectCodes);
    out[kSpeedByte] = SpeedToWire(live[kSpeedByte]);
    return out;
}

void ApplyLight(LiveRecord& live, const profiles::LightInfo& light) {
    live[1] = light.mode;
    live[2] = light.brightness;
    live[3] = light.speed;
    live[5] = light.multicolour;
    live[6] = light.red;
    live[7] = light.green;
    live[8] = light.blue;
}

profiles::LightInfo LightOf(const LiveRecord& live) {
    profiles::LightInfo light;
    light.mode = live[1];
    light.brightness = live[2];
    light.speed = live[3];
    light.direction = live[4];
    light.multicolour = live[5];
    light.red = live[6];
    light.green = live[7];
    light.blue = live[8];
    return light;
}

}  // namespace pad
