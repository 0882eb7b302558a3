// The keyboard's page: binding the picture's key and light buttons, the panels found by
// name, and the system settings.
#include <QVariant>

#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "devices/keyboard/light_preview_steps.h"
#include "devices/skelmora_keyboard_device.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"

namespace {

constexpr char kKeyPanelName[] = "device_key_light";
constexpr char kKeyPrefix[] = "key_";
constexpr char kLightPrefix[] = "light_";

// "light_12" -> 12 when text is prefix + a number, split at the last "_"; -1 otherwise.
int NumberOf(const QString& text, const QString& prefix) {
    const int underscore = text.lastIndexOf('_');
    if (underscore < 0 || text.left(underscore + 1) != prefix) return -1;
    bool ok = false;
    const int number = text.mid(underscore + 1).toInt(&ok);
    return ok && number >= 0 ? number : -1;
}

// The page's select panel: "device_key_light" among the direct children, else the first.
CSelectPanelUI* KeyPanelOf(const QWidget* page) {
    const auto panels = page->findChildren<CSelectPanelUI*>(QString(), Qt::FindDirectChildrenOnly);
    for (CSelectPanelUI* panel : panels) {
        if (panel->objectName() == QLatin1String(kKeyPanelName)) return panel;
    }
    return panels.isEmpty() ? nullptr : panels.front();
}

}  // namespace

void CSkelmoraKeyboardDevice::BindPageControls() {
    if (GetPageLayoutPath().isEmpty()) {
        SetCounts(0, 0);
        return;
    }
    if (CSelectPanelUI* panel = KeyPanelOf(this)) {
        const auto buttons =
            panel->findChildren<CDeviceKeyButtonUI*>(QString(), Qt::FindDirectChildrenOnly);
        // The wave's columns come from the keys' places relative to each other: the panel
        // has no size of its own until it is laid out, after this binding.
        std::vector<int> centres(static_cast<size_t>(GetLedCount()), -1);
        for (CDeviceKeyButtonUI* button : buttons) {
            const QString name = button->objectName();
            if (const int key = NumberOf(name, kKeyPrefix); key >= 0) SetKeyButton(key, button);
            int led = NumberOf(name, kLightPrefix);
            if (led < 0) led = NumberOf(ui::GetUserData(button), kLightPrefix);
            if (led < 0 || led >= GetLedCount()) continue;
            SetLightControl(led, button);
            centres[static_cast<size_t>(led)] = std::max(0, button->geometry().center().x());
        }
        std::vector<uint8_t> columns = keyboard::WaveColumnsOfCentres(centres);
        std::lock_guard lock(LightLock());
        keyColumns_ = std::move(columns);
    }

    // Until a profile is loaded the settings show the zero stages (option 0 of each row).
    if (!settingsPanel_) settingsPanel_ = MakeKeyboardSettingsView();
    if (settingsPanel_) settingsPanel_->Bind(this);
    ShowSystemStages();
    const auto find = [this](const char* name) {
        return CPaintManagerUI::FindSubControlByName(this, QLatin1String(name));
    };
    // The panels take the keyboard as their device; each is named in the page once its
    // layout file ships. The profile panel is attached by the device manager (AttachDevice).
    lightControlItem_ = find("LightControlItem");
    if (auto* lighting = dynamic_cast<ILightSourcePanel*>(lightControlItem_.data()))
        SetLightingPanel(lighting);
    macroControlItem_ = find("MacroControlItem");
    keySetControlItem_ = find("KeySetControlItem");
    systemSettingsPage_ = find("kb_system_settings");
    for (QWidget* panel : {GetProfilePanel(), lightControlItem_.data(), macroControlItem_.data(),
                           keySetControlItem_.data()}) {
        if (panel) panel->setProperty("device", QVariant::fromValue<QObject*>(this));
    }
}

int CSkelmoraKeyboardDevice::KeyColumn(int keyIndex) const {
    std::lock_guard lock(LightLock());
    return keyIndex >= 0 && keyIndex < static_cast<int>(keyColumns_.size())
               ? keyColumns_[static_cast<size_t>(keyIndex)]
               : 0;
}

void CSkelmoraKeyboardDevice::Notify(TNotifyUI& msg) {
    CSkelmoraUSBDevice::Notify(msg);  // the profile panel's
    if (!settingsPanel_) return;
    const IKeyboardSettingsView::Owner owner{
        [this]() -> profiles::CKeyboardProfiledata& { return profile_; },
        [this] { WriteParameters(ParameterWrite{}); }};
    settingsPanel_->Notify(msg, owner);
}

std::vector<QWidget*> CSkelmoraKeyboardDevice::SettingsPanels() const {
    std::vector<QWidget*> parts = CSkelmoraUSBDevice::SettingsPanels();
    if (systemSettingsPage_) parts.push_back(systemSettingsPage_);
    return parts;
}

void CSkelmoraKeyboardDevice::ShowSystemStages() {
    if (settingsPanel_) settingsPanel_->ShowSystemStages(profile_.ReadSystemStages());
}

void CSkelmoraKeyboardDevice::RefreshPage() { ShowSystemStages(); }
