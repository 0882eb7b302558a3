#pragma once
// CMacroControlUI ("MacroControl", "CMacroControlUI"): the macro editor of a keyboard or mouse
// page, found on the page as "MacroControlItem" and built from
// "XML/CustomControlXML/MacroControl.xml". The macros and their files are a MacroLibrary, the
// selected macro's rows a MacroEventList, recording a MacroRecorder fed by the input hook:
// this class moves values between them and the widgets.
//
// Messages, confirmations and file choices go through handlers (tests answer them directly);
// so does what a delete must change outside the editor (the key assignments of every profile).
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "panels/macro_library.h"
#include "panels/macro_model.h"
#include "panels/macro_recorder.h"
#include "platform/input_hook.h"
#include "ui/control_timers.h"
#include "ui/notify.h"
#include "ui/notify_table.h"

class CMacroControlUI : public QWidget, public INotifyUI, public ui::ITimerTarget {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "MacroControl";
    static constexpr char kLongClassName[] = "CMacroControlUI";
    static constexpr char kItemName[] = "MacroControlItem";
    static constexpr char kMenuFile[] = "XML/Menus/macro_action_menu.xml";
    static constexpr int kItemHeight = 30;
    static constexpr int kPulseTimerId = 100;
    static constexpr int kPulseMs = 50;
    static constexpr int kScrollTimerId = 0x1005;
    static constexpr int kScrollMs = 100;
    // Rows listed per scroll tick while recording: a long recording never blocks the window.
    static constexpr int kRowsPerBatch = 500;
    // Rows of a macro shown anew (a selection, a stop) beyond the first batch join by this
    // timer, a batch per tick.
    static constexpr int kFillTimerId = 0x1006;
    static constexpr int kFillMs = 1;
    // Rows above and below the visible ones that also have their widgets (the controls of a
    // row exist only near the view: a macro of 100,000 events lists 100,000 plain items).
    static constexpr int kRowsAroundView = 20;
    // Every row is in the list (the fill has ended).
    bool AllRowsShown() const { return shownRows_ >= rows_.size(); }
    // The rows that have their widgets now: [first, end).
    std::pair<int, int> RowsWithWidgets() const { return {widgetFirst_, widgetEnd_}; }

    // Shows a translated text; buttons 0 confirm only, 1 confirm and cancel; 1 when confirmed.
    using MessageHandler = std::function<int(const QString& text, int buttons)>;
    // A file to import (save false) or to export to (save true); empty when cancelled.
    using FileChooser = std::function<QString(bool save)>;
    // Before macro d is deleted: fixes the key assignments that use it (may ask the user);
    // false stops the delete.
    using DeleteHandler = std::function<bool(int deleted)>;

    explicit CMacroControlUI(QWidget* parent = nullptr);
    ~CMacroControlUI() override;

    void SetFolder(const QString& folder);
    void LoadMacroList();
    int GetSelectedMacro() const;
    void SelectMacro(int index);
    void ShowSelectedMacro();
    QString AddMacro();
    int DeleteSelectedMacro();
    // "IsEmpty" for a blank name, "" for a duplicate (message_text_5 shown), else the name.
    QString RenameSelectedMacro(int& index);
    bool SaveSelectedMacro();
    void CancelEdits() { ShowSelectedMacro(); }
    bool ImportMacro(const QString& path);
    bool ExportSelectedMacro(const QString& path);
    void InsertMouseMove(macro_edit::MoveDirection direction);
    void InsertMouseEvent(uint16_t down, uint16_t up, int variant, bool press, bool release);
    void ReadFixedDelay();
    bool IsConstantDelay() const;
    QStringList GetMacroNames() const;
    const macro_edit::MacroEventList& Rows() const { return rows_; }
    macro_edit::MacroLibrary& Library() { return library_; }
    void SelectRow(int row);

