#include "panels/light_control_ui.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QListView>
#include <QLoggingCategory>
#include <QStackedWidget>
#include <algorithm>

#include "controls/color_palette.h"
#include "devices/light_info_words.h"
#include "platform/log_categories.h"
#include "profiles/json_file.h"
#include "ui/control_factory.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"

namespace {

namespace lm = light_model;

constexpr char kModeCombo[] = "light_combo_modeSelect";
constexpr char kCustomCombo[] = "light_combo_custommodeSelect";
constexpr char kZzccCombo[] = "light_combo_ZZCCmodeSelect";
constexpr char kAudioCombo[] = "light_combo_audiomodeSelect";
constexpr char kBrightnessSlider[] = "deng_light_slider";
constexpr char kSpeedSlider[] = "deng_speed_slider";
constexpr const char* kColourEdits[] = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr const char* kAudioEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
constexpr char kPalette[] = "deng_Color_Pallet";
constexpr char kSwatch[] = "deng_colordp_btn";
constexpr char kPresetPrefix[] = "color_option_";
constexpr char kSevenColour[] = "deng_7color_check";
constexpr char kFirstDirection[] = "deng_FXL_check";
constexpr char kSecondDirection[] = "deng_FXR_check";
constexpr char kSameMode[] = "deng_same_mode";
constexpr char kAudioPalette[] = "deng_audioColor_Pallet";
constexpr char kAudioSwatch[] = "deng_audiocolordp_btn";
constexpr char kAudioPresetPrefix[] = "audiocolor_option_";
constexpr char kAudioSevenColour[] = "deng_7audiocolor_check";
constexpr char kAudioBackground[] = "audio_BkColor_check";
constexpr char kAudioForeground[] = "audio_FgColor_check";
constexpr char kColourTabs[] = "light_color_tablayout";
constexpr const char* kAudioLayouts[] = {"light_audiocolor_layout", "audiocolorpallet_layout"};
// The audio light modes (text identifiers): level, bars, rhythm and rainbow bars; the rainbow
// has no colours of its own.
constexpr const char* kAudioModes[] = {"audio_mode_level_text", "audio_mode_bars_text",
                                       "audio_mode_rhythm_text", "audio_mode_rainbow_text"};
// Shown on the audio page while no sound reaches the music modes.
constexpr char kNoSoundLabel[] = "audio_no_input_label";
// The rows that hold a colour page's entries and its palette.
constexpr const char* kColourRows[] = {"light_single_row", "light_audio_row"};
constexpr int kAudioModeWithoutColours = 3;

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

std::optional<uint32_t> ReadPalette(const QWidget* palette) {
    if (const auto* control = qobject_cast<const CColorPaletteUI*>(palette))
        return control->GetSelectColor();
    return std::nullopt;
}

void WritePalette(QWidget* palette, uint32_t argb) {
    if (auto* control = qobject_cast<CColorPaletteUI*>(palette)) control->SetSelectColor(argb);
}

// The device class's own type: a device attached through its receiver shows its wired page.
int PanelTypeOf(const CSkelmoraUSBDevice& device) {
    switch (device.GetKind()) {
        case kKindMouseReceiver:
            return lm::kTypeMouse;
        case kKindKeyboardReceiver:
            return lm::kTypeKeyboard;
        default:
            return device.GetKind();
    }
}

}  // namespace

CLightControlUI::CLightControlUI(QWidget* parent) : QWidget(parent) {}

CLightControlUI* CLightControlUI::OfPage(const QWidget* page) {
    if (!page) return nullptr;
    return qobject_cast<CLightControlUI*>(
        CPaintManagerUI::FindSubControlByName(page, QLatin1String(kItemName)));
}

QWidget* CLightControlUI::Control(const char* name) const {
    return CPaintManagerUI::FindSubControlByName(this, QLatin1String(name));
}

QWidget* CLightControlUI::Control(const QString& name) const {
    return CPaintManagerUI::FindSubControlByName(this, name);
}

void CLightControlUI::LogMissing(const char* text) const { qCWarning(lcUi) << text; }

void CLightControlUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ArrangeColourRows();
}

