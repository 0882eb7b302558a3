#include "app/msg_wnd.h"

#include <algorithm>

#include "platform/log_categories.h"
#include "ui/control_props.h"

void CMsgWnd::SetDPI(int dpi) {
    if (dpi == m_dpi) return;
    const bool known =
        std::find(std::begin(kDpiValues), std::end(kDpiValues), dpi) != std::end(kDpiValues);
    if (!known) qCWarning(lcApp) << "MSG_WND DPI SET ERROR";
    m_dpi = known ? dpi : 96;
    PaintManager().SetDPI(m_dpi);
    CPaintManagerUI::SetGlobalDPI(m_dpi);
}

void CMsgWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != QLatin1String(notify_type::kClick) || !msg.pSender) return;
    const QString name = msg.pSender->objectName();
    if (name.compare(QLatin1String("confirm_btn"), Qt::CaseInsensitive) == 0)
        Close(1);
    else if (name.compare(QLatin1String("cancel_btn"), Qt::CaseInsensitive) == 0)
        Close(0);
    else
        HandleCaptionButtons(msg, 0);
}

int ShowMessage(QWidget* owner, const QString& title, const QString& text, int dpi,
                bool textIsResource, int buttons) {
    CMsgWnd wnd;
    if (!wnd.Create(owner, QStringLiteral("msgwnd"), Qt::Tool)) return 0;
    if (!title.isEmpty()) ui::SetText(wnd.FindControl(QStringLiteral("MessageTitle")), title);
    if (!text.isEmpty()) {
        QWidget* label = wnd.FindControl(QStringLiteral("MessageText"));
        if (textIsResource) ui::SetResourceText(label, true);
        ui::SetText(label, text);
    }
    wnd.SetDPI(dpi);
    QWidget* confirm = wnd.FindControl(QStringLiteral("confirm_btn"));
    QWidget* cancel = wnd.FindControl(QStringLiteral("cancel_btn"));
    if (buttons == CMsgWnd::kConfirmOnly) {
        ui::SetVisible(confirm, true);
        ui::SetVisible(cancel, false);
    } else if (buttons == CMsgWnd::kConfirmAndCancel) {
        ui::SetVisible(confirm, true);
        ui::SetVisible(cancel, true);
    }
    wnd.CenterWindow();
    return wnd.ShowModal();
}
