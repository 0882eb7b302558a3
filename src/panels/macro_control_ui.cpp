#include "panels/macro_control_ui.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <chrono>

#include "panels/macro_recording.h"
#include "platform/log_categories.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/menu_wnd.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {

using macro_edit::DelayMode;
using macro_edit::MoveDirection;
using macro_edit::RecordPosition;

constexpr char kNameList[] = "macro_name_list";
constexpr char kActionList[] = "macro_action_list";
constexpr char kNameEdit[] = "macro_edit_macroname";
constexpr char kFixedEdit[] = "macro_fixed_time_edit";
constexpr char kStart[] = "macro_btn_starredio";
constexpr char kStop[] = "macro_btn_stopredio";
constexpr char kDelayEdit[] = "macro_delay";
constexpr char kSourceLabel[] = "macro_source_label";

// Texts of this panel that the message keys do not cover.
constexpr char kImportRefusedText[] = "macro_import_refused_text";
constexpr char kExportFailedText[] = "macro_export_failed_text";
constexpr char kWriteFailedText[] = "macro_write_failed_text";
constexpr char kSourceWindowText[] = "macro_source_window_text";
constexpr char kSourceSharedText[] = "macro_source_shared_text";

constexpr int kPulseLow = 80;
constexpr int kPulseHigh = 255;
constexpr int kPulseStep = 20;

// The controls that want a macro to work on.
constexpr const char* kMacroControls[] = {"macro_action_layout", "mouse_move_layout",
                                          "macro_btn_export", "macro_btn_name_sub",
                                          "macro_btn_name_edit"};

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

uint64_t NowUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

struct MoveButton {
    const char* button;
    const char* edit;
    MoveDirection direction;
};
constexpr MoveButton kMoveButtons[] = {
    {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", MoveDirection::Left},
    {"macro_inset_moverightkey_btn", "mouse_x_right_edit", MoveDirection::Right},
    {"macro_inset_moveupkey_btn", "mouse_y_up_edit", MoveDirection::Up},
    {"macro_inset_movedownkey_btn", "mouse_y_down_edit", MoveDirection::Down},
};

struct RowButton {
    const char* button;
    void (macro_edit::MacroEventList::*run)();
};
constexpr RowButton kRowButtons[] = {
    {"macro_btn_up", &macro_edit::MacroEventList::MoveRowUp},
    {"macro_btn_down", &macro_edit::MacroEventList::MoveRowDown},
    {"macro_btn_uptop", &macro_edit::MacroEventList::MoveRowToTop},
    {"macro_btn_downbottom", &macro_edit::MacroEventList::MoveRowToBottom},
    {"macro_btn_delete", &macro_edit::MacroEventList::DeleteRow},
    {"macro_btn_deleteall", &macro_edit::MacroEventList::DeleteAllRows},
};

// Menu items that insert mouse events: the button's messages and variant.
struct MenuButton {
    const char* prefix;
    uint16_t down;
    uint16_t up;
    int variant;
};
constexpr MenuButton kMenuButtons[] = {
    {"left", macro_edit::kLeftDown, macro_edit::kLeftUp, 0},
    {"right", macro_edit::kRightDown, macro_edit::kRightUp, 0},
    {"middle", macro_edit::kMiddleDown, macro_edit::kMiddleUp, 0},
    {"forward", macro_edit::kXDown, macro_edit::kXUp, macro_edit::kVariantForward},
    {"back", macro_edit::kXDown, macro_edit::kXUp, macro_edit::kVariantBack},
};

// Menu items that start recording.
struct MenuRecord {
    const char* item;
    RecordPosition position;
    DelayMode mode;
};
constexpr MenuRecord kMenuRecords[] = {
    {"redio_previous_record_time", RecordPosition::Before, DelayMode::Record},
    {"redio_previous_constant_time", RecordPosition::Before, DelayMode::Constant},
    {"redio_previous_ignore_time", RecordPosition::Before, DelayMode::Ignore},
    {"redio_later_record_time", RecordPosition::After, DelayMode::Record},
    {"redio_later_constant_time", RecordPosition::After, DelayMode::Constant},
    {"redio_later_ignore_time", RecordPosition::After, DelayMode::Ignore},
    {"macro_action_edit", RecordPosition::Replace, DelayMode::Record},
};

}  // namespace

