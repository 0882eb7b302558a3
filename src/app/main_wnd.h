#pragma once
// CMainWnd: the program's only top-level window. It hosts the device selector and the device
// pages, runs device discovery, and routes the notifications of every page.
#include <QPointer>
#include <functional>
#include <memory>

#include "hid/hid_backend.h"
#include "ui/window_impl.h"

class CDeviceDiscovery;
class CLanguageSwitcher;
class CDeviceManager;
class CTrayIcon;

class CMainWnd : public WindowImplBase {
    Q_OBJECT
  public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;

    explicit CMainWnd(std::shared_ptr<hid::IHidBackend> backend, QWidget* parent = nullptr);
    ~CMainWnd() override;

    QString GetSkinFile() const override { return "XML_MAIN"; }
    QString GetWindowClassName() const override { return "MainWnd"; }
    void Notify(TNotifyUI& msg) override;

    // A registered message from another process or from discovery (the product string).
    void OnRegisteredMessage(quint32 number, quint64 wParam, qint64 lParam);
    // Host control of the lighting, for every mouse, mouse pad and keyboard.
    void SetHostLightControl(bool on);
    bool IsHostLightControl() const { return hostLightControl_; }
    // 0xC11: applies the language with that index of "Language.config".
    void ApplyLanguage(int index);
    // Selector item visibility (0xD03).
    void OnSelectorVisibility(int itemIndex, int show);
    // Stops every worker (discovery, device threads) without killing any; idempotent.
    void Teardown();

    // The settings window lives in src/update, which builds on this folder: whoever starts the
    // program sets how it opens (besideMain from "setbtn", centred from the tray and 0xC15).
    std::function<void(CMainWnd& main, bool besideMain)> openSettings;
    // Opens it unless one is open already; 0xC15 is OpenSettings(false).
    void OpenSettings(bool besideMain);
    // 0xC16: the settings window found everything up to date; clears "setbtn"'s badge.
    void ClearSettingsBadge();

    CDeviceManager* Devices() const { return devices_.get(); }
    CDeviceDiscovery* Discovery() const { return discovery_.get(); }
    bool FirstPassDone() const { return firstPassDone_; }

  signals:
    // After the first discovery pass has been handled on the UI thread.
    void firstDiscoveryPass();
    // 0xC11 passed on to the open secondary windows once the language is applied.
    void languageApplied(int index);
    // The registered message "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", forwarded.
    void updateProgress(quint64 wParam, qint64 lParam);

  protected:
    void InitWindow() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void StartDiscovery();
    void BringToFront();
    void SelectNeighbour(int direction);
    void HideToTray();
    void OnMenuItem(const QString& item);

    std::shared_ptr<hid::IHidBackend> backend_;
    std::unique_ptr<CDeviceManager> devices_;
    std::unique_ptr<CDeviceDiscovery> discovery_;
    std::unique_ptr<CLanguageSwitcher> language_;
    CTrayIcon* tray_ = nullptr;
    bool firstPassDone_ = false;
    bool hostLightControl_ = true;
    bool tornDown_ = false;
    bool quitting_ = false;
    bool settingsOpen_ = false;
};
