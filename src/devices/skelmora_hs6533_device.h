#pragma once
// CSkelmoraHS6533Device ("SkelmoraHS6533Device"): the USB headset on the CM6533 audio chip (kind
// 7).
#include <functional>
#include <memory>

#include "devices/audio/host_equalizer.h"
#include "devices/audio_bridge.h"
#include "devices/skelmora_usb_device.h"

class CSkelmoraHS6533Device : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraHS6533Device";

    explicit CSkelmoraHS6533Device(QWidget* parent = nullptr,
                                   std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraHS6533Device() override;

    void OnConnected() override;
    // The headset's LEDs take short output reports of their own, not the command channel's
    // light frames; until that output is built a frame only updates the previews.
    bool SendLightFrame() override;
    FrameNeed GetFrameNeed() const override;

    // The headset's sound card and host equaliser, given by the device manager when the
    // device is created (none: SKELMORA_AUDIO_BRIDGE=none, or no sound server).
    void SetAudioBridge(std::shared_ptr<audio::CAudioBridge> bridge) {
        audioBridge_ = std::move(bridge);
    }
    audio::CAudioBridge* AudioBridge() const { return audioBridge_.get(); }
    void SetHostEqualizer(std::shared_ptr<audio::CHostEqualizer> equalizer) {
        hostEqualizer_ = std::move(equalizer);
    }
    audio::CHostEqualizer* HostEqualizer() const { return hostEqualizer_.get(); }
    // What the voice panels' handlers (src/panels) do for the device: show the profile's
    // audio settings (and put them on the headset on a profile switch or reset), and read the
    // card's microphone and monitoring state at connect.
    struct AudioPanelHooks {
        std::function<void(bool applyToHeadset)> showSettings;
        std::function<void()> readHeadsetState;
    };
    void SetAudioPanelHooks(AudioPanelHooks hooks) { audioPanelHooks_ = std::move(hooks); }
    const AudioPanelHooks& AudioPanels() const { return audioPanelHooks_; }

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;

  private:
    std::shared_ptr<audio::CAudioBridge> audioBridge_;
    std::shared_ptr<audio::CHostEqualizer> hostEqualizer_;
    AudioPanelHooks audioPanelHooks_;
};
