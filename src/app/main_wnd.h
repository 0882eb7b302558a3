#pragma once
// CMainWnd: the program's only top-level window. It hosts the device selector and the device
// pages, runs device discovery and the synchronised-lighting thread, and routes the
// notifications of every page: its own rows through the table of main_wnd_commands.cpp, the
// rest to the shown device.
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "hid/hid_backend.h"
#include "ui/notify_table.h"
#include "ui/window_impl.h"

class CDeviceDiscovery;
class CMainAudio;
class CLanguageSwitcher;
class CDeviceManager;
class CSyncLightEngine;
class CTrayIcon;
class CSkelmoraUSBDevice;
class QTimer;
namespace platform {
class IAudioSource;
class IPowerSource;
}  // namespace platform

class CMainWnd : public WindowImplBase {
    Q_OBJECT
  public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    static constexpr int kDpiLayoutTimerId = 1011;
    static constexpr int kDpiLayoutDelayMs = 100;
    static constexpr int kGameTimerId = 1066;
    static constexpr int kGameEffectMs = 5000;
    // Game modes other programs may ask for (the Part's "outside 1 to 20" rule bounds them).
    static constexpr int kMaxGameMode = 20;

    // Closed in this order by CloseSecondaryWindows.
    enum Secondary { kSettingsWindow, kAboutWindow, kPaletteWindow, kMusicWindow, kSecondaries };

    explicit CMainWnd(std::shared_ptr<hid::IHidBackend> backend, QWidget* parent = nullptr);
    ~CMainWnd() override;

    QString GetSkinFile() const override { return "XML_MAIN"; }
    QString GetWindowClassName() const override { return "MainWnd"; }
    void Notify(TNotifyUI& msg) override;

    // A registered message from another process or from discovery (the product string).
    // Returns the reply's data: the tool report for "{...EBF18}", else empty.
    std::string OnRegisteredMessage(quint32 number, quint64 wParam, qint64 lParam);
    // Host control of the lighting, for every mouse, mouse pad, keyboard and headset.
    void SetHostLightControl(bool on);
    bool IsHostLightControl() const { return hostLightControl_; }
    // "control_light_status": flips host light control and broadcasts "{...EBF16}" (1, state).
    void ToggleHostLightControl();
    // Where broadcasts go (the message port's subscribers); none: nowhere.
    std::function<void(quint32 number, quint64 wParam, qint64 lParam)> broadcast;

    // 0xC11: applies the language with that index of "Language.config".
    void ApplyLanguage(int index);
    // Selector item visibility (0xD03).
    void OnSelectorVisibility(int itemIndex, int show);
    // Stops every worker (discovery, synchronised lighting, device threads) without killing
    // any; a game effect still on is put back first. Idempotent.
    void Teardown();

    // The settings window lives in src/update, which builds on this folder: whoever starts the
    // program sets how it opens (besideMain from "setbtn", centred from the tray and 0xC15).
    std::function<void(CMainWnd& main, bool besideMain)> openSettings;
    // Opens it unless one is open already; 0xC15 is OpenSettings(false).
    void OpenSettings(bool besideMain);
    // 0xC16: the settings window found everything up to date; clears "setbtn"'s badge.
    void ClearSettingsBadge();
    // 0xC00: the update progress becomes visible.
    void ShowSettingProgress();
    // The secondary windows register themselves while open; CloseSecondaryWindows closes them
    // in the order of Secondary.
    void SetSecondaryWindow(Secondary which, QWidget* window);
    QWidget* SecondaryWindow(Secondary which) const { return secondaries_[which]; }
    void CloseSecondaryWindows();
    // The about window (modal); nothing when it is open already.
    void OpenAbout();
    // "music_setting_btn": the music window (modal, owned by this window); nothing when it is
    // open already. OK saves the styles to "AudioFile.json".
    void OpenMusicWindow();
    // Called with the music window once it is made, before it runs (tests drive it).
    std::function<void(QWidget* music)> musicWindowOpened;

    // Tray and menus. Whether a tray is there is asked once, when the window is created;
    // tests set trayAvailable before Create.
    std::function<bool()> trayAvailable;
    bool HasTray() const { return hasTray_; }
    void OnTrayLeftClick();
    void OnMenuItem(const QString& item);
    // Menu items that are not the window's own go to the handler it shares with the macro
    // editor; none: logged and ignored.
    std::function<void(const QString& item)> sharedMenuHandler;
    // Hide to the tray (close the secondary windows, hide, pause status refresh) and back.
    void HideToTray();
    void ShowFromTray();
    // Brings the window to the front (a second start, a device found) and resumes status
    // refresh; uses the activation token of a second start when there is one.
    void BringToFront();
    void SetActivationToken(const QString& token) { activationToken_ = token; }