void CLightControlUI::ArrangeColourRows() {
    auto* top = qobject_cast<QBoxLayout*>(layout());
    const QWidget* effects = Control("lighteffect_layout");
    const auto* pages = qobject_cast<QStackedWidget*>(Control(kColourTabs));
    QWidget* page = pages ? pages->currentWidget() : nullptr;
    if (!top || !effects || !page || !page->layout()) return;
    std::vector<QBoxLayout*> rows;
    for (const char* name : kColourRows) {
        if (auto* row = findChild<QBoxLayout*>(QLatin1String(name))) rows.push_back(row);
    }
    const auto direction = [&](QBoxLayout::Direction to) {
        for (QBoxLayout* row : rows) {
            if (row->direction() != to) row->setDirection(to);
        }
    };
    // The width the shown colour page needs with its palette beside its entries (the other
    // page, hidden, does not count).
    direction(QBoxLayout::LeftToRight);
    page->layout()->invalidate();
    const QMargins margins = top->contentsMargins();
    const int need = margins.left() + effects->minimumSizeHint().width() + top->spacing() +
                     page->layout()->minimumSize().width() + margins.right();
    if (need > width()) direction(QBoxLayout::TopToBottom);
}

void CLightControlUI::AttachDevice(CSkelmoraUSBDevice* device) {
    device_ = device;
    if (!device) return;
    device->SetLightingPanel(this);
    device->AddPanel(this);
    SetDeviceType(PanelTypeOf(*device));
    const int model = std::max(0, device->GetModelIndex());
    const profiles::JsonFile files;
    const Json::Value defaults = files.ReadDocument(
        ToPath(device->GetDefaultDataFolder() + QStringLiteral("default_light.json")));
    const QString folder = device->GetUserDataFolder();
    const Json::Value config =
        folder.isEmpty()
            ? Json::Value()
            : files.ReadDocument(ToPath(folder + '/' + device->GetLightConfigurationName() +
                                        QStringLiteral(".config")));
    modes_ = lm::ReadLightModeList(defaults, config, model);
    for (const std::string& problem : modes_.problems)
        qCWarning(lcUi) << "lighting panel:" << problem.c_str();
    // The user's effects follow the built-in modes.
    std::vector<std::string> names = modes_.names;
    std::vector<bool> visible = modes_.visible;
    names.insert(names.end(), modes_.userNames.begin(), modes_.userNames.end());
    visible.insert(visible.end(), modes_.userNames.size(), true);
    FillModeList(names, visible, kMaxLevel, kMaxLevel);
    FillCustomGroups(modes_.areaNames);
    if (QWidget* audio = Control(kAudioCombo); audio && ui::GetCount(audio) == 0) {
        for (const char* mode : kAudioModes)
            ui::AddLabelItem(audio, QLatin1String(mode), QLatin1String(mode), true, kItemHeight);
    }
    device->ShowLightOnPanel();
}

// ---- Operations ----

void CLightControlUI::ShowSoundInput(bool hasSound) {
    if (QWidget* label = Control(kNoSoundLabel)) label->setVisible(!hasSound);
}

void CLightControlUI::FillModeList(const std::vector<std::string>& names,
                                   const std::vector<bool>& visible, int maxBrightness,
                                   int maxSpeed) {
    QWidget* combo = Control(kModeCombo);
    if (!combo) return;
    ui::RemoveAllItems(combo);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString name = QString::fromStdString(names[i]);
        const int row = ui::AddLabelItem(combo, name, name, true, kItemHeight);
        if (i >= visible.size() || !visible[i]) {
            // A hidden entry keeps its place (its index is the mode) but cannot be chosen.
            if (auto* box = qobject_cast<QComboBox*>(combo)) {
                if (auto* view = qobject_cast<QListView*>(box->view()))
                    view->setRowHidden(row, true);
            }
        }
    }
    ui::SetRange(Control(kBrightnessSlider), 0, maxBrightness);
    ui::SetRange(Control(kSpeedSlider), 0, maxSpeed);
}

void CLightControlUI::FillCustomGroups(const std::vector<std::string>& names) {
    QWidget* combo = Control(kCustomCombo);
    if (!combo) return;
    ui::RemoveAllItems(combo);
    for (const std::string& name : names) {
        const QString text = QString::fromStdString(name);
        ui::AddLabelItem(combo, text, text, true, kItemHeight);
    }
}

void CLightControlUI::ShowLightInfo(const profiles::LightInfo& info) {
    SetLightMode(info.mode);
    SetBrightness(info.brightness);
    SetSpeed(info.speed);
    SetColourText(0, QString::number(info.red));
    SetColourText(1, QString::number(info.green));
    SetColourText(2, QString::number(info.blue));
    SetPaletteColor(lm::ArgbOf({info.red, info.green, info.blue}));
    SetMultiColor(info.multicolour != 0);
    SetZzccMode(info.light_mode_variant);
    SetDirection(info.direction != 0);
    ApplyLayout(deviceType_, info.mode);
}

void CLightControlUI::ShowLightSettings(const std::array<uint32_t, 4>& words) {
    ShowLightInfo(light::ToLightInfo(light::FromWords(words)));
}

