#include "panels/device_profile_ui.h"

#include <QDir>
#include <QFileDialog>
#include <QLoggingCategory>

#include "devices/skelmora_usb_device.h"
#include "panels/profile_link_wnd.h"
#include "panels/profile_switch.h"
#include "platform/log_categories.h"
#include "profiles/profile_import.h"
#include "tables/device_tables.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {

constexpr char kCombo[] = "device_profile_combo";
constexpr char kNameEdit[] = "device_profile_name_edit";
constexpr char kMenuLayout[] = "profile_menu_layout";

// Texts of this panel that the program's numbered message texts do not cover.
constexpr char kImportRefusedText[] = "profile_import_refused_text";
constexpr char kExportUnreadableText[] = "profile_export_unreadable_text";
constexpr char kExportWriteText[] = "profile_export_write_text";
constexpr char kWriteFailedText[] = "profile_write_failed_text";

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// The panel's device type for a device's kind: receivers show the page of their device.
int DeviceTypeOfKind(int kind) {
    switch (kind) {
        case kKindKeyboardReceiver:
            return kKindKeyboard;
        case kKindMouseReceiver:
            return kKindMouse;
        default:
            return kind;
    }
}

}  // namespace

const char* const CDeviceProfileUI::kTabNames[kTabCount] = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab",
};

