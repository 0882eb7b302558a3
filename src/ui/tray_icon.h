#pragma once
// CTrayIcon: the notification-area icon with its tooltip. Left and right clicks are handed
// to callbacks (the main window opens its tray menu on a right click, CMenuWnd::Popup).
// Where the desktop has no tray, IsAvailable is false and Create does nothing.
#include <QIcon>
#include <QObject>
#include <functional>

class QSystemTrayIcon;

class CTrayIcon : public QObject {
    Q_OBJECT
  public:
    explicit CTrayIcon(QObject* parent = nullptr);
    ~CTrayIcon() override;

    static bool IsAvailable();
    bool Create(const QIcon& icon, const QString& toolTip);
    void Delete();
    bool IsCreated() const { return m_icon != nullptr; }

    std::function<void()> onLeftClick;
    std::function<void()> onRightClick;

  private:
    QSystemTrayIcon* m_icon = nullptr;
};