    // DPI layout: 96 or 144 by the screen that holds the window, 1000 x 640 layout units.
    void RunDpiLayout();
    int LayoutDpi() const { return layoutDpi_; }
    // The primary screen in physical pixels, read at initialisation (parameter writes).
    QSize ScreenSize() const { return screenSize_; }

    // Suspend (true): host light control off on those devices, the window's state kept;
    // resume (false): the window's state on them again.
    void SetPowerSource(platform::IPowerSource* source);
    void OnPrepareForSleep(bool sleeping);
    bool IsAwake() const { return awake_; }
    bool IsActive() const { return active_; }
    // 0x41E: the key-set edit captures keys while it has the focus. SetMacroHook switches
    // it (macroHook does the switching) and does nothing when it is so already; the window
    // losing its activation switches it off.
    bool IsMacroHookOn() const { return macroHookOn_; }
    void SetMacroHook(bool on);
    std::function<void(bool on)> macroHook;

    // Game events ("Game_Start" ...), on the device of the selected visible item.
    void OnGameEvent(quint64 wParam, qint64 lParam);
    // Timer 1066: the mode from before the game effect comes back.
    void EndGameEffect();
    bool GameEffectActive() const { return !gameEffectDevice_.isNull(); }

    // Where the music modes' sound comes from: set before Create (tests); unset, it follows
    // SKELMORA_AUDIO (pulse, file:PATH or none).
    std::function<std::unique_ptr<platform::IAudioSource>()> audioSource;
    // The audio state (recorder, frame processing, style colour); made by InitWindow.
    CMainAudio* Audio() const { return audio_.get(); }

    CSyncLightEngine& SyncLight() { return *syncLight_; }
    CDeviceManager* Devices() const { return devices_.get(); }
    CDeviceDiscovery* Discovery() const { return discovery_.get(); }
    bool FirstPassDone() const { return firstPassDone_; }

    // The window's own notification rows (type, control or prefix, handler).
    static const ui::NotifyRow<CMainWnd> kNotifyRows[];
    static const std::size_t kNotifyRowCount;

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
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void StartDiscovery();
    void StartAudio();
    void WatchScreens();
    void OnScreenChanged();
    void SelectNeighbour(int direction);
    void SetWindowActiveOnDevices(bool active);
    void SetStatusRefreshPaused(bool paused);
    std::vector<CSkelmoraUSBDevice*> LightingDevices() const;
    // The devices whose lighting the host light control switch and suspend reach: the
    // lighting devices and the headset, whose LEDs the program feeds.
    std::vector<CSkelmoraUSBDevice*> HostLitDevices() const;
    void ApplyGameMode(CSkelmoraUSBDevice& device, int mode, bool rememberCurrent);

    // Handlers of the window's own rows (main_wnd_commands.cpp).
    void OnCloseButton(TNotifyUI& msg);
    void OnNoDeviceOk(TNotifyUI& msg);
    void OnCaptionButton(TNotifyUI& msg);
    void OnSkinButton(TNotifyUI& msg);
    void OnSettingsButton(TNotifyUI& msg);
    void OnLightStatus(TNotifyUI& msg);
    void OnMusicSettings(TNotifyUI& msg);
    void OnSelectPrev(TNotifyUI& msg);
    void OnSelectNext(TNotifyUI& msg);
    void OnDesktopSettings(TNotifyUI& msg);
    void OnMacroEditFocus(TNotifyUI& msg);
    void OnMacroEditBlur(TNotifyUI& msg);
    void OnRootSize(TNotifyUI& msg);
    void OnKeyHover(TNotifyUI& msg);
    void OnControlMenu(TNotifyUI& msg);
    void OnIgnored(TNotifyUI& msg);

    std::shared_ptr<hid::IHidBackend> backend_;
    std::unique_ptr<CDeviceManager> devices_;
    std::unique_ptr<CDeviceDiscovery> discovery_;
    std::unique_ptr<CLanguageSwitcher> language_;
    std::unique_ptr<CSyncLightEngine> syncLight_;
    std::unique_ptr<CMainAudio> audio_;
    CTrayIcon* tray_ = nullptr;
    QTimer* gameTimer_ = nullptr;
    QPointer<platform::IPowerSource> power_;
    std::array<QPointer<QWidget>, kSecondaries> secondaries_{};
    QPointer<QWidget> gameEffectDevice_;  // the device whose mode a game event changed
    QString activationToken_;
    QSize screenSize_;
    bool hasTray_ = false;
    bool firstPassDone_ = false;
    bool hostLightControl_ = true;
    bool tornDown_ = false;
    bool settingsOpen_ = false;
    bool awake_ = true;
    bool active_ = false;
    bool displayChanged_ = false;
    bool macroHookOn_ = false;
    int layoutDpi_ = 96;
};
