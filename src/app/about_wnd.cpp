#include "app/about_wnd.h"

#include <QDesktopServices>
#include <QUrl>

#include "ui/control_props.h"

#ifndef SKELMORA_VERSION
#define SKELMORA_VERSION "unknown"
#endif
#ifndef SKELMORA_HOME_URL
#define SKELMORA_HOME_URL ""
#endif

QString CAboutWnd::HomePage() { return QStringLiteral(SKELMORA_HOME_URL); }

void CAboutWnd::InitWindow() {
    if (QWidget* label = FindControl("about_version"))
        ui::SetText(label, QStringLiteral("Version %1").arg(QStringLiteral(SKELMORA_VERSION)));
    if (QWidget* label = FindControl("about_qt_version"))
        ui::SetText(label, QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion())));
    if (QWidget* label = FindControl("about_build_date"))
        ui::SetText(label, QStringLiteral("Built %1").arg(QStringLiteral(__DATE__)));
    if (QWidget* button = FindControl("about_home_btn")) button->setVisible(!HomePage().isEmpty());
}

void CAboutWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == "click" && msg.pSender && msg.pSender->objectName() == "about_home_btn") {
        QDesktopServices::openUrl(QUrl(HomePage()));
        return;
    }
    if (HandleCaptionButtons(msg)) return;
    WindowImplBase::Notify(msg);
}
