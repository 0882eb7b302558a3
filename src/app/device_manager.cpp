#include "app/device_manager.h"

#include <QBoxLayout>
#include <QLayout>
#include <QStackedWidget>
#include <QThread>
#include <utility>

#include "app/link_probe.h"
#include "app/msg_wnd.h"
#include "devices/audio/host_equalizer.h"
#include "devices/audio_bridge.h"
#include "devices/device_option.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_usb_device.h"
#include "panels/device_profile_ui.h"
#include "panels/headset_audio_control.h"
#include "panels/key_set_control_ui.h"
#include "panels/light_control_ui.h"
#include "panels/macro_control_ui.h"
#include "panels/profile_link_follower.h"
#include "panels/shoot_control_ui.h"
#include "platform/log_categories.h"
#include "platform/program_watcher.h"
#include "profiles/basic_profiledata.h"
#include "ui/control_timers.h"
#include "ui/layout_loader.h"
#include "ui/resource_manager.h"
#include "ui/window_impl.h"

namespace {

constexpr char kPowerLayout[] = "XML/CustomControlXML/MpDevicePower.xml";
constexpr char kSelectorContainer[] = "device_select_layout";
constexpr char kPowerContainer[] = "device_power_switch";
constexpr char kPageContainer[] = "device_switch";
constexpr char kNoDevice[] = "No_device_Link";

const char* FoundTrace(int kind) {
    switch (kind) {
        case kKindKeyboard:
        case kKindKeyboardReceiver:
            return "添加一个键盘设备";
        case kKindMouse:
        case kKindMouseReceiver:
            return "添加一个鼠标设备";
        default:
            return "添加一个鼠标垫设备";  // mouse pad and headset alike
    }
}

const char* LostTrace(int kind) {
    switch (kind) {
        case kKindKeyboard:
        case kKindKeyboardReceiver:
            return "删除一个键盘设备";
        case kKindMouse:
        case kKindMouseReceiver:
            return "删除一个鼠标设备";
        default:
            return "删除一个鼠标垫设备";
    }
}

bool SameDevice(const DeviceIdentity& a, const DeviceIdentity& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.kind == b.kind;
}

}  // namespace

CDeviceManager::CDeviceManager(WindowImplBase* window, std::shared_ptr<hid::IHidBackend> backend)
    : window_(window), backend_(std::move(backend)) {}

CDeviceManager::~CDeviceManager() {
    StopAll();
    // The panels outlive the manager inside the window: their changes no longer reach it.
    for (const auto& panel : panels_)
        if (panel) QObject::disconnect(panel, &CDeviceProfileUI::listChanged, nullptr, nullptr);
}

const DeviceIdentity& CDeviceManager::Row(int row) const {
    if (detected_ && row >= 0 && row < static_cast<int>(detected_->size())) {
        return (*detected_)[row];
    }
    return ActiveInterfaceTable()[row];
}

DeviceIdentity CDeviceManager::RowOrPartner(int row) const {
    const DeviceIdentity& entry = Row(row);
    // A receiver row with a partner stands for the wired device it reaches.
    if (IsReceiverKind(entry.kind) && entry.hasPartner) return Row(entry.partnerIndex);
    return entry;
}

std::vector<QPointer<CSkelmoraUSBDevice>>& CDeviceManager::ListOfKind(int kind) {
    return const_cast<std::vector<QPointer<CSkelmoraUSBDevice>>&>(
        std::as_const(*this).ListOfKind(kind));
}

const std::vector<QPointer<CSkelmoraUSBDevice>>& CDeviceManager::ListOfKind(int kind) const {
    switch (kind) {
        case kKindKeyboard:
        case kKindKeyboardReceiver:
            return keyboards_;
        case kKindMouse:
        case kKindMouseReceiver:
            return mice_;
        case kKindMousePad:
            return mousePads_;
        default:
            return headsets_;
    }
}

CSkelmoraUSBDevice* CDeviceManager::FindByIdentity(int kind, const DeviceIdentity& identity) const {
    for (const auto& device : ListOfKind(kind)) {
        if (device && device->GetIdentity() == identity) return device;
    }
    return nullptr;
}

std::vector<CSkelmoraUSBDevice*> CDeviceManager::DevicesOfKind(int kind) const {
    std::vector<CSkelmoraUSBDevice*> out;
    for (const auto& device : ListOfKind(kind)) {
        if (device) out.push_back(device);
    }
    return out;
}

