#include "panels/magic_control_ui.h"

#include "ui/control_factory.h"
#include "ui/control_props.h"

namespace {
constexpr char kEnable[] = "magic_enable_option";
constexpr char kLayout[] = "magic_option_layout";
constexpr char kOption[] = "magic_option_";
constexpr char kPanelLayout[] = "magic_panel_layout";
constexpr char kUnavailable[] = "magic_unavailable_label";
constexpr int kChoices = 4;
}  // namespace

CMagicControlUI::CMagicControlUI(QWidget* parent) : QWidget(parent) {}

void CMagicControlUI::Notify(TNotifyUI& msg) {
    if (handler_) handler_->Notify(msg);
}

void CMagicControlUI::SetVoiceChangerOn(bool on) {
    if (QWidget* option = Control(QLatin1String(kEnable))) ui::SetSelected(option, on);
    if (QWidget* layout = Control(QLatin1String(kLayout))) ui::SetEnabled(layout, on);
}

bool CMagicControlUI::IsVoiceChangerOn() const {
    QWidget* option = Control(QLatin1String(kEnable));
    return option && ui::IsSelected(option);
}

void CMagicControlUI::SetVoiceChangerSelection(int k) {
    for (int i = 1; i <= kChoices; ++i) {
        if (QWidget* option = Control(kOption + QString::number(i))) ui::SetSelected(option, false);
    }
    if (k < 1 || k > kChoices) return;
    if (QWidget* option = Control(kOption + QString::number(k))) ui::SetSelected(option, true);
}

int CMagicControlUI::GetVoiceChangerSelection() const {
    for (int i = 1; i <= kChoices; ++i) {
        QWidget* option = Control(kOption + QString::number(i));
        if (option && ui::IsSelected(option)) return i;
    }
    return 0;
}

void CMagicControlUI::SetAvailable(bool available) {
    if (QWidget* layout = Control(QLatin1String(kPanelLayout))) ui::SetEnabled(layout, available);
    if (QWidget* label = Control(QLatin1String(kUnavailable))) ui::SetVisible(label, !available);
}

void RegisterMagicControl() {
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistControl(QLatin1String(CMagicControlUI::kClassName), &CMagicControlUI::Create);
    factory.RegistControl(QStringLiteral("CMagicControlUI"), &CMagicControlUI::Create);
}
