#include "panels/key_set_control_ui.h"

#include <QComboBox>
#include <QLoggingCategory>
#include <string>

#include "devices/skelmora_usb_device.h"
#include "panels/macro_recording.h"
#include "platform/log_categories.h"
#include "tables/key_tables.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {

using key_assign::EditRange;
using key_assign::KeyPanelState;

constexpr char kFunctionCombo[] = "keyset_function_combo";
constexpr char kTabLayout[] = "function_switch_tablayout";
constexpr char kKeyEdit[] = "keyset_keyboard_text_edit";
constexpr char kMacroCombo[] = "keyset_macro_combo";
constexpr char kOverCombo[] = "keyset_macro_over_combo";
constexpr char kCycleLayout[] = "keyset_macro_cycle_layout";
constexpr char kCycleEdit[] = "keyset_macro_cycle_edit";
constexpr char kModifierPrefix[] = "key_ComBox_check_";
constexpr int kModifierCount = 5;
// The texts of the function items as the layout gives them, kept on the combo.
constexpr char kFunctionTexts[] = "functionTexts";

// Every control the panel works with, in the order the device binds them.
constexpr const char* kControls[] = {
    "keyset_layout",
    kFunctionCombo,
    "key_butt_keydefalut",
    "key_butt_keysave",
    "key_butt_keycancel",
    "key_butt_prosave",
    kTabLayout,
    "keyset_mousekey_combo",
    "keyset_mouseswing_combo",
    "keyset_mouseswing_num_edit",
    "keyset_mouseswing_delay_edit",
    "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_combo",
    "keyset_mousewheel_num_edit",
    "keyset_mousewheel_delay_edit",
    "keyset_mousewheel_speed_edit",
    "keyset_mousedpi_combo",
    "keyset_mousefire_interval_edit",
    "keyset_mousefire_num_edit",
    kKeyEdit,
    "keyset_media_combo",
    "keyset_system_combo",
    kMacroCombo,
    kOverCombo,
    kCycleLayout,
    kCycleEdit,
    "keyset_gunkey_combo",
    "keyset_combokey_combo",
    "text_test",
};

// A combo of the panel and the state field holding its row.
struct ComboField {
    const char* name;
    int KeyPanelState::*row;
};
constexpr ComboField kCombos[] = {
    {"keyset_mousekey_combo", &KeyPanelState::mouse_button_row},
    {"keyset_mouseswing_combo", &KeyPanelState::swing_row},
    {"keyset_mousewheel_combo", &KeyPanelState::wheel_row},
    {"keyset_mousedpi_combo", &KeyPanelState::dpi_row},
    {"keyset_media_combo", &KeyPanelState::media_row},
    {"keyset_system_combo", &KeyPanelState::system_row},
    {kMacroCombo, &KeyPanelState::macro_row},
    {kOverCombo, &KeyPanelState::over_row},
    {"keyset_gunkey_combo", &KeyPanelState::gun_row},
    {"keyset_combokey_combo", &KeyPanelState::shortcut_row},
};

// An edit of the panel, its state field and what its byte field holds.
struct EditField {
    const char* name;
    int KeyPanelState::*value;
    EditRange range;
};
constexpr EditField kEdits[] = {
    {"keyset_mouseswing_num_edit", &KeyPanelState::swing_count, key_assign::kCountRange},
    {"keyset_mouseswing_delay_edit", &KeyPanelState::swing_delay, key_assign::kDelayRange},
    {"keyset_mouseswing_speed_edit", &KeyPanelState::swing_speed, key_assign::kSpeedRange},
    {"keyset_mousewheel_num_edit", &KeyPanelState::wheel_count, key_assign::kCountRange},
    {"keyset_mousewheel_delay_edit", &KeyPanelState::wheel_delay, key_assign::kDelayRange},
    {"keyset_mousewheel_speed_edit", &KeyPanelState::wheel_speed, key_assign::kSpeedRange},
    {"keyset_mousefire_interval_edit", &KeyPanelState::fire_interval, key_assign::kByteRange},
    {"keyset_mousefire_num_edit", &KeyPanelState::fire_count, key_assign::kByteRange},
    {kCycleEdit, &KeyPanelState::cycle_count, key_assign::kByteRange},
};