std::vector<CSkelmoraUSBDevice*> CDeviceManager::AllDevices() const {
    std::vector<CSkelmoraUSBDevice*> out;
    for (const auto* list : {&mice_, &keyboards_, &mousePads_, &headsets_}) {
        for (const auto& device : *list) {
            if (device) out.push_back(device);
        }
    }
    return out;
}

QStackedWidget* CDeviceManager::Stack(const char* name) const {
    return qobject_cast<QStackedWidget*>(window_->FindControl(name));
}

void CDeviceManager::PrecreateDevices() {
    for (int model : {0, 1}) {
        const ModelRow& row = ModelTable()[model];
        const int interfaceRow =
            FindInterfaceRow(row.vendorId, row.productId, row.kind, kRoleCommand);
        if (interfaceRow >= 0) CreateDevice(interfaceRow);
    }
}

bool CDeviceManager::CreateDevice(int row) {
    const DeviceIdentity& entry = Row(row);
    const int pageKind = entry.kind == kKindMouseReceiver ? int{kKindMouse} : int{entry.kind};
    const DeviceIdentity ids = RowOrPartner(row);
    const int model = FindModelRow(ids.vendorId, ids.productId, pageKind, 0);
    if (model < 0) return false;
    const ModelRow& modelRow = ModelTable()[model];
    const PageRow& pageRow = PageTable()[model];

    QWidget* selectorContainer = window_->FindControl(kSelectorContainer);
    QStackedWidget* powers = Stack(kPowerContainer);
    QStackedWidget* pages = Stack(kPageContainer);
    if (!selectorContainer || !selectorContainer->layout() || !powers || !pages) {
        qCWarning(lcDiscovery) << "the main window lacks the device containers";
        return false;
    }
    BuildResult power = CDialogBuilder::Create(kPowerLayout);
    if (!power) return false;
    BuildResult selector = CDialogBuilder::Create(modelRow.selectorLayout);
    auto* item = qobject_cast<CDeviceOptionUI*>(selector.root);
    if (!item) {
        delete power.root;
        delete selector.root;
        qCWarning(lcDiscovery) << "the selector layout does not build a DeviceOption";
        return false;
    }
    BuildResult page = CDialogBuilder::Create(pageRow.pageLayout);
    auto* device = qobject_cast<CSkelmoraUSBDevice*>(page.root);
    if (!device) {
        delete power.root;
        delete item;
        delete page.root;
        qCWarning(lcDiscovery) << "the page layout" << pageRow.pageLayout
                               << "does not build a device";
        return false;
    }

    const int powerIndex = powers->addWidget(power.root);
    device->SetBackend(backend_);
    device->SetPageLayoutPath(pageRow.pageLayout);
    device->SetMainWindow(window_);
    device->SetCounts(pageRow.keyCount, pageRow.ledCount);
    device->SetModelIndex(model);
    device->SetHasStatusBlock(pageRow.hasStatusBlock);
    device->SetProfileBaseName(modelRow.kindName);
    device->SetKindName(modelRow.kindName);
    device->SetStatusControl(power.root);
    device->SetPowerItem(power.root);
    device->SetIdentity(Row(row));
    device->SetProfileSlot(modelRow.profileSlot);
    device->SetLightConfigurationName(pageRow.lightConfigurationName);
    device->BindPageControls();
    if (auto* headset = qobject_cast<CSkelmoraHS6533Device*>(device)) {
        GiveHeadsetAudio(headset, entry.path);
        AttachVoicePanels(headset);
    }
    if (auto* panel =
            device->findChild<CDeviceProfileUI*>(QLatin1String(CDeviceProfileUI::kItemName))) {
        panel->SetMessageHandler([this](const QString& text, int buttons) {
            return ShowMessage(window_, QString(), text, window_->PaintManager().GetDPI(), false,
                               buttons);
        });
        panel->AttachDevice(device);
        FollowProgramLinks(panel);
        QObject::connect(panel, &CDeviceProfileUI::profileReset, panel, [this] {
            if (profileResetHandler_) profileResetHandler_();
        });
    }
    if (auto* keys =
            device->findChild<CKeySetControlUI*>(QLatin1String(CKeySetControlUI::kItemName))) {
        if (keys->BindControls()) {
            keys->SetDeviceKind(pageKind == kKindMouse ? CKeySetControlUI::kDeviceMouse
                                                       : CKeySetControlUI::kDeviceKeyboard);
            keys->SetMessageHandler([this](const QString& text, int buttons) {
                return ShowMessage(window_, QString(), text, window_->PaintManager().GetDPI(),
                                   false, buttons);
            });
            keys->AttachDevice(device);
            // Capture goes through the window's 0x41E switch, which tells every panel.
            keys->SetCaptureHandler([this](bool on) {
                if (captureRequest)
                    captureRequest(on);
                else
                    SetKeyCapture(on);
            });
            QObject::connect(keys, &CKeySetControlUI::editPendingChanged, keys,
                             [this] { UpdateSelectorLock(); });
            device->AddPanel(keys);
        }
    }
    if (auto* macros =
            device->findChild<CMacroControlUI*>(QLatin1String(CMacroControlUI::kItemName))) {
        macros->SetMessageHandler([this](const QString& text, int buttons) {
            return ShowMessage(window_, QString(), text, window_->PaintManager().GetDPI(), false,
                               buttons);
        });
        macros->SetFolder(device->GetUserDataFolder());
        // A deleted macro leaves no key of any profile pointing at it or at a neighbour.
        auto* profilePanel =
            device->findChild<CDeviceProfileUI*>(QLatin1String(CDeviceProfileUI::kItemName));
        macros->SetDeleteHandler([this, device, profilePanel](int deleted) {
            if (!profilePanel) return true;
            std::vector<std::filesystem::path> paths;
            for (int i = 0; i < profilePanel->GetProfileCount(); ++i) {
                const QString path = profilePanel->GetProfilePath(i);
                if (!path.isEmpty()) paths.emplace_back(path.toStdString());
            }
            const QString active = profilePanel->GetProfilePath(
                profilePanel->List() ? profilePanel->List()->Active() : -1);
            profiles::CBasicProfiledata data;
            if (!active.isEmpty()) {
                data.LoadSecondary(active.toStdString());
                if (macro_edit::KeyListUsesMacro(data.ReadSecondaryKeyList(), deleted) &&
                    ShowMessage(
                        window_, QString(),
                        CResourceManager::GetInstance().GetText(QStringLiteral("message_text_2")),
                        window_->PaintManager().GetDPI(), false, 1) != 1)
                    return false;
            }
            macro_edit::FixProfilesAfterMacroDelete(data, paths, deleted);
            device->LoadProfile();
            return true;
        });
        if (auto* keys =
                device->findChild<CKeySetControlUI*>(QLatin1String(CKeySetControlUI::kItemName))) {
            QObject::connect(macros, &CMacroControlUI::macroNamesChanged, keys,
                             &CKeySetControlUI::SetMacroNames);
        }
        macros->LoadMacroList();
        // While recording, the device cannot be switched nor its profile changed.
        QObject::connect(macros, &CMacroControlUI::recordingChanged, device,
                         [this, device](bool on) {
                             if (device->GetProfilePanel())
                                 device->GetProfilePanel()->setEnabled(!on);
                             UpdateSelectorLock();
                         });
        device->AddPanel(macros);
    }
    if (auto* recoil =
            device->findChild<CShootControlUI*>(QLatin1String(CShootControlUI::kItemName))) {
        recoil->SetMessageHandler([this](const QString& text, int buttons) {
            return ShowMessage(window_, QString(), text, window_->PaintManager().GetDPI(), false,
                               buttons);
        });
        recoil->SetFolder(device->GetUserDataFolder());
        recoil->SetDefaultFolder(device->GetDefaultDataFolder());
        recoil->InitShootPanel();
        device->AddPanel(recoil);
    }
    if (CLightControlUI* lighting = CLightControlUI::OfPage(device)) {
        lighting->SetHost(lightHost_);
        lighting->AttachDevice(device);
        lighting->SetSameModeAvailable(VisibleItemCount() >= 2);
    }
    const int pageIndex = pages->addWidget(device);
    window_->PaintManager().ApplyDpiTo(device);
    ListOfKind(pageKind).push_back(device);

    item->setVisible(false);
    // Items go in creation order, before the list's closing spacer when it has one.
    auto* list = qobject_cast<QBoxLayout*>(selectorContainer->layout());
    const int count = selectorContainer->layout()->count();
    if (list && count > 0 && selectorContainer->layout()->itemAt(count - 1)->spacerItem()) {
        list->insertWidget(count - 1, item);
    } else {
        selectorContainer->layout()->addWidget(item);
    }
    // An item made after the window's DPI layout takes the layout's sizes and fonts as the
    // page does.
    window_->PaintManager().ApplyDpiTo(item);
    item->SetGroup(modelRow.tabHeaderName);
    item->BindPage(kPageContainer, pageIndex);
    item->SetPowerIndex(kPowerContainer, powerIndex);
    item->SetDeviceType(modelRow.kind, 0);
    item->SetName(modelRow.kindName);
    item->SetVisible(false);
    item->LinkDevice(device);
    item->SetVisibilityCallback([this, item](int, int show) {
        const int index = ItemIndexOfDevice(item->GetDevice());
        if (show == 0) {
            HideDeviceItem(index);
        } else {
            ShowHiddenItem(index);
        }
    });
    device->SetSelectorItem(item);
    items_.push_back({item, device, power.root, pageIndex, powerIndex});
    qCDebug(lcDiscovery) << "created" << modelRow.kindName << "for row" << row;
    return true;
}

