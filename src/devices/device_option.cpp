#include "devices/device_option.h"

#include <algorithm>
#include <array>

#include "devices/skelmora_usb_device.h"
#include "platform/log_categories.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"

namespace selector {
namespace {

struct ImageSetRow {
    int kindCode;
    int subKey;  // -1: any
    ImageSet set;
};

constexpr std::array<ImageSetRow, 6> kImageSets{{
    {1, -1, {"kb_device", "kb_device_name_text"}},
    {2, -1, {"ms_device", "ms_device_name_text"}},
    {3, 0, {"hard_mp_device", "hard_mp_device_name_text"}},
    {3, 1, {"soft_mp_device", "soft_mp_device_name_text"}},
    {4, -1, {"hd_device", "hd_device_name_text"}},
    {5, -1, {"hub_device", "hub_device_name_text"}},
}};

}  // namespace

std::optional<ImageSet> ImageSetOf(int kindCode, int subKey) {
    if (kindCode == 7) kindCode = 4;  // the headset shares the headset images
    for (const ImageSetRow& row : kImageSets) {
        if (row.kindCode == kindCode && (row.subKey < 0 || row.subKey == subKey)) return row.set;
    }
    if (kindCode == 3) return std::nullopt;
    return kUnknownImageSet;
}

QString ImagePath(const char* prefix, const char* suffix) {
    return QLatin1String(kImageFolder) + QLatin1String(prefix) + QLatin1String(suffix);
}

}  // namespace selector

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent) {
    const char* prefix = selector::kUnknownImageSet.prefix;
    m_normalImage = selector::ImagePath(prefix, "_normal.png");
    m_selectedImage = selector::ImagePath(prefix, "_selected.png");
    m_synchroSelectedImage = selector::ImagePath(prefix, "_synchro_selected.png");
    m_synchroNormalImage = selector::ImagePath(prefix, "_synchro_normal.png");
}

CDeviceOptionUI::~CDeviceOptionUI() {
    ui::KillAllTimers(this);
    // The device's event threads arm timers on its item.
    if (m_device && m_device->GetSelectorItem() == this) m_device->SetSelectorItem(nullptr);
}

// ---- Children ----

QWidget* CDeviceOptionUI::Child(QPointer<QWidget>& cache, const char* name) {
    if (!cache) cache = CPaintManagerUI::FindSubControlByName(this, QLatin1String(name));
    return cache;
}

QWidget* CDeviceOptionUI::Option() { return Child(m_option, "device_select"); }
QWidget* CDeviceOptionUI::SynchroOption() {
    return Child(m_synchroOption, "synchro_device_select");
}
QWidget* CDeviceOptionUI::NameLabel() { return Child(m_nameLabel, "device_select_name"); }

// ---- Look ----

void CDeviceOptionUI::SetDeviceType(int kindCode, int subKey) {
    m_kindCode = kindCode;
    m_subKey = subKey;
    const std::optional<selector::ImageSet> set = selector::ImageSetOf(kindCode, subKey);
    if (!set) return;
    m_normalImage = selector::ImagePath(set->prefix, "_normal.png");
    m_selectedImage = selector::ImagePath(set->prefix, "_selected.png");
    m_synchroSelectedImage = selector::ImagePath(set->prefix, "_synchro_selected.png");
    m_synchroNormalImage = selector::ImagePath(set->prefix, "_synchro_normal.png");
    if (QWidget* option = Option()) {
        ui::SetResourceText(option, true);
        ui::SetText(option, QLatin1String(set->nameTextKey));
    }
    ApplyImages();
}

void CDeviceOptionUI::ApplyImages() {
    QWidget* option = Option();
    if (!option) return;
    const bool synchro = IsSynchro();
    ui::SetImage(option, "normalimage", synchro ? m_synchroNormalImage : m_normalImage);
    ui::SetImage(option, "selectedimage", synchro ? m_synchroSelectedImage : m_selectedImage);
}

void CDeviceOptionUI::SetGroup(const QString& group) {
    if (QWidget* option = Option()) ui::SetGroup(option, group);
}

void CDeviceOptionUI::BindPage(const QString& tabContainer, int pageIndex) {
    if (QWidget* option = Option()) ui::BindTabLayout(option, tabContainer, pageIndex);
}

int CDeviceOptionUI::GetPageIndex() {
    QWidget* option = Option();
    return option ? ui::GetBindTabIndex(option) : -1;
}

QString CDeviceOptionUI::GetPageContainer() {
    QWidget* option = Option();
    return option ? ui::GetBindTabLayoutName(option) : QString();
}

void CDeviceOptionUI::SetPowerIndex(const QString& container, int index) {
    m_powerContainer = container;
    if (index >= 0) m_powerIndex = index;
}

void CDeviceOptionUI::SetName(const QString& text) {
    if (QWidget* label = NameLabel()) ui::SetText(label, text);
}

void CDeviceOptionUI::LinkDevice(CSkelmoraUSBDevice* device) {
    m_device = device;
    if (device) device->SetSelectorItem(this);
}

// ---- State ----

void CDeviceOptionUI::SetVisible(bool visible) {
    m_visible = visible;
    setVisible(visible);
}

void CDeviceOptionUI::Select(bool selected) {
    if (QWidget* option = Option()) ui::SetSelected(option, selected);
}