QString ModifierName(int option) {
    return QLatin1String(kModifierPrefix) + QString::number(option);
}

QString KeyTextIdentifier(std::size_t row) {
    const std::wstring_view id = tables::KeyTextIdentifier(row);
    return QString::fromStdWString(std::wstring(id));
}

}  // namespace

const CKeySetControlUI::Handler CKeySetControlUI::kHandlers[] = {
    {notify_type::kItemSelect, kFunctionCombo, &CKeySetControlUI::OnFunction},
    {notify_type::kItemSelect, kOverCombo, &CKeySetControlUI::OnOver},
    {notify_type::kItemSelect, nullptr, &CKeySetControlUI::OnApply},   // the other combos
    {notify_type::kTextChanged, nullptr, &CKeySetControlUI::OnApply},  // the number edits
    {notify_type::kSelectChanged, nullptr, &CKeySetControlUI::OnModifier},
    {notify_type::kClick, "key_butt_keysave", &CKeySetControlUI::OnKeySave},
    {notify_type::kClick, "key_butt_keydefalut", &CKeySetControlUI::OnKeyDefault},
    {notify_type::kClick, "key_butt_keycancel", &CKeySetControlUI::OnKeyCancel},
    {notify_type::kClick, "key_butt_prosave", &CKeySetControlUI::OnProfileSave},
    {notify_type::kSetFocus, kKeyEdit, &CKeySetControlUI::OnFocus},
    {notify_type::kKillFocus, kKeyEdit, &CKeySetControlUI::OnKillFocus},
};

CKeySetControlUI::CKeySetControlUI(QWidget* parent)
    : QWidget(parent), capture_([this](bool on) { SetCapturing(on); }) {}

// The hook stops (and lets every grab go) with the panel.
CKeySetControlUI::~CKeySetControlUI() = default;

QWidget* CKeySetControlUI::Control(const char* name) const {
    return CPaintManagerUI::FindSubControlByName(this, QString::fromLatin1(name));
}

bool CKeySetControlUI::BindControls() {
    missing_.clear();
    for (const char* name : kControls) {
        if (!Control(name)) {
            missing_ = QString::fromLatin1(name);
            qCWarning(lcUi) << "key assignment panel: no control" << missing_;
            return false;
        }
    }
    for (int option = 0; option < kModifierCount; ++option) {
        if (!CPaintManagerUI::FindSubControlByName(this, ModifierName(option))) {
            missing_ = ModifierName(option);
            return false;
        }
    }
    // The function items carry their kind; the layout lists them in kind order.
    auto* functions = qobject_cast<QComboBox*>(Control(kFunctionCombo));
    if (functions && functions->property(kFunctionTexts).isNull()) {
        QStringList texts;
        for (int i = 0; i < functions->count(); ++i) texts << functions->itemText(i);
        functions->setProperty(kFunctionTexts, texts);
    }
    SetDeviceKind(deviceKind_);
    for (const EditField& edit : kEdits) ui::SetMaxChar(Control(edit.name), 3);
    EnableButtons(false);
    return true;
}

void CKeySetControlUI::AttachDevice(CSkelmoraUSBDevice* device) {
    device_ = device;
    if (!device) return;
    write_ = [this] {
        return device_ ? device_->WriteKeysAndMacros() : WriteOutcome::Failed("device", 0);
    };
    apply_ = [this](const DeviceKeyCode& code) {
        if (!device_ || device_->GetSelectedKey() < 0) return;
        ShowOutcome(device_->AssignKey(device_->GetSelectedKey(), code));
    };
    connect(device, &CSkelmoraUSBDevice::keySelected, this, [this](int key) {
        const auto pair = device_ ? device_->GetKeyAssignment(key) : std::nullopt;
        if (!pair) {
            ShowPanel(false);
            return;
        }
        const auto code = [](const profiles::KeyAssignment& a) {
            return DeviceKeyCode{a.kind, a.high, a.low};
        };
        SetAssignment(code(pair->current), code(pair->default_assignment));
    });
    connect(this, &CKeySetControlUI::editPendingChanged, device, [this](bool pending) {
        if (device_ && device_->GetProfilePanel()) device_->GetProfilePanel()->setEnabled(!pending);
    });
}

