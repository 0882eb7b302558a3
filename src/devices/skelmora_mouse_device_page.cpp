// The mouse page: binding the picture's buttons (names split at their last underscore, so
// the logo ring's "light_0_3" is ring control 3 and "light_5" LED 5), the embedded settings
// panel, the tab options and the logo ring's preview colours.
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QThread>

#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "devices/light_preview.h"
#include "devices/mouse/mouse_assignment_names.h"
#include "devices/skelmora_mouse_device.h"
#include "ui/control_props.h"
#include "ui/resource_manager.h"

namespace {

constexpr char kTabLayout[] = "mouse_device_seting_layout";
constexpr char kTabOption[] = "mouse_device_seting_option_";
constexpr char kSettingsPanel[] = "MouseSettingsItem";
constexpr char kKeyInfoList[] = "device_setkeyinfo_list";
constexpr char kNameColour[] = "#FFFFFF";
constexpr char kAssignmentColour[] = "#0099FF";
constexpr int kAssignmentWidth = 150;  // longer assignments end in an ellipsis

// A language text, or the identifier itself when the language file has none.
QString Translate(const QString& id) {
    const QString text = CResourceManager::GetInstance().GetText(id);
    return text.isEmpty() ? id : text;
}

QLabel* RowLabel(const QString& text, const char* colour, bool elide) {
    auto* label = new QLabel;
    label->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(colour)));
    if (elide) {
        label->setToolTip(text);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const QFontMetrics metrics(label->font());
        label->setText(metrics.elidedText(text, Qt::ElideRight, kAssignmentWidth));
    } else {
        label->setText(text);
    }
    return label;
}

}  // namespace

std::pair<QString, int> CSkelmoraMouseDevice::SplitAtLastUnderscore(const QString& name) {
    const int underscore = name.lastIndexOf('_');
    if (underscore < 0) return {name, -1};
    bool ok = false;
    const int number = name.mid(underscore + 1).toInt(&ok);
    return {name.left(underscore + 1), ok && number >= 0 ? number : -1};
}

void CSkelmoraMouseDevice::BindPageControls() {
    logoRing_.clear();
    logo_ = nullptr;
    logoRingPanel_ = nullptr;
    settingsPanel_ = findChild<QWidget*>(QLatin1String(kSettingsPanel));
    if (GetPageLayoutPath().isEmpty()) {
        SetCounts(0, 0);
        return;
    }
    QWidget* tabs = findChild<QWidget*>(QLatin1String(kTabLayout));
    if (!tabs) return;
    for (CSelectPanelUI* panel : tabs->findChildren<CSelectPanelUI*>()) {
        const auto buttons =
            panel->findChildren<CDeviceKeyButtonUI*>(QString(), Qt::FindDirectChildrenOnly);
        for (CDeviceKeyButtonUI* button : buttons) BindButton(panel, button);
    }
    SelectPageTab(0);
}

void CSkelmoraMouseDevice::BindButton(QWidget* panel, CDeviceKeyButtonUI* button) {
    const auto bindLed = [&](int n) {
        if (n < GetLedCount()) SetLightControl(n, button);  // painted white
    };
    const auto [prefix, n] = SplitAtLastUnderscore(button->objectName());
    if (n >= 0) {
        if (prefix == QLatin1String("key_")) {
            SetKeyButton(n, button);
        } else if (prefix == QLatin1String("light_")) {
            bindLed(n);
        } else if (prefix == QLatin1String("light_0_")) {
            if (n < static_cast<int>(logoRing_.size())) {
                logoRing_[static_cast<size_t>(n)] = button;
            } else {
                logoRing_.push_back(button);
            }
            light::PaintLightControl(button, {255, 255, 255}, 255);
            if (!logoRingPanel_) logoRingPanel_ = panel;
        }
    }
    const auto [dataPrefix, dataNumber] = SplitAtLastUnderscore(ui::GetUserData(button));
    if (dataNumber >= 0 && dataPrefix == QLatin1String("light_")) bindLed(dataNumber);
    if (button->toolTip() == QLatin1String("logo")) logo_ = button;
}

void CSkelmoraMouseDevice::Notify(TNotifyUI& msg) {
    if (!msg.pSender) return;
    if (settingsPanel_ && settingsPanel_->isAncestorOf(msg.pSender)) {
        if (auto* panel = dynamic_cast<INotifyUI*>(settingsPanel_.data())) panel->Notify(msg);
        return;
    }
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

std::vector<QWidget*> CSkelmoraMouseDevice::SettingsPanels() const {
    std::vector<QWidget*> parts = CSkelmoraUSBDevice::SettingsPanels();
    if (settingsPanel_) parts.push_back(settingsPanel_);
    return parts;
}

bool CSkelmoraMouseDevice::SendLightFrame() {
    if (QThread::currentThread() == thread()) {
        const std::vector<light::LedEntry> leds = GetLedsCopy();
        const auto paint = [&](CDeviceKeyButtonUI* control, int led) {
            if (!control || !control->isVisible() || led < 0 ||
                led >= static_cast<int>(leds.size()))
                return;
            const light::LedEntry& entry = leds[static_cast<size_t>(led)];
            light::PaintLightControl(control, {entry.red, entry.green, entry.blue},
                                     entry.brightness);
        };
        for (size_t n = 0; n < logoRing_.size(); ++n) paint(logoRing_[n], static_cast<int>(n));
        if (logoRingPanel_ && isVisible()) logoRingPanel_->update();
        if (logoLedIndex_ != -1) paint(logo_, logoLedIndex_);
    }
    return CSkelmoraUSBDevice::SendLightFrame();
}

void CSkelmoraMouseDevice::RebuildButtonTips() {
    auto* list = findChild<QListWidget*>(QLatin1String(kKeyInfoList));
    if (list) list->clear();
    const size_t buttons = std::min(keyList_.size(), mouse::kFactoryButtons.size());
    for (size_t i = 0; i < buttons; ++i) {
        CDeviceKeyButtonUI* button = GetKeyButton(static_cast<int>(i));
        if (!button) continue;
        const profiles::KeyAssignment& current = keyList_[i].current;
        QStringList pieces;
        for (const mouse::NamePiece& piece :
             mouse::AssignmentName({current.kind, current.high, current.low}, macroNames_)) {
            const QString text = QString::fromStdString(piece.text);
            pieces << (piece.translate ? Translate(text) : text);
        }
        const QString name = Translate(QLatin1String(mouse::kFactoryButtons[i].nameKey));
        const QString assignment = pieces.join('+');
        button->setToolTip(name + '\n' + assignment);
        if (!list) continue;
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(6, 2, 6, 2);
        layout->addWidget(RowLabel(name, kNameColour, false));
        layout->addStretch(1);
        layout->addWidget(RowLabel(assignment, kAssignmentColour, true));
        auto* item = new QListWidgetItem(list);
        item->setSizeHint(row->sizeHint());
        list->setItemWidget(item, row);
    }
    if (logo_) {
        logo_->setToolTip(QStringLiteral("Logo\n") + Translate(QStringLiteral("Light_Set")) + '\n' +
                          Translate(QStringLiteral("Overall_Light_Set")));
    }
}
