#include "devices/audio/mixer_elements.h"

#include <algorithm>
#include <array>

namespace audio {

namespace {

const MixerElementInfo* Named(std::span<const MixerElementInfo> elements, const char* name,
                              bool (MixerElementInfo::*has)() const) {
    for (const MixerElementInfo& e : elements) {
        if (e.name == name && (e.*has)()) return &e;
    }
    return nullptr;
}

ElementRef RefOf(const MixerElementInfo& e) { return {e.name, e.index}; }

}  // namespace

ElementChoice ChooseElements(std::span<const MixerElementInfo> elements) {
    ElementChoice choice;
    const MixerElementInfo* mic = Named(elements, "Mic", &MixerElementInfo::HasCapture);
    if (!mic) mic = Named(elements, "Headset", &MixerElementInfo::HasCapture);
    if (!mic) {
        for (const MixerElementInfo& e : elements) {
            if (e.HasCapture()) {
                mic = &e;
                break;
            }
        }
    }
    if (mic) choice.microphone = RefOf(*mic);

    const MixerElementInfo* monitor = Named(elements, "Mic", &MixerElementInfo::HasPlayback);
    if (!monitor) monitor = Named(elements, "Sidetone", &MixerElementInfo::HasPlayback);
    if (monitor) choice.monitoring = RefOf(*monitor);

    static constexpr std::array<const char*, 5> kPlaybackNames = {"PCM", "Headphone", "Headset",
                                                                  "Speaker", "Master"};
    const MixerElementInfo* playback = nullptr;
    for (const char* name : kPlaybackNames) {
        playback = Named(elements, name, &MixerElementInfo::HasPlayback);
        if (playback) break;
    }
    if (!playback) {
        for (const MixerElementInfo& e : elements) {
            if (e.HasPlayback() && &e != monitor && e.name != "Mic" && e.name != "Sidetone") {
                playback = &e;
                break;
            }
        }
    }
    if (playback) choice.playback = RefOf(*playback);
    return choice;
}

std::optional<long> PercentToRaw(int percent, RawRange range) {
    if (range.min >= range.max) return std::nullopt;
    const long long span = static_cast<long long>(range.max) - range.min;
    const long long p = std::clamp(percent, 0, 100);
    // Nearest step: (p * span + 50) / 100, computed on non-negative values.
    return static_cast<long>(range.min + (p * span + 50) / 100);
}

std::optional<int> RawToPercent(long raw, RawRange range) {
    if (range.min >= range.max) return std::nullopt;
    const long long span = static_cast<long long>(range.max) - range.min;
    const long long offset =
        static_cast<long long>(std::clamp(raw, range.min, range.max)) - range.min;
    return static_cast<int>((offset * 100 + span / 2) / span);
}

}  // namespace audio
