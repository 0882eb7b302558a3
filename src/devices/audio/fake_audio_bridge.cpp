#include "devices/audio/fake_audio_bridge.h"

#include <algorithm>

namespace audio {

CFakeAudioBridge::Controls CFakeAudioBridge::HeadsetControls() {
    Controls controls;
    controls.present[AudioControl::Microphone] = Control{true, true, 80, true};
    controls.present[AudioControl::Monitoring] = Control{true, true, 30, false};
    controls.present[AudioControl::Playback] = Control{true, true, 70, true};
    return controls;
}

CFakeAudioBridge::CFakeAudioBridge(Controls controls) : controls_(std::move(controls)) {}

const CFakeAudioBridge::Control* CFakeAudioBridge::Find(AudioControl control) const {
    auto it = controls_.present.find(control);
    return it == controls_.present.end() ? nullptr : &it->second;
}

int CFakeAudioBridge::Count(const std::map<AudioControl, int>& counts, AudioControl control) {
    auto it = counts.find(control);
    return it == counts.end() ? 0 : it->second;
}

AudioCapabilities CFakeAudioBridge::Capabilities() const {
    AudioCapabilities caps;
    caps.connected = connected_;
    if (!connected_) return caps;
    caps.card = CardId();
    for (AudioControl control : kAudioControls) {
        const Control* c = Find(control);
        if (!c) continue;
        ControlCapabilities& out = control == AudioControl::Microphone   ? caps.microphone
                                   : control == AudioControl::Monitoring ? caps.monitoring
                                                                         : caps.playback;
        out.hasLevel = c->hasLevel;
        out.hasSwitch = c->hasSwitch;
        if (c->hasLevel) {
            out.minDb = -20.0;
            out.maxDb = 10.0;
        }
    }
    return caps;
}

AudioResult CFakeAudioBridge::Check(AudioControl control, bool level) const {
    if (!connected_) return AudioResult::NotConnected("the headset's sound card is not there");
    const Control* c = Find(control);
    if (!c || (level ? !c->hasLevel : !c->hasSwitch)) {
        return AudioResult::Unsupported(std::string(AudioControlName(control)) +
                                        (level ? " has no level" : " has no switch"));
    }
    return AudioResult::Done();
}

AudioValue<int> CFakeAudioBridge::GetLevel(AudioControl control) {
    ++calls_;
    AudioValue<int> read{Check(control, true)};
    if (read.Ok()) read.value = Find(control)->level;
    return read;
}

AudioResult CFakeAudioBridge::SetLevel(AudioControl control, int percent) {
    ++calls_;
    ++setLevels_[control];
    AudioResult result = Check(control, true);
    if (!result.Ok()) return result;
    if (failing_[control]) return AudioResult::Failed("device busy");
    controls_.present[control].level = std::clamp(percent, 0, 100);
    return result;
}

AudioValue<bool> CFakeAudioBridge::GetOn(AudioControl control) {
    ++calls_;
    AudioValue<bool> read{Check(control, false)};
    if (read.Ok()) read.value = Find(control)->on;
    return read;
}

AudioResult CFakeAudioBridge::SetOn(AudioControl control, bool on) {
    ++calls_;
    ++setOns_[control];
    AudioResult result = Check(control, false);
    if (!result.Ok()) return result;
    if (failing_[control]) return AudioResult::Failed("device busy");
    controls_.present[control].on = on;
    return result;
}

void CFakeAudioBridge::SetConnected(bool connected) {
    connected_ = connected;
    for (AudioControl control : kAudioControls) NotifyChanged(control);
}

void CFakeAudioBridge::HeadsetConnected(UsbPosition position) {
    ++connectedCalls_;
    position_ = position;
    SetConnected(true);
}

void CFakeAudioBridge::HeadsetGone() {
    ++goneCalls_;
    SetConnected(false);
}

void CFakeAudioBridge::ChangeOutside(AudioControl control, int level, bool on) {
    auto it = controls_.present.find(control);
    if (it == controls_.present.end()) return;
    it->second.level = std::clamp(level, 0, 100);
    it->second.on = on;
    NotifyChanged(control);
}

}  // namespace audio
