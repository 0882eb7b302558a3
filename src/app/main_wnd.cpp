#include "app/main_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdlib>

#include "app/about_wnd.h"
#include "app/device_discovery.h"
#include "app/device_manager.h"
#include "app/dpi_layout.h"
#include "app/language.h"
#include "app/main_audio.h"
#include "app/music_wnd.h"
#include "app/sync_light_thread.h"
#include "app/tool_report.h"
#include "devices/light_info_words.h"
#include "devices/skelmora_usb_device.h"
#include "panels/color_select_wnd.h"
#include "panels/light_control_ui.h"
#include "platform/audio_source.h"
#include "platform/log_categories.h"
#include "platform/power_source.h"
#include "platform/registered_messages.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/dpi_scale.h"
#include "ui/menu_wnd.h"
#include "ui/paint_manager.h"
#include "ui/skin_resources.h"
#include "ui/tray_icon.h"

namespace {
QString ProductString() {
    return QString::fromUtf8(platform::kProductString.data(),
                             static_cast<qsizetype>(platform::kProductString.size()));
}

bool IsGameEvent(quint32 number) {
    const platform::RegisteredMessage* m = platform::FindRegisteredMessage(number);
    return m && m->group == platform::MessageGroup::GameEvent;
}

// Byte 13 of the light settings: the mode a game effect returns to ("OldLedmode").
using light::kOldModeExtra;
}  // namespace

CMainWnd::CMainWnd(std::shared_ptr<hid::IHidBackend> backend, QWidget* parent)
    : WindowImplBase(parent),
      backend_(std::move(backend)),
      syncLight_(std::make_unique<CSyncLightEngine>()) {
    setWindowTitle(ProductString());
    trayAvailable = &CTrayIcon::IsAvailable;
    gameTimer_ = new QTimer(this);
    gameTimer_->setSingleShot(true);
    gameTimer_->setInterval(kGameEffectMs);
    connect(gameTimer_, &QTimer::timeout, this, &CMainWnd::EndGameEffect);
}

CMainWnd::~CMainWnd() {
    CColorSelectWnd::SetMainWindow(nullptr, {});
    Teardown();
}

void CMainWnd::InitWindow() {
    qCDebug(lcApp) << "InitWindow";
    // Other programs learn that host light control is on.
    if (broadcast) broadcast(platform::kMsgGuid16, 1, 1);
    language_ = std::make_unique<CLanguageSwitcher>();
    // The stored language is applied, never written back: a start changes no file.
    language_->ApplyLanguage(platform::GetLanguageIndex(DefaultLanguageConfigPath()),
                             CLanguageSwitcher::LanguageOrigin::Start);
    // The palette dialog is owned by this window and counted among its secondary windows;
    // the language message reaches it while it is open.
    CColorSelectWnd::SetMainWindow(this, [this](CColorSelectWnd* dialog) {
        SetSecondaryWindow(kPaletteWindow, dialog);
        if (dialog)
            connect(this, &CMainWnd::languageApplied, dialog,
                    [dialog](int) { dialog->HandleMessage(CColorSelectWnd::kLanguageMessage); });
    });
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        // Sizes sent to devices are physical pixels.
        screenSize_ = primary->size() * primary->devicePixelRatio();
    }
    devices_ = std::make_unique<CDeviceManager>(this, backend_);
    devices_->captureRequest = [this](bool on) { SetMacroHook(on); };
    // Every lighting panel: the device lists for same mode, the synchronised thread's
    // settings and the screen size of parameter writes.
    auto host = std::make_shared<LightPanelHost>();
    host->devicesOfKind = [this](int kind) {
        return devices_ ? devices_->DevicesOfKind(kind) : std::vector<CSkelmoraUSBDevice*>{};
    };
    host->shareSyncSettings = [this](const light::SyncSettings& settings) {
        syncLight_->Settings().Store(settings);
    };
    host->screenSize = [this] { return screenSize_; };
    devices_->SetLightPanelHost(std::move(host));
    devices_->PrecreateDevices();
    for (auto* device : devices_->AllDevices()) syncLight_->AddCandidate(device);
    StartAudio();
    hasTray_ = trayAvailable && trayAvailable();
    if (hasTray_ && CTrayIcon::IsAvailable()) {
        tray_ = new CTrayIcon(this);
        tray_->Create(windowIcon(), ProductString());
        tray_->onLeftClick = [this] { OnTrayLeftClick(); };
        tray_->onRightClick = [this] {
            // Timer 1032: the menu opens once the click is over.
            QTimer::singleShot(10, this, [this] {
                CMenuWnd::Popup("menu.xml", this, QCursor::pos(),
                                [this](const QString& item) { OnMenuItem(item); });
            });
        };
    }
    StartDiscovery();
    syncLight_->Start();
    WatchScreens();
    QTimer::singleShot(kDpiLayoutDelayMs, this, [this] {
        if (tornDown_) return;
        RunDpiLayout();
        update();
    });
}