void CLightControlUI::SetLightMode(int mode) {
    if (QWidget* combo = Control(kModeCombo)) {
        // A mode past the list (a profile from elsewhere) selects nothing.
        ui::SelectItem(combo, mode >= 0 && mode < ui::GetCount(combo) ? mode : -1);
    }
    ApplyLayout(deviceType_, mode);
}

int CLightControlUI::GetLightMode() const {
    const QWidget* combo = Control(kModeCombo);
    return combo ? ui::GetCurSel(combo) : -1;
}

void CLightControlUI::SetCustomGroup(int group) {
    QWidget* combo = Control(kCustomCombo);
    if (combo) ui::SelectItem(combo, group >= 0 && group < ui::GetCount(combo) ? group : -1);
}

int CLightControlUI::GetCustomGroup() const {
    const QWidget* combo = Control(kCustomCombo);
    return combo ? ui::GetCurSel(combo) : -1;
}

void CLightControlUI::SetZzccMode(int mode) {
    QWidget* combo = Control(kZzccCombo);
    if (combo) ui::SelectItem(combo, mode >= 0 && mode < ui::GetCount(combo) ? mode : -1);
}

int CLightControlUI::GetZzccMode() const {
    const QWidget* combo = Control(kZzccCombo);
    return combo ? ui::GetCurSel(combo) : -1;
}

void CLightControlUI::SetBrightness(int value) { ui::SetValue(Control(kBrightnessSlider), value); }
int CLightControlUI::GetBrightness() const {
    const QWidget* slider = Control(kBrightnessSlider);
    return slider ? ui::GetValue(slider) : 0;
}

void CLightControlUI::SetSpeed(int value) { ui::SetValue(Control(kSpeedSlider), value); }
int CLightControlUI::GetSpeed() const {
    const QWidget* slider = Control(kSpeedSlider);
    return slider ? ui::GetValue(slider) : 0;
}

void CLightControlUI::SetColourText(int component, const QString& text) {
    if (component < 0 || component > 2) return;
    if (QWidget* edit = Control(kColourEdits[component])) ui::SetText(edit, text);
}

QString CLightControlUI::GetColourText(int component) const {
    if (component < 0 || component > 2) return {};
    const QWidget* edit = Control(kColourEdits[component]);
    return edit ? ui::GetText(edit) : QString();
}

void CLightControlUI::SetPaletteColor(uint32_t argb) {
    WritePalette(Control(kPalette), argb);
    SetColorSwatch(argb);
}

uint32_t CLightControlUI::GetPaletteColor() const {
    return ReadPalette(Control(kPalette)).value_or(lm::kNeutralColour);
}

void CLightControlUI::SetColorSwatch(uint32_t argb) { ui::SetBkColor(Control(kSwatch), argb); }

void CLightControlUI::SetMultiColor(bool on) {
    if (QWidget* option = Control(kSevenColour)) ui::SetSelected(option, on);
}

bool CLightControlUI::GetMultiColor() const {
    const QWidget* option = Control(kSevenColour);
    return option && ui::IsSelected(option);
}

void CLightControlUI::SetDirection(bool first) {
    if (QWidget* option = Control(kFirstDirection)) ui::SetSelected(option, first);
    if (QWidget* option = Control(kSecondDirection)) ui::SetSelected(option, !first);
}

uint32_t CLightControlUI::GetPresetColor(int n) const {
    const QWidget* preset = Control(QLatin1String(kPresetPrefix) + QString::number(n));
    return preset ? ui::GetBkColor(preset) : 0;
}

void CLightControlUI::SetSameModeAvailable(bool available) {
    sameModeAvailable_ = available;
    ApplyLayout(deviceType_, shownMode_);
}

void CLightControlUI::ShowSameMode(bool wanted) {
    if (QWidget* button = Control(kSameMode)) ui::SetVisible(button, wanted && sameModeAvailable_);
}

void CLightControlUI::ApplyLayout(int type, int mode) {
    const lm::LayoutPlan plan = lm::PlanLayout(type, mode);
    if (!plan.known) return;
    shownMode_ = mode;
    for (std::size_t i = 0; i < plan.controls.size(); ++i) {
        QWidget* control = Control(lm::kLayoutControlNames[i]);
        if (!control) continue;
        const lm::ControlChange change = plan.controls[i];
        if (change.enabled >= 0) ui::SetEnabled(control, change.enabled != 0);
        if (change.visible >= 0) ui::SetVisible(control, change.visible != 0);
    }
    if (plan.showSameMode) ShowSameMode(*plan.showSameMode);
    if (plan.colourTabPage) {
        ui::SelectTabItem(Control(kColourTabs), *plan.colourTabPage);
        ArrangeColourRows();
    }
    if (plan.directionTexts.first) {
        ui::SetText(Control(kFirstDirection), QLatin1String(plan.directionTexts.first));
        ui::SetText(Control(kSecondDirection), QLatin1String(plan.directionTexts.second));
    }
}