const CDeviceProfileUI::Handler CDeviceProfileUI::kHandlers[] = {
    {notify_type::kItemSelect, kCombo, &CDeviceProfileUI::OnItemSelect},
    {notify_type::kClick, "device_add_btn", &CDeviceProfileUI::OnAdd},
    {notify_type::kClick, "device_sub_btn", &CDeviceProfileUI::OnDelete},
    {notify_type::kClick, "device_copy_btn", &CDeviceProfileUI::OnCopy},
    {notify_type::kClick, "device_import_btn", &CDeviceProfileUI::OnImport},
    {notify_type::kClick, "device_export_btn", &CDeviceProfileUI::OnExport},
    {notify_type::kClick, "device_reset_btn", &CDeviceProfileUI::OnReset},
    {notify_type::kClick, "device_profile_edit_save_btn", &CDeviceProfileUI::OnRename},
    {notify_type::kClick, "profile_fun_spread_btn", &CDeviceProfileUI::OnSpread},
    {notify_type::kClick, "device_link_btn", &CDeviceProfileUI::OnLink},
    {notify_type::kSelectChanged, nullptr, &CDeviceProfileUI::OnTab},  // any of the tab options
};

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : QWidget(parent) {
    chooseLink_ = [this](const QString& current) { return ChooseProgramLink(window(), current); };
    chooseFile_ = [this](bool save) {
        QFileDialog dialog(this);
        dialog.setNameFilter(QStringLiteral("Profile Files(*.json)"));
        // Profiles are named ".Json": the filter matches without regard to case.
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (save) dialog.setDefaultSuffix(QStringLiteral("json"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
}

CDeviceProfileUI::~CDeviceProfileUI() { ui::KillAllTimers(this); }

std::vector<QWidget*> CDeviceProfileUI::ConnectGatedControls() const {
    std::vector<QWidget*> controls;
    for (const char* name :
         {kCombo, kNameEdit, "device_profile_edit_save_btn", "profile_fun_spread_btn", kMenuLayout})
        controls.push_back(Control(name));
    return controls;
}

void CDeviceProfileUI::AttachDevice(CSkelmoraUSBDevice* device) {
    device_ = device;
    if (!device) return;
    SetDeviceType(DeviceTypeOfKind(device->GetKind()));
    const QString folder = device->GetUserDataFolder();
    SetFolders(
        folder, device->GetDefaultProfileFile(),
        folder.isEmpty() ? QString() : folder + device->GetKindName() + QStringLiteral(".Json"));
    LoadList();
    SelectTab(1);
    if (!activeIdentifier_.isEmpty()) device->SetProfileBaseName(activeIdentifier_);
    device->SetProfilePanel(this);
}

void CDeviceProfileUI::SetFolders(const QString& userDataFolder, const QString& defaultProfile,
                                  const QString& legacyProfile) {
    userDataFolder_ = userDataFolder;
    defaultProfile_ = defaultProfile;
    list_.reset();
    if (!userDataFolder.isEmpty())
        list_ =
            std::make_unique<profiles::CProfileList>(ToPath(userDataFolder), ToPath(legacyProfile));
}

QWidget* CDeviceProfileUI::Control(const char* name) const {
    return CPaintManagerUI::FindSubControlByName(this, QString::fromLatin1(name));
}

// ---- List and selection ----

void CDeviceProfileUI::LoadList() {
    if (!list_ || !Control(kCombo)) return;
    list_->Load();
    FillCombo(list_->Active());
    SelectProfile(list_->Active(), false);
    ApplyTabVisibility();
}

void CDeviceProfileUI::FillCombo(int selection) {
    QWidget* combo = Control(kCombo);
    if (!combo || !list_) return;
    ui::RemoveAllItems(combo);
    for (const profiles::ProfileEntry& entry : list_->Entries()) {
        const QString name = QString::fromStdString(entry.name);
        const QString shown =
            entry.isLink && !entry.linkName.empty()
                ? QStringLiteral("%1 [%2]").arg(name, QString::fromStdString(entry.linkName))
                : name;
        ui::AddLabelItem(combo, shown, name, false, kItemHeight);
    }
    ui::SelectItem(combo, selection, false);
    if (selection >= 0 && selection < list_->Count())
        SetNameText(
            QString::fromStdString(list_->Entries()[static_cast<std::size_t>(selection)].name));
    emit listChanged();
}

void CDeviceProfileUI::SelectProfile(int index, bool notify) {
    QWidget* combo = Control(kCombo);
    if (!combo || !list_ || index < 0 || index >= list_->Count()) return;
    ui::SelectItem(combo, index, notify);
    SetNameText(QString::fromStdString(list_->Entries()[static_cast<std::size_t>(index)].name));
    list_->Select(index);
    activeIdentifier_ = QString::fromStdString(list_->IdentifierAt(index).value_or(std::string()));
}

int CDeviceProfileUI::GetSelection() const {
    const QWidget* combo = Control(kCombo);
    return combo ? ui::GetCurSel(combo) : -1;
}

QString CDeviceProfileUI::GetNameText() const {
    const QWidget* edit = Control(kNameEdit);
    return edit ? ui::GetText(edit) : QString();
}

void CDeviceProfileUI::SetNameText(const QString& text) {
    if (QWidget* edit = Control(kNameEdit)) ui::SetText(edit, text);
}

int CDeviceProfileUI::GetProfileCount() const {
    if (!list_) return 0;
    list_->Peek();
    return list_->Count();
}

QString CDeviceProfileUI::GetProfilePath(int index) const {
    if (!list_) return {};
    const auto path = list_->ProfilePath(index);
    return path ? QString::fromStdString(path->string()) : QString();
}

// ---- Operations ----

bool CDeviceProfileUI::AddProfile() {
    if (!list_ || !Control(kCombo)) return false;
    const int selection = GetSelection();
    const profiles::ProfileFileResult result = list_->Add();
    if (result.status == profiles::FileStatus::WriteFailed) ShowText(kWriteFailedText);
    if (!result.ok()) return false;
    FillCombo(selection);
    return true;
}

bool CDeviceProfileUI::DeleteProfile() {
    if (!list_ || !Control(kCombo)) return false;
    const profiles::DeleteResult result = list_->Delete(GetSelection());
    if (!result.done) return false;
    FillCombo(result.comboSelection);
    // The device must not go on with a profile whose file is gone.
    if (result.activeChanged) RunSwitch(list_->Active(), true);
    return true;
}

bool CDeviceProfileUI::CopyProfile() {
    if (!list_ || !Control(kCombo)) return false;
    const int selection = GetSelection();
    const profiles::ProfileFileResult result = list_->Copy(selection);
    if (result.status == profiles::FileStatus::WriteFailed ||
        result.status == profiles::FileStatus::Unreadable)
        ShowText(kWriteFailedText);
    if (!result.ok()) return false;
    FillCombo(selection);
    return true;
}

bool CDeviceProfileUI::ImportProfile(const QString& path) {
    if (!list_ || !Control(kCombo)) return false;
    const profiles::ImportFile file = profiles::ReadImportFile(ToPath(path));
    if (!file.ok()) {
        qCInfo(lcUi) << "profile import refused:" << path << profiles::ImportCheckText(file.check);
        ShowText(kImportRefusedText);
        return false;
    }
    const int selection = GetSelection();
    const profiles::ProfileFileResult result = list_->Import(file.document);
    if (!result.ok()) {
        ShowText(result.status == profiles::FileStatus::Refused ? kImportRefusedText
                                                                : kWriteFailedText);
        return false;
    }
    FillCombo(selection);
    return true;
}

bool CDeviceProfileUI::ExportProfile(const QString& path) {
    if (!list_ || path.isEmpty()) return false;
    const profiles::ProfileFileResult result = list_->Export(GetSelection(), ToPath(path));
    if (result.ok()) return true;
    ShowText(result.status == profiles::FileStatus::WriteFailed ? kExportWriteText
                                                                : kExportUnreadableText);
    return false;
}

bool CDeviceProfileUI::ResetProfile() {
    if (!list_ || !Control(kCombo)) return false;
    const int selection = GetSelection();
    const profiles::ProfileFileResult result =
        list_->Reset(selection, ToPath(defaultProfile_), deviceType_ == kKindHeadset);
    if (!result.ok()) {
        ShowText(kWriteFailedText);
        return false;
    }
    const auto identifier = list_->IdentifierAt(selection);
    if (identifier && QString::fromStdString(*identifier) == activeIdentifier_ && device_) {
        profile_switch::SwitchDevice(*device_, activeIdentifier_, {false},
                                     [this](const profile_switch::SwitchMessage& m) {
                                         ShowText(m.textId, m.number, m.hasNumber);
                                     });
    }
    emit profileReset();
    return true;
}

int CDeviceProfileUI::RenameProfile(const QString& name) {
    if (!list_ || !Control(kCombo)) return 0;
    const int selection = GetSelection();
    const profiles::RenameResult result = list_->Rename(selection, name.toStdString());
    switch (result) {
        case profiles::RenameResult::Blank:
            ShowText(QStringLiteral("message_text_25"));
            break;
        case profiles::RenameResult::Duplicate:
            ShowText(QStringLiteral("message_text_5"));
            break;
        case profiles::RenameResult::Renamed:
            FillCombo(selection);
            break;
    }
    return static_cast<int>(result);
}

bool CDeviceProfileUI::LinkProfile(const QString& program) {
    if (!list_ || !Control(kCombo)) return false;
    const int selection = GetSelection();
    if (!list_->Link(selection, program.toStdString())) {
        ShowText(kWriteFailedText);
        return false;
    }
    FillCombo(selection);
    return true;
}

// ---- Switching ----

void CDeviceProfileUI::SwitchToSelection() {
    const int selection = GetSelection();
    if (selection < 0) return;
    RunSwitch(selection, true);
}

void CDeviceProfileUI::SwitchToEntry(int index) {
    if (!list_ || index < 0 || index >= list_->Count()) return;
    RunSwitch(index, true);
}

void CDeviceProfileUI::RunSwitch(int index, bool reloadLists) {
    SelectProfile(index, false);
    if (device_ && !activeIdentifier_.isEmpty()) {
        profile_switch::SwitchDevice(*device_, activeIdentifier_, {reloadLists},
                                     [this](const profile_switch::SwitchMessage& m) {
                                         ShowText(m.textId, m.number, m.hasNumber);
                                     });
    }
    emit activeProfileChanged(index);
}

// ---- Menu and tabs ----

void CDeviceProfileUI::ShowMenu(bool show) {
    if (QWidget* menu = Control(kMenuLayout)) ui::SetVisible(menu, show);
}

bool CDeviceProfileUI::IsMenuShown() const {
    const QWidget* menu = Control(kMenuLayout);
    return menu && ui::IsVisible(menu);
}

void CDeviceProfileUI::SelectTab(int tab) {
    for (int t = 1; t <= kTabCount; ++t) {
        if (QWidget* option = Control(kTabNames[t - 1])) ui::SetSelected(option, t == tab, false);
    }
}

void CDeviceProfileUI::ApplyTabVisibility() {
    const auto hide = [this](std::initializer_list<int> tabs, bool visible) {
        for (int t : tabs) {
            if (QWidget* option = Control(kTabNames[t - 1])) ui::SetVisible(option, visible);
        }
    };
    switch (deviceType_) {
        case 1:
            hide({5}, false);
            break;
        case 2:
            // The mouse page has its own tab row (buttons, DPI, keys, macros, recoil,
            // lighting) and no function pages for these tabs: a second row would switch
            // nothing.
            hide({1, 2, 3, 4, 5, 6, 7, 8}, false);
            break;
        case 3:
        case 5:
            hide({5, 3, 4, 2}, false);
            break;
        case 4:
            hide({5, 3, 2}, false);
            break;
        case 7:
            hide({5, 3, 4, 2}, false);
            hide({6, 7, 8}, true);
            break;
        default:
            break;
    }
}

// ---- Messages ----

void CDeviceProfileUI::ShowText(const QString& textId, int number, bool hasNumber) {
    QString text = CResourceManager::GetInstance().GetText(textId);
    if (hasNumber) text = profile_switch::ComposeMessage(text, number);
    if (message_) {
        message_(text, 0);
    } else {
        qCInfo(lcUi) << "profile panel:" << text;
    }
}

int CDeviceProfileUI::Confirm(const QString& textId) {
    if (!message_) return 0;
    return message_(CResourceManager::GetInstance().GetText(textId), 1);
}

// ---- Notifications ----

void CDeviceProfileUI::Notify(TNotifyUI& msg) {
    if (!msg.pSender || !isAncestorOf(msg.pSender)) return;
    ui::DispatchNotify(this, kHandlers, msg);
}

void CDeviceProfileUI::DoTimer(int id) {
    if (id != kSwitchTimerId) return;
    ui::KillTimer(this, kSwitchTimerId);
    SwitchToSelection();
}

void CDeviceProfileUI::OnItemSelect(TNotifyUI&) {
    // A second selection within the delay restarts it: only the last one switches.
    ui::SetTimer(this, kSwitchTimerId, kSwitchDelayMs);
}

void CDeviceProfileUI::OnAdd(TNotifyUI&) { AddProfile(); }
void CDeviceProfileUI::OnDelete(TNotifyUI&) { DeleteProfile(); }
void CDeviceProfileUI::OnCopy(TNotifyUI&) { CopyProfile(); }

void CDeviceProfileUI::OnImport(TNotifyUI&) {
    if (!chooseFile_) return;
    const QString path = chooseFile_(false);
    if (!path.isEmpty()) ImportProfile(path);
}

void CDeviceProfileUI::OnExport(TNotifyUI&) {
    if (GetSelection() < 0 || !chooseFile_) return;
    const QString path = chooseFile_(true);
    if (!path.isEmpty()) ExportProfile(path);
}

void CDeviceProfileUI::OnReset(TNotifyUI&) {
    if (GetSelection() < 0) return;
    if (Confirm(QStringLiteral("message_text_22")) != 1) return;
    ResetProfile();
}

void CDeviceProfileUI::OnRename(TNotifyUI&) {
    const QString name = GetNameText();
    if (name.isEmpty()) return;
    RenameProfile(name);
}

void CDeviceProfileUI::OnSpread(TNotifyUI&) { ShowMenu(!IsMenuShown()); }

void CDeviceProfileUI::OnLink(TNotifyUI&) {
    if (!list_ || !chooseLink_) return;
    const int selection = GetSelection();
    if (selection < 0 || selection >= list_->Count()) return;
    const auto& entry = list_->Entries()[static_cast<std::size_t>(selection)];
    const std::optional<QString> program =
        chooseLink_(entry.isLink ? QString::fromStdString(entry.linkName) : QString());
    if (program) LinkProfile(*program);
}

void CDeviceProfileUI::OnTab(TNotifyUI& msg) {
    const QString name = msg.pSender->objectName();
    for (int t = 1; t <= kTabCount; ++t) {
        if (name != QLatin1String(kTabNames[t - 1])) continue;
        if (device_) device_->SetFunctionPage(t);
        SelectTab(t);
        return;
    }
}

void RegisterProfilePanel() {
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistControl(QLatin1String(CDeviceProfileUI::kClassName), &CDeviceProfileUI::Create);
    factory.RegistControl(QLatin1String(CDeviceProfileUI::kLongClassName),
                          &CDeviceProfileUI::Create);
}