void CMainWnd::StartAudio() {
    if (!audioSource) {
        const platform::AudioChoice choice =
            platform::ParseAudioChoice(std::getenv("SKELMORA_AUDIO"));
        if (!choice.error.empty()) qCWarning(lcAudio).noquote() << choice.error.c_str();
        audioSource = [choice] { return platform::MakeAudioSource(choice); };
    }
    audio_ = std::make_unique<CMainAudio>(
        [this] {
            return devices_ ? devices_->DevicesOfKind(kKindKeyboard)
                            : std::vector<CSkelmoraUSBDevice*>{};
        },
        audioSource, this);
    audio_->LoadAudioStyles(CMainAudio::ProgramAudioFilePaths());
    // A profile reset of any device restores the audio styles from the shipped file.
    if (devices_)
        devices_->SetProfileResetHandler([this] {
            if (audio_) audio_->ResetAudioFile();
        });
    // Every lighting panel's audio page says so while no sound reaches the music modes.
    connect(audio_.get(), &CMainAudio::inputChanged, this, [this](bool hasSound, const QString&) {
        if (!devices_) return;
        for (CSkelmoraUSBDevice* device : devices_->AllDevices())
            if (CLightControlUI* panel = CLightControlUI::OfPage(device))
                panel->ShowSoundInput(hasSound);
    });
}

void CMainWnd::StartDiscovery() {
    CDeviceDiscovery::Callbacks callbacks;
    // 0xC12 and 0xC13 are sent: the discovery thread waits while the window handles them, so
    // the detected list never changes under the window's feet.
    callbacks.found = [this](int row) {
        QMetaObject::invokeMethod(
            this,
            [this, row] {
                if (tornDown_) return;
                devices_->OnDeviceFound(row);
                audio_->Reconsider();
                for (auto* device : devices_->AllDevices()) syncLight_->AddCandidate(device);
                BringToFront();
            },
            Qt::BlockingQueuedConnection);
    };
    callbacks.lost = [this](int row) {
        QMetaObject::invokeMethod(
            this,
            [this, row] {
                if (tornDown_) return;
                // A game effect on a device that goes away is put back while it can be.
                if (gameEffectDevice_) EndGameEffect();
                devices_->OnDeviceLost(row);
                audio_->Reconsider();
            },
            Qt::BlockingQueuedConnection);
    };
    // The product-string message is posted once after the first pass.
    callbacks.firstPassDone = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (tornDown_) return;
                OnRegisteredMessage(platform::kMsgProduct, 0, 0);
                firstPassDone_ = true;
                emit firstDiscoveryPass();
            },
            Qt::QueuedConnection);
    };
    discovery_ = std::make_unique<CDeviceDiscovery>(backend_, std::move(callbacks));
    devices_->SetDetectedList(&discovery_->Detected());
    discovery_->Start();
}

std::string CMainWnd::OnRegisteredMessage(quint32 number, quint64 wParam, qint64 lParam) {
    if (number == platform::kMsgProduct) {
        qCDebug(lcApp).noquote()
            << QString("软件标示 %1，%2%3").arg(number).arg(wParam, 0, 16).arg(lParam, 0, 16);
        BringToFront();
        return {};
    }
    if (number == platform::kMsgGuid15) {
        emit updateProgress(wParam, lParam);
        return {};
    }
    if (number == platform::kMsgGuid17) {
        if (wParam == 1 && (lParam == 0 || lParam == 1)) SetHostLightControl(lParam == 1);
        return {};
    }
    if (number == platform::kMsgGuid18) {
        const auto report = BuildToolReport(ModelTable());
        return LowerHex(report);
    }
    if (IsGameEvent(number)) {
        if (!awake_) {
            qCDebug(lcApp) << "game event while asleep: ignored";
            return {};
        }
        OnGameEvent(wParam, lParam);
    }
    return {};
}