const CMacroControlUI::Handler CMacroControlUI::kHandlers[] = {
    {notify_type::kItemSelect, kNameList, &CMacroControlUI::OnNameSelect},
    {notify_type::kItemSelect, kActionList, &CMacroControlUI::OnRowSelect},
    {notify_type::kClick, "macro_btn_name_add", &CMacroControlUI::OnAdd},
    {notify_type::kClick, "macro_btn_name_sub", &CMacroControlUI::OnDelete},
    {notify_type::kClick, "macro_btn_name_edit", &CMacroControlUI::OnRename},
    {notify_type::kClick, "macro_btn_save", &CMacroControlUI::OnSave},
    {notify_type::kClick, "macro_btn_cancel", &CMacroControlUI::OnCancel},
    {notify_type::kClick, "macro_btn_import", &CMacroControlUI::OnImport},
    {notify_type::kClick, "macro_btn_export", &CMacroControlUI::OnExport},
    {notify_type::kClick, kStart, &CMacroControlUI::OnRecord},
    {notify_type::kClick, kStop, &CMacroControlUI::OnStop},
    {notify_type::kTextChanged, kFixedEdit, &CMacroControlUI::OnFixedDelay},
    {notify_type::kClick, nullptr, &CMacroControlUI::OnRowButton},  // rows and moves
};