bool CDeviceManager::DeviceExistsFor(int row) const {
    const DeviceIdentity& entry = Row(row);
    int identityRow = row;
    if (entry.role == kRoleEvent) {
        const int command =
            FindInterfaceRow(entry.vendorId, entry.productId, entry.kind, kRoleCommand);
        if (command >= 0) identityRow = command;
    }
    DeviceIdentity identity = Row(identityRow);
    // A receiver's rows stand for the wired device: its event row through its command row,
    // whose partner is the wired command row the device object carries.
    const DeviceIdentity& command = Row(identityRow);
    if (IsReceiverKind(command.kind) && command.hasPartner &&
        Row(command.partnerIndex).partnerIndex == identityRow) {
        identity = Row(command.partnerIndex);
    }
    for (const auto& e : items_) {
        if (e.device && e.device->GetIdentity() == identity) return true;
    }
    return false;
}

void CDeviceManager::OnDeviceFound(int row) {
    if (row < 0 || row >= static_cast<int>(kInterfaceRows)) return;
    const DeviceIdentity& entry = Row(row);
    qCDebug(lcDiscovery) << FoundTrace(entry.kind);
    if (!DeviceExistsFor(row)) {
        const int command =
            entry.role == kRoleEvent
                ? FindInterfaceRow(entry.vendorId, entry.productId, entry.kind, kRoleCommand)
                : row;
        if (command < 0 || !CreateDevice(command)) return;
    }
    if (entry.role == kRoleCommand) {
        AttachCommandInterface(row);
    } else {
        AttachEventInterface(row);
    }
}

