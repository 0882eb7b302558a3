#pragma once
// CSkelmoraKeyboardDevice ("SkelmoraKeyboardDevice"): a keyboard, wired (kind 1) or through a
// receiver (kind 9). Its light thread paces the keyboard's preview by effect code.
#include <QPointer>
#include <atomic>
#include <mutex>
#include <vector>

#include "devices/skelmora_usb_device.h"
#include "panels/keyboard_settings_panel.h"
#include "profiles/keyboard_profiledata.h"

class CSkelmoraKeyboardDevice : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraKeyboardDevice";

    explicit CSkelmoraKeyboardDevice(QWidget* parent = nullptr,
                                     std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraKeyboardDevice() override;

    void OnConnected() override;
    // Only a wireless keyboard whose receiver reports a linked keyboard.
    bool IsLinked() override;

  protected:
    const char* LightThreadExitTrace() const override;
    device_events::EventClass EventClassOf(EventInterface which) const override;
    const char* EventThreadExitTrace() const override;

    // ==== Page, system settings and light preview (skelmora_keyboard_page.cpp,
    // ==== skelmora_keyboard_light.cpp) ====
  public:
    // The picture's buttons inside the select panel "device_key_light": a name "key_" + n is
    // key button n; a name or user data "light_" + n is light button n (split at the last
    // "_"). Then the settings controls and the panels found by name.
    void BindPageControls() override;
    // The page's notifications: the system settings handlers.
    void Notify(TNotifyUI& msg) override;
    // The previews repaint at most this often (a preview needs no more than 30 frames a
    // second; each repaint of the 126 keys costs about 1.4 ms of the UI thread).
    static constexpr uint32_t kPreviewPaintIntervalMs = 33;

    // Paints the previews when the LEDs changed. While wired in the sound-driven effects
    // (codes 29 and 30) it also builds a frame by key position and hands it to the light
    // thread, which sends it after its next pass: a frame takes several exchanges, too long
    // for the UI thread's frame timer. False while a failed frame pauses the stream.
    bool SendLightFrame() override;
    void SetLed(int index, uint32_t colourWord, uint32_t extraWord) override;

    // System settings (shown from the profile's "SystemStages").
    void ShowSystemStages();
    void SelectRepeatDelay(int delay) { settingsPanel_.SelectRepeatDelay(delay); }
    void ShowRepeatDelayLabel(int delay) { settingsPanel_.ShowRepeatDelayLabel(delay); }
    void SelectPollingRate(int rate) { settingsPanel_.SelectPollingRate(rate); }
    void ClearRepeatTest() { settingsPanel_.ClearRepeatTest(); }
    void SetRepeatTestTip() { settingsPanel_.SetRepeatTestTip(); }
    const panels::CKeyboardSettingsPanel& SettingsPanel() const { return settingsPanel_; }

    // The keyboard's profile data (the settings handlers and the device sequences share it).
    profiles::CKeyboardProfiledata& ProfileData() { return profileData_; }

    // Custom colours (effect code 21), by key index.
    void SelectCustomGroup(int group);
    void RefreshCustomColors();
    // The selected light buttons take the light's colour at alpha 255, bright; or black.
    void SetCustomBrightOrOff(bool bright);
    std::vector<profiles::LightColorEntry> GetCustomColorsCopy() const;

    // The effect code ("value") of each mode of the keyboard's mode list; a mode past the
    // list is its own code.
    void SetEffectCodes(std::vector<int> codes);
    int EffectCodeOfMode(int mode) const;
    int CurrentEffectCode() const;
    // The keyboard's number of key table positions (byte 5 of its device information).
    void SetKeyPositionCount(int count) { keyPositionCount_ = count; }
    int GetKeyPositionCount() const { return keyPositionCount_; }
    // A key index's column across the picture (the wave's place), 0 when unknown.
    int KeyColumn(int keyIndex) const;

    QWidget* GetLightControlItem() const { return lightControlItem_; }
    QWidget* GetMacroControlItem() const { return macroControlItem_; }
    QWidget* GetKeySetControlItem() const { return keySetControlItem_; }

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
    void OwnLightRoutine() override;
    // Sends the frame SendLightFrame handed over, if any (light thread).
    void AfterLightPass() override;

  private:
    void PaintCustomColours();
    void StoreCustomColours();

    panels::CKeyboardSettingsPanel settingsPanel_;
    profiles::CKeyboardProfiledata profileData_;
    // Guarded by the light lock (the light thread reads them).
    std::vector<profiles::LightColorEntry> customColours_;
    std::vector<int> effectCodes_;
    std::vector<uint8_t> keyColumns_;
    int customGroup_ = 0;
    std::atomic<int> keyPositionCount_{0};
    // Bumped by every change of the LED list; the previews repaint only on a change.
    std::atomic<uint32_t> ledGeneration_{1};
    uint32_t paintedGeneration_ = 0;
    uint32_t lastPaintMs_ = 0;
    std::mutex pendingFrameLock_;
    std::vector<uint8_t> pendingFrame_;
    bool framePending_ = false;
    std::atomic<bool> streamPaused_{false};
    std::atomic<uint32_t> streamPauseUntil_{0};
    QPointer<QWidget> lightControlItem_;
    QPointer<QWidget> macroControlItem_;
    QPointer<QWidget> keySetControlItem_;
    // ==== end of page, system settings and light preview ====
};
