#include "platform/audio_source.h"

#include <string_view>

#include "platform/pulse_monitor_source.h"
#include "platform/wav_file_source.h"

namespace platform {

AudioChoice ParseAudioChoice(const char* value) {
    AudioChoice choice;
    const std::string_view text = value ? value : "";
    if (text.empty() || text == "pulse") return choice;
    if (text == "none") {
        choice.kind = AudioChoice::Kind::None;
        return choice;
    }
    constexpr std::string_view kFile = "file:";
    if (text.substr(0, kFile.size()) == kFile && text.size() > kFile.size()) {
        choice.kind = AudioChoice::Kind::File;
        choice.path = std::string(text.substr(kFile.size()));
        return choice;
    }
    choice.kind = AudioChoice::Kind::None;
    choice.error = "SKELMORA_AUDIO='" + std::string(text) +
                   "' names no sound source (pulse, file:PATH or none): nothing is captured";
    return choice;
}

std::unique_ptr<IAudioSource> MakeAudioSource(const AudioChoice& choice) {
    switch (choice.kind) {
        case AudioChoice::Kind::Pulse:
            return std::make_unique<CPulseMonitorSource>();
        case AudioChoice::Kind::File:
            return std::make_unique<CWavFileSource>(choice.path);
        case AudioChoice::Kind::None:
            break;
    }
    return nullptr;
}

}  // namespace platform