// ---- Audio ----

void CLightControlUI::ShowAudioColour(lm::Rgb colour) {
    const uint8_t parts[] = {colour.red, colour.green, colour.blue};
    for (int i = 0; i < 3; ++i) ui::SetText(Control(kAudioEdits[i]), QString::number(parts[i]));
    const uint32_t argb = lm::ArgbOf(colour);
    WritePalette(Control(kAudioPalette), argb);
    ui::SetBkColor(Control(kAudioSwatch), argb);
}

void CLightControlUI::SetAudioLightInfo(const profiles::AudioLightInfo& info) {
    audio_ = info;
    QWidget* combo = Control(kAudioCombo);
    if (!combo) {
        LogMissing(" SetAudioLightInfo control is NULL");
        return;
    }
    if (!Control(kAudioSwatch)) LogMissing("GetAudioLightInfo control is NULL");
    ui::SelectItem(combo, info.audio_mode < ui::GetCount(combo) ? info.audio_mode : -1);
    const bool foreground = info.colour_type != 0;
    ui::SetSelected(Control(kAudioBackground), !foreground);
    ui::SetSelected(Control(kAudioForeground), foreground);
    QWidget* seven = Control(kAudioSevenColour);
    ui::SetEnabled(seven, foreground);
    if (seven && foreground) ui::SetSelected(seven, info.seven_colour != 0);
    ShowAudioColour(lm::AudioColour(info, foreground));
    const bool colours = info.audio_mode != kAudioModeWithoutColours;
    for (const char* layout : kAudioLayouts) ui::SetEnabled(Control(layout), colours);
}

profiles::AudioLightInfo CLightControlUI::GetAudioLightInfo(bool takeSwatchColour) {
    const QWidget* combo = Control(kAudioCombo);
    const QWidget* swatch = Control(kAudioSwatch);
    const QWidget* seven = Control(kAudioSevenColour);
    const QWidget* background = Control(kAudioBackground);
    const QWidget* foreground = Control(kAudioForeground);
    if (!combo || !swatch || !seven || !background || !foreground) {
        LogMissing("GetAudioLightInfo control is NULL");
        return audio_;
    }
    if (const int mode = ui::GetCurSel(combo); mode >= 0)
        audio_.audio_mode = static_cast<uint8_t>(mode);
    audio_.seven_colour = ui::IsSelected(seven) ? 1 : 0;
    audio_.colour_type = lm::AudioColourType(ui::IsSelected(background), ui::IsSelected(foreground),
                                             audio_.colour_type);
    if (takeSwatchColour) {
        const lm::Rgb colour = lm::RgbOf(ui::GetBkColor(swatch));
        if (audio_.colour_type != 0) {
            audio_.foreground_red = colour.red;
            audio_.foreground_green = colour.green;
            audio_.foreground_blue = colour.blue;
        } else {
            audio_.background_red = colour.red;
            audio_.background_green = colour.green;
            audio_.background_blue = colour.blue;
        }
    }
    return audio_;
}

uint32_t CLightControlUI::GetLightAudioColor(int n) const {
    const QString name = QLatin1String(kAudioPresetPrefix) + QString::number(n);
    qCDebug(lcUi) << name << "GetLightAudioColor";
    const QWidget* preset = Control(name);
    return preset ? ui::GetBkColor(preset) : 0;
}

uint32_t CLightControlUI::GetAudioPaletteColor() const {
    return ReadPalette(Control(kAudioPalette)).value_or(lm::kNeutralColour);
}

QString CLightControlUI::GetAudioEditText(int component) const {
    for (const char* name : kAudioEdits) {
        if (!Control(name)) {
            LogMissing("GetLightAudioColor control is NULL");
            return {};
        }
    }
    if (component < 0 || component > 2) return {};
    return ui::GetText(Control(kAudioEdits[component]));
}

void CLightControlUI::SetLightSource(int first, int second, int third) {
    deviceAudio_ = light::UnpackAudioLight({first, second, third});
    SetAudioLightInfo(deviceAudio_);
}

std::array<int, 3> CLightControlUI::GetLightSource(bool takeSwatchColour) {
    return light::PackAudioLight(GetAudioLightInfo(takeSwatchColour));
}

void RegisterLightControl() {
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistControl(QLatin1String(CLightControlUI::kClassName), &CLightControlUI::Create);
    factory.RegistControl(QLatin1String(CLightControlUI::kLongClassName), &CLightControlUI::Create);
}
