#pragma once
// CSkelmoraKeyboardDevice ("SkelmoraKeyboardDevice"): a keyboard, wired (kind 1) or through a
// receiver (kind 9). Its light thread paces the keyboard's preview by effect code.
//
// At connect it reads back what the keyboard holds (device information, factory key table,
// second table), builds its key map, loads the profile and the light catalogue, and takes the
// keyboard's light and flags from its parameter record. Its writes (parameters, key table,
// macros, custom colours) each say which step failed. The byte layouts live in
// devices/keyboard/ (codecs) and the command sequences in devices/keyboard/keyboard_sequences.
#include <QPointer>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/audio_light/audio_level_rule.h"
#include "devices/audio_light/audio_light_step.h"
#include "devices/keyboard/keyboard_key_map.h"
#include "devices/keyboard/keyboard_sequences.h"
#include "devices/keyboard/light_preview_steps.h"
#include "devices/keyboard_settings_view.h"
#include "devices/skelmora_usb_device.h"
#include "profiles/keyboard_profiledata.h"

class CSkelmoraKeyboardDevice : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraKeyboardDevice";
    static constexpr char kKeyMapFile[] = "keymap.json";

    explicit CSkelmoraKeyboardDevice(QWidget* parent = nullptr,
                                     std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraKeyboardDevice() override;

    void OnConnected() override;
    // Only a wireless keyboard whose receiver reports a linked keyboard.
    bool IsLinked() override;

    // ---- Connect, profile and catalogue ----
    // The connect sequence without the page and the light thread: read-back, key map, profile
    // and catalogue, then (when readParameters) the parameter record. A failed read ends the
    // read-back with a log line and the profile is loaded without the keyboard's values.
    WriteOutcome ConnectSequence(bool readParameters = true);
    // Read-back and key map only.
    WriteOutcome ReadDeviceTables();
    // Reads the active device profile and its record; the keyboard's light and flags replace
    // the profile's and are saved.
    WriteOutcome ReadParametersFromDevice();
    void BuildProfilePaths() override;
    // Paths rebuilt, profile loaded: key list, light, system stages, custom colours.
    int LoadProfile() override;
    void LoadConfigLists() override;
    void SaveProfile() override;
    QString GetProfileName() const override { return GetProfileBaseName(); }
    // The light record goes to the device's copy and to the profile element (saved by
    // SaveProfile, written by WriteParameters); LoadLightSettings takes the profile's record
    // back into the device's copy and the panel. The audio record likewise.
    void SetLightSettings(const std::array<uint32_t, 4>& words) override;
    int LoadLightSettings() override;
    void SetLightSource(int first, int second, int third) override;
    const profiles::AudioLightInfo& AudioLight() const { return audioLight_; }

    // ---- Writes ----
    // The record of device profile values.slot at slot x 25, framed; returns its result code.
    int WriteParameters(const ParameterWrite& values) override;
    WriteOutcome WriteParameterRecord(int slot = 0);
    // Builds the key table and the macro image first; when the image does not fit nothing is
    // sent and the excess is returned; else the key table, then the macros, each framed.
    WriteOutcome WriteKeyTable(profiles::CBasicProfiledata* profile,
                               const std::vector<profiles::KeyAssignmentPair>& keys) override;
    // The key table of the profile's key list (the macros are written by WriteMacros first).
    WriteOutcome WriteCurrentKeyTable(profiles::CBasicProfiledata* profile) override;
    WriteOutcome WriteMacros(const std::vector<int>& macros) override;
    std::vector<int> BuildMacroList() override;
    bool HoldsKeysAndMacros() const override { return true; }
    // Effect code 21 only: the colours become the profile's custom colours of the current
    // group (saved), and the bright mask goes out with WriteIndexedBlock. After a failure the
    // next attempt sends the mask only once 200 ms have passed (nothing sleeps); the colours
    // are saved in any case, so a change made meanwhile is not lost.
    WriteOutcome WriteCustomColours(const std::vector<profiles::LightColorEntry>& colours);

    // ---- Status and events ----
    void RefreshStatus() override;
    // Timer 1002 (0x0401, 0x0402): the keyboard changed its settings itself.
    void OnDeviceEvent() override;

    // ---- State ----
    profiles::CKeyboardProfiledata& Profiledata() { return profile_; }
    const keyboard::KeyboardMemory& Memory() const { return memory_; }
    const keyboard::KeyPositions& KeyPositions() const { return positions_; }
    const keyboard::ParameterRead& LastParameters() const { return parameters_; }
    const std::optional<keyboard::StatusBlock>& LastStatus() const { return status_; }
    const WriteOutcome& LastStatusOutcome() const { return statusOutcome_; }
    const profiles::LightInfo& PageLight() const { return light_; }
    const profiles::KeyboardSystemStages& SystemStages() const { return stages_; }
    const std::vector<std::string>& MacroNames() const { return macroNames_; }
    const std::vector<std::string>& EffectNames() const { return effectNames_; }
    const std::vector<bool>& EffectVisibility() const { return effectVisible_; }
    // The effect code ("value") of each mode of the keyboard's mode list (UI thread).
    const std::vector<int>& EffectCodes() const { return effectCodes_; }
    void ReloadCustomLightEffect() override;
    // A mode past the effect list: a user light effect, played by the step player.
    bool IsCustomLightMode(int mode) const;
    const std::vector<std::string>& AreaEffectNames() const { return areaEffectNames_; }
    const std::vector<std::string>& UserEffectNames() const { return userEffectNames_; }
    // The effect codes of the mode list; a mode past the list is its own code.
    void SetEffectCodes(std::vector<int> codes);
    int EffectCodeOfMode(int mode) const;
    // The device code of the page's light mode (any thread).
    int CurrentEffectCode() const;
    int CountedEvents() const { return countedEvents_; }
    int SecondEventValue() const { return secondEventValue_; }

    // ---- Page, system settings and light preview (skelmora_keyboard_page.cpp,
    // skelmora_keyboard_light.cpp) ----
    // The picture's buttons inside the select panel "device_key_light": a name "key_" + n is
    // key button n; a name or user data "light_" + n is light button n (split at the last
    // "_"). Then the settings controls and the panels found by name.
    void BindPageControls() override;
    // The page's notifications: the system settings handlers.
    void Notify(TNotifyUI& msg) override;
    // The settings panel shows the profile's system stages.
    void RefreshPage() override;
    // The previews repaint at most this often (a preview needs no more than 30 frames a
    // second).
    static constexpr uint32_t kPreviewPaintIntervalMs = 33;
    // A timer of that interval may fire this much early (coarse timers): still a frame.
    static constexpr uint32_t kPreviewPaintSlackMs = 4;

    // Paints the previews when the LEDs changed. While wired in the sound-driven effects
    // (codes 29 and 30) it also builds a frame by key position and hands it to the light
    // thread, which sends it after its next pass: a frame takes several exchanges, too long
    // for the UI thread's frame timer. False while a failed frame pauses the stream.
    bool SendLightFrame() override;
    // Streams only when wired in the sound-driven effects; otherwise the previews, when seen.
    FrameNeed GetFrameNeed() const override;
    // Static and off; not the custom colours, which change without a change of settings.
    int SteadyLightKind(const light::LightModeRow& row) const override;
    void SetLed(int index, uint32_t colourWord, uint32_t extraWord) override;

    // System settings (shown from the profile's "SystemStages") through the page's settings
    // panel, made when the page is bound (none when no panel maker is registered).
    void ShowSystemStages();
    const IKeyboardSettingsView* SettingsPanel() const { return settingsPanel_.get(); }

    // Custom colours (effect code 21), by key index.
    void SelectCustomGroup(int group);
    void RefreshCustomColors();
    // The selected light buttons take the light's colour at alpha 255, bright; or black. The
    // colours are then written (WriteCustomColours).
    void SetCustomBrightOrOff(bool bright) { SetCustomKeys(SelectedLightKeys(), bright); }
    // The same for the given light buttons, selected or not.
    void SetCustomKeys(const std::vector<int>& leds, bool bright);
    // The light buttons selected on the page, by light index.
    std::vector<int> SelectedLightKeys() const;
    std::vector<profiles::LightColorEntry> GetCustomColorsCopy() const;

    // ---- Music modes (effects 29 and 30; skelmora_keyboard_audio.cpp) ----
    // The level rule: 25 values into the level buffer; in effect 29 with audio mode 2 the
    // buffer's loudness feeds this keyboard's accumulator, which fires the key reaction on
    // key 51 above 70.
    void SetAudioLevels(std::span<const int> levels) override;
    // Six values at most, kept as the band values the bars draw.
    void SetAudioBands(std::span<const int> bands) override;
    void SetAudioLevel(int level) override;
    void SetAudioStyleColour(uint8_t red, uint8_t green, uint8_t blue) override;
    // The audio light record the music modes draw with (any thread); set from the profile at
    // load and by the lighting panel's audio handlers.
    void SetAudioLightInfo(const profiles::AudioLightInfo& info);
    profiles::AudioLightInfo GetAudioLightInfo() const;
    // A copy of the music modes' state (tests).
    audio_light::AudioLightState GetAudioLightState() const;
    audio_light::AudioLightInputs GetAudioInputs() const;
    int AudioAccumulator() const;

    // A key index's column across the picture (the wave's place), 0 when unknown.
    int KeyColumn(int keyIndex) const;

    QWidget* GetLightControlItem() const { return lightControlItem_; }
    QWidget* GetMacroControlItem() const { return macroControlItem_; }
    QWidget* GetKeySetControlItem() const { return keySetControlItem_; }

  signals:
    // The keyboard status message (0xD01) with byte 4 of the status block.
    void StatusMessage(int message, int value);

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
    void OwnLightRoutine() override;
    // Sends the frame SendLightFrame handed over, if any (light thread).
    void AfterLightPass() override;
    const char* LightThreadExitTrace() const override;
    device_events::EventClass EventClassOf(EventInterface which) const override;
    const char* EventThreadExitTrace() const override;
    // 0x0404 counted; 0x10xx and 0x11xx switch to device profile v & 0x0F.
    void OnDeviceReport(uint16_t code) override;

  protected:
    // With the system settings page ("kb_system_settings").
    std::vector<QWidget*> SettingsPanels() const override;
    profiles::CBasicProfiledata* KeyListProfile() override { return &profile_; }
    std::vector<profiles::KeyAssignmentPair>* KeyList() override { return &keyList_; }

  private:
    QString FolderFile(const char* name) const;
    // One step of the on-screen preview of a built-in effect (light lock held).
    void RunPreviewStep(keyboard::PreviewStep step);
    void ApplyProfileLight();
    void ShowLightOnPage(const profiles::LightInfo& light);
    WriteOutcome WriteKeyTableOf(const std::vector<profiles::KeyAssignmentPair>& keys,
                                 bool withMacros);
    void SwitchToListedProfile(int index);
    void PaintCustomColours();
    // One music-mode step over the LED list (light thread, light lock held).
    void AudioLightRoutine();

    std::unique_ptr<IKeyboardSettingsView> settingsPanel_;

    profiles::CKeyboardProfiledata profile_;
    keyboard::KeyboardMemory memory_;
    keyboard::KeyPositions positions_ = keyboard::EmptyKeyPositions();
    keyboard::ParameterRead parameters_;
    std::optional<keyboard::StatusBlock> status_;
    WriteOutcome statusOutcome_;
    profiles::LightInfo light_;
    profiles::AudioLightInfo audioLight_;  // guarded by the light lock
    profiles::KeyboardSystemStages stages_;
    std::vector<profiles::KeyAssignmentPair> keyList_;
    std::vector<std::string> macroNames_;
    std::vector<std::string> effectNames_;
    std::vector<bool> effectVisible_;
    std::vector<std::string> areaEffectNames_;
    std::vector<std::string> userEffectNames_;
    std::vector<int> lastMacros_;
    uint32_t customPauseUntil_ = 0;
    bool customPaused_ = false;
    int countedEvents_ = 0;
    int secondEventValue_ = -1;

    // Guarded by the light lock (the light thread reads them; the UI thread writes them).
    std::vector<profiles::LightColorEntry> customColours_;
    std::vector<int> effectCodes_;
    std::vector<uint8_t> keyColumns_;
    audio_light::AudioLevelRule levelRule_;
    audio_light::AudioLightState audioState_;
    audio_light::AudioLightInputs audioInputs_;
    audio_light::StyleColour audioStyle_;
    // Bumped by every change of the LED list; the previews repaint only on a change.
    std::atomic<uint32_t> ledGeneration_{1};
    uint32_t paintedGeneration_ = 0;
    uint32_t lastPaintMs_ = 0;
    // A streamed frame passes through three buffers kept for the device's life, so the 5 ms
    // frame timer allocates nothing: the UI thread builds into builtFrame_ (from frameLeds_)
    // and swaps it with pendingFrame_; the light thread swaps that with sendingFrame_ and sends.
    std::vector<light::LedEntry> frameLeds_;
    std::vector<uint8_t> builtFrame_;
    std::mutex pendingFrameLock_;
    std::vector<uint8_t> pendingFrame_;
    bool framePending_ = false;
    std::vector<uint8_t> sendingFrame_;
    std::atomic<bool> streamPaused_{false};
    std::atomic<uint32_t> streamPauseUntil_{0};
    QPointer<QWidget> lightControlItem_;
    QPointer<QWidget> macroControlItem_;
    QPointer<QWidget> keySetControlItem_;
    QPointer<QWidget> systemSettingsPage_;
};
