#include "update/set_wnd.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <algorithm>

#include "app/language.h"
#include "ui/control_props.h"
#include "ui/resource_manager.h"
#include "update/curl_http_client.h"
#include "update/update_list_item.h"
#include "update/update_log.h"
#include "update/update_status.h"

namespace {
QString FromStd(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

CSetWnd::CSetWnd(SetWndSetup setup, QWidget* parent)
    : WindowImplBase(parent), m_setup(std::move(setup)) {
    if (!m_setup.makeClient)
        m_setup.makeClient = [] { return std::make_unique<update::CCurlHttpClient>(); };
    if (m_setup.lastCheckFile.empty()) m_setup.lastCheckFile = update::LastCheckFilePath();
    if (m_setup.today.empty()) m_setup.today = update::TodayText();
    if (m_setup.languageConfigPath.isEmpty())
        m_setup.languageConfigPath = DefaultLanguageConfigPath();
}

CSetWnd::~CSetWnd() { StopWorkers(); }

void CSetWnd::SetDPI(int dpi) {
    const bool known =
        std::find(std::begin(kDpiValues), std::end(kDpiValues), dpi) != std::end(kDpiValues);
    if (!known) qCWarning(lcUpdate) << "SET_WND DPI SET ERROR";
    m_dpi = known ? dpi : 96;
    PaintManager().SetDPI(m_dpi);
}

CUpdateInfoListItemUI* CSetWnd::Row(int index) const {
    if (index < 0 || index >= RowCount()) return nullptr;
    return m_rows[static_cast<std::size_t>(index)];
}

void CSetWnd::InitWindow() {
    PaintManager().SetDPI(m_dpi);
    FillLanguages();
    ShowAutostart();
    m_lastCheck = FromStd(update::ReadOrCreateLastCheck(m_setup.lastCheckFile, m_setup.today));
    ShowSummary(update::summary::kChecking);
    QWidget* list = FindControl(QStringLiteral("device_update_list_info"));
    for (int i = 0; i < static_cast<int>(m_setup.rows.size()); ++i) {
        const update::RowResult initial =
            update::InitialRowResult(m_setup.rows[static_cast<std::size_t>(i)], i);
        auto* row = new CUpdateInfoListItemUI(list);
        if (list && list->layout()) list->layout()->addWidget(row);
        row->SetName(FromStd(initial.name));
        row->SetCurrentVersion(FromStd(initial.current));
        row->SetNewVersion(QString());
        row->SetStatus(initial.status);
        row->SetOptionEnabled(false);
        m_rows.emplace_back(row);
    }
    m_configured = m_setup.endpoint.has_value();
    update::CheckCallbacks callbacks;
    // The worker never touches a widget: its results are queued to this window's thread.
    callbacks.rowChecked = [this](const update::RowResult& result) {
        QMetaObject::invokeMethod(
            this, [this, result] { OnRowChecked(result); }, Qt::QueuedConnection);
    };
    callbacks.finished = [this](const update::CheckOutcome& outcome) {
        QMetaObject::invokeMethod(
            this, [this, outcome] { OnCheckFinished(outcome); }, Qt::QueuedConnection);
    };
    m_check = std::make_unique<update::CUpdateCheck>(
        m_setup.rows, m_setup.endpoint.value_or(std::string()), m_setup.makeClient(),
        std::move(callbacks), m_setup.lastCheckFile, m_setup.today);
    m_check->Start();
}

void CSetWnd::FillLanguages() {
    QWidget* combo = FindControl(QStringLiteral("Language_combox_info"));
    if (!combo) return;
    const QSignalBlocker quiet(combo);
    ui::RemoveAllItems(combo);
    const LanguageConfig config = ReadLanguageConfig(m_setup.languageConfigPath);
    for (const LanguageEntry& entry : config.languages) {
        ui::AddLabelItem(combo, entry.text.isEmpty() ? entry.name : entry.text);
    }
    ui::SelectItem(combo, m_setup.languageIndex, false);
}

void CSetWnd::ShowSummary(int state) {
    static constexpr const char* kSummaryTexts[] = {"GetUpdateInfoText", "HaveUpdateInfoText",
                                                    "NoUpdateInfoText", "ISUpdateINGText"};
    m_summary = state;
    QWidget* text = FindControl(QStringLiteral("Update_Status_text"));
    ui::SetVisible(FindControl(QStringLiteral("update_status_ring")), state == 0);
    ui::SetVisible(FindControl(QStringLiteral("update_status_image")), state != 0);
    if (auto* label = qobject_cast<QLabel*>(text)) label->setTextFormat(Qt::PlainText);
    if (state == update::summary::kLatest) {
        ui::SetResourceText(text, false);
        ui::SetText(text,
                    CResourceManager::GetInstance().GetText(QStringLiteral("UpdateIsLastText")) +
                        QLatin1Char(' ') + m_lastCheck);
        if (m_setup.latestShown) m_setup.latestShown();
        return;
    }
    ui::SetResourceText(text, true);
    if (state == update::summary::kNoInformation && !m_configured) {
        ui::SetText(text, QStringLiteral("UpdateNotConfiguredText"));
    } else if (state >= 0 && state < 4) {
        ui::SetText(text, QLatin1String(kSummaryTexts[state]));
    }
}

void CSetWnd::OnRowChecked(const update::RowResult& result) {
    CUpdateInfoListItemUI* row = Row(result.index);
    if (!row) return;
    row->SetName(FromStd(result.name));
    row->SetCurrentVersion(FromStd(result.current));
    row->SetNewVersion(result.status == update::row_status::kUpToDate ? QString()
                                                                      : FromStd(result.latest));
    row->SetStatus(result.status);
    ui::SetUserData(row, FromStd(result.path));
    row->SetOptionEnabled(false);
}

void CSetWnd::OnCheckFinished(const update::CheckOutcome& outcome) {
    m_checkDone = true;
    if (outcome.anyAnswered) m_lastCheck = FromStd(m_setup.today);
    for (const QPointer<CUpdateInfoListItemUI>& row : m_rows) {
        if (!row) continue;
        const int status = row->GetStatus();
        const bool needs = status == update::row_status::kNeedUpdate ||
                           status == update::row_status::kNeedUpdateToo;
        row->SetOptionEnabled(needs);
        row->SetChosen(needs);
    }
    UpdateChooseButton();
    ShowSummary(outcome.summary);
    emit checkFinished(outcome.summary);
}

void CSetWnd::UpdateChooseButton() {
    const bool any = std::any_of(m_rows.begin(), m_rows.end(),
                                 [](const auto& row) { return row && row->IsChosen(); });
    QWidget* button = FindControl(QStringLiteral("update_fw_and_ap"));
    ui::SetEnabled(button, any);
    ui::SetVisible(button, any);
}

void CSetWnd::ConfirmChosenRows() {
    for (const QPointer<CUpdateInfoListItemUI>& row : m_rows) {
        if (!row) continue;
        const int status = row->GetStatus();
        if (status != update::row_status::kNeedUpdate &&
            status != update::row_status::kNeedUpdateToo)
            continue;
        if (row->IsChosen()) {
            row->SetStatus(update::row_status::kDownloadWait);
        } else {
            row->SetChosen(false);
        }
    }
    ui::SetEnabled(FindControl(QStringLiteral("update_fw_and_ap")), false);
    ui::SelectTabItem(FindControl(QStringLiteral("get_update_tab_layout")), 0);
}

void CSetWnd::OnLanguageApplied(int index) {
    m_setup.languageIndex = index;
    if (m_summary == update::summary::kLatest) ShowSummary(m_summary);
    update();
}

void CSetWnd::OnUpdateProgress(quint64 wParam, qint64 lParam) {
    qCDebug(lcUpdate) << "update progress" << wParam << lParam << "(no row is being updated)";
}

void CSetWnd::ShowAutostart() {
    QWidget* check = FindControl(QStringLiteral("autostart_check"));
    const bool offered = m_setup.autostartEnabled && m_setup.setAutostart;
    ui::SetVisible(check, offered);
    if (offered) ui::SetSelected(check, m_setup.autostartEnabled());
}

void CSetWnd::OnAutostartChanged(bool on) {
    if (!m_setup.setAutostart) return;
    std::string error;
    if (m_setup.setAutostart(on, error)) return;
    // The option shows what the desktop will do: a switch that failed is put back.
    qCWarning(lcUpdate).noquote() << "autostart:" << QString::fromStdString(error);
    ui::SetSelected(FindControl(QStringLiteral("autostart_check")), !on);
}

void CSetWnd::StopWorkers() {
    if (m_check) m_check->Stop();
}

void CSetWnd::Notify(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const QString name = msg.pSender->objectName();
    const auto is = [&name](const char* n) {
        return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0;
    };
    if (msg.sType == QLatin1String(notify_type::kSelectChanged) && is("check_name_select")) {
        UpdateChooseButton();
        return;
    }
    if (msg.sType == QLatin1String(notify_type::kSelectChanged) && is("autostart_check")) {
        OnAutostartChanged(ui::IsSelected(msg.pSender));
        return;
    }
    if (msg.sType == QLatin1String(notify_type::kItemSelect) && is("Language_combox_info")) {
        const int index = ui::GetCurSel(msg.pSender);
        if (index < 0) return;
        m_setup.languageIndex = index;
        if (m_setup.applyLanguage) m_setup.applyLanguage(index);
        return;
    }
    if (msg.sType != QLatin1String(notify_type::kClick)) return;
    if (is("closebtn") || is("laterbtn")) {
        StopWorkers();
        Close(0);
    } else if (is("set_in_update_wnd_btn")) {
        ui::SetVisible(FindControl(QStringLiteral("update_tishi_layout")), false);
        resize(kWidth * m_dpi / 96, kHeight * m_dpi / 96);
    } else if (is("update_fw_and_ap")) {
        ui::SelectTabItem(FindControl(QStringLiteral("get_update_tab_layout")), 1);
    } else if (is("update_OK_btn")) {
        ConfirmChosenRows();
    } else if (is("homepage_btn") || is("menubtn")) {
        // Nothing: there is no home page to open.
    } else {
        HandleCaptionButtons(msg);
    }
}

void CSetWnd::changeEvent(QEvent* event) {
    WindowImplBase::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const bool maximised = isMaximized();
    ui::SetVisible(FindControl(QStringLiteral("maxbtn")), !maximised);
    ui::SetVisible(FindControl(QStringLiteral("restorebtn")), maximised);
}

void CSetWnd::OnFinalMessage() {
    // Closed by any path, the window manager's included: the check ends with the window.
    StopWorkers();
}