std::vector<CSkelmoraUSBDevice*> CMainWnd::LightingDevices() const {
    std::vector<CSkelmoraUSBDevice*> out;
    if (!devices_) return out;
    for (int kind : {kKindMouse, kKindMousePad, kKindKeyboard}) {
        for (auto* device : devices_->DevicesOfKind(kind)) out.push_back(device);
    }
    return out;
}

std::vector<CSkelmoraUSBDevice*> CMainWnd::HostLitDevices() const {
    std::vector<CSkelmoraUSBDevice*> out = LightingDevices();
    if (devices_)
        for (auto* device : devices_->DevicesOfKind(kKindHeadset)) out.push_back(device);
    return out;
}

void CMainWnd::SetHostLightControl(bool on) {
    hostLightControl_ = on;
    if (QWidget* label = FindControl("control_light_status")) {
        ui::SetText(label, on ? "控制灯光" : "不控制灯光");
    }
    for (auto* device : HostLitDevices()) device->SetHostLightControl(on);
}

void CMainWnd::ToggleHostLightControl() {
    const bool on = !hostLightControl_;
    if (broadcast) broadcast(platform::kMsgGuid16, 1, on ? 1 : 0);
    SetHostLightControl(on);
}

void CMainWnd::ApplyLanguage(int index) {
    if (!language_ || !language_->ApplyLanguage(index)) return;
    for (auto* device : LightingDevices()) device->RefreshPage();
    emit languageApplied(index);
}

void CMainWnd::OpenSettings(bool besideMain) {
    if (settingsOpen_ || !openSettings) return;
    settingsOpen_ = true;
    openSettings(*this, besideMain);  // modal: returns once the window is closed
    settingsOpen_ = false;
}

void CMainWnd::ClearSettingsBadge() {
    if (QWidget* button = FindControl("setbtn")) ui::SetImage(button, "foreimage", QString());
}

void CMainWnd::ShowSettingProgress() {
    if (QWidget* progress = FindControl("setting_progress")) progress->setVisible(true);
}

void CMainWnd::SetSecondaryWindow(Secondary which, QWidget* window) {
    if (which >= 0 && which < kSecondaries) secondaries_[which] = window;
}

void CMainWnd::CloseSecondaryWindows() {
    for (auto& window : secondaries_) {
        if (window) window->close();
    }
}

void CMainWnd::OpenAbout() {
    if (secondaries_[kAboutWindow]) return;
    CAboutWnd about(this);
    if (!about.Create(this, ProductString(), Qt::Dialog)) return;
    about.resize(kWidth, kHeight);
    about.CenterWindow();
    SetSecondaryWindow(kAboutWindow, &about);
    about.ShowModal();
    SetSecondaryWindow(kAboutWindow, nullptr);
}

void CMainWnd::OpenMusicWindow() {
    if (secondaries_[kMusicWindow] || !audio_) return;
    CMusicWnd music(this);
    // A tool window of two spaces' title, owned by this one.
    if (!music.Create(this, QStringLiteral("  "), Qt::Tool)) return;
    music.SetDPI(PaintManager().GetDPI());
    music.SetStyleSet(audio_->Styles());
    music.CenterWindow();
    SetSecondaryWindow(kMusicWindow, &music);
    if (musicWindowOpened) musicWindowOpened(&music);
    const int result = music.ShowModal();
    SetSecondaryWindow(kMusicWindow, nullptr);
    if (result != 1) return;
    if (!audio_->SaveStyles(music.StyleSet()))
        qCWarning(lcApp) << "the music styles could not be saved to AudioFile.json";
}

void CMainWnd::OnSelectorVisibility(int itemIndex, int show) {
    if (!devices_) return;
    if (show == 0) {
        devices_->HideDeviceItem(itemIndex);
        qCDebug(lcApp) << "2.4gcesvdfherhue 1";
    } else {
        devices_->ShowHiddenItem(itemIndex);
    }
}

void CMainWnd::OnMenuItem(const QString& item) {
    if (item == "exit") {
        CloseSecondaryWindows();
        close();
        return;
    }
    if (item == "about_menu") return OpenAbout();
    if (item == "setwnd_menu") return OpenSettings(false);
    if (sharedMenuHandler) {
        sharedMenuHandler(item);
    } else {
        qCDebug(lcApp) << "menu item without a handler:" << item;
    }
}

void CMainWnd::SetStatusRefreshPaused(bool paused) {
    if (!devices_) return;
    for (int kind : {kKindMouse, kKindKeyboard}) {
        for (auto* device : devices_->DevicesOfKind(kind)) device->SetStatusRefreshPaused(paused);
    }
}

