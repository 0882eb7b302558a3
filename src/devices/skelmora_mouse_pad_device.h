#pragma once
// CSkelmoraMousePadDevice ("SkelmoraMousePadDevice"): a lighted mouse pad (kind 3).
//
// The pad has no buttons, DPI or macros on the device: its page shows its 15 LEDs, the profile
// panel and the lighting panel, and its only device data is the 21-byte light parameter block
// (devices/mouse/pad_light_block.h), read at slot x 25 and written at slot x 64. At connect it
// reads the device information, loads the profile and starts the light thread; timer 1002
// (0x0401: the pad changed its settings itself) reads the active slot's block back. A read that
// fails changes nothing; a write says which step failed.
#include <QPointer>
#include <string>
#include <vector>

#include "devices/mouse/pad_light_block.h"
#include "devices/mouse/pad_preview.h"
#include "devices/mouse/pad_sequences.h"
#include "devices/skelmora_usb_device.h"
#include "profiles/mouse_profiledata.h"

class CSkelmoraMousePadDevice : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraMousePadDevice";
    static constexpr char kKeyLightPanel[] = "mousepad_device_key_light";
    static constexpr char kMacroListFile[] = "zelvo_macro.config";
    static constexpr int kModelIndex = 2;  // the pad's row of the model and light tables

    explicit CSkelmoraMousePadDevice(QWidget* parent = nullptr,
                                     std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraMousePadDevice() override;

    // ReadFromDevice: ReadPadInfo, LoadProfile, RefreshPage, the light thread.
    void OnConnected() override;
    // Timer 1002: ReadPadParameters, then RefreshPage.
    void OnDeviceEvent() override;

    // "key_" n and "light_" n of "mousepad_device_key_light" (LEDs drawn white).
    void BindPageControls() override;
    // The profile's light becomes the current light and the live record's light bytes; the
    // light list, custom effects and their steps are reloaded. Returns 1.
    int LoadLightSettings() override;
    // The lighting panel's and the game events' light: kept in the profile's element too, so
    // the reload that follows shows it (the file changes only on SaveProfile).
    void SetLightSettings(const std::array<uint32_t, 4>& words) override;
    // The current mode's user light effect read again from the profile.
    void ReloadCustomLightEffect() override;
    int LoadProfile() override;
    void RefreshPage() override;
    // The macro names of "zelvo_macro.config" and the pad's effect codes (row 2 of
    // "default_light.json").
    void LoadConfigLists() override;
    void BuildProfilePaths() override;
    void SaveProfile() override;
    QString GetProfileName() const override { return GetProfileBaseName(); }
    // Every caller writes slot 0; returns 1 done, 0 failed.
    int WriteParameters(const ParameterWrite& values) override;

    WriteOutcome ReadPadInfo();
    // The active slot and its block; on success the live record (and the shown light) take it
    // over. slot receives the active slot.
    WriteOutcome ReadPadParameters(int* slot = nullptr);
    WriteOutcome WriteParameterBlock(int slot = 0);

    const pad::LiveRecord& LiveRecord() const { return live_; }
    const pad::DeviceInfo& Info() const { return info_; }
    const pad::ReadBlock& LastRead() const { return lastRead_; }
    const std::vector<int>& EffectCodes() const { return effectCodes_; }
    const std::vector<std::string>& MacroNames() const { return macroNames_; }
    profiles::CMouseProfiledata& Profiledata() { return profile_; }

  protected:
    // Modes of the pad's list; a mode past it (a custom effect) runs OwnLightRoutine too.
    std::optional<light::LightModeRow> CurrentLightMode() const override;

  public:
    int LightPassPaceMs() const override { return kFramePassPaceMs; }
    void ClassEffectA() override;  // mode 0: Wave

  protected:
    void ClassEffectB() override;  // mode 7: Neon
    void ClassEffectC() override;  // mode 6: Spectrum
    // Mode 5 (Rainbow Wave); modes past the list go to PlayCustomLightEffect.
    void OwnLightRoutine() override;
    // Custom effects (modes past the pad's list): one pass of the base's user light effect
    // player over the profile's steps, as on the mouse.
    virtual void PlayCustomLightEffect();

  private:
    void ShowLive();
    void PadFrame(void (*frame)(std::span<light::LedEntry>, const light::LightSettings&,
                                pad::PadPreviewState&));

    profiles::CMouseProfiledata profile_;
    pad::LiveRecord live_{};
    pad::DeviceInfo info_{};
    pad::ReadBlock lastRead_{};
    std::vector<int> effectCodes_;
    std::vector<std::string> macroNames_;
    pad::PadPreviewState preview_;  // under the light lock
};
