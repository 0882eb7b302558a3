#pragma once
// WindowImplBase: a window built from a layout. A subclass names its layout (a resource name
// of "res.xml" or a layout file) and its class name, and receives the notifications of all
// its controls in Notify. The window is frameless like the layouts expect; a layout's root
// may set the dynamic property "caption" (height in pixels at 96 DPI) to make its top strip
// drag the window.
//
//   class CMyWnd : public WindowImplBase {
//       QString GetSkinFile() const override { return "XML_MY"; }
//       QString GetWindowClassName() const override { return "MyWnd"; }
//       void Notify(TNotifyUI& msg) override { if (msg.sType == "click") ... }
//   };
//   CMyWnd wnd; if (wnd.Create(owner, "title")) { wnd.CenterWindow(); int r = wnd.ShowModal(); }
#include <QPointer>
#include <QWidget>

#include "ui/notify.h"
#include "ui/paint_manager.h"

class QEventLoop;

class WindowImplBase : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    explicit WindowImplBase(QWidget* parent = nullptr);
    ~WindowImplBase() override;

    virtual QString GetSkinFile() const = 0;
    virtual QString GetWindowClassName() const = 0;

    // Builds the layout into the window, sized to the layout at the window's DPI. `flags`
    // adds to Qt::FramelessWindowHint. False (logged by the loader) when the layout fails;
    // the window then stays empty.
    bool Create(QWidget* owner, const QString& title, Qt::WindowFlags flags = Qt::Window);
    bool IsCreated() const { return m_pm.GetRoot() != nullptr; }

    CPaintManagerUI& PaintManager() { return m_pm; }
    QWidget* FindControl(const QString& name) const { return m_pm.FindControl(name); }

    // Centres on the owner window (on the screen when there is none).
    void CenterWindow();
    // Shows the window modally and returns the value it was closed with.
    int ShowModal();
    // Closes (hides) the window; a modal run returns `result`.
    void Close(int result = 0);
    int GetResult() const { return m_result; }

    void Notify(TNotifyUI& msg) override;

  protected:
    // Called once the layout is built and attached.
    virtual void InitWindow() {}
    // Called once the window is closed (by Close or by the window system).
    virtual void OnFinalMessage() {}
    // The usual handling of the caption buttons "closebtn", "minbtn", "maxbtn", "restorebtn";
    // true when the notification was one of them.
    bool HandleCaptionButtons(const TNotifyUI& msg, int closeResult = 0);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    CPaintManagerUI m_pm;
    QPointer<QEventLoop> m_modalLoop;
    int m_result = 0;
    bool m_initSent = false;
    bool m_closing = false;
};