void CMainWnd::HideToTray() {
    CloseSecondaryWindows();
    hide();
    SetStatusRefreshPaused(true);
}

void CMainWnd::ShowFromTray() {
    CloseSecondaryWindows();
    show();
    RunDpiLayout();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    update();
    SetStatusRefreshPaused(false);
}

void CMainWnd::OnTrayLeftClick() {
    if (devices_) devices_->UpdateNoDeviceLink();
    if (isVisible() && !isMinimized()) {
        HideToTray();
    } else {
        ShowFromTray();
    }
}

void CMainWnd::BringToFront() {
    if (devices_) devices_->UpdateNoDeviceLink();
    if (isMinimized()) showNormal();
    show();
    raise();
    if (!activationToken_.isEmpty()) {
        // Under Wayland only a token of the launching start lets a client take the focus.
        qputenv("XDG_ACTIVATION_TOKEN", activationToken_.toUtf8());
        activationToken_.clear();
    }
    activateWindow();
    if (QGuiApplication::focusWindow() != windowHandle()) QApplication::alert(this);
    SetStatusRefreshPaused(false);
}

void CMainWnd::SelectNeighbour(int direction) {
    if (devices_) devices_->SelectNeighbour(direction);
}

void CMainWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != "timer" && msg.pSender) {
        qCDebug(lcUi) << msg.sType << msg.pSender->objectName();
    }
    const std::span<const ui::NotifyRow<CMainWnd>> rows(kNotifyRows, kNotifyRowCount);
    if (ui::DispatchNotify(this, rows, msg)) return;
    if (devices_) devices_->RouteNotify(msg);
}

// ---- Window messages on Linux ----

void CMainWnd::SetWindowActiveOnDevices(bool active) {
    for (auto* device : LightingDevices()) device->SetWindowActive(active);
}

void CMainWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        active_ = isActiveWindow();
        SetWindowActiveOnDevices(active_);
        // Keys typed into another window are never captured (nor kept grabbed).
        if (!active_) SetMacroHook(false);
    }
    WindowImplBase::changeEvent(event);
}

void CMainWnd::enterEvent(QEnterEvent* event) {
    qCDebug(lcApp) << "鼠标移入";
    SetWindowActiveOnDevices(true);
    WindowImplBase::enterEvent(event);
}

void CMainWnd::leaveEvent(QEvent* event) {
    qCDebug(lcApp) << "鼠标移出";
    SetWindowActiveOnDevices(false);
    WindowImplBase::leaveEvent(event);
}

void CMainWnd::contextMenuEvent(QContextMenuEvent* event) {
    // Without a tray the tray menu is the title bar's context menu, so that "about_menu" and
    // "setwnd_menu" stay within reach.
    if (!hasTray_ && event->pos().y() < ui::ScaleByDpi(40, PaintManager().GetDPI())) {
        CMenuWnd::Popup("menu.xml", this, event->globalPos(),
                        [this](const QString& item) { OnMenuItem(item); });
        return;
    }
    WindowImplBase::contextMenuEvent(event);
}

void CMainWnd::WatchScreens() {
    auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &CMainWnd::OnScreenChanged);
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, &CMainWnd::OnScreenChanged);
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        OnScreenChanged();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &CMainWnd::OnScreenChanged);
    if (QWindow* handle = windowHandle())
        connect(handle, &QWindow::screenChanged, this, &CMainWnd::OnScreenChanged);
}

void CMainWnd::OnScreenChanged() {
    if (tornDown_) return;
    qCDebug(lcApp) << "显示器分辨率发生变化";
    displayChanged_ = true;
    RunDpiLayout();
}

void CMainWnd::RunDpiLayout() {
    const bool wasVisible = isVisible() && !isMinimized();
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    const int dpi = ChooseLayoutDpi(where ? where->geometry().size() : QSize());
    CPaintManagerUI::SetAllDPI(CPaintManagerUI::kDefaultDpi);
    setMinimumSize(kLayoutWidth, kLayoutHeight);
    resize(kLayoutWidth, kLayoutHeight);
    // The sheet goes first: applying it polishes every control again, and the DPI's fonts
    // are then set over it.
    if (dpi != layoutDpi_) ui::RescaleSkinStyleSheet(dpi);
    CPaintManagerUI::SetAllDPI(dpi);
    // The window is the layout's size, whatever the pages' contents would ask for; SetDPI
    // sized it to the layout file's own size.
    setMinimumSize(LayoutWindowSize(dpi));
    resize(LayoutWindowSize(dpi));
    layoutDpi_ = dpi;
    CenterWindow();
    if (wasVisible) show();
}

