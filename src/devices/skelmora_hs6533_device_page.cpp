// The headset page: the LED buttons over the headset picture, the three tabs (light, voice,
// surround) and the panels they hold, and the previews' pace.
#include <QStackedWidget>
#include <QThread>

#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "devices/skelmora_hs6533_device.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"

namespace {

constexpr char kTabLayout[] = "hs6533_device_seting_layout";
constexpr char kTabOption[] = "hs6533_device_seting_option_";
constexpr char kLightPrefix[] = "light_";

}  // namespace

void CSkelmoraHS6533Device::BindPageControls() {
    const auto find = [this](const char* name) {
        return CPaintManagerUI::FindSubControlByName(this, QLatin1String(name));
    };
    lightControlItem_ = find("LightControlItem");
    if (auto* lighting = dynamic_cast<ILightSourcePanel*>(lightControlItem_.data()))
        SetLightingPanel(lighting);
    voiceControlItem_ = find("Voice6533ControlItem");
    magicControlItem_ = find("MagicControlItem");
    virtualSetItem_ = find("VirtualSetControlUI");
    tabLayout_ = find(kTabLayout);
    for (QWidget* panel : {lightControlItem_.data(), voiceControlItem_.data(),
                           magicControlItem_.data(), virtualSetItem_.data()}) {
        if (panel) AddPanel(panel);
    }
    if (GetPageLayoutPath().isEmpty()) {
        SetCounts(0, 0);
        return;
    }
    lightPanel_ = find(kLightPanelName);
    if (auto* panel = qobject_cast<CSelectPanelUI*>(lightPanel_.data())) {
        const auto buttons =
            panel->findChildren<CDeviceKeyButtonUI*>(QString(), Qt::FindDirectChildrenOnly);
        for (CDeviceKeyButtonUI* button : buttons) {
            const QString name = button->objectName();
            if (!name.startsWith(QLatin1String(kLightPrefix))) continue;
            bool ok = false;
            const int n = name.mid(static_cast<int>(qstrlen(kLightPrefix))).toInt(&ok);
            if (ok) SetLightControl(n, button);  // numbers past the LED count are ignored
        }
    }
    SelectPageTab(0);
}

void CSkelmoraHS6533Device::SelectPageTab(int n) {
    auto* tabs = qobject_cast<QStackedWidget*>(tabLayout_.data());
    if (!tabs) return;
    if (n < 0 || n >= tabs->count()) n = 0;
    ui::SelectTabItem(tabs, n);
    const QString wanted = QLatin1String(kTabOption) + QString::number(n);
    for (QWidget* option : findChildren<QWidget*>()) {
        if (option->objectName().startsWith(QLatin1String(kTabOption)))
            ui::SetSelected(option, option->objectName() == wanted);
    }
}

void CSkelmoraHS6533Device::Notify(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const QString name = msg.pSender->objectName();
    if (msg.sType == QLatin1String(notify_type::kSelectChanged) &&
        name.startsWith(QLatin1String(kTabOption))) {
        bool ok = false;
        const int n = name.mid(static_cast<int>(qstrlen(kTabOption))).toInt(&ok);
        if (ok && ui::IsSelected(msg.pSender)) SelectPageTab(n);
        return;
    }
    CSkelmoraUSBDevice::Notify(msg);
}

bool CSkelmoraHS6533Device::SendLightFrame() {
    if (QThread::currentThread() != thread() || !IsPageOnScreen()) return true;
    paintedChanges_ = ledChanges_;
    PaintLightPreview();
    return true;
}

CSkelmoraUSBDevice::FrameNeed CSkelmoraHS6533Device::GetFrameNeed() const {
    if (!IsPageOnScreen() || paintedChanges_ == ledChanges_) return FrameNeed::Nothing;
    return FrameNeed::Preview;
}