    // Recording (the hook's events arrive through OnInput).
    void StartRecording(macro_edit::RecordPosition position, macro_edit::DelayMode mode);
    // Records the events of an evemu replay as a live source would deliver them.
    void StartReplayRecording(macro_edit::RecordPosition position, macro_edit::DelayMode mode,
                              const std::vector<platform::RawInputEvent>& events);
    void StopRecording(bool byClick);
    bool IsRecording() const { return recorder_ != nullptr; }
    void SetRecordingState(bool idle);
    void OnInput(const platform::InputEvent& event);
    platform::InputHook& Hook() { return *hook_; }
    // The record button's opacity (80 to 255) while recording.
    int PulseAlpha() const { return pulseAlpha_; }

    // A menu item of the event rows' context menu.
    void OnMenuItem(const QString& item);

    void SetMessageHandler(MessageHandler handler) { message_ = std::move(handler); }
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void SetDeleteHandler(DeleteHandler handler) { beforeDelete_ = std::move(handler); }

    void Notify(TNotifyUI& msg) override;
    void DoTimer(int id) override;

    static QWidget* Create(QWidget* parent) { return new CMacroControlUI(parent); }

  signals:
    // The names changed (added, renamed, deleted, imported): the key assignment panel's list.
    void macroNamesChanged(const QStringList& names);
    void macroRemoved(int index);
    // Recording started (true) or stopped (false): the selector and profile panel follow.
    void recordingChanged(bool recording);

  protected:
    // The rows' list viewport resized: more or fewer rows are visible.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using Handler = ui::NotifyRow<CMacroControlUI>;
    static const Handler kHandlers[];

    QWidget* Control(const char* name) const;
    void FillNames(int selection);
    void RebuildRows();
    void AppendRowItems(std::size_t from, std::size_t to);
    // Gives the rows near the view their widgets and takes them from the others (a delay
    // typed into a row leaving the view is kept in its event first).
    void UpdateRowWidgets();
    QWidget* MakeRowWidget(std::size_t row) const;
    void KeepDelay(int row, QWidget* rowWidget);
    void WireRowList();
    void ReadDelayEdits();
    void SetMacroControlsEnabled(bool enabled);
    void ShowText(const QString& textId);
    void RowsChanged();
    bool CanRecord(macro_edit::RecordPosition position) const;
    void BeginRecording(macro_edit::RecordPosition position, macro_edit::DelayMode mode,
                        uint64_t startUs, platform::HookSource source);

    void OnNameSelect(TNotifyUI&);
    void OnAdd(TNotifyUI&) { AddMacro(); }
    void OnDelete(TNotifyUI&);
    void OnRename(TNotifyUI&);
    void OnSave(TNotifyUI&) { SaveSelectedMacro(); }
    void OnCancel(TNotifyUI&) { CancelEdits(); }
    void OnImport(TNotifyUI&);
    void OnExport(TNotifyUI&);
    void OnRowButton(TNotifyUI&);
    void OnRecord(TNotifyUI&);
    void OnStop(TNotifyUI&);
    void OnRowSelect(TNotifyUI&);
    void OnFixedDelay(TNotifyUI&) { ReadFixedDelay(); }

    macro_edit::MacroLibrary library_;
    macro_edit::MacroEventList rows_;
    std::unique_ptr<macro_edit::MacroRecorder> recorder_;
    std::unique_ptr<platform::InputHook> hook_;
    std::size_t shownRows_ = 0;  // rows in the list
    int widgetFirst_ = 0;        // rows [widgetFirst_, widgetEnd_) have their widgets
    int widgetEnd_ = 0;
    bool rowListWired_ = false;
    // Where the recording puts its rows: appended rows join the shown ones, others shift them.
    macro_edit::RecordPosition recordPosition_ = macro_edit::RecordPosition::Append;
    uint32_t fixedDelay_ = 0;
    int pulseAlpha_ = 255;
    int pulseStep_ = -20;
    MessageHandler message_;
    FileChooser chooseFile_;
    DeleteHandler beforeDelete_;
};

// Registers "MacroControl" and "CMacroControlUI" with the control factory.
void RegisterMacroControl();
