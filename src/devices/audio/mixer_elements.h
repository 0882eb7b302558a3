#pragma once
// Which of a USB sound card's mixer elements serve the microphone, the monitoring and the
// playback, and the arithmetic between the program's percent and a control's raw range.
// Pure: tested over element lists that real cards give.
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace audio {

// One simple mixer element as the card lists it.
struct MixerElementInfo {
    std::string name;
    unsigned index = 0;
    bool playbackVolume = false;
    bool playbackSwitch = false;
    bool captureVolume = false;
    bool captureSwitch = false;

    bool HasPlayback() const { return playbackVolume || playbackSwitch; }
    bool HasCapture() const { return captureVolume || captureSwitch; }
};

struct ElementRef {
    std::string name;
    unsigned index = 0;
    friend bool operator==(const ElementRef&, const ElementRef&) = default;
};

struct ElementChoice {
    std::optional<ElementRef> microphone;  // its capture volume and switch
    std::optional<ElementRef> monitoring;  // its playback volume and switch
    std::optional<ElementRef> playback;    // its playback volume and switch
};

// Microphone: "Mic", else "Headset", else the first capture element. Monitoring: the
// playback side of "Mic" (the microphone's route to the earphones on USB audio class cards),
// else "Sidetone". Playback: "PCM", "Headphone", "Headset", "Speaker", "Master" in this
// order, else the first other playback element.
ElementChoice ChooseElements(std::span<const MixerElementInfo> elements);

struct RawRange {
    long min = 0;
    long max = 0;
};

// Percent (clamped to 0..100) to the nearest raw step of the range, linear; none when the
// range has a single value (min >= max: no level to set).
std::optional<long> PercentToRaw(int percent, RawRange range);
// Raw (clamped to the range) to the nearest percent; none for a single-value range.
std::optional<int> RawToPercent(long raw, RawRange range);

}  // namespace audio