void CKeySetControlUI::SetDeviceKind(int kind) {
    deviceKind_ = kind;
    auto* combo = qobject_cast<QComboBox*>(Control(kFunctionCombo));
    if (!combo) return;
    const QStringList all = combo->property(kFunctionTexts).toStringList();
    ui::RemoveAllItems(combo);
    for (int k = 0; k < all.size(); ++k) {
        // On a keyboard the DPI and gun key items are not offered.
        if (kind == kDeviceKeyboard &&
            (k == key_assign::kFunctionDpi || k == key_assign::kFunctionGunKey))
            continue;
        ui::AddLabelItem(combo, all[k], QString::number(k), false, kItemHeight);
    }
}

void CKeySetControlUI::SetMacroNames(const QStringList& names) {
    QWidget* combo = Control(kMacroCombo);
    if (!combo) return;
    ui::RemoveAllItems(combo);
    for (const QString& name : names) ui::AddLabelItem(combo, name, {}, false, kItemHeight);
    ui::SelectItem(combo, -1, false);
}

void CKeySetControlUI::RenameMacro(int row, const QString& name) {
    auto* combo = qobject_cast<QComboBox*>(Control(kMacroCombo));
    if (!combo || row < 0 || row >= combo->count() || name.isEmpty()) return;
    combo->setItemText(row, name);
}

void CKeySetControlUI::RemoveMacro(int row) {
    auto* combo = qobject_cast<QComboBox*>(Control(kMacroCombo));
    if (!combo || row < 0 || row >= combo->count()) return;
    combo->removeItem(row);
}

// ---- State and code ----

KeyPanelState CKeySetControlUI::ReadState() const {
    KeyPanelState s;
    const QWidget* functions = Control(kFunctionCombo);
    const int item = functions ? ui::GetCurSel(functions) : -1;
    bool ok = false;
    const int kind = item >= 0 ? ui::GetItemUserData(functions, item).toInt(&ok) : -1;
    s.function_kind = ok ? kind : -1;
    for (const ComboField& combo : kCombos) {
        const QWidget* w = Control(combo.name);
        s.*combo.row = w ? ui::GetCurSel(w) : key_assign::kNoRow;
    }
    for (const EditField& edit : kEdits) {
        const QWidget* w = Control(edit.name);
        s.*edit.value = key_assign::ReadEditNumber(w ? ui::GetText(w).toStdString() : std::string(),
                                                   edit.range);
    }
    s.modifier = GetModifier();
    const QWidget* keyEdit = Control(kKeyEdit);
    s.key_text_empty = !keyEdit || ui::GetText(keyEdit).isEmpty();
    s.macro_count = Control(kMacroCombo) ? ui::GetCount(Control(kMacroCombo)) : 0;
    const QWidget* cycle = Control(kCycleLayout);
    s.cycle_visible = cycle && ui::IsVisible(cycle);
    return s;
}

void CKeySetControlUI::WriteState(const KeyPanelState& s) {
    showing_ = true;
    for (const ComboField& combo : kCombos) {
        if (QWidget* w = Control(combo.name)) ui::SelectItem(w, s.*combo.row, false);
    }
    for (const EditField& edit : kEdits) {
        if (QWidget* w = Control(edit.name)) ui::SetText(w, QString::number(s.*edit.value));
    }
    if (QWidget* cycle = Control(kCycleLayout)) ui::SetVisible(cycle, s.cycle_visible);
    showing_ = false;
}

void CKeySetControlUI::SetAssignment(const DeviceKeyCode& current, const DeviceKeyCode& def) {
    current_ = current;
    default_ = def;
    Show(current);
}

