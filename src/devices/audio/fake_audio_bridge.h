#pragma once
// CFakeAudioBridge: the audio bridge in memory, for tests and for the emulated headset.
// Tests choose which controls exist, their values, and which calls fail; every call is
// counted.
#include <map>

#include "devices/audio_bridge.h"

namespace audio {

class CFakeAudioBridge : public CAudioBridge {
  public:
    struct Control {
        bool hasLevel = true;
        bool hasSwitch = true;
        int level = 50;
        bool on = true;
    };
    struct Controls {
        std::map<AudioControl, Control> present;  // a missing control is unsupported
    };
    // Microphone, monitoring and playback with level and switch, like the headset's card.
    static Controls HeadsetControls();

    explicit CFakeAudioBridge(Controls controls = HeadsetControls());

    AudioCapabilities Capabilities() const override;
    AudioValue<int> GetLevel(AudioControl control) override;
    AudioResult SetLevel(AudioControl control, int percent) override;
    AudioValue<bool> GetOn(AudioControl control) override;
    AudioResult SetOn(AudioControl control, bool on) override;
    std::string CardId() const override { return connected_ ? "Headset" : std::string(); }
    int CardNumber() const override { return connected_ ? 1 : -1; }
    // The card comes with the headset and goes with it.
    void HeadsetConnected(UsbPosition position) override;
    void HeadsetGone() override;

    // ---- For tests ----
    // The next sets of this control fail with "device busy" until cleared.
    void SetFailing(AudioControl control, bool failing) { failing_[control] = failing; }
    // The card goes or comes back: change notices for every control.
    void SetConnected(bool connected);
    // A change made elsewhere (the desktop's mixer): the value changes and a notice goes out.
    void ChangeOutside(AudioControl control, int level, bool on);
    const Control* Find(AudioControl control) const;
    int SetLevelCalls(AudioControl control) const { return Count(setLevels_, control); }
    int SetOnCalls(AudioControl control) const { return Count(setOns_, control); }
    int Calls() const { return calls_; }
    bool Connected() const { return connected_; }
    // Where the last HeadsetConnected placed the headset; how often each was called.
    UsbPosition Position() const { return position_; }
    int ConnectedCalls() const { return connectedCalls_; }
    int GoneCalls() const { return goneCalls_; }

  private:
    static int Count(const std::map<AudioControl, int>& counts, AudioControl control);
    AudioResult Check(AudioControl control, bool level) const;

    Controls controls_;
    bool connected_ = true;
    std::map<AudioControl, bool> failing_;
    std::map<AudioControl, int> setLevels_;
    std::map<AudioControl, int> setOns_;
    int calls_ = 0;
    UsbPosition position_;
    int connectedCalls_ = 0;
    int goneCalls_ = 0;
};

}  // namespace audio