void CDeviceManager::AttachCommandInterface(int row) {
    const DeviceIdentity& entry = Row(row);
    if (entry.hasPartner) {
        const DeviceIdentity& partner = Row(entry.partnerIndex);
        if (partner.partnerIndex == row && partner.present && !partner.path.empty()) {
            if (entry.kind == kKindMouse) SwitchConnection(row);
            return;
        }
    }
    const bool receiver = IsReceiverKind(entry.kind);
    const DeviceIdentity identity = RowOrPartner(row);
    CSkelmoraUSBDevice* device = FindByIdentity(entry.kind, identity);
    if (!device) return;
    CCommandChannel& channel = device->CommandChannel();
    if (!channel.IsOpened()) {
        std::lock_guard lock(channel.ExchangeLock());
        CHidConnection& connection =
            receiver ? channel.ReceiverConnection() : channel.WiredConnection();
        connection.Close();
        if (connection.Open(entry.path, true, true, true, false)) {
            channel.SetOpened(true);
            // The mouse pad's and the headset's channels are never given a mode.
            int mode = 0;
            if (entry.kind == kKindKeyboard || entry.kind == kKindMouse) mode = 1;
            if (receiver) mode = 2;
            if (mode != 0) channel.SetMode(mode);
            if (receiver) device->SetWireless(true);
            device->SetIdentity(identity);
            qCDebug(lcDiscovery).noquote()
                << QString("command interface of row %1 open: %2")
                       .arg(row)
                       .arg(mode ? QString("mode %1").arg(mode) : QString("no mode"));
        } else {
            qCWarning(lcDiscovery).noquote() << QString::fromStdString(connection.LastError());
        }
    }
    const int index = ItemIndexOfDevice(device);
    if (index < 0) return;
    if (!receiver) ShowDeviceItem(index, true, VisibleItemCount() == 0);
    Item(index)->StartConnect();
}

