// The lighting panel's handlers: each reads the new value from the panel, puts it back
// through the panel's setter, changes one field of the device's light record and runs the
// device's sequence (store, save, reload, write). The mode, brightness, speed, direction,
// seven-colour, palette and colour-edit handlers take the device out of same mode; the preset
// colours, the ZZCC variant and the custom group leave it as it is.
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "devices/device_option.h"
#include "devices/light_info_words.h"
#include "devices/skelmora_keyboard_device.h"
#include "panels/light_control_ui.h"
#include "platform/log_categories.h"
#include "ui/control_look.h"
#include "ui/control_props.h"

namespace {

namespace lm = light_model;
using notify_type::kClick;
using notify_type::kColorChanged;
using notify_type::kItemSelect;
using notify_type::kKillFocus;
using notify_type::kSelectChanged;
using notify_type::kValueChanged;
using ui::NotifyMatch;

constexpr const char* kColourEdits[] = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr const char* kAudioEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
// The device lists same mode walks, in its order: keyboards, mice, mouse pads, headsets.
constexpr int kSameModeLists[] = {kKindKeyboard, kKindMouse, kKindMousePad, kKindHeadset};

int ComponentOf(const QString& name, const char* const (&edits)[3]) {
    for (int i = 0; i < 3; ++i)
        if (name == QLatin1String(edits[i])) return i;
    return -1;
}

void SetComponent(profiles::LightInfo& info, int component, uint8_t value) {
    uint8_t* channels[] = {&info.red, &info.green, &info.blue};
    *channels[component] = value;
}

// The screen when nobody gives one: the primary screen in physical pixels, read once.
QSize PrimaryScreenPixels() {
    static const QSize size = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return QSize();
        return screen->geometry().size() * screen->devicePixelRatio();
    }();
    return size;
}

}  // namespace

const CLightControlUI::Handler CLightControlUI::kHandlers[] = {
    {kItemSelect, "light_combo_modeSelect", &CLightControlUI::OnMode},
    {kItemSelect, "light_combo_custommodeSelect", &CLightControlUI::OnCustomGroup},
    {kItemSelect, "light_combo_ZZCCmodeSelect", &CLightControlUI::OnZzcc},
    {kItemSelect, "light_combo_audiomodeSelect", &CLightControlUI::OnAudioRecord},
    {kValueChanged, "deng_light_slider", &CLightControlUI::OnBrightness},
    {kValueChanged, "deng_speed_slider", &CLightControlUI::OnSpeed},
    {kSelectChanged, "deng_FXL_check", &CLightControlUI::OnDirection},
    {kSelectChanged, "deng_FXR_check", &CLightControlUI::OnDirection},
    {kSelectChanged, "deng_7color_check", &CLightControlUI::OnSevenColour},
    {kColorChanged, "deng_Color_Pallet", &CLightControlUI::OnPalette},
    {kKillFocus, "deng_edit_R", &CLightControlUI::OnColourEdit},
    {kKillFocus, "deng_edit_G", &CLightControlUI::OnColourEdit},
    {kKillFocus, "deng_edit_B", &CLightControlUI::OnColourEdit},
    {kClick, "color_option_", &CLightControlUI::OnPreset, NotifyMatch::NumberedPrefix},
    {kClick, "deng_same_mode", &CLightControlUI::OnSameMode},
    {kClick, "custom_bright_color_btn", &CLightControlUI::OnCustomBright},
    {kClick, "custom_off_color_btn", &CLightControlUI::OnCustomOff},
    {kSelectChanged, "deng_7audiocolor_check", &CLightControlUI::OnAudioRecord},
    {kSelectChanged, "audio_BkColor_check", &CLightControlUI::OnAudioColourType},
    {kSelectChanged, "audio_FgColor_check", &CLightControlUI::OnAudioColourType},
    {kColorChanged, "deng_audioColor_Pallet", &CLightControlUI::OnAudioPalette},
    {kKillFocus, "deng_audioedit_R", &CLightControlUI::OnAudioEdit},
    {kKillFocus, "deng_audioedit_G", &CLightControlUI::OnAudioEdit},
    {kKillFocus, "deng_audioedit_B", &CLightControlUI::OnAudioEdit},
    {kClick, "audiocolor_option_", &CLightControlUI::OnAudioPreset, NotifyMatch::NumberedPrefix},
    {kClick, "Close_bkColor_btn", &CLightControlUI::OnAudioNoBackground},
};

void CLightControlUI::Notify(TNotifyUI& msg) {
    if (!msg.pSender || !isAncestorOf(msg.pSender) || !device_) return;
    ui::DispatchNotify(this, kHandlers, msg);
}