// ---- Suspend and resume ----

void CMainWnd::SetPowerSource(platform::IPowerSource* source) {
    if (power_) power_->disconnect(this);
    power_ = source;
    if (source)
        connect(source, &platform::IPowerSource::prepareForSleep, this,
                &CMainWnd::OnPrepareForSleep);
}

void CMainWnd::OnPrepareForSleep(bool sleeping) {
    awake_ = !sleeping;
    // The devices run their own lighting while the machine sleeps; the window's state stays.
    for (auto* device : HostLitDevices())
        device->SetHostLightControl(sleeping ? false : hostLightControl_);
    if (sleeping && power_) power_->ReadyForSleep();
}

// ---- Game events ----

void CMainWnd::ApplyGameMode(CSkelmoraUSBDevice& device, int mode, bool rememberCurrent) {
    device.SetSynchroMember(false);
    light::LightSettings settings = device.GetLightSettingsCopy();
    if (rememberCurrent) {
        settings.extra[kOldModeExtra] =
            (settings.mode == 0 || settings.mode > kMaxGameMode) ? 1 : settings.mode;
    }
    settings.mode = static_cast<uint8_t>(mode);
    device.SetLightSettings(light::ToWords(settings));
    device.LoadLightSettings();
    device.ShowLightOnPanel();
    const QSize screen = screenSize_;
    device.WriteParameters({0, 0, 1, screen.width(), screen.height()});
}

void CMainWnd::OnGameEvent(quint64 wParam, qint64 lParam) {
    // Every event (re)starts the timer: a flood of events keeps one timer, nothing queues.
    gameTimer_->start();
    if (!devices_) return;
    CSkelmoraUSBDevice* device = devices_->DeviceOfItem(devices_->SelectedItem());
    if (!device) {
        qCDebug(lcApp) << "game event without a device: ignored";
        return;
    }
    // Its connect would replace the mode with the profile's, and the end of the effect would
    // then store a mode nobody chose.
    if (!device->IsConnectDone()) {
        qCDebug(lcApp) << "game event before the device has connected: ignored";
        return;
    }
    if (wParam > 2) return;
    // The device's own mode list bounds the mode too (a headset has nine).
    const CLightControlUI* panel = CLightControlUI::OfPage(device);
    if (lParam < 0 || lParam > kMaxGameMode || (panel && lParam >= panel->ModeCount())) {
        qCWarning(lcApp) << "game event with mode" << lParam << "outside the mode list: ignored";
        return;
    }
    // Only the event that starts an effect remembers the mode to go back to.
    const bool starting = gameEffectDevice_.data() != device;
    if (gameEffectDevice_ && starting) EndGameEffect();
    ApplyGameMode(*device, static_cast<int>(lParam), starting);
    gameEffectDevice_ = device;
}

void CMainWnd::EndGameEffect() {
    gameTimer_->stop();
    auto* device = qobject_cast<CSkelmoraUSBDevice*>(gameEffectDevice_.data());
    gameEffectDevice_ = nullptr;
    if (!device) return;  // restored only while a game effect is on
    const light::LightSettings settings = device->GetLightSettingsCopy();
    device->SetSynchroMember(false);
    light::LightSettings back = settings;
    back.mode = settings.extra[kOldModeExtra];
    device->SetLightSettings(light::ToWords(back));
    device->SaveProfile();
    device->LoadLightSettings();
    device->ShowLightOnPanel();
    device->WriteParameters({0, 0, 1, screenSize_.width(), screenSize_.height()});
}

// ---- Teardown ----

void CMainWnd::closeEvent(QCloseEvent* event) {
    qCDebug(lcApp) << "退出测试";
    Teardown();
    if (tray_) tray_->Delete();
    WindowImplBase::closeEvent(event);
    QApplication::quit();
}

void CMainWnd::Teardown() {
    if (tornDown_) return;
    tornDown_ = true;
    if (gameEffectDevice_) EndGameEffect();
    // The recorder stops before the devices it feeds.
    if (audio_) audio_->Stop();
    syncLight_->Stop();
    if (discovery_) {
        // The thread may be waiting for this thread inside a found or lost message: keep
        // handling events until it has seen its stop event, then join it.
        discovery_->RequestStop();
        while (!discovery_->Finished()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(1);
        }
        discovery_->Stop();
        qCDebug(lcApp) << "所有对象处于激发状态";
    }
    if (devices_) devices_->StopAll();
}
