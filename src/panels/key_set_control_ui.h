#pragma once
// CKeySetControlUI ("KeySetControl", "CKeySetControlUI"): the key assignment panel of a keyboard
// or mouse page, found on the page as "KeySetControlItem" and built from
// "XML/CustomControlXML/KeySetControl.xml". It shows one key's 3-byte code in its controls
// and composes the code back from them; the arithmetic is key_assign's (key_assign_codec.h),
// this class only moves values between the widgets and a KeyPanelState.
//
// Its notifications arrive through the device's Notify and go through the panel's own
// dispatch table. What it changes on the device goes through handlers the device or the main
// window gives: apply (the composed code of the key being edited), write (the key table, with
// its outcome), messages and the capture switch, so tests answer them directly.
//
// Editing: save and default leave the changes waiting (the three buttons enabled, the device's
// profile panel disabled) until the key table is written or the edit cancelled.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "devices/write_outcome.h"
#include "panels/key_assign_codec.h"
#include "platform/input_hook.h"
#include "ui/notify.h"
#include "ui/notify_table.h"

class CSkelmoraUSBDevice;

class CKeySetControlUI : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "KeySetControl";
    static constexpr char kLongClassName[] = "CKeySetControlUI";
    static constexpr char kItemName[] = "KeySetControlItem";
    static constexpr int kItemHeight = 30;
    static constexpr int kDeviceKeyboard = 1;
    static constexpr int kDeviceMouse = 2;

    using DeviceKeyCode = key_assign::DeviceKeyCode;
    // Shows a translated text; buttons 0 confirm only, 1 confirm and cancel.
    using MessageHandler = std::function<int(const QString& text, int buttons)>;
    // The composed code of the key being edited goes to the device's key list.
    using ApplyHandler = std::function<void(const DeviceKeyCode& current)>;
    // Writes the device's key table (with its macros) and says how it went.
    using WriteHandler = std::function<WriteOutcome()>;
    // Keyboard capture on or off (the key text edit gained or lost focus, or editing ended).
    using CaptureHandler = std::function<void(bool on)>;

    explicit CKeySetControlUI(QWidget* parent = nullptr);
    ~CKeySetControlUI() override;

    // Finds the controls by name; false names the first one missing in missingControl.
    bool BindControls();
    QString MissingControl() const { return missing_; }
    // The device's handlers: a key picked on the device's picture is shown (SetAssignment
    // with its current and default code), apply sets the picked key's code and writes the key
    // table (AssignKey), write sends the macros and the key table (WriteKeysAndMacros), each
    // outcome shown by ShowOutcome; the profile panel is locked while changes wait.
    void AttachDevice(CSkelmoraUSBDevice* device);

    // 1 keyboard (DPI and gun key items hidden), 2 mouse.
    void SetDeviceKind(int kind);
    int GetDeviceKind() const { return deviceKind_; }
    void SetMacroNames(const QStringList& names);
    void RenameMacro(int row, const QString& name);
    void RemoveMacro(int row);

    void SetAssignment(const DeviceKeyCode& current, const DeviceKeyCode& def);
    void ShowDefault() { Show(default_); }
    void ShowCurrent() { Show(current_); }
    void Show(const DeviceKeyCode& code);
    DeviceKeyCode Compose();
    void SetCaptured(const DeviceKeyCode& code) { current_ = code; }
    DeviceKeyCode Current() const { return current_; }
    DeviceKeyCode Default() const { return default_; }

    void SelectModifier(int option);
    int GetModifier() const;
    // The text of identifier in the current language (through "text_test") in the key edit.
    void SetKeyText(const QString& identifier);
    void ShowPanel(bool visible);
    bool IsPanelShown() const;
    void EnableButtons(bool enabled);

    // A key pressed while capturing, by its scan code and extended flag; keys that are not
    // keyboard keys of the table do nothing. Returns whether the key was used.
    bool CaptureKey(std::uint16_t scanCode, bool extended);
    // Single-key capture through the input hook (evdev when readable, else the window's own
    // key events): each key press goes to CaptureKey. The capture handler's default; off
    // releases every grab at once.
    void SetCapturing(bool on);
    bool IsCapturing() const { return hook_ && hook_->Source() != platform::HookSource::None; }
    void OnCaptureInput(const platform::InputEvent& event);
    platform::InputHook* Hook() const { return hook_.get(); }

    // The buttons' flows (also reached through Notify).
    void Save();
    void RestoreDefault();
    void Cancel();
    void WriteKeyTable();
    bool IsEditPending() const { return pending_; }
    // The message for a key-table write's outcome: "message_text_7" for any failure,
    // "message_text_16" with the number of events for macros that do not fit, none on success.
    void ShowOutcome(const WriteOutcome& outcome);

    void SetMessageHandler(MessageHandler handler) { message_ = std::move(handler); }
    void SetApplyHandler(ApplyHandler handler) { apply_ = std::move(handler); }
    void SetWriteHandler(WriteHandler handler) { write_ = std::move(handler); }
    void SetCaptureHandler(CaptureHandler handler) { capture_ = std::move(handler); }

    void Notify(TNotifyUI& msg) override;

    static QWidget* Create(QWidget* parent) { return new CKeySetControlUI(parent); }

  signals:
    // Changes wait (true) until the key table is written or the edit cancelled (false).
    void editPendingChanged(bool pending);

  private:
    using Handler = ui::NotifyRow<CKeySetControlUI>;
    static const Handler kHandlers[];

    QWidget* Control(const char* name) const;
    key_assign::KeyPanelState ReadState() const;
    void WriteState(const key_assign::KeyPanelState& state);
    void SelectFunction(int kind);
    void SetPending(bool pending);
    void Apply();

    void OnFunction(TNotifyUI&);
    void OnOver(TNotifyUI&);
    void OnApply(TNotifyUI&);
    void OnModifier(TNotifyUI&);
    void OnKeySave(TNotifyUI&) { Save(); }
    void OnKeyDefault(TNotifyUI&) { RestoreDefault(); }
    void OnKeyCancel(TNotifyUI&) { Cancel(); }
    void OnProfileSave(TNotifyUI&) { WriteKeyTable(); }
    void OnFocus(TNotifyUI&);
    void OnKillFocus(TNotifyUI&);

    QPointer<CSkelmoraUSBDevice> device_;
    DeviceKeyCode current_{};
    DeviceKeyCode default_{};
    int deviceKind_ = kDeviceKeyboard;
    bool pending_ = false;
    bool showing_ = false;  // controls being set by Show: their notifications do not apply
    QString missing_;
    MessageHandler message_;
    ApplyHandler apply_;
    WriteHandler write_;
    CaptureHandler capture_;
    std::unique_ptr<platform::InputHook> hook_;
};

// Registers "KeySetControl" and "CKeySetControlUI" with the control factory.
void RegisterKeySetControl();