CMacroControlUI::CMacroControlUI(QWidget* parent)
    : QWidget(parent),
      hook_(std::make_unique<platform::InputHook>(&macro_edit::ScanCodeOfKey, this)) {
    connect(hook_.get(), &platform::InputHook::InputReceived, this, &CMacroControlUI::OnInput);
    chooseFile_ = [this](bool save) {
        QFileDialog dialog(this);
        dialog.setNameFilter(QStringLiteral("Macro Files(*.mac)"));
        // Files from other systems may be named ".MAC": the filter ignores case.
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (save) dialog.setDefaultSuffix(QStringLiteral("mac"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
}

CMacroControlUI::~CMacroControlUI() {
    ui::KillAllTimers(this);
    hook_->Stop();
}

QWidget* CMacroControlUI::Control(const char* name) const {
    return CPaintManagerUI::FindSubControlByName(this, QString::fromLatin1(name));
}

// ---- Macros ----

void CMacroControlUI::SetFolder(const QString& folder) { library_.SetFolder(ToPath(folder)); }

void CMacroControlUI::LoadMacroList() {
    SetRecordingState(true);
    if (library_.Folder().empty()) return;
    for (const std::string& note : library_.Load()) qCInfo(lcUi) << "macros:" << note.c_str();
    FillNames(library_.Count() > 0 ? 0 : -1);
    ShowSelectedMacro();
    if (auto* list = qobject_cast<QListWidget*>(Control(kActionList))) {
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
            if (GetSelectedMacro() < 0 || IsRecording()) return;
            CMenuWnd::Popup(QString::fromLatin1(kMenuFile), this, list->mapToGlobal(at),
                            [this](const QString& item) { OnMenuItem(item); });
        });
    }
}

void CMacroControlUI::FillNames(int selection) {
    QWidget* list = Control(kNameList);
    if (!list) return;
    ui::RemoveAllItems(list);
    for (const auto& entry : library_.Entries())
        ui::AddLabelItem(list, QString::fromStdString(entry.name),
                         QString::fromStdString(entry.guid), false, kItemHeight);
    ui::SelectItem(list, selection, false);
    SetMacroControlsEnabled(library_.Count() > 0);
    emit macroNamesChanged(GetMacroNames());
}

int CMacroControlUI::GetSelectedMacro() const {
    const QWidget* list = Control(kNameList);
    const int row = list ? ui::GetCurSel(list) : -1;
    return row >= 0 && row < library_.Count() ? row : -1;
}

void CMacroControlUI::SelectMacro(int index) {
    if (QWidget* list = Control(kNameList)) ui::SelectItem(list, index, false);
    ShowSelectedMacro();
}

QStringList CMacroControlUI::GetMacroNames() const {
    QStringList names;
    for (const auto& entry : library_.Entries()) names << QString::fromStdString(entry.name);
    return names;
}

void CMacroControlUI::ShowSelectedMacro() {
    const int index = GetSelectedMacro();
    if (index < 0) {
        rows_ = macro_edit::MacroEventList();
    } else {
        const macro_codec::EventsRead read = library_.LoadEvents(index);
        if (!read.ok) qCInfo(lcUi) << "macro" << index << ":" << read.note.c_str();
        rows_ = macro_edit::MacroEventList(read.events);
        SetMacroControlsEnabled(true);
    }
    RebuildRows();
}

QString CMacroControlUI::AddMacro() {
    const macro_edit::AddResult added = library_.Add();
    if (added.index < 0) {
        if (!added.error.empty()) ShowText(QString::fromLatin1(kWriteFailedText));
        return {};
    }
    FillNames(added.index);
    ShowSelectedMacro();
    return QString::fromStdString(added.name);
}

int CMacroControlUI::DeleteSelectedMacro() {
    const int index = GetSelectedMacro();
    if (index < 0 || !library_.Delete(index)) return -1;
    FillNames(library_.Count() > 0 ? 0 : -1);
    ShowSelectedMacro();
    emit macroRemoved(index);
    return index;
}

QString CMacroControlUI::RenameSelectedMacro(int& index) {
    QWidget* edit = Control(kNameEdit);
    const QString name = edit ? ui::GetText(edit) : QString();
    index = GetSelectedMacro();
    switch (library_.Rename(index, name.toStdString())) {
        case macro_edit::RenameStatus::Empty:
            index = -1;
            return QStringLiteral("IsEmpty");
        case macro_edit::RenameStatus::Duplicate:
            ShowText(QStringLiteral("message_text_5"));
            return {};
        case macro_edit::RenameStatus::Renamed:
            FillNames(index);
            if (edit) ui::SetText(edit, QString());
            return name;
        case macro_edit::RenameStatus::WriteFailed:
            ShowText(QString::fromLatin1(kWriteFailedText));
            return {};
        case macro_edit::RenameStatus::NoMacro:
            break;
    }
    index = -1;
    return {};
}

bool CMacroControlUI::SaveSelectedMacro() {
    const int index = GetSelectedMacro();
    if (index < 0) return false;
    ReadDelayEdits();
    std::size_t skipped = 0;
    const Json::Value events = rows_.ToEvents(&skipped);
    if (skipped > 0)
        qCInfo(lcUi) << "macro" << index << ":" << skipped << "unreadable rows skipped";
    if (!library_.SaveEvents(index, events).ok()) {
        ShowText(QString::fromLatin1(kWriteFailedText));
        return false;
    }
    return true;
}

bool CMacroControlUI::ImportMacro(const QString& path) {
    if (path.isEmpty()) return false;
    const macro_edit::AddResult added = library_.Import(ToPath(path));
    if (added.index < 0) {
        qCInfo(lcUi) << "macro import refused:" << path << added.error.c_str();
        ShowText(QString::fromLatin1(kImportRefusedText));
        return false;
    }
    FillNames(added.index);
    ShowSelectedMacro();
    return true;
}

bool CMacroControlUI::ExportSelectedMacro(const QString& path) {
    const int index = GetSelectedMacro();
    if (index < 0 || path.isEmpty()) return false;
    const std::string failed = library_.Export(index, ToPath(path));
    if (failed.empty()) return true;
    qCInfo(lcUi) << "macro export failed:" << failed.c_str();
    ShowText(QString::fromLatin1(kExportFailedText));
    return false;
}

// ---- Rows ----

void CMacroControlUI::RebuildRows() {
    auto* list = qobject_cast<QListWidget*>(Control(kActionList));
    if (!list) return;
    WireRowList();
    list->setProperty("_programmatic_select", true);
    list->clear();  // the row widgets go with their items
    shownRows_ = 0;
    widgetFirst_ = widgetEnd_ = 0;
    // Shown anew from the top (or, below, at the selected row).
    list->verticalScrollBar()->setValue(0);
    // The first batch (and the selected row) at once, the rest by the fill timer.
    const auto first = std::max<std::size_t>(
        kRowsPerBatch, rows_.Selected() >= 0 ? static_cast<std::size_t>(rows_.Selected()) + 1 : 0);
    AppendRowItems(0, first);
    if (rows_.Selected() >= 0) list->setCurrentRow(rows_.Selected());
    list->setProperty("_programmatic_select", false);
    UpdateRowWidgets();
    if (AllRowsShown())
        ui::KillTimer(this, kFillTimerId);
    else
        ui::SetTimer(this, kFillTimerId, kFillMs);
}

void CMacroControlUI::WireRowList() {
    auto* list = qobject_cast<QListWidget*>(Control(kActionList));
    if (!list || rowListWired_) return;
    rowListWired_ = true;
    // Every row is as high as the first: the list places 100,000 rows without asking each.
    list->setUniformItemSizes(true);
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { UpdateRowWidgets(); });
    list->viewport()->installEventFilter(this);
}

