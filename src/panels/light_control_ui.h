#pragma once
// CLightControlUI ("LightControl", "CLightControlUI"): the lighting panel of every device page,
// found on the page as "LightControlItem" and built from
// "XML/CustomControlXML/LightControl.xml". It shows the device's light record (mode,
// brightness, speed, direction, seven colours or one colour, the keyboard's custom group and
// ZZCC variant) and its audio light record, and knows which groups make sense for which mode
// of which device type (light_model's tables).
//
// Its operations never notify (the layer's setters are silent). Its notifications arrive
// through the device's Notify (CDeviceManager::RouteNotify hands the shown device's page its
// controls' notifications) and run the handlers of its dispatch table
// (light_control_handlers.cpp), which change the device's record, save the profile and write
// the device. A control that is missing gives the neutral value of its getter and is logged;
// nothing here ends the program.
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/skelmora_usb_device.h"
#include "devices/sync_light.h"
#include "panels/light_model.h"
#include "profiles/records.h"
#include "ui/notify.h"
#include "ui/notify_table.h"

// What the main window gives every lighting panel.
struct LightPanelHost {
    // The devices of a device list: 1 keyboards, 2 mice, 3 mouse pads, 7 headsets.
    std::function<std::vector<CSkelmoraUSBDevice*>(int kind)> devicesOfKind;
    // Same mode hands its settings to the synchronised-lighting thread.
    std::function<void(const light::SyncSettings&)> shareSyncSettings;
    // The primary screen's size in physical pixels, taken once at start (parameter writes).
    std::function<QSize()> screenSize;
};

class CLightControlUI : public QWidget, public INotifyUI, public ILightSourcePanel {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "LightControl";
    static constexpr char kLongClassName[] = "CLightControlUI";
    static constexpr char kItemName[] = "LightControlItem";
    static constexpr int kItemHeight = 30;
    static constexpr int kMaxLevel = 4;

    explicit CLightControlUI(QWidget* parent = nullptr);
    static QWidget* Create(QWidget* parent) { return new CLightControlUI(parent); }
    // The panel of a device page, or none.
    static CLightControlUI* OfPage(const QWidget* page);

    // The panel's device: it becomes the device's lighting panel and gets its notifications;
    // the panel takes the device's type, reads its mode list (default_light.json by model
    // index, the user's effects from zelvo_light.config) and shows its records.
    void AttachDevice(CSkelmoraUSBDevice* device);
    CSkelmoraUSBDevice* Device() const { return device_; }
    void SetHost(std::shared_ptr<const LightPanelHost> host) { host_ = std::move(host); }
    const light_model::LightModeList& ModeList() const { return modes_; }
    // The modes the combo offers: the built-in ones, then the user's effects.
    int ModeCount() const {
        return static_cast<int>(modes_.names.size() + modes_.userNames.size());
    }