// ---- Change propagation ----

profiles::LightInfo CLightControlUI::DeviceLight() const {
    return light::ToLightInfo(device_->GetLightSettingsCopy());
}

QSize CLightControlUI::ScreenSize() const {
    if (host_ && host_->screenSize) return host_->screenSize();
    return PrimaryScreenPixels();
}

void CLightControlUI::SetSyncMember(CSkelmoraUSBDevice& device, bool member) const {
    device.SetSynchroMember(member);
    // The selector item's synchronisation option shows the device's flag.
    if (auto* item = qobject_cast<CDeviceOptionUI*>(device.GetSelectorItem()))
        item->SetSynchro(member);
}

void CLightControlUI::WriteDevice(CSkelmoraUSBDevice& device) const {
    const QSize screen = ScreenSize();
    device.WriteParameters({0, 0, 1, screen.width(), screen.height()});
}

void CLightControlUI::NoteEarlyEdit(CSkelmoraUSBDevice& device, const profiles::LightInfo& info) {
    if (device.IsConnectDone()) return;
    if (CLightControlUI* panel = OfPage(&device))
        lm::NoteLightEdit(panel->earlyLight_, light::ToLightInfo(device.GetLightSettingsCopy()),
                          info);
}

void CLightControlUI::OnDeviceConnected() {
    if (!device_ || earlyLight_.Empty()) return;
    const lm::LightEdits edits = std::exchange(earlyLight_, {});
    auto* keyboard = qobject_cast<CSkelmoraKeyboardDevice*>(device_.data());
    if (edits.HasLight()) {
        const profiles::LightInfo info = lm::LayLightEdits(edits, DeviceLight());
        // The group chosen is selected even when the loaded record names it already: the
        // profile's colours may be another group's (the connect reads the record back from the
        // keyboard, which an early write reached).
        const bool newGroup =
            keyboard && lm::LightFieldNoted(edits, &profiles::LightInfo::custom_group);
        if (newGroup) keyboard->SelectCustomGroup(info.custom_group);
        StoreAndReload(*device_, info);
        device_->ReloadCustomLightEffect();
        WriteDevice(*device_);
        if (newGroup) keyboard->RefreshCustomColors();
    }
    // The connect handed the panel the loaded audio record.
    if (edits.HasAudio()) StoreAudio(lm::LayAudioEdits(edits, deviceAudio_));
    // Into the custom group and mode laid above.
    for (const bool bright : {true, false}) {
        const std::vector<int> leds = lm::NotedCustomKeys(edits, bright);
        if (keyboard && !leds.empty()) keyboard->SetCustomKeys(leds, bright);
    }
    qCDebug(lcUi) << "lighting panel: changes made before the connect laid over its profile";
}

void CLightControlUI::StoreAndReload(CSkelmoraUSBDevice& device,
                                     const profiles::LightInfo& info) const {
    NoteEarlyEdit(device, info);
    device.SetLightSettings(
        light::ToWords(light::WithLightInfo(device.GetLightSettingsCopy(), info)));
    device.SaveProfile();
    device.LoadLightSettings();
}

void CLightControlUI::RunFull(CSkelmoraUSBDevice& device, const profiles::LightInfo& info) const {
    StoreAndReload(device, info);
    WriteDevice(device);
}

void CLightControlUI::OnMode(TNotifyUI&) {
    const int mode = GetLightMode();
    if (mode < 0 || mode > 255) return;
    SetSyncMember(*device_, false);
    SetLightMode(mode);
    profiles::LightInfo info = DeviceLight();
    info.mode = static_cast<uint8_t>(mode);
    StoreAndReload(*device_, info);
    // A mode past the built-in list plays the user's effect of that number.
    device_->ReloadCustomLightEffect();
    WriteDevice(*device_);
}

void CLightControlUI::OnCustomGroup(TNotifyUI&) {
    auto* keyboard = qobject_cast<CSkelmoraKeyboardDevice*>(device_.data());
    const int group = GetCustomGroup();
    if (!keyboard || group < 0 || group > 255) return;
    keyboard->SelectCustomGroup(group);
    profiles::LightInfo info = DeviceLight();
    info.custom_group = static_cast<uint8_t>(group);
    NoteEarlyEdit(*keyboard, info);
    keyboard->SetLightSettings(
        light::ToWords(light::WithLightInfo(keyboard->GetLightSettingsCopy(), info)));
    keyboard->SaveProfile();
    WriteDevice(*keyboard);
    keyboard->RefreshCustomColors();
}

