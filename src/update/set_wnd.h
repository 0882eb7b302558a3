#pragma once
// CSetWnd: the settings window (layout "setwnd.xml", class "SetWnd"): the language choice and
// the update list. Each opening checks the server once on a worker thread (CUpdateCheck) whose
// results reach the window by queued calls; closing stops the transfer and joins the thread.
// The window reaches the main window only through the hooks of its setup.
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/window_impl.h"
#include "update/http_client.h"
#include "update/update_check.h"
#include "update/update_targets.h"

class CUpdateInfoListItemUI;

struct SetWndSetup {
    int languageIndex = 0;
    std::vector<update::CheckRow> rows;   // in table order, versions known
    std::optional<std::string> endpoint;  // nothing: this build does not check
    std::function<std::unique_ptr<update::IHttpClient>()> makeClient;  // empty: libcurl
    std::filesystem::path lastCheckFile;           // empty: <user data folder>/updatetime.config
    std::string today;                             // empty: the local date
    QString languageConfigPath;                    // empty: the shipped language list
    std::function<void(int index)> applyLanguage;  // 0xC11 to the main window
    std::function<void()> latestShown;             // 0xC16 to the main window
    // Starting with the desktop session: whether it is on, and switching it (false with the
    // reason). Without them "autostart_check" is hidden.
    std::function<bool()> autostartEnabled;
    std::function<bool(bool on, std::string& error)> setAutostart;
};

class CSetWnd : public WindowImplBase {
    Q_OBJECT
  public:
    static constexpr int kWidth = 630;
    static constexpr int kHeight = 500;
    static constexpr int kDpiValues[] = {48, 72, 96, 120, 144, 168, 192};

    explicit CSetWnd(SetWndSetup setup, QWidget* parent = nullptr);
    ~CSetWnd() override;

    QString GetSkinFile() const override { return QStringLiteral("setwnd.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
    void Notify(TNotifyUI& msg) override;

    // One of 48, 72, ... 192; any other value is traced as "SET_WND DPI SET ERROR" and 96 used.
    void SetDPI(int dpi);
    int GetDPI() const { return m_dpi; }

    // 0xC11 passed on by the main window: repaint; in summary state 4 show the summary again
    // so that its text follows the language.
    void OnLanguageApplied(int index);
    // "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}" forwarded by the main window: the progress of
    // the row being updated. No row is ever being updated here, so nothing changes.
    void OnUpdateProgress(quint64 wParam, qint64 lParam);

    int SummaryState() const { return m_summary; }
    QString LastCheckDate() const { return m_lastCheck; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    CUpdateInfoListItemUI* Row(int index) const;
    bool CheckRunning() const { return m_check && m_check->Running() && !m_checkDone; }
    // Stops the check and joins its thread; idempotent.
    void StopWorkers();

  signals:
    void checkFinished(int summary);

  protected:
    void InitWindow() override;
    void OnFinalMessage() override;
    void changeEvent(QEvent* event) override;

  private:
    void FillLanguages();
    void ShowAutostart();
    void OnAutostartChanged(bool on);
    void ShowSummary(int state);
    void OnRowChecked(const update::RowResult& result);
    void OnCheckFinished(const update::CheckOutcome& outcome);
    void UpdateChooseButton();
    void ConfirmChosenRows();

    SetWndSetup m_setup;
    int m_dpi = 96;
    int m_summary = 0;
    bool m_configured = true;
    bool m_checkDone = false;
    QString m_lastCheck;
    std::vector<QPointer<CUpdateInfoListItemUI>> m_rows;
    std::unique_ptr<update::CUpdateCheck> m_check;
};
