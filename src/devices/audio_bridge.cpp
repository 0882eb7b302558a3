#include "devices/audio_bridge.h"

#include "devices/audio/alsa_audio_bridge.h"
#include "devices/audio/fake_audio_bridge.h"
#include "devices/audio/pipewire_equalizer.h"

namespace audio {

const char* AudioStatusName(AudioStatus status) {
    switch (status) {
        case AudioStatus::Ok:
            return "ok";
        case AudioStatus::Unsupported:
            return "unsupported";
        case AudioStatus::NotConnected:
            return "not connected";
        case AudioStatus::Failed:
            return "failed";
    }
    return "failed";
}

const char* AudioControlName(AudioControl control) {
    switch (control) {
        case AudioControl::Microphone:
            return "mic";
        case AudioControl::Monitoring:
            return "monitor";
        case AudioControl::Playback:
            return "playback";
    }
    return "?";
}

const ControlCapabilities& AudioCapabilities::Of(AudioControl control) const {
    switch (control) {
        case AudioControl::Microphone:
            return microphone;
        case AudioControl::Monitoring:
            return monitoring;
        case AudioControl::Playback:
            break;
    }
    return playback;
}

std::optional<BridgeChoice> ParseBridgeChoice(std::string_view text) {
    if (text == "alsa") return BridgeChoice::Alsa;
    if (text == "fake") return BridgeChoice::Fake;
    if (text == "none") return BridgeChoice::None;
    return std::nullopt;
}

BridgeChoice DefaultBridgeChoice(std::string_view hidBackendName) {
    return hidBackendName == "hidraw" ? BridgeChoice::Alsa : BridgeChoice::Fake;
}

std::optional<BridgeChoice> ChooseBridge(const char* variable, std::string_view hidBackendName,
                                         std::string& error) {
    if (!variable || !*variable) return DefaultBridgeChoice(hidBackendName);
    if (auto choice = ParseBridgeChoice(variable)) return choice;
    error =
        std::string("SKELMORA_AUDIO_BRIDGE must be alsa, fake or none, not \"") + variable + "\"";
    return std::nullopt;
}

std::unique_ptr<CAudioBridge> MakeAudioBridge(BridgeChoice choice, UsbPosition position) {
    switch (choice) {
        case BridgeChoice::Alsa:
            return std::make_unique<CAlsaAudioBridge>(position);
        case BridgeChoice::Fake:
            return std::make_unique<CFakeAudioBridge>(CFakeAudioBridge::HeadsetControls());
        case BridgeChoice::None:
            break;
    }
    return nullptr;
}

std::unique_ptr<CHostEqualizer> MakeHostEqualizer(BridgeChoice choice) {
    switch (choice) {
        case BridgeChoice::Alsa:
            return std::make_unique<CPipeWireEqualizer>();
        case BridgeChoice::Fake:
            return std::make_unique<CFakeHostEqualizer>();
        case BridgeChoice::None:
            break;
    }
    return nullptr;
}

}  // namespace audio
