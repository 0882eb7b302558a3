// The keyboard's music modes: what the sound hands over (levels, bands, overall level, the
// style colour) and the step the light thread runs in effects 29 and 30.
#include "devices/skelmora_keyboard_device.h"

void CSkelmoraKeyboardDevice::SetAudioLevels(std::span<const int> levels) {
    std::lock_guard lock(LightLock());
    if (levelRule_.SetAudioLevels(levels, CurrentEffectCode(), audioLight_.audio_mode))
        audio_light::FireKeyReaction(audioState_, audio_light::kReactionKey);
}

void CSkelmoraKeyboardDevice::SetAudioBands(std::span<const int> bands) {
    std::lock_guard lock(LightLock());
    const size_t count = std::min(bands.size(), audioInputs_.bands.size());
    std::copy_n(bands.begin(), count, audioInputs_.bands.begin());
}

void CSkelmoraKeyboardDevice::SetAudioLevel(int level) {
    std::lock_guard lock(LightLock());
    audioInputs_.level = level;
}

void CSkelmoraKeyboardDevice::SetAudioStyleColour(uint8_t red, uint8_t green, uint8_t blue) {
    std::lock_guard lock(LightLock());
    audioStyle_ = {red, green, blue};
}

void CSkelmoraKeyboardDevice::SetAudioLightInfo(const profiles::AudioLightInfo& info) {
    std::lock_guard lock(LightLock());
    audioLight_ = info;
}

profiles::AudioLightInfo CSkelmoraKeyboardDevice::GetAudioLightInfo() const {
    std::lock_guard lock(LightLock());
    return audioLight_;
}

audio_light::AudioLightState CSkelmoraKeyboardDevice::GetAudioLightState() const {
    std::lock_guard lock(LightLock());
    return audioState_;
}

audio_light::AudioLightInputs CSkelmoraKeyboardDevice::GetAudioInputs() const {
    std::lock_guard lock(LightLock());
    return audioInputs_;
}

int CSkelmoraKeyboardDevice::AudioAccumulator() const {
    std::lock_guard lock(LightLock());
    return levelRule_.Accumulator();
}

void CSkelmoraKeyboardDevice::AudioLightRoutine() {
    const int code = CurrentEffectCode();
    WithEffectContext([&](light::EffectContext& context) {
        audio_light::AudioLightStep(audioState_, audioInputs_, audioLight_, context.settings,
                                    audioStyle_, code, context.nowMs, context.leds);
    });
    ++ledGeneration_;
}
