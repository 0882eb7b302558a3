#include "panels/voice6533_control_ui.h"

#include <QComboBox>
#include <QLineEdit>

#include "panels/eq_model.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"

namespace {
constexpr char kPresetOption[] = "6533_eq_option_";
constexpr char kBandSlider[] = "6533_eq_hz_slider_";
constexpr char kCustomLayout[] = "custom_eq_option_layout";
constexpr char kNameCombo[] = "custom_eq_name_combo";
constexpr char kNameEdit[] = "custom_eq_name_edit";
constexpr char kMicOption[] = "6533_MicIn_option";
constexpr char kMicSlider[] = "6533_MicIn_slider";
constexpr char kMonitorOption[] = "6533_MicMoniter_option";
constexpr char kMonitorSlider[] = "6533_MicMoniter_slider";
constexpr char kMonitorUnavailable[] = "6533_MicMoniter_unavailable_label";
constexpr char kEqLayout[] = "6533_eq_layout";
constexpr char kEqUnavailable[] = "6533_eq_unavailable_label";
constexpr char kMicLayout[] = "6533_MicIn_layout";
}  // namespace

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* parent) : QWidget(parent) {}

void CVoice6533ControlUI::Notify(TNotifyUI& msg) {
    if (handler_) handler_->Notify(msg);
}

QWidget* CVoice6533ControlUI::Control(const QString& name) const {
    return findChild<QWidget*>(name);
}
QWidget* CVoice6533ControlUI::Control(const char* name) const {
    return Control(QLatin1String(name));
}

void CVoice6533ControlUI::SetEqPreset(int p) {
    for (int i = 1; i <= eq_model::kCustomType; ++i) {
        if (QWidget* option = Control(kPresetOption + QString::number(i)))
            ui::SetSelected(option, false);
    }
    preset_ = (p >= 0 && p <= eq_model::kCustomType) ? p : 0;
    if (preset_ > 0) {
        if (QWidget* option = Control(kPresetOption + QString::number(preset_)))
            ui::SetSelected(option, true);
    }
}

void CVoice6533ControlUI::SetBandGain(int band, int gain) {
    if (QWidget* slider = Control(kBandSlider + QString::number(band))) ui::SetValue(slider, gain);
}

int CVoice6533ControlUI::GetBandGain(int band) const {
    QWidget* slider = Control(kBandSlider + QString::number(band));
    return slider ? ui::GetValue(slider) : -1;
}

void CVoice6533ControlUI::EnableCustomEq(bool enable) {
    if (QWidget* layout = Control(kCustomLayout)) ui::SetEnabled(layout, enable);
}

bool CVoice6533ControlUI::IsCustomEqEnabled() const {
    QWidget* layout = Control(kCustomLayout);
    return layout && layout->isEnabled();
}

void CVoice6533ControlUI::SetMicIn(bool on) {
    if (QWidget* option = Control(kMicOption)) ui::SetSelected(option, on);
}
bool CVoice6533ControlUI::IsMicIn() const {
    QWidget* option = Control(kMicOption);
    return option && ui::IsSelected(option);
}
void CVoice6533ControlUI::SetMicMonitor(bool on) {
    if (QWidget* option = Control(kMonitorOption)) ui::SetSelected(option, on);
}
bool CVoice6533ControlUI::IsMicMonitor() const {
    QWidget* option = Control(kMonitorOption);
    return option && ui::IsSelected(option);
}
void CVoice6533ControlUI::SetMicInLevel(int level) {
    if (QWidget* slider = Control(kMicSlider)) ui::SetValue(slider, level);
}
int CVoice6533ControlUI::GetMicInLevel() const {
    QWidget* slider = Control(kMicSlider);
    return slider ? ui::GetValue(slider) : -1;
}
void CVoice6533ControlUI::SetMicMonitorLevel(int level) {
    if (QWidget* slider = Control(kMonitorSlider)) ui::SetValue(slider, level);
}
int CVoice6533ControlUI::GetMicMonitorLevel() const {
    QWidget* slider = Control(kMonitorSlider);
    return slider ? ui::GetValue(slider) : -1;
}

void CVoice6533ControlUI::AddCustomEqName(const QString& name) {
    if (QWidget* combo = Control(kNameCombo))
        ui::AddLabelItem(combo, eq_model::ShownName(name), name, false, kNameItemHeight);
}

void CVoice6533ControlUI::SelectCustomEq(int i) {
    if (QWidget* combo = Control(kNameCombo)) ui::SelectItem(combo, i);
    SetCustomEqEditText(QString());
}

int CVoice6533ControlUI::GetCustomEqSelection() const {
    QWidget* combo = Control(kNameCombo);
    return combo ? ui::GetCurSel(combo) : -1;
}

int CVoice6533ControlUI::GetCustomEqCount() const {
    QWidget* combo = Control(kNameCombo);
    return combo ? ui::GetCount(combo) : 0;
}

QString CVoice6533ControlUI::GetCustomEqName(int i) const {
    QWidget* combo = Control(kNameCombo);
    return combo ? ui::GetItemUserData(combo, i) : QString();
}

void CVoice6533ControlUI::RemoveCustomEq(int i) {
    auto* combo = qobject_cast<QComboBox*>(Control(kNameCombo));
    if (!combo || i < 0 || i >= combo->count()) return;
    const QSignalBlocker block(combo);
    combo->removeItem(i);
    combo->setCurrentIndex(-1);
}

void CVoice6533ControlUI::ClearCustomEqs() {
    if (QWidget* combo = Control(kNameCombo)) ui::RemoveAllItems(combo);
}

QString CVoice6533ControlUI::GetCustomEqEditText() const {
    QWidget* edit = Control(kNameEdit);
    return edit ? ui::GetText(edit) : QString();
}

void CVoice6533ControlUI::SetCustomEqEditText(const QString& text) {
    if (QWidget* edit = Control(kNameEdit)) ui::SetText(edit, text);
}

void CVoice6533ControlUI::SetMonitorAvailable(bool available) {
    for (const char* name : {kMonitorOption, kMonitorSlider}) {
        if (QWidget* w = Control(name)) ui::SetEnabled(w, available);
    }
    if (QWidget* label = Control(kMonitorUnavailable)) ui::SetVisible(label, !available);
}

void CVoice6533ControlUI::SetMicAvailable(bool available) {
    if (QWidget* layout = Control(kMicLayout)) ui::SetEnabled(layout, available);
}

void CVoice6533ControlUI::SetEqAvailable(bool available) {
    if (QWidget* layout = Control(kEqLayout)) ui::SetEnabled(layout, available);
    if (QWidget* label = Control(kEqUnavailable)) ui::SetVisible(label, !available);
}

void RegisterVoice6533Control() {
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistControl(QLatin1String(CVoice6533ControlUI::kClassName),
                          &CVoice6533ControlUI::Create);
    factory.RegistControl(QStringLiteral("CVoice6533ControlUI"), &CVoice6533ControlUI::Create);
}
