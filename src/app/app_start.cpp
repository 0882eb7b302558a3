#include "app/app_start.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <set>

#include "app/automation.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "controls/composite_controls.h"
#include "controls/picture_controls.h"
#include "devices/device_registration.h"
#include "panels/device_profile_ui.h"
#include "panels/key_set_control_ui.h"
#include "panels/keyboard_settings_panel.h"
#include "panels/light_control_ui.h"
#include "panels/macro_control_ui.h"
#include "panels/magic_control_ui.h"
#include "panels/mouse_settings_ui.h"
#include "panels/shoot_control_ui.h"
#include "panels/voice6533_control_ui.h"
#include "platform/data_paths.h"
#include "platform/log_categories.h"
#include "platform/message_port.h"
#include "platform/power_source.h"
#include "platform/registered_messages.h"
#include "platform/single_instance.h"
#include "profiles/json_file.h"
#include "ui/control_factory.h"
#include "ui/resource_list.h"
#include "ui/skin_resources.h"

namespace {

constexpr const char* kFonts[] = {
    "Font/Simplified_Chinese.ttf",
    "Font/Marauder-Regular.otf",
    "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf",
};

// The program's own fonts; a font that is missing or unreadable is skipped.
std::vector<int> AddProgramFonts() {
    std::vector<int> ids;
    const QDir folder(platform::DataFolder());
    for (const char* font : kFonts) {
        const QString path = folder.filePath(font);
        if (!QFile::exists(path)) continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id >= 0) ids.push_back(id);
    }
    return ids;
}

void RemoveProgramFonts(const std::vector<int>& ids) {
    for (int id : ids) QFontDatabase::removeApplicationFont(id);
}

bool SaveScreenshot(QWidget& window, const QString& file) {
    const QPixmap picture = window.grab();
    if (!picture.save(file, "PNG")) {
        qCWarning(lcApp) << "cannot write the screenshot" << file;
        return false;
    }
    return true;
}

// SIGTERM and SIGINT end the program as closing its window does (a logout, Ctrl+C, a test).
int gSignalPipe[2] = {-1, -1};

void OnTerminateSignal(int) {
    const char byte = 1;
    ssize_t n = write(gSignalPipe[1], &byte, 1);
    (void)n;
}

void CloseOnTerminateSignals(QWidget& window) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        ssize_t n = read(gSignalPipe[0], &byte, 1);
        (void)n;
        qCDebug(lcApp) << "terminate signal: closing";
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminateSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// A file of the user that could not be read was kept aside and replaced: the user is told once
// per file, in the message window, where the old one is. Worker threads reach the window
// through a queued call. Without a visible user (a screenshot run) the log says it alone.
void TellAboutUnreadableFiles(CMainWnd& window, bool showMessages) {
    auto told = std::make_shared<std::set<std::filesystem::path>>();
    profiles::SetUnreadableFileNotice(
        [&window, told, showMessages](const std::filesystem::path& file,
                                      const std::filesystem::path& copy) {
            const QString text =
                QStringLiteral("%1 could not be read and was reset. The old file is kept as %2")
                    .arg(QFile::decodeName(QByteArray::fromStdString(file.native())),
                         QFile::decodeName(QByteArray::fromStdString(copy.native())));
            qCWarning(lcApp).noquote() << text;
            if (!showMessages) return;
            QMetaObject::invokeMethod(
                &window,
                [&window, told, file, text] {
                    if (!told->insert(file).second) return;
                    ShowMessage(&window, QString(), text, 96, false, CMsgWnd::kConfirmOnly);
                },
                Qt::QueuedConnection);
        });
}

}  // namespace