void CDeviceManager::AttachEventInterface(int row) {
    const DeviceIdentity& entry = Row(row);
    const auto which = IsReceiverKind(entry.kind) ? CSkelmoraUSBDevice::kReceiverEvents
                                                  : CSkelmoraUSBDevice::kWiredEvents;
    for (const auto& device : ListOfKind(entry.kind)) {
        if (!device) continue;
        const DeviceIdentity& identity = device->GetIdentity();
        if (!device->IsEventInterfaceOpen(which) && SameDevice(identity, entry)) {
            device->OpenEventInterface(entry.path, which);
            qCDebug(lcDiscovery) << "event interface of row" << row << "open";
            return;
        }
        if (device->IsEventInterfaceOpen(which) && identity.hasPartner &&
            SameDevice(Row(identity.partnerIndex), entry)) {
            device->ReopenEventInterface(entry.path, which);
            return;
        }
    }
}

void CDeviceManager::SwitchConnection(int row) {
    const DeviceIdentity& entry = Row(row);
    CSkelmoraUSBDevice* device = FindByIdentity(entry.kind, entry);
    if (!device && entry.hasPartner) device = FindByIdentity(entry.kind, Row(entry.partnerIndex));
    if (!device) return;
    // A probe of the receiver still running belongs to the path being left.
    probes_.erase(device);
    const bool nowWireless = !device->IsWireless();
    const std::string path = device->IsWireless() ? entry.path : Row(entry.partnerIndex).path;
    CCommandChannel& channel = device->CommandChannel();
    {
        // Commands from other threads wait on the command lock, so none goes out on a
        // half-switched channel; they continue on the new path.
        std::lock_guard command(channel.CommandLock());
        std::lock_guard lock(channel.ExchangeLock());
        channel.SetOpened(false);
        CHidConnection& connection =
            device->IsWireless() ? channel.WiredConnection() : channel.ReceiverConnection();
        connection.Close();
        if (!connection.Open(path, true, true, true, false)) return;
        device->SetWireless(nowWireless);
        channel.SetMode(nowWireless ? 2 : 1);
        channel.SetOpened(true);
    }
    const int index = ItemIndexOfDevice(device);
    if (nowWireless) {
        QPointer<CSkelmoraUSBDevice> target(device);
        auto linked = [this, target, index](const CLinkProbe::Outcome& outcome) {
            if (!target) return;
            probes_.erase(target.data());
            if (outcome.noReply) {
                // The receiver said nothing: reading its status would only wait again.
                qCDebug(lcDiscovery) << "receiver of the mouse does not answer";
            } else {
                qCDebug(lcDiscovery) << "获取2";
                if (target->HasStatusBlock()) target->RefreshStatus();
            }
            if (index >= 0) Item(index)->StartLinkWatch(2000);
        };
        if (device->HasStatusBlock()) {
            probes_[device] = std::make_unique<CLinkProbe>(channel, device, linked);
        } else {
            linked(CLinkProbe::Outcome{});
        }
    } else {
        if (index >= 0) {
            Item(index)->StartConnect();
            ShowHiddenItem(index);
        }
        if (device->HasStatusBlock()) device->RefreshStatus();
    }
}

void CDeviceManager::OnDeviceLost(int row) {
    if (row < 0 || row >= static_cast<int>(kInterfaceRows)) return;
    const DeviceIdentity& entry = Row(row);
    qCDebug(lcDiscovery) << LostTrace(entry.kind);
    if (entry.role == kRoleCommand) {
        DetachCommandInterface(row);
    } else {
        DetachEventInterface(row);
    }
}

