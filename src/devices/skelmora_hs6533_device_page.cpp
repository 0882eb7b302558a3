// The headset page: the LED buttons over the headset picture, the panels of the function pages
// the profile panel's tabs switch (light, voice, voice changer, surround), and the previews'
// pace.
#include <QThread>

#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "devices/skelmora_hs6533_device.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"

namespace {

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
    SetFunctionPage(GetFunctionPage());
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