bool CDeviceOptionUI::IsSelected() {
    QWidget* option = Option();
    return option && ui::IsSelected(option);
}

void CDeviceOptionUI::SetSynchro(bool on) {
    if (QWidget* synchro = SynchroOption()) ui::SetSelected(synchro, on);
    ApplyImages();
}

bool CDeviceOptionUI::IsSynchro() {
    QWidget* synchro = SynchroOption();
    return synchro && ui::IsSelected(synchro);
}

void CDeviceOptionUI::ShowSynchro(bool visible) {
    if (QWidget* synchro = SynchroOption()) ui::SetVisible(synchro, visible);
    ApplyImages();
}

bool CDeviceOptionUI::Activate() {
    if (!isEnabled() || !m_visible) return false;
    ui::SendNotify(this, notify_type::kSelectChanged);
    return true;
}

// ---- Timers ----

bool CDeviceOptionUI::ChannelOpen() const {
    return m_device && m_device->CommandChannel().IsOpened();
}

void CDeviceOptionUI::TellVisibility(int show) {
    if (m_visibility && m_device) m_visibility(m_device->GetModelIndex(), show);
}

void CDeviceOptionUI::StartConnect() {
    // The page shows before the connect: its settings wait for it (a device connected already
    // keeps them).
    if (m_device) m_device->GateSettingsPanels();
    ui::SetTimer(this, kConnectTimer, m_intervals.connect);
}

void CDeviceOptionUI::StartLinkWatch(int milliseconds) {
    if (ChannelOpen()) ui::SetTimer(this, kLinkWatchTimer, milliseconds);
}

void CDeviceOptionUI::DoTimer(int id) {
    // The frame timer keeps running at its pace (re-armed only when the pace changes); the
    // others fire once per arm.
    if (id != kFrameTimer || !m_device) ui::KillTimer(this, id);
    if (!m_device) return;
    switch (id) {
        case kFrameTimer:
            OnFrameTimer();
            break;
        case kConnectTimer:
            OnConnectTimer();
            break;
        case kEventTimer:
            m_device->OnDeviceEvent();
            break;
        case kFirstHookTimer:
            m_device->FirstHook();
            break;
        case kSecondHookTimer:
            m_device->SecondHook();
            break;
        case kStatusTimer:
            OnStatusTimer();
            break;
        case kLinkWatchTimer:
            OnLinkWatchTimer();
            break;
        default:
            break;
    }
}

void CDeviceOptionUI::OnFrameTimer() {
    m_device->SendLightFrame();
    if (m_devicePanel && IsSelected() && m_device->IsWindowActive()) m_devicePanel->update();
    if (!ChannelOpen()) {
        ui::KillTimer(this, kFrameTimer);
        return;
    }
    const int pace = FramePace();
    if (ui::TimerInterval(this, kFrameTimer) != pace) ui::SetTimer(this, kFrameTimer, pace);
}

int CDeviceOptionUI::FramePace() const {
    // With host control of the lighting off no frame goes out: the timer only needs to
    // notice the switch back on, so it runs at the slow pace and the program stays idle.
    if (m_device->IsWireless() || !m_device->IsHostLightControl()) return m_intervals.wirelessFrame;
    switch (m_device->GetFrameNeed()) {
        case CSkelmoraUSBDevice::FrameNeed::Stream:
            return m_intervals.wiredFrame;
        case CSkelmoraUSBDevice::FrameNeed::Preview:
            return std::max(m_intervals.previewFrame, m_device->PreviewPaceFloorMs());
        case CSkelmoraUSBDevice::FrameNeed::Nothing:
            break;
    }
    return m_intervals.hiddenFrame;
}

void CDeviceOptionUI::OnConnectTimer() {
    if (m_device->IsWireless() && ChannelOpen()) {
        if (!m_device->IsLinked()) {
            if (m_visible) SetVisible(false);
            TellVisibility(0);
            ui::SetTimer(this, kConnectTimer, m_intervals.linkRetry);
            return;
        }
        TellVisibility(1);
    }
    m_device->Connect();
    ui::SetTimer(this, kFrameTimer, m_intervals.firstFrame);
    if (m_device->HasStatusBlock() && ChannelOpen()) {
        ui::SetTimer(this, kStatusTimer, m_intervals.firstStatus);
    }
    if (m_device->IsWireless()) StartLinkWatch(m_intervals.firstLinkWatch);
}

void CDeviceOptionUI::OnStatusTimer() {
    m_device->RefreshStatus();
    if (m_device->HasStatusBlock()) ui::SetTimer(this, kStatusTimer, m_intervals.status);
}

void CDeviceOptionUI::OnLinkWatchTimer() {
    if (!m_device->IsWireless()) {
        if (ChannelOpen()) qCDebug(lcDevice) << "2.4gcesvdfherhue  12312423";
        return;
    }
    if (m_device->IsLinked()) {
        if (!m_visible) {
            TellVisibility(1);
            if (m_device->HasStatusBlock()) m_device->RefreshStatus();
            qCDebug(lcDevice) << "2.4gcesvdfherhue  12312423 123342341";
        }
    } else if (m_visible) {
        TellVisibility(0);
        qCDebug(lcDevice) << "2.4gcesvdfherhue";
    }
    ui::SetTimer(this, kLinkWatchTimer, m_intervals.linkWatch);
}
