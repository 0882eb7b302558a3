#pragma once
// CSkelmoraHS6533Device ("SkelmoraHS6533Device"): the USB headset on the CM6533 audio chip
// (kind 7).
//
// At connect it reads the lighting back from the headset (the profile's light is replaced by
// it and saved), loads the profile and starts the light thread. Its lighting is driven from the
// host: the light thread runs the effect steps into the LED list and, after every pass, sends
// the whole frame of twelve LED output reports when a value changed since the last frame sent,
// and at least once a second (nothing while host light control is off). The page's frame timer
// only repaints the LED buttons, and only while they change. Byte layouts live in
// devices/headset/ (codecs), the command sequences in devices/headset/headset_sequences, the
// page in skelmora_hs6533_device_page.cpp. Its sound card and host equaliser are given by the
// device manager; the voice panels' handlers set the hooks it calls to show and read them.
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "devices/audio/host_equalizer.h"
#include "devices/audio_bridge.h"
#include "devices/headset/headset_led_reports.h"
#include "devices/headset/headset_light_block.h"
#include "devices/headset/headset_sequences.h"
#include "devices/skelmora_usb_device.h"
#include "profiles/hs6533_profiledata.h"

class CSkelmoraHS6533Device : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraHS6533Device";
    static constexpr char kLightPanelName[] = "hs6533_device_key_light";
    static constexpr int kLedCount = static_cast<int>(headset::kLedCount);
    // A frame is sent again after this long even when nothing changed.
    static constexpr uint32_t kLedRefreshMs = 1000;

    explicit CSkelmoraHS6533Device(QWidget* parent = nullptr,
                                   std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraHS6533Device() override;

    // LoadProfile, the lighting read back (saved into the profile), RefreshPage, the light
    // thread.
    void OnConnected() override;
    // The headset went (or the program ends): the equaliser's filter and its takeover of the
    // default output are given back now, and the sound card is let go until it returns.
    void OnDisconnected() override;

    // ---- Page (skelmora_hs6533_device_page.cpp) ----
    // Binds "light_0" .. "light_12" of the panel "hs6533_device_key_light", finds the page's
    // panels (each then gets its own notifications) and shows the current function page.
    void BindPageControls() override;
    // Repaints the LED buttons (UI thread); the device's LEDs are fed by the light thread.
    bool SendLightFrame() override;
    // A preview pace while the page is on screen and an LED changed since the last paint.
    FrameNeed GetFrameNeed() const override;
    // Thirteen small LEDs over a picture look smooth at 20 repaints a second; each repaint
    // paints the picture and the panels under every LED that changed, so the preview goes no
    // faster (the LEDs themselves are fed by the light thread at the effect's own pace).
    static constexpr int kPreviewPaceMs = 50;
    int PreviewPaceFloorMs() const override { return kPreviewPaceMs; }
    // Twelve output reports per frame at every effect step would be 125 to 500 frames a
    // second; a frame every 20 ms (50 a second) is as smooth to the eye, and the light thread
    // then wakes and sends a third as often or less. The effects keep their speed.
    static constexpr int kLightPassPaceMs = kFramePassPaceMs;
    int LightPassPaceMs() const override { return kLightPassPaceMs; }

    // ---- Profile ----
    void BuildProfilePaths() override;
    int LoadProfile() override;
    // The profile's light into the light settings and the light block (bytes 1, 2, 3, 5..8).
    int LoadLightSettings() override;
    // The lighting panel's and the game events' light: kept in the profile's element too, so
    // the reload that follows shows it (the file changes only on SaveProfile).
    void SetLightSettings(const std::array<uint32_t, 4>& words) override;
    void RefreshPage() override;
    void LoadConfigLists() override;
    void SaveProfile() override;
    void RestoreDefaults() override;
    QString GetProfileName() const override { return GetProfileBaseName(); }

    // ---- Device ----
    // The lighting read back: bank byte, then the bank's record. With adopt the light replaces
    // the profile's and is saved; without, only the bank and the block's other bytes are kept
    // (a write of the profile's light follows).
    WriteOutcome ReadLighting(bool adopt = true);
    // Returns 1 done, 0 failed (WriteLighting's outcome says where). Every caller writes bank 0.
    int WriteParameters(const ParameterWrite& values) override;
    // BeginSettings, the light block at bank 0, EndSettings.
    WriteOutcome WriteLighting();
    // The status block: to the power item and as message 0xD01 with byte 4.
    void RefreshStatus() override;
    // Timer 1002 (0x0401): the lighting is read again.
    void OnDeviceEvent() override;
    // The headset's own ring marks.
    void MarkRingKeys() override;

    // Off: the light thread stops stepping and sends no LED report (the headset keeps the
    // last frame it was sent; it has no lighting of its own to hand back to). On: the next
    // pass sends the whole frame at once, whatever was sent before (after a resume the
    // headset may have lost it).
    void SetHostLightControl(bool on) override;

    // The current LED frame sent now as twelve output reports, whatever was sent before
    // (false when a report failed, the channel is closed or host light control is off).
    bool SendLedFrame();
    // One step of the current effect into the LED list, then its frame sent (the command line
    // applies a profile this way, without the light thread).
    bool WriteLedFrame();

    // ---- State ----
    profiles::CHs6533Profiledata& Profiledata() { return profile_; }
    const profiles::LightInfo& PageLight() const { return light_; }
    headset::LightBlock LightBlockCopy() const;
    uint8_t Bank() const { return bank_; }
    // The 26 bytes of the last successful read.
    const headset::LightRead& LastLightRead() const { return lastRead_; }
    const std::vector<int>& EffectCodes() const { return effectCodes_; }
    const std::optional<headset::StatusBlock>& LastStatus() const { return status_; }
    const WriteOutcome& LastStatusOutcome() const { return statusOutcome_; }
    uint64_t LedFramesSent() const { return ledFramesSent_; }
    QWidget* GetLightControlItem() const { return lightControlItem_; }
    QWidget* GetVoiceControlItem() const { return voiceControlItem_; }
    QWidget* GetMagicControlItem() const { return magicControlItem_; }

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
    // audio settings (and put them on the headset on a profile switch or reset), read the
    // card's microphone and monitoring state at connect, stop the equaliser when the headset
    // goes and start it again when it comes back.
    struct AudioPanelHooks {
        std::function<void(bool applyToHeadset)> showSettings;
        std::function<void()> readHeadsetState;
        std::function<void()> stopEqualizer;
        std::function<void()> resumeEqualizer;
    };
    void SetAudioPanelHooks(AudioPanelHooks hooks) { audioPanelHooks_ = std::move(hooks); }
    const AudioPanelHooks& AudioPanels() const { return audioPanelHooks_; }

  signals:
    // The status message (0xD01) with byte 4 of the status block.
    void StatusMessage(int message, int value);

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
    void ClassEffectA() override;
    void ClassEffectB() override;
    void ClassEffectC() override;
    // The user's light effect (mode 5 and the modes past the built-in list).
    void OwnLightRoutine() override;
    void ReloadCustomLightEffect() override;
    // The LED frame goes out after every pass of the light thread.
    void AfterLightPass() override;

  private:
    void ShowLight(const profiles::LightInfo& light);
    // Sends the twelve reports of values; false at the first that fails.
    bool SendLedReports(const headset::LedValues& values);

    profiles::CHs6533Profiledata profile_;
    profiles::LightInfo light_;
    std::vector<int> effectCodes_;
    headset::LightBlock block_{};  // under the light lock
    uint8_t bank_ = 0;
    headset::LightRead lastRead_{};
    std::optional<headset::StatusBlock> status_;
    WriteOutcome statusOutcome_;

    // The headset's reactive state for effects B and C (under the light lock).
    light::KeyIntensities keys_{};
    light::MarqueeRing ring_{};
    uint8_t marqueePasses_ = 0;
    bool pairSkipLogged_ = false;

    // LED output (light thread), and the change count the previews follow.
    headset::LedValues lastValues_{};
    headset::LedValues lastSent_{};
    uint32_t lastSentMs_ = 0;
    bool sentOnce_ = false;
    std::atomic<bool> resendFrame_{false};
    std::atomic<uint64_t> ledFramesSent_{0};
    std::atomic<uint64_t> ledChanges_{1};
    uint64_t paintedChanges_ = 0;  // UI thread

    QPointer<QWidget> lightPanel_;
    QPointer<QWidget> lightControlItem_;
    QPointer<QWidget> voiceControlItem_;
    QPointer<QWidget> magicControlItem_;
    QPointer<QWidget> virtualSetItem_;
    std::shared_ptr<audio::CAudioBridge> audioBridge_;
    std::shared_ptr<audio::CHostEqualizer> hostEqualizer_;
    AudioPanelHooks audioPanelHooks_;
    // RefreshPage ran since the headset was connected: later ones follow a profile switch.
    bool pageShown_ = false;
};