int RunApplication(const StartOptions& options) {
    const std::vector<int> fonts = AddProgramFonts();
    qCDebug(lcApp).noquote() << QString("软件标示：%1").arg(platform::kMsgProduct);

    platform::SingleInstance instance;
    switch (instance.TryAcquire()) {
        case platform::SingleInstance::Result::Acquired:
            break;
        case platform::SingleInstance::Result::HeldByOther: {
            RemoveProgramFonts(fonts);
            if (!options.screenshotFile.isEmpty()) {
                // A screenshot needs the devices, which the running instance holds.
                std::fprintf(
                    stderr,
                    "skelmora: --screenshot: the running instance (process %lld) holds the "
                    "devices; close it first\n",
                    static_cast<long long>(instance.HolderPid()));
                return platform::kExitInstanceRuns;
            }
            // A second start only wakes the first, handing on the token that lets it take the
            // focus (Wayland's activation token, X11's startup id).
            QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
            if (token.isEmpty()) token = qgetenv("DESKTOP_STARTUP_ID");
            if (!token.isEmpty() && token.size() < 200)
                platform::SendRequestLine(
                    platform::port::FormatKindRequest(platform::port::RequestKind::Token,
                                                      token.toStdString()),
                    3000);
            const auto outcome =
                platform::SendRegisteredMessage(platform::kProductString, 0, 1, 3000);
            if (outcome.result == platform::SendResult::Delivered) {
                qCDebug(lcApp) << "another instance runs; woke it";
                return 0;
            }
            std::fprintf(stderr,
                         "skelmora: another instance runs (process %lld) but cannot be woken: %s\n",
                         static_cast<long long>(instance.HolderPid()), qPrintable(outcome.detail));
            return 1;
        }
        default:
            qCWarning(lcApp) << "the instance lock could not be taken; starting anyway";
            break;
    }

    if (ui::GetResourcePath().isEmpty()) {
        qCCritical(lcApp).noquote() << platform::MissingDataFolderMessage();
        RemoveProgramFonts(fonts);
        return 1;
    }
    CResourceList::GetInstance().Load();
    ui::ApplySkinStyleSheet();
    controls::RegisterPictureControls(CControlFactory::GetInstance());
    RegisterDeviceControls();
    controls::RegisterCompositeControls(CControlFactory::GetInstance());
    RegisterProfilePanel();
    RegisterKeySetControl();
    RegisterLightControl();
    RegisterMacroControl();
    RegisterMouseSettingsPanel();
    RegisterShootPanel();
    RegisterVoice6533Control();
    RegisterMagicControl();
    panels::RegisterKeyboardSettingsPanel();

    int result = 0;
    {
        CMainWnd window(options.backend);
        TellAboutUnreadableFiles(window, options.screenshotFile.isEmpty());
        window.openSettings = options.openSettings;
        platform::MessagePort port;
        port.SetReplyHandler([&window](const platform::RegisteredMessage& message,
                                       std::uint64_t wParam, std::int64_t lParam) {
            return window.OnRegisteredMessage(message.number, wParam, lParam);
        });
        port.SetTokenHandler([&window](const QString& token) { window.SetActivationToken(token); });
        port.SetQuitHandler([&window] { window.OnMenuItem(QStringLiteral("exit")); });
        CAutomation automation(window);
        if (options.automation) {
            port.SetUiHandler(
                [&automation](const std::string& request) { return automation.Handle(request); });
        }
        window.broadcast = [&port](quint32 number, quint64 wParam, qint64 lParam) {
            port.Broadcast(number, wParam, lParam);
        };
        if (!port.Listen()) qCWarning(lcApp).noquote() << "message port:" << port.ErrorString();
        const std::unique_ptr<platform::LogindPowerSource> power =
            platform::LogindPowerSource::Connect();
        window.SetPowerSource(power.get());

        if (!window.Create(nullptr, window.windowTitle())) {
            qCCritical(lcApp) << "the main window layout could not be built";
            profiles::SetUnreadableFileNotice(nullptr);
            RemoveProgramFonts(fonts);
            return 1;
        }
        CloseOnTerminateSignals(window);
        window.resize(CMainWnd::kWidth, CMainWnd::kHeight);
        window.CenterWindow();
        // Started with the desktop: in the tray, unless there is none to bring it back from.
        if (options.minimized && window.HasTray() && options.screenshotFile.isEmpty())
            window.HideToTray();
        else
            window.show();
        if (!options.screenshotFile.isEmpty()) window.RunDpiLayout();  // before the picture

        if (!options.screenshotFile.isEmpty()) {
            QObject::connect(&window, &CMainWnd::firstDiscoveryPass, &window, [&] {
                QTimer::singleShot(options.screenshotAfterMs, &window, [&] {
                    result = SaveScreenshot(window, options.screenshotFile) ? 0 : 1;
                    window.close();
                });
            });
        }
        const int loop = QApplication::exec();
        if (options.screenshotFile.isEmpty()) result = loop;
        window.Teardown();
        profiles::SetUnreadableFileNotice(nullptr);
        port.Close();
    }
    RemoveProgramFonts(fonts);
    return result;
}
