#include "app/main_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>

#include "app/device_discovery.h"
#include "app/device_manager.h"
#include "app/language.h"
#include "devices/skelmora_usb_device.h"
#include "platform/log_categories.h"
#include "platform/registered_messages.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/menu_wnd.h"
#include "ui/tray_icon.h"

namespace {
QString ProductString() {
    return QString::fromUtf8(platform::kProductString.data(),
                             static_cast<qsizetype>(platform::kProductString.size()));
}
}  // namespace

CMainWnd::CMainWnd(std::shared_ptr<hid::IHidBackend> backend, QWidget* parent)
    : WindowImplBase(parent), backend_(std::move(backend)) {
    setWindowTitle(ProductString());
}

CMainWnd::~CMainWnd() { Teardown(); }

void CMainWnd::InitWindow() {
    qCDebug(lcApp) << "InitWindow";
    language_ = std::make_unique<CLanguageSwitcher>();
    // The stored language is applied, never written back: a start changes no file.
    language_->ApplyLanguage(platform::GetLanguageIndex(DefaultLanguageConfigPath()),
                             CLanguageSwitcher::LanguageOrigin::Start);
    devices_ = std::make_unique<CDeviceManager>(this, backend_);
    devices_->PrecreateDevices();
    if (CTrayIcon::IsAvailable()) {
        tray_ = new CTrayIcon(this);
        tray_->Create(windowIcon(), ProductString());
        tray_->onLeftClick = [this] {
            if (isVisible() && !isMinimized()) {
                HideToTray();
            } else {
                BringToFront();
            }
        };
        tray_->onRightClick = [this] {
            CMenuWnd::Popup("menu.xml", this, QCursor::pos(),
                            [this](const QString& item) { OnMenuItem(item); });
        };
    }
    StartDiscovery();
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
                BringToFront();
            },
            Qt::BlockingQueuedConnection);
    };
    callbacks.lost = [this](int row) {
        QMetaObject::invokeMethod(
            this,
            [this, row] {
                if (!tornDown_) devices_->OnDeviceLost(row);
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

void CMainWnd::OnRegisteredMessage(quint32 number, quint64 wParam, qint64 lParam) {
    if (number == platform::kMsgProduct) {
        qCDebug(lcApp).noquote()
            << QString("软件标示 %1，%2%3").arg(number).arg(wParam, 0, 16).arg(lParam, 0, 16);
        BringToFront();
        return;
    }
    if (number == platform::kMsgGuid15) {
        emit updateProgress(wParam, lParam);
        return;
    }
    if (number == platform::kMsgGuid17 && wParam == 1 && (lParam == 0 || lParam == 1)) {
        SetHostLightControl(lParam == 1);
    }
}

void CMainWnd::SetHostLightControl(bool on) {
    hostLightControl_ = on;
    if (QWidget* label = FindControl("control_light_status")) {
        ui::SetText(label, on ? "控制灯光" : "不控制灯光");
    }
    if (!devices_) return;
    for (int kind : {kKindMouse, kKindMousePad, kKindKeyboard}) {
        for (auto* device : devices_->DevicesOfKind(kind)) device->SetHostLightControl(on);
    }
}

void CMainWnd::ApplyLanguage(int index) {
    if (language_ && language_->ApplyLanguage(index)) emit languageApplied(index);
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
    // "exit" is the way out while the window lives in the tray; the about window comes with
    // its own issue.
    if (item == "exit") close();
    if (item == "setwnd_menu") OpenSettings(false);
}

void CMainWnd::BringToFront() {
    if (devices_) devices_->UpdateNoDeviceLink();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void CMainWnd::HideToTray() { hide(); }

void CMainWnd::SelectNeighbour(int direction) {
    if (devices_) devices_->SelectNeighbour(direction);
}

void CMainWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != "timer" && msg.pSender) {
        qCDebug(lcUi) << msg.sType << msg.pSender->objectName();
    }
    if (msg.sType == "click" && msg.pSender) {
        const QString name = msg.pSender->objectName();
        if (name == "closebtn") {
            // Without a tray there is no way back to a hidden window: closing quits.
            if (tray_ && tray_->IsCreated()) {
                HideToTray();
            } else {
                close();
            }
            return;
        }
        if (name == "nodevice_ok_btn") {
            HideToTray();
            return;
        }
        if (name == "setbtn") return OpenSettings(true);
        if (name == "device_select_prev") return SelectNeighbour(-1);
        if (name == "device_select_next") return SelectNeighbour(+1);
    }
    if (HandleCaptionButtons(msg)) return;
    if (devices_) devices_->RouteNotify(msg);
}

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