    // ---- Operations ----
    void SetDeviceType(int type) { deviceType_ = type; }
    int GetDeviceType() const { return deviceType_; }
    void FillModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                      int maxBrightness, int maxSpeed);
    // The keyboard's custom group names.
    void FillCustomGroups(const std::vector<std::string>& names);
    void ShowLightInfo(const profiles::LightInfo& info);
    void SetLightMode(int mode);
    int GetLightMode() const;
    void SetCustomGroup(int group);
    int GetCustomGroup() const;
    void SetZzccMode(int mode);
    int GetZzccMode() const;
    void SetBrightness(int value);
    int GetBrightness() const;
    void SetSpeed(int value);
    int GetSpeed() const;
    // Component 0 red, 1 green, 2 blue.
    void SetColourText(int component, const QString& text);
    QString GetColourText(int component) const;
    void SetRedText(const QString& text) { SetColourText(0, text); }
    void SetGreenText(const QString& text) { SetColourText(1, text); }
    void SetBlueText(const QString& text) { SetColourText(2, text); }
    QString GetRedText() const { return GetColourText(0); }
    QString GetGreenText() const { return GetColourText(1); }
    QString GetBlueText() const { return GetColourText(2); }
    void SetPaletteColor(uint32_t argb);
    uint32_t GetPaletteColor() const;
    void SetColorSwatch(uint32_t argb);
    void SetMultiColor(bool on);
    bool GetMultiColor() const;
    void SetDirection(bool first);
    // The background colour of "color_option_" n; 0 when there is none.
    uint32_t GetPresetColor(int n) const;
    void SetSameModeAvailable(bool available);
    // The audio page says why the music modes stay still while no sound arrives.
    void ShowSoundInput(bool hasSound);
    bool IsSameModeAvailable() const { return sameModeAvailable_; }
    void ShowSameMode(bool wanted);
    void ApplyLayout(int type, int mode);

    // ---- Audio ----
    void SetAudioLightInfo(const profiles::AudioLightInfo& info);
    profiles::AudioLightInfo GetAudioLightInfo(bool takeSwatchColour);
    const profiles::AudioLightInfo& CachedAudioLightInfo() const { return audio_; }
    uint32_t GetLightAudioColor(int n) const;
    uint32_t GetAudioPaletteColor() const;
    QString GetAudioEditText(int component) const;

    // ILightSourcePanel
    void SetLightSource(int first, int second, int third) override;
    std::array<int, 3> GetLightSource(bool takeSwatchColour) override;
    void ShowLightSettings(const std::array<uint32_t, 4>& words) override;
    // Lays the changes made before the connect over the light and audio records it loaded,
    // then stores, saves and writes the result.
    void OnDeviceConnected() override;

    void Notify(TNotifyUI& msg) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    using Handler = ui::NotifyRow<CLightControlUI>;
    static const Handler kHandlers[];

    QWidget* Control(const char* name) const;
    QWidget* Control(const QString& name) const;
    void ShowAudioColour(light_model::Rgb colour);
    void LogMissing(const char* text) const;
    // The palettes stand beside the colour entries when the panel has the width for it (a
    // page that gives it its whole width, where height is short), under them otherwise (a
    // page that puts the panel beside the device's picture).
    void ArrangeColourRows();

    // ---- Change propagation (light_control_handlers.cpp) ----
    profiles::LightInfo DeviceLight() const;
    QSize ScreenSize() const;
    void SetSyncMember(CSkelmoraUSBDevice& device, bool member) const;
    // SetLightSettings, SaveProfile, LoadLightSettings; RunFull adds WriteParameters (0, 0, 1,
    // screen).
    void StoreAndReload(CSkelmoraUSBDevice& device, const profiles::LightInfo& info) const;
    // Before the device's connect the change is also noted on the device's panel: the
    // connect's profile load would replace it.
    static void NoteEarlyEdit(CSkelmoraUSBDevice& device, const profiles::LightInfo& info);
    void RunFull(CSkelmoraUSBDevice& device, const profiles::LightInfo& info) const;
    // A slider's level (0..4) shown back, stored in its field, out of same mode, full.
    void StoreLevel(int value, uint8_t profiles::LightInfo::*field,
                    void (CLightControlUI::*show)(int));
    void WriteDevice(CSkelmoraUSBDevice& device) const;
    void ApplyColour(uint32_t argb, bool clearSync);
    void StoreAudio(const profiles::AudioLightInfo& info);
    void RunSameMode();

    void OnMode(TNotifyUI& msg);
    void OnCustomGroup(TNotifyUI& msg);
    void OnZzcc(TNotifyUI& msg);
    void OnBrightness(TNotifyUI& msg);
    void OnSpeed(TNotifyUI& msg);
    void OnDirection(TNotifyUI& msg);
    void OnSevenColour(TNotifyUI& msg);
    void OnPalette(TNotifyUI& msg);
    void OnColourEdit(TNotifyUI& msg);
    void OnPreset(TNotifyUI& msg);
    void OnSameMode(TNotifyUI& msg);
    void OnCustomBright(TNotifyUI& msg);
    void OnCustomOff(TNotifyUI& msg);
    // The keyboard's selected keys bright (in the light's colour) or off in its custom effect.
    void SetCustomKeys(bool bright);
    void OnAudioRecord(TNotifyUI& msg);
    void OnAudioColourType(TNotifyUI& msg);
    void OnAudioPalette(TNotifyUI& msg);
    void OnAudioEdit(TNotifyUI& msg);
    void OnAudioPreset(TNotifyUI& msg);
    void OnAudioNoBackground(TNotifyUI& msg);

    QPointer<CSkelmoraUSBDevice> device_;
    std::shared_ptr<const LightPanelHost> host_;
    light_model::LightModeList modes_;
    int deviceType_ = 0;
    int shownMode_ = -1;  // the mode whose layout is applied
    bool sameModeAvailable_ = false;
    profiles::AudioLightInfo audio_{};
    // The audio record the device last handed over (SetLightSource): the one it holds, while
    // audio_ follows the panel's controls.
    profiles::AudioLightInfo deviceAudio_{};
    light_model::LightEdits earlyLight_;
};

// Registers "LightControl" and "CLightControlUI" (the palette controls it holds, "ColorPalette",
// are registered with the picture controls).
void RegisterLightControl();
