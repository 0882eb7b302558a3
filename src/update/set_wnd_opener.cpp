#include "update/set_wnd_opener.h"

#include <QCoreApplication>

#include "app/device_manager.h"
#include "app/language.h"
#include "app/main_wnd.h"
#include "devices/skelmora_usb_device.h"
#include "platform/autostart.h"
#include "ui/control_factory.h"
#include "ui/dpi_scale.h"
#include "update/set_wnd.h"
#include "update/update_list_item.h"

#ifndef SKELMORA_VERSION
#define SKELMORA_VERSION ""
#endif

namespace update {

std::vector<ConnectedDevice> ConnectedDevicesOf(const CDeviceManager& devices) {
    std::vector<ConnectedDevice> connected;
    for (int item = 0; item < devices.ItemCount(); ++item) {
        CSkelmoraUSBDevice* device = devices.DeviceOfItem(item);
        if (!device) continue;
        CCommandChannel& channel = device->CommandChannel();
        connected.push_back(ConnectedDevice{device->GetKind(), channel.IsOpened(),
                                            channel.ActiveConnection().VersionNumber()});
    }
    return connected;
}

std::optional<AppVersion> BuildApplicationVersion() { return ParseDottedVersion(SKELMORA_VERSION); }

void RegisterSetWndControls() { RegisterUpdateControls(CControlFactory::GetInstance()); }

void OpenSetWnd(CMainWnd& main, bool besideMain) {
    SetWndSetup setup;
    setup.languageIndex = platform::GetLanguageIndex(DefaultLanguageConfigPath());
    std::vector<ConnectedDevice> devices;
    if (main.Devices()) devices = ConnectedDevicesOf(*main.Devices());
    setup.rows = SelectRows(devices, BuildApplicationVersion());
    setup.endpoint = UpdateEndpointFromEnvironment();
    QPointer<CMainWnd> owner(&main);
    setup.applyLanguage = [owner](int index) {
        if (owner) owner->ApplyLanguage(index);
    };
    setup.latestShown = [owner] {
        if (owner) owner->ClearSettingsBadge();
    };
    setup.autostartEnabled = [] { return platform::IsAutostartEnabled(); };
    setup.setAutostart = [](bool on, std::string& error) {
        return platform::SetAutostart(on, QCoreApplication::applicationFilePath().toStdString(),
                                      error);
    };
    CSetWnd wnd(std::move(setup));
    const int dpi = main.PaintManager().GetDPI();
    wnd.SetDPI(dpi);
    if (!wnd.Create(&main, main.windowTitle(), Qt::Tool)) return;
    QObject::connect(&main, &CMainWnd::languageApplied, &wnd, &CSetWnd::OnLanguageApplied);
    QObject::connect(&main, &CMainWnd::updateProgress, &wnd, &CSetWnd::OnUpdateProgress);
    if (besideMain) {
        wnd.move(main.x() + main.width() - wnd.width() - ui::ScaleByDpi(30, dpi),
                 main.y() + ui::ScaleByDpi(60, dpi));
    } else {
        wnd.CenterWindow();
    }
    // A secondary window of the main window: hiding to the tray or quitting closes it.
    main.SetSecondaryWindow(CMainWnd::kSettingsWindow, &wnd);
    wnd.ShowModal();
    if (owner) owner->SetSecondaryWindow(CMainWnd::kSettingsWindow, nullptr);
}

}  // namespace update
