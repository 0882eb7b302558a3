#pragma once
// CAboutWnd: the about window (layout "XML_ABOUT"): program and Qt versions, the build date,
// and a home-page button only when the build names a URL (SKELMORA_HOME_URL).
#include "ui/window_impl.h"

class CAboutWnd : public WindowImplBase {
    Q_OBJECT
  public:
    explicit CAboutWnd(QWidget* parent = nullptr) : WindowImplBase(parent) {}
    QString GetSkinFile() const override { return QStringLiteral("XML_ABOUT"); }
    QString GetWindowClassName() const override { return QStringLiteral("AboutWnd"); }
    void Notify(TNotifyUI& msg) override;
    // The URL of the home page, empty when the build names none.
    static QString HomePage();

  protected:
    void InitWindow() override;
};
