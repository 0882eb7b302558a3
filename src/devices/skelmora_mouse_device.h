#pragma once
// CSkelmoraMouseDevice ("SkelmoraMouseDevice"): a mouse, wired (kind 2) or through a
// receiver (kind 6).
//
// At connect it reads back the device information and the key table (the button map follows
// from it), loads the profile and the light catalogue, and later takes the light and the
// active DPI stage from the active slot's parameter block. Its writes (parameter block, button
// table, macros) each say which step failed; through the receiver every step first asks
// whether the mouse is linked. Byte layouts live in devices/mouse/ (codecs), the command
// sequences in devices/mouse/mouse_sequences, the DPI page accessors in
// skelmora_mouse_device_dpi.cpp.
#include <QPointer>
#include <optional>
#include <string>
#include <vector>

#include "controls/device_key_button.h"
#include "devices/mouse/mouse_button_map.h"
#include "devices/mouse/mouse_dpi_scale.h"
#include "devices/mouse/mouse_preview.h"
#include "devices/mouse/mouse_sequences.h"
#include "devices/skelmora_usb_device.h"
#include "profiles/mouse_profiledata.h"

class CSkelmoraMouseDevice : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraMouseDevice";
    static constexpr int kDpiRows = mouse::kDpiStages;

    explicit CSkelmoraMouseDevice(QWidget* parent = nullptr,
                                  std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraMouseDevice() override;

    // ReadDeviceTables, LoadProfile, RefreshPage, the light thread.
    void OnConnected() override;

    // ---- Page (skelmora_mouse_device_page.cpp) ----
    // Binds the picture's buttons: "key_" n, "light_" n (also by user data), the logo ring's
    // "light_0_" n and the button whose tool tip is "logo"; then shows tab 0.
    void BindPageControls() override;
    // The settings panel's notifications go to it; the tab options switch the tab.
    void Notify(TNotifyUI& msg) override;
    // The logo ring and the logo show their LEDs' colours, then the base paints the rest.
    bool SendLightFrame() override;
    // "light_0_3" -> ("light_0_", 3); -1 when no number follows the last underscore.
    static std::pair<QString, int> SplitAtLastUnderscore(const QString& name);
    const std::vector<QPointer<CDeviceKeyButtonUI>>& LogoRing() const { return logoRing_; }
    // Each button's tool tip names its assignment; the list "device_setkeyinfo_list" gets a
    // row per button (part of RefreshPage).
    void RebuildButtonTips();
    CDeviceKeyButtonUI* Logo() const { return logo_; }
    // Only a wireless mouse whose receiver reports a linked mouse.
    bool IsLinked() override;

    // ---- Connect and profile ----
    // Device information and key table; the button map and the DPI ranges of the page.
    WriteOutcome ReadDeviceTables();
    // The active slot and its block: the light and the active DPI stage are taken over and
    // saved (the report rate and DPI stages of the block are not).
    WriteOutcome ReadParameterBlock(int* activeSlot = nullptr);
    // Timer 1002 (0x0401): the mouse changed its settings itself.
    void OnDeviceEvent() override;
    void BuildProfilePaths() override;
    int LoadProfile() override;
    void RefreshPage() override;
    void LoadConfigLists() override;
    void SaveProfile() override;
    void RestoreDefaults() override;
    // The light record goes to the device's copy and to the profile element (saved by
    // SaveProfile, written by WriteParameters); LoadLightSettings takes the profile's record
    // back into the device's copy and the panel. The audio record likewise.
    void SetLightSettings(const std::array<uint32_t, 4>& words) override;
    int LoadLightSettings() override;
    void SetLightSource(int first, int second, int third) override;
    QString GetProfileName() const override { return GetProfileBaseName(); }

    // ---- Writes ----
    // Returns 1 done, 0 failed (WriteParameterBlock's outcome says where).
    int WriteParameters(const ParameterWrite& values) override;
    WriteOutcome WriteParameterBlock(const ParameterWrite& values);
    // The button table of keys at slot 0 (the list is not changed).
    WriteOutcome WriteKeyTable(profiles::CBasicProfiledata* profile,
                               const std::vector<profiles::KeyAssignmentPair>& keys) override;
    // The button table of the device's key list.
    WriteOutcome WriteCurrentKeyTable(profiles::CBasicProfiledata* profile) override;
    WriteOutcome WriteButtonTable(int slot, const std::vector<profiles::KeyAssignmentPair>& keys);
    // The macro image of the listed macros; too large: nothing sent, the excess returned.
    WriteOutcome WriteMacros(const std::vector<int>& macros) override;
    // The four guns' recoil patterns of the profile folder as one image: guarded
    // ReadDeviceInfo, then guarded BeginSettings, WriteShootData, EndSettings. A gun file that
    // is not a pattern, or an image above 65,535 bytes, sends nothing (step "ShootImage").
    WriteOutcome WriteShootPatterns();
    // The macros the mapped buttons use, in order of first use.
    std::vector<int> BuildMacroList() override;
    bool HoldsKeysAndMacros() const override { return true; }
    // The parameter write every caller makes: slot 0, byte 0 = 0, byte 59 = 1, the screen.
    ParameterWrite StandardParameterWrite() const;
    // The primary screen's size in device pixels, taken once.
    static std::pair<int, int> ScreenSizeInPixels();

    // ---- Status and events ----
    void RefreshStatus() override;

    // ---- DPI stages and system settings (the page's controls; skelmora_mouse_device_dpi.cpp)
    void SelectDpiStage(int n);
    std::vector<profiles::DPIStage> GetDpiStages() const { return dpiStages_; }
    void SetDpiStages(const std::vector<profiles::DPIStage>& stages);
    uint32_t GetDpiColour(int n) const;
    void SetDpiColour(int n, uint32_t colour);
    bool IsDpiStageEnabled(int n) const;
    void SetDpiStageEnabled(int n, bool enabled);
    void ShowDpiLevel(int n, int level);
    int GetDpiSliderLevel(int n) const;
    int GetDpiEditLevel(int n) const;
    void SelectReportRate(int n);
    profiles::MouseSystemStages GetSystemStages() const { return stages_; }
    void SetSystemStages(const profiles::MouseSystemStages& stages);
    int GetPointerSpeed() const;
    bool GetPointerPrecision() const;
    int GetScrollLines() const;
    bool GetScrollPage() const;
    int GetDoubleClick() const;
    int GetDoubleClickMax() const;
    void ShowScroll(bool page, int lines);
    // Shows the profile's DPI rows and report rate.
    void ShowDpiStages();
    // The page's tab "mouse_device_seting_layout" shows page n (0 when out of range).
    void SelectPageTab(int n);

    // ---- State ----
    profiles::CMouseProfiledata& Profiledata() { return profile_; }
    const mouse::MouseMemory& Memory() const { return memory_; }
    const mouse::ButtonMap& ButtonMap() const { return map_; }
    mouse::DpiScale Scale() const { return mouse::DpiScale::From(memory_.Info()); }
    const mouse::ParameterRead& LastParameters() const { return parameters_; }
    const std::optional<mouse::StatusBlock>& LastStatus() const { return status_; }
    const WriteOutcome& LastStatusOutcome() const { return statusOutcome_; }
    const profiles::LightInfo& PageLight() const { return light_; }
    const std::vector<int>& EffectCodes() const { return effectCodes_; }
    void ReloadCustomLightEffect() override;
    const std::vector<std::string>& MacroNames() const { return macroNames_; }
    void SetLogoLedIndex(int index) { logoLedIndex_ = index; }
    int GetLogoLedIndex() const { return logoLedIndex_; }
    // LED fade state of the reactive preview (0 idle, 1 rising, 2 falling).
    std::vector<uint8_t> FadeStates() const;

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
    int LightPassPaceMs() const override { return kFramePassPaceMs; }
    void OwnLightRoutine() override;
    device_events::EventClass EventClassOf(EventInterface which) const override;
    const char* EventThreadExitTrace() const override;
    const char* LightThreadExitTrace() const override;
    // 0x10xx: the active slot; 0x11xx: also the active DPI stage.
    void OnDeviceReport(uint16_t code) override;
    // 0x0403 on the wired interface while the live mode is 6: every LED starts rising.
    void OnReactiveTrigger() override;
    // The preview frames of modes 0 (wave), 5 (run) and 6 (reactive).
    void ClassEffectA() override;
    void ClassEffectB() override;
    void ClassEffectC() override;

  protected:
    // With the DPI stages and mouse settings panel.
    std::vector<QWidget*> SettingsPanels() const override;
    profiles::CBasicProfiledata* KeyListProfile() override { return &profile_; }
    std::vector<profiles::KeyAssignmentPair>* KeyList() override { return &keyList_; }

  private:
    void BindButton(QWidget* panel, CDeviceKeyButtonUI* button);
    QString MacroFolder() const;
    int MacroCount() const;
    void ShowLight(const profiles::LightInfo& light);
    // The profile's own DPI stages (not the merged list a previous profile left behind).
    std::vector<profiles::DPIStage> ProfileDpiStages();
    QWidget* Control(const QString& prefix, int n) const;

    profiles::CMouseProfiledata profile_;
    mouse::MouseMemory memory_;
    mouse::ButtonMap map_{};
    mouse::ParameterRead parameters_;
    std::optional<mouse::StatusBlock> status_;
    WriteOutcome statusOutcome_;
    profiles::LightInfo light_;
    profiles::MouseSystemStages stages_;
    std::vector<profiles::KeyAssignmentPair> keyList_;
    std::vector<profiles::DPIStage> dpiStages_;
    std::vector<std::string> macroNames_;
    std::vector<int> effectCodes_;
    std::vector<uint8_t> fade_;
    int logoLedIndex_ = -1;
    mouse::PreviewState preview_;  // under the light lock
    std::vector<QPointer<CDeviceKeyButtonUI>> logoRing_;
    QPointer<CDeviceKeyButtonUI> logo_;
    QPointer<QWidget> logoRingPanel_;
    QPointer<QWidget> settingsPanel_;
    uint8_t scrollLines_ = 0;
    bool scrollPage_ = false;
};