void CKeySetControlUI::Show(const DeviceKeyCode& code) {
    KeyPanelState state = ReadState();
    const key_assign::ShowResult shown = key_assign::Show(code, default_, state);
    WriteState(state);
    showing_ = true;
    if (shown.function_kind == key_assign::kFunctionKeyboardKey) {
        SelectModifier(state.modifier);
        if (shown.key_text_row)
            SetKeyText(KeyTextIdentifier(*shown.key_text_row));
        else if (shown.key_text_cleared)
            ui::SetText(Control(kKeyEdit), QString());
    }
    if (shown.clear_current_key) {
        current_.high = 0;
        current_.low = 0;
    }
    showing_ = false;
    SelectFunction(shown.function_kind);
}

void CKeySetControlUI::SelectFunction(int kind) {
    QWidget* functions = Control(kFunctionCombo);
    if (!functions) return;
    for (int i = 0; i < ui::GetCount(functions); ++i) {
        if (ui::GetItemUserData(functions, i) != QString::number(kind)) continue;
        ShowPanel(true);
        ui::SelectItem(functions, i, false);
        ui::SelectTabItem(Control(kTabLayout), kind);
        return;
    }
    // The code's function is not offered on this device.
    ShowPanel(false);
}

CKeySetControlUI::DeviceKeyCode CKeySetControlUI::Compose() {
    const KeyPanelState state = ReadState();
    current_ = key_assign::Compose(state, current_, default_);
    // The edits show what is sent.
    WriteState(state);
    return current_;
}

// ---- Controls ----

void CKeySetControlUI::SelectModifier(int option) {
    for (int i = 0; i < kModifierCount; ++i) {
        if (QWidget* w = CPaintManagerUI::FindSubControlByName(this, ModifierName(i)))
            ui::SetSelected(w, i == option, false);
    }
}

int CKeySetControlUI::GetModifier() const {
    for (int i = 0; i < kModifierCount; ++i) {
        const QWidget* w = CPaintManagerUI::FindSubControlByName(this, ModifierName(i));
        if (w && ui::IsSelected(w)) return i;
    }
    return -1;
}

void CKeySetControlUI::SetKeyText(const QString& identifier) {
    QWidget* label = Control("text_test");
    QWidget* edit = Control(kKeyEdit);
    if (!label || !edit) return;
    ui::SetText(label, identifier);
    ui::SetText(edit, ui::GetText(label));
}

void CKeySetControlUI::ShowPanel(bool visible) {
    if (QWidget* layout = Control("keyset_layout")) ui::SetVisible(layout, visible);
}

bool CKeySetControlUI::IsPanelShown() const {
    const QWidget* layout = Control("keyset_layout");
    return layout && ui::IsVisible(layout);
}

void CKeySetControlUI::EnableButtons(bool enabled) {
    for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"}) {
        if (QWidget* w = Control(name)) ui::SetEnabled(w, enabled);
    }
}

// ---- Capture ----

bool CKeySetControlUI::CaptureKey(std::uint16_t scanCode, bool extended) {
    const std::optional<std::size_t> row = tables::FindRowByScanCode(scanCode, extended);
    if (!row) return false;
    const key_assign::CaptureResult result = key_assign::Capture(*row, GetModifier());
    if (!result.used) return false;
    showing_ = true;
    if (result.modifier) SelectModifier(*result.modifier);
    if (result.compose_before) Compose();
    if (result.text)
        SetKeyText(KeyTextIdentifier(*result.text));
    else
        ui::SetText(Control(kKeyEdit), QString());
    showing_ = false;
    DeviceKeyCode captured = current_;
    captured.low = result.usage;
    SetCaptured(captured);
    Apply();
    return true;
}

// ---- Flows ----

void CKeySetControlUI::Apply() {
    Compose();
    if (apply_) apply_(current_);
    if (device_) device_->RefreshPage();
}

void CKeySetControlUI::SetPending(bool pending) {
    EnableButtons(pending);
    if (pending_ == pending) return;
    pending_ = pending;
    emit editPendingChanged(pending);
}

void CKeySetControlUI::Save() {
    Apply();
    SetPending(true);
}

void CKeySetControlUI::RestoreDefault() {
    ShowDefault();
    if (deviceKind_ == kDeviceKeyboard) {
        Apply();
        if (write_) ShowOutcome(write_());
    }
    SetPending(true);
}