void CDeviceManager::DetachCommandInterface(int row) {
    const DeviceIdentity& entry = Row(row);
    if (entry.kind == kKindMouse || entry.kind == kKindMouseReceiver)
        qCDebug(lcDiscovery) << "鼠标设备丢失";
    if (entry.hasPartner && entry.kind == kKindMouse) {
        const DeviceIdentity& partner = Row(entry.partnerIndex);
        if (partner.present && !partner.path.empty()) {
            SwitchConnection(row);
            return;
        }
    }
    CSkelmoraUSBDevice* device = FindByIdentity(entry.kind, RowOrPartner(row));
    if (!device) device = FindByIdentity(entry.kind, entry);
    if (!device) return;
    probes_.erase(device);
    CCommandChannel& channel = device->CommandChannel();
    // A receiver pulled out while the mouse is used by cable: the cable keeps working.
    if (IsReceiverKind(entry.kind) && !device->IsWireless() && channel.IsOpened()) {
        std::lock_guard lock(channel.ExchangeLock());
        channel.ReceiverConnection().Close();
        return;
    }
    {
        std::lock_guard lock(channel.ExchangeLock());
        channel.SetOpened(false);
        channel.WiredConnection().Close();
        channel.ReceiverConnection().Close();
    }
    device->Disconnect();
    HideDeviceItem(ItemIndexOfDevice(device));
}

void CDeviceManager::DetachEventInterface(int row) {
    const DeviceIdentity& entry = Row(row);
    const auto which = IsReceiverKind(entry.kind) ? CSkelmoraUSBDevice::kReceiverEvents
                                                  : CSkelmoraUSBDevice::kWiredEvents;
    for (const auto& device : ListOfKind(entry.kind)) {
        if (device && device->IsEventInterfaceOpen(which) &&
            SameDevice(device->GetIdentity(), entry)) {
            device->CloseEventInterface(which);
            return;
        }
    }
}

CDeviceOptionUI* CDeviceManager::Item(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
    return items_[index].item;
}

CSkelmoraUSBDevice* CDeviceManager::DeviceOfItem(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
    return items_[index].device;
}

int CDeviceManager::ItemIndexOfDevice(const CSkelmoraUSBDevice* device) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].device == device) return static_cast<int>(i);
    }
    return -1;
}

int CDeviceManager::ItemIndexOfModel(int modelIndex) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].device && items_[i].device->GetModelIndex() == modelIndex)
            return static_cast<int>(i);
    }
    return -1;
}

int CDeviceManager::VisibleItemCount() const {
    int count = 0;
    for (const auto& e : items_) count += (e.item && e.item->IsShown()) ? 1 : 0;
    return count;
}

int CDeviceManager::SelectedItem() const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].item && items_[i].item->IsShown() && items_[i].item->IsSelected()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CDeviceManager::ShowDeviceItem(int index, bool visible, bool select) {
    CDeviceOptionUI* item = Item(index);
    if (!item) return;
    if (item->IsShown() != visible) {
        qCDebug(lcDiscovery) << "selector item" << index << (visible ? "shown" : "hidden");
    }
    item->SetVisible(visible);
    if (select) {
        if (auto* powers = Stack(kPowerContainer))
            powers->setCurrentIndex(items_[index].powerIndex);
        if (auto* pages = Stack(kPageContainer)) pages->setCurrentIndex(items_[index].pageIndex);
        item->Select(true);
    }
    const int visibleCount = VisibleItemCount();
    if (visibleCount == 0) {
        if (auto* powers = Stack(kPowerContainer)) powers->setCurrentIndex(0);
        if (auto* pages = Stack(kPageContainer)) pages->setCurrentIndex(0);
    }
    UpdateNoDeviceLink();
    int synchro = 0;
    for (const auto& e : items_) {
        if (!e.item) continue;
        e.item->ShowSynchro(visibleCount >= 2);
        synchro += (e.item->IsShown() && e.item->IsSynchro()) ? 1 : 0;
    }
    for (auto* device : AllDevices()) {
        if (CLightControlUI* lighting = CLightControlUI::OfPage(device))
            lighting->SetSameModeAvailable(visibleCount >= 2);
    }
    if (visibleCount < 2) {
        for (auto* device : AllDevices()) device->SetSynchroMember(false);
    }
    if (synchro <= 1) {
        for (const auto& e : items_) {
            if (e.item) e.item->SetSynchro(false);
        }
    }
}