bool CMacroControlUI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        auto* list = qobject_cast<QListWidget*>(Control(kActionList));
        if (list && watched == list->viewport()) UpdateRowWidgets();
    }
    return QWidget::eventFilter(watched, event);
}

void CMacroControlUI::AppendRowItems(std::size_t from, std::size_t to) {
    auto* list = qobject_cast<QListWidget*>(Control(kActionList));
    if (!list || from >= std::min(to, rows_.size())) return;
    // A shown list places its rows again for each row inserted: the batch's items are
    // inserted at once (one placing). The items are plain; the rows near the view get their
    // widgets from UpdateRowWidgets.
    const std::size_t end = std::min(to, rows_.size());
    const int firstItem = list->count();
    list->addItems(QStringList(static_cast<qsizetype>(end - from), QString()));
    for (int item = firstItem; item < list->count(); ++item)
        list->item(item)->setSizeHint(QSize(0, kItemHeight));
    shownRows_ = end;
    // Placed now rather than at the next turn of the event loop, so the scroll position that
    // tells which rows are in view is the list's own.
    list->doItemsLayout();
    UpdateRowWidgets();
}

void CMacroControlUI::UpdateRowWidgets() {
    auto* list = qobject_cast<QListWidget*>(Control(kActionList));
    if (!list) return;
    // The first visible row from the scroll position, then as many as the viewport holds, and
    // a margin around them.
    const int value = list->verticalScrollBar()->value();
    const int top = list->verticalScrollMode() == QAbstractItemView::ScrollPerPixel
                        ? value / kItemHeight
                        : value;
    const int visible = list->viewport()->height() / kItemHeight + 1;
    // Only rows that are both listed and held (a rebuild may be under way).
    const int count = std::min(list->count(), static_cast<int>(rows_.size()));
    const int first = std::clamp(top - kRowsAroundView, 0, count);
    const int end = std::clamp(top + visible + kRowsAroundView, first, count);
    for (int row = widgetFirst_; row < widgetEnd_ && row < count; ++row) {
        if (row >= first && row < end) continue;
        QListWidgetItem* item = list->item(row);
        KeepDelay(row, list->itemWidget(item));
        list->removeItemWidget(item);
    }
    for (int row = first; row < end; ++row) {
        QListWidgetItem* item = list->item(row);
        if (!list->itemWidget(item))
            list->setItemWidget(item, MakeRowWidget(static_cast<std::size_t>(row)));
    }
    widgetFirst_ = first;
    widgetEnd_ = end;
}

QWidget* CMacroControlUI::MakeRowWidget(std::size_t row) const {
    const CResourceManager& texts = CResourceManager::GetInstance();
    const Json::Value& event = rows_.at(row);
    auto* widget = new QWidget;
    widget->setObjectName(QStringLiteral("macro_action"));
    auto* box = new QHBoxLayout(widget);
    box->setContentsMargins(4, 0, 4, 0);
    const QString key = QString::fromStdString(macro_edit::EventNameKey(event));
    auto* name = new QLabel(key.isEmpty() ? QStringLiteral("?") : texts.GetText(key), widget);
    name->setProperty("style", macro_edit::IsMouseEvent(event)
                                   ? QStringLiteral("macro_label_mouse_style")
                                   : QStringLiteral("macro_label_keyboard_style"));
    const bool move = macro_edit::IsMoveEvent(event);
    const bool down = macro_edit::IsDown(event);
    auto* action = new QLabel(move ? QString::number(event["Button"].asInt())
                                   : (down ? QStringLiteral("↓") : QStringLiteral("↑")),
                              widget);
    action->setProperty("style", move   ? QStringLiteral("macro_label_text_style")
                                 : down ? QStringLiteral("macro_label_down_style")
                                        : QStringLiteral("macro_label_up_style"));
    auto* delay = new QLineEdit(QString::number(macro_edit::EventDelay(event)), widget);
    delay->setObjectName(QString::fromLatin1(kDelayEdit));
    delay->setMaxLength(6);
    delay->setFixedHeight(25);
    ui::SetNumberOnly(delay, true);
    // Fixed columns: every row lines up whatever its texts.
    name->setFixedWidth(140);
    action->setFixedWidth(48);
    delay->setFixedWidth(72);
    box->addWidget(name);
    box->addWidget(action);
    box->addWidget(delay);
    box->addStretch(1);
    return widget;
}