void CLightControlUI::OnZzcc(TNotifyUI&) {
    const int variant = GetZzccMode();
    if (!qobject_cast<CSkelmoraKeyboardDevice*>(device_.data()) || variant < 0 || variant > 255)
        return;
    SetZzccMode(variant);
    profiles::LightInfo info = DeviceLight();
    info.light_mode_variant = static_cast<uint8_t>(variant);
    RunFull(*device_, info);
}

void CLightControlUI::StoreLevel(int value, uint8_t profiles::LightInfo::*field,
                                 void (CLightControlUI::*show)(int)) {
    value = std::clamp(value, 0, kMaxLevel);
    (this->*show)(value);
    profiles::LightInfo info = DeviceLight();
    info.*field = static_cast<uint8_t>(value);
    SetSyncMember(*device_, false);
    RunFull(*device_, info);
}

void CLightControlUI::OnBrightness(TNotifyUI&) {
    StoreLevel(GetBrightness(), &profiles::LightInfo::brightness, &CLightControlUI::SetBrightness);
}

void CLightControlUI::OnSpeed(TNotifyUI&) {
    StoreLevel(GetSpeed(), &profiles::LightInfo::speed, &CLightControlUI::SetSpeed);
}

void CLightControlUI::OnDirection(TNotifyUI& msg) {
    // The pair sends one notification for the option left and one for the option chosen;
    // only the chosen one says the direction.
    if (!ui::IsSelected(msg.pSender)) return;
    const bool first = msg.pSender->objectName() == QLatin1String("deng_FXL_check");
    SetDirection(first);
    profiles::LightInfo info = DeviceLight();
    info.direction = first ? 1 : 0;
    SetSyncMember(*device_, false);
    RunFull(*device_, info);
}

void CLightControlUI::OnSevenColour(TNotifyUI&) {
    profiles::LightInfo info = DeviceLight();
    info.multicolour = GetMultiColor() ? 1 : 0;
    SetSyncMember(*device_, false);
    RunFull(*device_, info);
}

// The single colour from the palette or a preset: stored, saved, reloaded, shown in the
// edits and the palette, written.
void CLightControlUI::ApplyColour(uint32_t argb, bool clearSync) {
    const lm::Rgb colour = lm::RgbOf(argb);
    profiles::LightInfo info = DeviceLight();
    info.red = colour.red;
    info.green = colour.green;
    info.blue = colour.blue;
    info.multicolour = 0;
    if (clearSync) SetSyncMember(*device_, false);
    StoreAndReload(*device_, info);
    SetColourText(0, QString::number(colour.red));
    SetColourText(1, QString::number(colour.green));
    SetColourText(2, QString::number(colour.blue));
    SetMultiColor(false);
    SetPaletteColor(lm::ArgbOf(colour));
    WriteDevice(*device_);
}

void CLightControlUI::OnPalette(TNotifyUI&) { ApplyColour(GetPaletteColor(), true); }

void CLightControlUI::OnPreset(TNotifyUI& msg) {
    const auto n = ui::NumberAfterPrefix(msg.pSender->objectName(), "color_option_");
    if (!n) return;
    ApplyColour(GetPresetColor(*n), false);
}

void CLightControlUI::OnColourEdit(TNotifyUI& msg) {
    const int component = ComponentOf(msg.pSender->objectName(), kColourEdits);
    if (component < 0) return;
    const lm::ColourEdit edit = lm::ParseColourEdit(GetColourText(component).toStdString());
    if (edit.rewrite) SetColourText(component, QString::fromStdString(*edit.rewrite));
    profiles::LightInfo info = DeviceLight();
    SetComponent(info, component, edit.value);
    info.multicolour = 0;
    SetSyncMember(*device_, false);
    StoreAndReload(*device_, info);
    SetMultiColor(false);
    const profiles::LightInfo stored = DeviceLight();
    SetPaletteColor(lm::ArgbOf({stored.red, stored.green, stored.blue}));
    WriteDevice(*device_);
}

void CLightControlUI::OnCustomBright(TNotifyUI&) { SetCustomKeys(true); }

void CLightControlUI::OnCustomOff(TNotifyUI&) { SetCustomKeys(false); }

void CLightControlUI::SetCustomKeys(bool bright) {
    auto* keyboard = qobject_cast<CSkelmoraKeyboardDevice*>(device_.data());
    if (!keyboard) return;
    const std::vector<int> leds = keyboard->SelectedLightKeys();
    // Before the connect they are noted too: the connect loads the group's colours over them.
    if (!keyboard->IsConnectDone()) lm::NoteCustomKeys(earlyLight_, leds, bright);
    keyboard->SetCustomKeys(leds, bright);
}

