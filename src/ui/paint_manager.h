#pragma once
// CPaintManagerUI: the per-window hub of the UI layer. It owns nothing visible; it knows the
// window's root control, the receivers of its notifications and the window's DPI value.
// Every control finds its window's manager by walking up its parents (FromControl), so
// controls built or moved into a window later notify the right receivers.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>

#include "ui/notify.h"

class QWidget;

class CPaintManagerUI : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMinDpi = 48;
    static constexpr int kMaxDpi = 192;
    static constexpr int kDefaultDpi = 96;

    // Created as a child of the window it serves.
    explicit CPaintManagerUI(QWidget* window);
    ~CPaintManagerUI() override;

    // The manager of the window that holds the control, or none.
    static CPaintManagerUI* FromControl(const QWidget* control);
    // Every live manager, in creation order.
    static QList<CPaintManagerUI*> Managers();

    QWidget* GetPaintWindow() const;
    // Places the layout root into the window (filling it) and applies the window's DPI.
    void AttachDialog(QWidget* root);
    QWidget* GetRoot() const;
    // The layout's own size at 96 DPI (the root's geometry in the layout file).
    QSize GetInitSize() const { return m_initSize; }

    void AddNotifier(INotifyUI* receiver);
    void RemoveNotifier(INotifyUI* receiver);
    // Delivers synchronously to every receiver, in the order they were added.
    void SendNotify(QWidget* sender, const QString& type, qintptr wParam = 0, qintptr lParam = 0);

    // Controls by objectName: the first match in the window, or none.
    QWidget* FindControl(const QString& name) const;
    static QWidget* FindSubControlByName(const QWidget* parent, const QString& name);

    // DPI (48 to 192, 96 = 100 %): scales the layout as a ratio to 96 on top of what Qt
    // already does for the screen. Values outside the range are clamped.
    int GetDPI() const { return m_dpi; }
    void SetDPI(int dpi);
    // Every window at once.
    static void SetAllDPI(int dpi);
    // The DPI new windows start with.
    static int GetGlobalDPI();
    static void SetGlobalDPI(int dpi);
    // Re-applies the DPI to a subtree added to the window after AttachDialog.
    void ApplyDpiTo(QWidget* subtree) const;

  private:
    QWidget* m_window;
    QPointer<QWidget> m_root;
    QSize m_initSize;
    QList<INotifyUI*> m_notifiers;
    int m_dpi;
};

namespace ui {
// Sends a notification through the manager of the sender's window; dropped (with a debug
// trace) when the sender is not inside a window with a manager.
void SendNotify(QWidget* sender, const QString& type, qintptr wParam = 0, qintptr lParam = 0);
// "%s%d": a control name made of a prefix and a number ("DPI_slider_" 3 -> "DPI_slider_3").
QString ComposeName(const QString& prefix, int number);
}  // namespace ui