void CMacroControlUI::KeepDelay(int row, QWidget* rowWidget) {
    // While recording, rows inserted before the end shift the events under the widgets: the
    // edits are read when recording starts and cannot be typed into meanwhile.
    if (!rowWidget || IsRecording() || row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return;
    auto* edit = rowWidget->findChild<QLineEdit*>(QString::fromLatin1(kDelayEdit));
    if (!edit) return;
    // An empty delay is saved as 0 and shown so.
    const uint16_t delay = macro_edit::ReadDelayText(edit->text().toStdString());
    edit->setText(QString::number(delay));
    rows_.SetDelay(static_cast<std::size_t>(row), delay);
}

void CMacroControlUI::ReadDelayEdits() {
    auto* list = qobject_cast<QListWidget*>(Control(kActionList));
    if (!list) return;
    // Only the rows near the view have edits; the others kept theirs when they left it.
    for (int row = widgetFirst_; row < widgetEnd_ && row < list->count(); ++row)
        KeepDelay(row, list->itemWidget(list->item(row)));
}

void CMacroControlUI::SelectRow(int row) {
    rows_.Select(row);
    if (auto* list = qobject_cast<QListWidget*>(Control(kActionList))) {
        list->setProperty("_programmatic_select", true);
        list->setCurrentRow(rows_.Selected());
        list->setProperty("_programmatic_select", false);
    }
}

void CMacroControlUI::RowsChanged() {
    // Typed delays are kept before the rows are rebuilt.
    RebuildRows();
    SaveSelectedMacro();
}

void CMacroControlUI::InsertMouseMove(MoveDirection direction) {
    if (GetSelectedMacro() < 0) return;
    ReadDelayEdits();
    int distance = 0;
    for (const MoveButton& m : kMoveButtons) {
        if (m.direction != direction) continue;
        if (QWidget* edit = Control(m.edit))
            distance = macro_edit::ReadDelayText(ui::GetText(edit).toStdString());
    }
    ReadFixedDelay();
    rows_.InsertAfterSelected(macro_edit::MouseMoveEvent(direction, distance, fixedDelay_));
    RowsChanged();
}

void CMacroControlUI::InsertMouseEvent(uint16_t down, uint16_t up, int variant, bool press,
                                       bool release) {
    if (GetSelectedMacro() < 0) return;
    ReadDelayEdits();
    ReadFixedDelay();
    if (press) rows_.InsertAfterSelected(macro_edit::MouseButtonEvent(down, variant, fixedDelay_));
    if (release) rows_.InsertAfterSelected(macro_edit::MouseButtonEvent(up, variant, fixedDelay_));
    RowsChanged();
}

void CMacroControlUI::ReadFixedDelay() {
    QWidget* edit = Control(kFixedEdit);
    if (!edit) return;
    const QString text = ui::GetText(edit);
    const uint16_t value = macro_edit::ReadDelayText(text.toStdString());
    if (value != fixedDelay_ || (!text.isEmpty() && text != QString::number(value))) {
        fixedDelay_ = value;
        if (!text.isEmpty() && text != QString::number(value)) {
            ui::SetText(edit, QString::number(value));
            if (auto* line = qobject_cast<QLineEdit*>(edit)) line->end(false);
        }
    }
}

bool CMacroControlUI::IsConstantDelay() const {
    const QWidget* option = Control("macro_check_time");
    return option && ui::IsSelected(option);
}

void CMacroControlUI::SetMacroControlsEnabled(bool enabled) {
    for (const char* name : kMacroControls) {
        if (QWidget* w = Control(name)) ui::SetEnabled(w, enabled);
    }
}

// ---- Recording ----

void CMacroControlUI::StartRecording(RecordPosition position, DelayMode mode) {
    if (!CanRecord(position)) return;
    BeginRecording(position, mode, NowUs(), hook_->Start(platform::HookMode::Record));
}

void CMacroControlUI::StartReplayRecording(RecordPosition position, DelayMode mode,
                                           const std::vector<platform::RawInputEvent>& events) {
    if (!CanRecord(position)) return;
    // A replay keeps the file's own times: its gaps count from its first event.
    const uint64_t start = events.empty() ? NowUs() : events.front().time_us;
    BeginRecording(position, mode, start, platform::HookSource::Replay);
    hook_->StartReplay(events);
}

bool CMacroControlUI::CanRecord(RecordPosition position) const {
    if (IsRecording() || GetSelectedMacro() < 0) return false;
    return position != RecordPosition::Replace || rows_.Selected() >= 0;
}

void CMacroControlUI::BeginRecording(RecordPosition position, DelayMode mode, uint64_t startUs,
                                     platform::HookSource source) {
    ReadDelayEdits();
    ReadFixedDelay();
    recordPosition_ = position;
    recorder_ = std::make_unique<macro_edit::MacroRecorder>(
        rows_, position, mode, static_cast<uint16_t>(fixedDelay_), startUs);
    // The editor always says which input it records.
    const char* sourceText = source == platform::HookSource::InWindow ? kSourceWindowText
                             : hook_->KeysSwallowed()                 ? nullptr
                                                                      : kSourceSharedText;
    if (QWidget* label = Control(kSourceLabel))
        ui::SetText(label, sourceText ? CResourceManager::GetInstance().GetText(
                                            QString::fromLatin1(sourceText))
                                      : QString());
    SetRecordingState(false);
    pulseAlpha_ = kPulseHigh;
    pulseStep_ = -kPulseStep;
    ui::SetTimer(this, kPulseTimerId, kPulseMs);
    emit recordingChanged(true);
}

void CMacroControlUI::StopRecording(bool byClick) {
    if (!IsRecording()) return;
    hook_->Stop();
    recorder_->Stop(byClick);
    recorder_.reset();
    ui::KillTimer(this, kPulseTimerId);
    ui::KillTimer(this, kScrollTimerId);
    pulseAlpha_ = kPulseHigh;
    if (QWidget* stop = Control(kStop)) stop->setGraphicsEffect(nullptr);
    if (QWidget* label = Control(kSourceLabel)) ui::SetText(label, QString());
    SetRecordingState(true);
    RebuildRows();
    SaveSelectedMacro();
    emit recordingChanged(false);
}

void CMacroControlUI::SetRecordingState(bool idle) {
    for (const char* name : {"macro_name_tab", kActionList}) {
        if (QWidget* w = Control(name)) w->setAttribute(Qt::WA_TransparentForMouseEvents, !idle);
    }
    for (const char* name : {"macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"}) {
        if (QWidget* w = Control(name)) ui::SetEnabled(w, idle);
    }
    if (QWidget* w = Control(kStart)) ui::SetVisible(w, idle);
    if (QWidget* w = Control(kStop)) ui::SetVisible(w, !idle);
}

void CMacroControlUI::OnInput(const platform::InputEvent& event) {
    if (!recorder_) return;
    if (recorder_->Feed(event) && !ui::IsTimerActive(this, kScrollTimerId))
        ui::SetTimer(this, kScrollTimerId, kScrollMs);
}

void CMacroControlUI::DoTimer(int id) {
    if (id == kPulseTimerId) {
        // The record button fades between 80 and 255 and back.
        pulseAlpha_ += pulseStep_;
        if (pulseAlpha_ <= kPulseLow || pulseAlpha_ >= kPulseHigh) {
            pulseAlpha_ = std::clamp(pulseAlpha_, kPulseLow, kPulseHigh);
            pulseStep_ = -pulseStep_;
        }
        if (QWidget* stop = Control(kStop)) {
            auto* effect = qobject_cast<QGraphicsOpacityEffect*>(stop->graphicsEffect());
            if (!effect) {
                effect = new QGraphicsOpacityEffect(stop);
                stop->setGraphicsEffect(effect);
            }
            effect->setOpacity(pulseAlpha_ / 255.0);
        }
        return;
    }
    if (id == kFillTimerId) {
        AppendRowItems(shownRows_, shownRows_ + kRowsPerBatch);
        if (AllRowsShown()) ui::KillTimer(this, kFillTimerId);
        return;
    }
    if (id == kScrollTimerId) {
        ui::KillTimer(this, kScrollTimerId);
        auto* list = qobject_cast<QListWidget*>(Control(kActionList));
        if (!list) return;
        // Rows inserted before the end shift the shown ones: those are rebuilt; appended rows
        // join in batches, so the window stays responsive during a long recording.
        if (static_cast<std::size_t>(list->count()) > rows_.size() ||
            recordPosition_ != RecordPosition::Append) {
            RebuildRows();
        } else {
            AppendRowItems(shownRows_, shownRows_ + kRowsPerBatch);
            if (shownRows_ < rows_.size()) ui::SetTimer(this, kScrollTimerId, kScrollMs);
        }
        list->scrollToBottom();
        UpdateRowWidgets();
    }
}

// ---- Messages and notifications ----

void CMacroControlUI::ShowText(const QString& textId) {
    const QString text = CResourceManager::GetInstance().GetText(textId);
    if (message_)
        message_(text, 0);
    else
        qCInfo(lcUi) << "macro editor:" << text;
}

void CMacroControlUI::OnMenuItem(const QString& item) {
    for (const MenuButton& b : kMenuButtons) {
        const QString prefix = QString::fromLatin1(b.prefix) + QLatin1Char('_');
        if (!item.startsWith(prefix)) continue;
        const QString what = item.mid(prefix.size());
        const bool click = what == QLatin1String("click");
        InsertMouseEvent(b.down, b.up, b.variant, click || what == QLatin1String("down"),
                         click || what == QLatin1String("up"));
        return;
    }
    for (const MenuRecord& r : kMenuRecords) {
        if (item == QLatin1String(r.item)) return StartRecording(r.position, r.mode);
    }
}

void CMacroControlUI::Notify(TNotifyUI& msg) {
    if (!msg.pSender || !isAncestorOf(msg.pSender)) return;
    ui::DispatchNotify(this, kHandlers, msg);
}

void CMacroControlUI::OnNameSelect(TNotifyUI&) { ShowSelectedMacro(); }

void CMacroControlUI::OnRowSelect(TNotifyUI& msg) {
    ReadDelayEdits();
    rows_.Select(static_cast<int>(msg.wParam));
}

void CMacroControlUI::OnDelete(TNotifyUI&) {
    if (!message_ ||
        message_(CResourceManager::GetInstance().GetText(QStringLiteral("message_text_4")), 1) != 1)
        return;
    const int index = GetSelectedMacro();
    if (index < 0) return;
    if (beforeDelete_ && !beforeDelete_(index)) return;
    DeleteSelectedMacro();
}

void CMacroControlUI::OnRename(TNotifyUI&) {
    int index = -1;
    RenameSelectedMacro(index);
}

void CMacroControlUI::OnImport(TNotifyUI&) {
    if (chooseFile_) ImportMacro(chooseFile_(false));
}

void CMacroControlUI::OnExport(TNotifyUI&) {
    if (GetSelectedMacro() < 0 || !chooseFile_) return;
    ExportSelectedMacro(chooseFile_(true));
}

void CMacroControlUI::OnRowButton(TNotifyUI& msg) {
    if (IsRecording()) return;
    const QString name = msg.pSender->objectName();
    for (const RowButton& b : kRowButtons) {
        if (name != QLatin1String(b.button)) continue;
        ReadDelayEdits();
        (rows_.*b.run)();
        RowsChanged();
        return;
    }
    for (const MoveButton& m : kMoveButtons) {
        if (name == QLatin1String(m.button)) return InsertMouseMove(m.direction);
    }
}

void CMacroControlUI::OnRecord(TNotifyUI&) {
    ReadFixedDelay();
    StartRecording(RecordPosition::Append,
                   IsConstantDelay() ? DelayMode::Constant : DelayMode::Record);
}

// The click on the stop button is not part of the macro.
void CMacroControlUI::OnStop(TNotifyUI&) { StopRecording(true); }

void RegisterMacroControl() {
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistControl(QLatin1String(CMacroControlUI::kClassName), &CMacroControlUI::Create);
    factory.RegistControl(QLatin1String(CMacroControlUI::kLongClassName), &CMacroControlUI::Create);
}