void CKeySetControlUI::Cancel() {
    ShowCurrent();
    if (capture_) capture_(false);
    SetPending(false);
}

void CKeySetControlUI::WriteKeyTable() {
    if (write_) ShowOutcome(write_());
    if (capture_) capture_(false);
    SetPending(false);
}

void CKeySetControlUI::ShowOutcome(const WriteOutcome& outcome) {
    const key_assign::WriteMessage message = key_assign::MessageForOutcome(outcome);
    if (message.text_id.empty()) return;
    QString text = CResourceManager::GetInstance().GetText(QString::fromStdString(message.text_id));
    if (message.number)
        text = QString::fromStdString(
            key_assign::FormatNumberText(text.toStdString(), *message.number));
    if (message_)
        message_(text, 0);
    else
        qCInfo(lcUi) << "key assignment panel:" << text;
}

// ---- Notifications ----

void CKeySetControlUI::Notify(TNotifyUI& msg) {
    if (!msg.pSender || !isAncestorOf(msg.pSender)) return;
    ui::DispatchNotify(this, kHandlers, msg);
}

void CKeySetControlUI::OnFunction(TNotifyUI&) {
    const KeyPanelState state = ReadState();
    ui::SelectTabItem(Control(kTabLayout), state.function_kind);
    if (state.function_kind == key_assign::kFunctionKeyboardKey) {
        showing_ = true;
        ui::SetText(Control(kKeyEdit), QString());
        SelectModifier(-1);
        showing_ = false;
    }
    Apply();
}

void CKeySetControlUI::OnOver(TNotifyUI&) {
    if (QWidget* cycle = Control(kCycleLayout))
        ui::SetVisible(cycle, ui::GetCurSel(Control(kOverCombo)) == key_assign::kOverRowRepeat);
    Apply();
}

void CKeySetControlUI::OnApply(TNotifyUI& msg) {
    if (showing_) return;
    const QString name = msg.pSender->objectName();
    // The key text edit is set by capture only; its changes do not apply by themselves.
    if (name == QLatin1String(kKeyEdit)) return;
    for (const ComboField& combo : kCombos) {
        if (name == QLatin1String(combo.name)) return Apply();
    }
    for (const EditField& edit : kEdits) {
        if (name == QLatin1String(edit.name)) return Apply();
    }
}

void CKeySetControlUI::OnModifier(TNotifyUI& msg) {
    if (showing_) return;
    const QString name = msg.pSender->objectName();
    for (int i = 0; i < kModifierCount; ++i) {
        if (name != ModifierName(i)) continue;
        SelectModifier(i);
        Apply();
        return;
    }
}

void CKeySetControlUI::SetCapturing(bool on) {
    if (!on) {
        if (hook_) hook_->Stop();
        return;
    }
    if (!hook_) {
        hook_ = std::make_unique<platform::InputHook>(&macro_edit::ScanCodeOfKey);
        connect(hook_.get(), &platform::InputHook::InputReceived, this,
                &CKeySetControlUI::OnCaptureInput);
        // The reader let its grab go because this thread stalled: capture ends too.
        connect(hook_.get(), &platform::InputHook::GrabReleased, this,
                [this] { SetCapturing(false); });
    }
    if (!IsCapturing()) hook_->Start(platform::HookMode::SingleKey);
}

void CKeySetControlUI::OnCaptureInput(const platform::InputEvent& event) {
    if (event.device != platform::InputEvent::Device::Key ||
        event.state != platform::KeyState::Pressed)
        return;
    CaptureKey(event.scan_code, event.extended);
}

void CKeySetControlUI::OnFocus(TNotifyUI&) {
    if (capture_) capture_(true);
}

void CKeySetControlUI::OnKillFocus(TNotifyUI&) {
    if (capture_) capture_(false);
}

void RegisterKeySetControl() {
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistControl(QLatin1String(CKeySetControlUI::kClassName), &CKeySetControlUI::Create);
    factory.RegistControl(QLatin1String(CKeySetControlUI::kLongClassName),
                          &CKeySetControlUI::Create);
}
