// The main window's own notification rows and their handlers: title bar, tray and menus, the
// host-light-control switch, the selector buttons, the desktop's device settings and the
// macro hook of the key-set edit. Page controls go on to the shown device.
#include <QCursor>
#include <QWindow>

#include "app/desktop_settings.h"
#include "app/device_manager.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "app/skin_frame.h"
#include "app/window_messages.h"
#include "platform/log_categories.h"
#include "ui/menu_wnd.h"

namespace {
using Row = ui::NotifyRow<CMainWnd>;
using ui::NotifyMatch;
}  // namespace

const ui::NotifyRow<CMainWnd> CMainWnd::kNotifyRows[] = {
    // Dropped before any handling, the window's and the pages' alike.
    {"click_wpremove", nullptr, &CMainWnd::OnIgnored, NotifyMatch::AnyControl},
    {"click_wpedit", nullptr, &CMainWnd::OnIgnored, NotifyMatch::AnyControl},
    {"click_wpadd", nullptr, &CMainWnd::OnIgnored, NotifyMatch::AnyControl},
    {"click_wpselect", nullptr, &CMainWnd::OnIgnored, NotifyMatch::AnyControl},
    {notify_type::kClick, "closebtn", &CMainWnd::OnCloseButton},
    {notify_type::kClick, "nodevice_ok_btn", &CMainWnd::OnNoDeviceOk},
    {notify_type::kClick, "minbtn", &CMainWnd::OnCaptionButton},
    {notify_type::kClick, "maxbtn", &CMainWnd::OnCaptionButton},
    {notify_type::kClick, "restorebtn", &CMainWnd::OnCaptionButton},
    {notify_type::kClick, "skinbtn", &CMainWnd::OnSkinButton},
    {notify_type::kClick, "setbtn", &CMainWnd::OnSettingsButton},
    {notify_type::kClick, "control_light_status", &CMainWnd::OnLightStatus},
    {notify_type::kClick, "music_setting_btn", &CMainWnd::OnMusicSettings},
    {notify_type::kClick, "device_select_prev", &CMainWnd::OnSelectPrev},
    {notify_type::kClick, "device_select_next", &CMainWnd::OnSelectNext},
    {notify_type::kClick, "windowdeviceset_", &CMainWnd::OnDesktopSettings,
     NotifyMatch::NumberedPrefix},
    {notify_type::kSetFocus, "keyset_keyboard_text_edit", &CMainWnd::OnMacroEditFocus},
    {notify_type::kKillFocus, "keyset_keyboard_text_edit", &CMainWnd::OnMacroEditBlur},
    {"windowsize", "root", &CMainWnd::OnRootSize},
    {notify_type::kMenu, nullptr, &CMainWnd::OnControlMenu, NotifyMatch::AnyControl},
};
const std::size_t CMainWnd::kNotifyRowCount = std::size(CMainWnd::kNotifyRows);

void CMainWnd::OnIgnored(TNotifyUI&) {}

void CMainWnd::OnMusicSettings(TNotifyUI&) { OpenMusicWindow(); }

void CMainWnd::OnCloseButton(TNotifyUI&) {
    // Without a tray there is no way back to a hidden window: closing quits.
    if (hasTray_) {
        HideToTray();
    } else {
        CloseSecondaryWindows();
        close();
    }
}

void CMainWnd::OnNoDeviceOk(TNotifyUI&) {
    // Hidden without a tray, only a second start or a device would bring the window back.
    if (hasTray_) {
        HideToTray();
    } else {
        showMinimized();
    }
}

void CMainWnd::OnCaptionButton(TNotifyUI& msg) { HandleCaptionButtons(msg); }

void CMainWnd::OnSkinButton(TNotifyUI&) {
    QWidget* anchor = FindControl("skinbtn");
    new CSkinFrame(this, anchor);  // deletes itself when it closes
}

void CMainWnd::OnSettingsButton(TNotifyUI&) { OpenSettings(true); }

void CMainWnd::OnLightStatus(TNotifyUI&) { ToggleHostLightControl(); }

void CMainWnd::OnSelectPrev(TNotifyUI&) { SelectNeighbour(-1); }

void CMainWnd::OnSelectNext(TNotifyUI&) { SelectNeighbour(+1); }

void CMainWnd::OnDesktopSettings(TNotifyUI& msg) {
    const auto number = ui::NumberAfterPrefix(msg.pSender->objectName(), "windowdeviceset_");
    if (!number || (*number != 0 && *number != 1)) return;
    if (OpenDesktopSettings(*number == 1)) return;
    qCInfo(lcApp) << "no settings program of this desktop was found";
    ShowMessage(this, QString(), QStringLiteral("desktop_settings_missing_text"),
                PaintManager().GetDPI(), true, CMsgWnd::kConfirmOnly);
}

void CMainWnd::SetMacroHook(bool on) {
    if (macroHookOn_ == on) return;
    // 0x41E with wParam 1: the keys typed into the edit are captured while it has the focus.
    qCDebug(lcApp) << Qt::hex << window_message::kMacroHook << (on ? "1" : "0");
    macroHookOn_ = on;
    if (devices_) devices_->SetKeyCapture(on);
    if (macroHook) macroHook(on);
}

void CMainWnd::OnMacroEditFocus(TNotifyUI& msg) {
    SetMacroHook(true);
    if (devices_) devices_->RouteNotify(msg);
}

void CMainWnd::OnMacroEditBlur(TNotifyUI& msg) {
    SetMacroHook(false);
    if (devices_) devices_->RouteNotify(msg);
}

void CMainWnd::OnRootSize(TNotifyUI&) {
    if (!displayChanged_) return;
    displayChanged_ = false;
    RunDpiLayout();
}

void CMainWnd::OnControlMenu(TNotifyUI& msg) {
    // A control that names a menu layout ("menuxml") opens it; the item goes to the shared
    // menu handler.
    const QString layout = msg.pSender->property("menuxml").toString();
    if (layout.isEmpty()) {
        if (devices_) devices_->RouteNotify(msg);
        return;
    }
    CMenuWnd::Popup(layout, this, QCursor::pos(),
                    [this](const QString& item) { OnMenuItem(item); });
}