void CDeviceManager::HideDeviceItem(int index) {
    CDeviceOptionUI* item = Item(index);
    if (!item) return;
    if (item->IsShown() && item->IsSelected()) {
        int picked = -1;
        for (int i = 0; i < ItemCount(); ++i) {
            if (i != index && Item(i) && Item(i)->IsShown()) {
                picked = i;
                break;
            }
        }
        item->Select(false);
        ShowDeviceItem(index, false, false);
        if (picked >= 0) ShowDeviceItem(picked, true, true);
        return;
    }
    ShowDeviceItem(index, false, false);
}

void CDeviceManager::ShowHiddenItem(int index) {
    CDeviceOptionUI* item = Item(index);
    if (!item || item->IsShown()) return;
    ShowDeviceItem(index, true, VisibleItemCount() == 0);
}

void CDeviceManager::SelectNeighbour(int direction) {
    const int selected = SelectedItem();
    if (selected < 0) return;
    for (int i = selected + direction; i >= 0 && i < ItemCount(); i += direction) {
        if (Item(i) && Item(i)->IsShown()) {
            Item(selected)->Select(false);
            ShowDeviceItem(i, true, true);
            return;
        }
    }
}

void CDeviceManager::UpdateNoDeviceLink() {
    QWidget* link = window_->FindControl(kNoDevice);
    if (!link) return;
    const bool show = VisibleItemCount() == 0;
    if (noDeviceShown_ != show)
        qCDebug(lcDiscovery) << (show ? "No_device_Link shown" : "No_device_Link hidden");
    noDeviceShown_ = show;
    link->setVisible(show);
}

void CDeviceManager::SetLightPanelHost(std::shared_ptr<const LightPanelHost> host) {
    lightHost_ = std::move(host);
    for (auto* device : AllDevices()) {
        if (CLightControlUI* lighting = CLightControlUI::OfPage(device))
            lighting->SetHost(lightHost_);
    }
}

// Where the node behind an interface path sits on the USB bus (0 and 0 when unknown). The
// headset gives its bridge the position again at every connect; this one spares the bridge a
// search without it when it is made.
audio::UsbPosition CDeviceManager::UsbPositionOfPath(const std::string& path) const {
    if (!backend_ || path.empty()) return {};
    std::vector<hid::HidNodeInfo> nodes;
    std::string error;
    if (!backend_->ListNodes(nodes, error)) return {};
    const std::string nodeId = hid::NodeIdOfPath(path);
    for (const hid::HidNodeInfo& node : nodes) {
        if (node.nodeId == nodeId) return {node.usbBus, node.usbDevice};
    }
    return {};
}

// The headset's sound card and equaliser, as SKELMORA_AUDIO_BRIDGE asks (by default the real
// ones with real devices, the fakes with the bus or the emulator).
void CDeviceManager::GiveHeadsetAudio(CSkelmoraHS6533Device* headset, const std::string& path) {
    std::string error;
    const QByteArray variable = qgetenv("SKELMORA_AUDIO_BRIDGE");
    const auto choice = audio::ChooseBridge(variable.isNull() ? nullptr : variable.constData(),
                                            backend_ ? backend_->Name() : std::string(), error);
    if (!choice) {
        qCWarning(lcDiscovery).noquote() << QString::fromStdString(error);
        return;
    }
    headset->SetAudioBridge(audio::MakeAudioBridge(*choice, UsbPositionOfPath(path)));
    headset->SetHostEqualizer(audio::MakeHostEqualizer(*choice));
}

// The voice panels' handlers on the headset's page, over its profile, card and equaliser.
void CDeviceManager::AttachVoicePanels(CSkelmoraHS6533Device* headset) {
    CHeadsetAudioControl::Wiring wiring;
    wiring.device = headset;
    wiring.profile = &headset->Profiledata();
    wiring.save = [headset] { headset->SaveProfile(); };
    wiring.message = [this](const QString& textId) {
        ShowMessage(window_, QString(), textId, window_->PaintManager().GetDPI(), true,
                    CMsgWnd::kConfirmOnly);
    };
    if (!AttachHeadsetAudio(std::move(wiring)))
        qCDebug(lcDiscovery) << "headset page without voice panel";
}