// ---- Same mode ----

void CLightControlUI::OnSameMode(TNotifyUI&) { RunSameMode(); }

void CLightControlUI::RunSameMode() {
    const profiles::LightInfo source = DeviceLight();
    const std::optional<lm::SameModeKind> kind =
        lm::SameModeKindOf(device_->GetKind(), source.mode);
    if (!kind) return;
    if (host_ && host_->shareSyncSettings) {
        light::SyncSettings shared;
        shared.mode = *kind;
        shared.brightness = source.brightness;
        shared.speed = source.speed;
        shared.direction = source.direction;
        shared.multicolour = source.multicolour;
        shared.colour = {source.red, source.green, source.blue};
        host_->shareSyncSettings(shared);
    }
    if (!host_ || !host_->devicesOfKind) return;
    const QPointer<CSkelmoraUSBDevice> self = device_;
    for (int list : kSameModeLists) {
        for (CSkelmoraUSBDevice* device : host_->devicesOfKind(list)) {
            if (!device || !device->CommandChannel().IsOpened()) continue;
            const std::optional<int> mode = lm::SameModeFor(*kind, device->GetKind());
            if (!mode) continue;
            profiles::LightInfo info = source;
            info.mode = static_cast<uint8_t>(*mode);
            SetSyncMember(*device, true);
            if (CLightControlUI* panel = OfPage(device)) panel->ShowLightInfo(info);
            RunFull(*device, info);
        }
    }
    if (!self) qCWarning(lcUi) << "lighting panel: the device went away during same mode";
}

// ---- Audio ----

void CLightControlUI::StoreAudio(const profiles::AudioLightInfo& info) {
    // Before the connect the change is noted too: the connect's profile load would replace it.
    if (!device_->IsConnectDone()) lm::NoteAudioEdit(earlyLight_, deviceAudio_, info);
    const std::array<int, 3> words = light::PackAudioLight(info);
    device_->SetLightSource(words[0], words[1], words[2]);
    device_->SaveProfile();
    device_->LoadLightSettings();
}

void CLightControlUI::OnAudioRecord(TNotifyUI&) {
    StoreAudio(light::UnpackAudioLight(device_->GetLightSource(true)));
}

void CLightControlUI::OnAudioColourType(TNotifyUI&) {
    StoreAudio(light::UnpackAudioLight(device_->GetLightSource(false)));
}

void CLightControlUI::OnAudioPalette(TNotifyUI&) {
    const lm::Rgb colour = lm::RgbOf(GetAudioPaletteColor());
    const lm::Rgb foregroundBefore = lm::AudioColour(audio_, true);
    profiles::AudioLightInfo info = light::UnpackAudioLight(device_->GetLightSource(true));
    const bool foreground = info.colour_type != 0;
    lm::SetAudioColour(info, foreground, colour);
    if (lm::AudioColour(info, true) != foregroundBefore) info.seven_colour = 0;
    StoreAudio(info);
}

void CLightControlUI::OnAudioEdit(TNotifyUI& msg) {
    const int component = ComponentOf(msg.pSender->objectName(), kAudioEdits);
    if (component < 0) return;
    const uint8_t value = lm::ParseColourEdit(GetAudioEditText(component).toStdString()).value;
    profiles::AudioLightInfo info = light::UnpackAudioLight(device_->GetLightSource(false));
    const bool foreground = info.colour_type != 0;
    lm::Rgb colour = lm::AudioColour(info, foreground);
    uint8_t* channels[] = {&colour.red, &colour.green, &colour.blue};
    *channels[component] = value;
    lm::SetAudioColour(info, foreground, colour);
    if (foreground) info.seven_colour = 0;
    StoreAudio(info);
}

void CLightControlUI::OnAudioPreset(TNotifyUI& msg) {
    const auto n = ui::NumberAfterPrefix(msg.pSender->objectName(), "audiocolor_option_");
    if (!n) return;
    const uint32_t argb = GetLightAudioColor(*n);
    profiles::AudioLightInfo info = light::UnpackAudioLight(device_->GetLightSource(true));
    const bool foreground = info.colour_type != 0;
    lm::SetAudioColour(info, foreground, lm::RgbOf(argb));
    if (foreground) info.seven_colour = 0;
    StoreAudio(info);
}

void CLightControlUI::OnAudioNoBackground(TNotifyUI&) {
    profiles::AudioLightInfo info = light::UnpackAudioLight(device_->GetLightSource(true));
    lm::SetAudioColour(info, false, {0, 0, 0});
    StoreAudio(info);
}
