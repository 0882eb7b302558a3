#include "ui/tray_icon.h"

#include <QSystemTrayIcon>

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent) {}

CTrayIcon::~CTrayIcon() { Delete(); }

bool CTrayIcon::IsAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool CTrayIcon::Create(const QIcon& icon, const QString& toolTip) {
    if (m_icon || !IsAvailable()) return m_icon != nullptr;
    m_icon = new QSystemTrayIcon(icon, this);
    m_icon->setToolTip(toolTip);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger && onLeftClick) onLeftClick();
                if (reason == QSystemTrayIcon::Context && onRightClick) onRightClick();
            });
    m_icon->show();
    return true;
}

void CTrayIcon::Delete() {
    delete m_icon;
    m_icon = nullptr;
}