bool CDeviceManager::RouteNotify(TNotifyUI& msg) {
    if (!msg.pSender) return false;
    // Choosing an item switches both the page and the power indicator.
    if (msg.sType == "selectchanged" && msg.pSender->objectName() == "device_select") {
        for (int i = 0; i < ItemCount(); ++i) {
            if (Item(i) && Item(i)->isAncestorOf(msg.pSender) && Item(i)->IsSelected()) {
                SetKeyCapture(false);
                ShowDeviceItem(i, true, true);
                return true;
            }
        }
    }
    const int selected = SelectedItem();
    if (CSkelmoraUSBDevice* device = DeviceOfItem(selected)) {
        if (device->isAncestorOf(msg.pSender)) {
            device->Notify(msg);
            return true;
        }
    }
    // Nobody takes it: said once per type and sender name (timers are not worth a line).
    if (msg.sType != QLatin1String(notify_type::kTimer)) {
        const QString key = msg.sType + QLatin1Char(' ') + msg.pSender->objectName();
        if (unhandled_.insert(key).second)
            qCInfo(lcUi) << "notification not handled:" << msg.sType << msg.pSender->objectName();
    }
    return false;
}

void CDeviceManager::SetKeyCapture(bool on) {
    CSkelmoraUSBDevice* shown = DeviceOfItem(SelectedItem());
    for (CSkelmoraUSBDevice* device : AllDevices()) {
        auto* keys =
            device->findChild<CKeySetControlUI*>(QLatin1String(CKeySetControlUI::kItemName));
        if (keys) keys->SetCapturing(on && device == shown);
    }
}

bool CDeviceManager::IsEditing() const {
    for (CSkelmoraUSBDevice* device : AllDevices()) {
        auto* keys =
            device->findChild<CKeySetControlUI*>(QLatin1String(CKeySetControlUI::kItemName));
        if (keys && keys->IsEditPending()) return true;
        auto* macros =
            device->findChild<CMacroControlUI*>(QLatin1String(CMacroControlUI::kItemName));
        if (macros && macros->IsRecording()) return true;
    }
    return false;
}

void CDeviceManager::UpdateSelectorLock() {
    const bool editing = IsEditing();
    for (const char* name : {kSelectorContainer, "device_select_prev", "device_select_next"}) {
        if (QWidget* control = window_->FindControl(name)) control->setEnabled(!editing);
    }
}

void CDeviceManager::FollowProgramLinks(CDeviceProfileUI* panel) {
    if (!watcher_) {
        watcher_ = std::make_unique<platform::CProgramWatcher>();
        watcher_->Start();
    }
    auto* follower = new CProfileLinkFollower(panel);
    // No automatic switch while key edits wait or a recording runs, nor before the device's
    // connect has loaded its profile: the switch waits.
    follower->SetBusyCheck([this, panel] {
        return IsEditing() || (panel->Device() && !panel->Device()->IsConnectDone());
    });
    QObject::connect(
        watcher_.get(), &platform::CProgramWatcher::foregroundChanged, follower,
        [follower](const QString& name, qint64, const QString&) { follower->OnForeground(name); });
    QObject::connect(panel, &CDeviceProfileUI::listChanged, follower,
                     [this] { UpdateLinkNames(); });
    panels_.emplace_back(panel);
    UpdateLinkNames();
}

void CDeviceManager::UpdateLinkNames() {
    if (!watcher_) return;
    std::vector<std::string> names;
    for (const auto& panel : panels_) {
        if (!panel || !panel->List()) continue;
        for (const profiles::ProfileEntry& entry : panel->List()->Entries())
            if (entry.isLink && !entry.linkName.empty()) names.push_back(entry.linkName);
    }
    watcher_->SetLinkNames(std::move(names));
}

void CDeviceManager::StopAll() {
    if (watcher_) watcher_->Stop();
    probes_.clear();
    for (auto* device : AllDevices()) {
        device->StopWorkerThreads();
        // Nothing of a device (the headset's equaliser) stays behind in the desktop.
        device->OnDisconnected();
        for (auto which : {CSkelmoraUSBDevice::kWiredEvents, CSkelmoraUSBDevice::kReceiverEvents}) {
            device->CloseEventInterface(which);
        }
        CCommandChannel& channel = device->CommandChannel();
        std::lock_guard lock(channel.ExchangeLock());
        channel.SetOpened(false);
        channel.WiredConnection().Close();
        channel.ReceiverConnection().Close();
    }
    for (const auto& e : items_) {
        if (e.item) ui::KillAllTimers(e.item);
    }
}

bool CDeviceManager::IsProbingLink(const CSkelmoraUSBDevice* device) const {
    return probes_.count(device) != 0;
}
