#include "main/headset_audio_lines.h"

#include <string>

#include "devices/audio/host_equalizer.h"
#include "devices/audio_bridge.h"
#include "panels/eq_model.h"
#include "profiles/hs6533_profiledata.h"

namespace {

using audio::AudioControl;
using audio::AudioResult;
using audio::AudioStatus;

void PrintControl(audio::CAudioBridge* bridge, AudioControl control, std::FILE* out) {
    const char* name = audio::AudioControlName(control);
    if (!bridge) {
        std::fprintf(out, "%s unsupported\n", name);
        return;
    }
    const auto on = bridge->GetOn(control);
    const auto level = bridge->GetLevel(control);
    if (!on.Ok() && !level.Ok()) {
        std::fprintf(out, "%s unsupported\n", name);
        return;
    }
    const std::string levelText = level.Ok() ? std::to_string(level.value) : "unsupported";
    std::fprintf(out, "%s %s %s\n", name, on.Ok() ? (on.value ? "on" : "off") : "unsupported",
                 levelText.c_str());
}

int StepCode(const AudioResult& result) {
    switch (result.status) {
        case AudioStatus::Ok:
            return kAudioStepDone;
        case AudioStatus::Unsupported:
            return kAudioStepUnsupported;
        case AudioStatus::NotConnected:
            return kAudioStepNotConnected;
        case AudioStatus::Failed:
            break;
    }
    return kAudioStepFailed;
}

// The worse of two results (a failure over unsupported over done).
AudioResult Worse(const AudioResult& a, const AudioResult& b) {
    const auto rank = [](const AudioResult& r) {
        switch (r.status) {
            case AudioStatus::Ok:
                return 0;
            case AudioStatus::Unsupported:
                return 1;
            case AudioStatus::NotConnected:
                return 2;
            case AudioStatus::Failed:
                break;
        }
        return 3;
    };
    return rank(b) > rank(a) ? b : a;
}

AudioResult ApplyControl(audio::CAudioBridge* bridge, AudioControl control, bool on, int level) {
    if (!bridge) return AudioResult::Unsupported("no audio bridge");
    const AudioResult sw = bridge->SetOn(control, on);
    if (sw.status == AudioStatus::NotConnected) return sw;
    return Worse(sw, bridge->SetLevel(control, level));
}

}  // namespace

void PrintHeadsetAudioLines(audio::CAudioBridge* bridge, audio::CHostEqualizer* equalizer,
                            std::FILE* out) {
    const std::string card = bridge ? bridge->CardId() : std::string();
    std::fprintf(out, "audio card %s\n", card.empty() ? "none" : card.c_str());
    for (AudioControl control : audio::kAudioControls) PrintControl(bridge, control, out);
    if (!equalizer || !equalizer->Available()) {
        std::fprintf(out, "eq unavailable\n");
    } else if (!equalizer->IsOn()) {
        std::fprintf(out, "eq off\n");
    } else {
        std::string gains;
        for (int g : equalizer->Gains()) gains += (gains.empty() ? "" : ",") + std::to_string(g);
        std::fprintf(out, "eq on %s\n", gains.c_str());
    }
}

bool ApplyHeadsetAudioSteps(profiles::CHs6533Profiledata& profile, audio::CAudioBridge* bridge,
                            audio::CHostEqualizer* equalizer, std::FILE* out) {
    const eq_model::ProfileView view = eq_model::ReadProfile(profile);
    const auto& stages = view.stages;
    bool ok = true;
    const auto step = [&](const char* name, const AudioResult& result) {
        const int code = StepCode(result);
        std::fprintf(out, "step %s %d\n", name, code);
        ok = ok && code >= kAudioStepUnsupported;
    };
    step("mic", ApplyControl(bridge, AudioControl::Microphone, stages.mic_in_select != 0,
                             stages.mic_in_value));
    step("monitor", ApplyControl(bridge, AudioControl::Monitoring, stages.mic_monitor_select != 0,
                                 stages.mic_monitor_value));
    AudioResult eq = AudioResult::Unsupported("no equaliser");
    if (equalizer && equalizer->Available()) {
        if (bridge) equalizer->SetHeadsetCard(bridge->CardNumber());
        const auto& apply = view.eq.apply;
        audio::EqGains gains{};
        std::copy(apply.gains.begin(), apply.gains.end(), gains.begin());
        eq = apply.kind == eq_model::EqApply::Kind::On ? equalizer->SetOn(gains)
                                                       : equalizer->SetOff();
    }
    step("eq", eq);
    return ok;
}
