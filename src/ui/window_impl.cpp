#include "ui/window_impl.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "ui/dpi_scale.h"
#include "ui/layout_loader.h"

WindowImplBase::WindowImplBase(QWidget* parent) : QWidget(parent), m_pm(this) {
    m_pm.AddNotifier(this);
}

WindowImplBase::~WindowImplBase() {
    m_pm.RemoveNotifier(this);
    if (m_modalLoop) m_modalLoop->quit();
}

bool WindowImplBase::Create(QWidget* owner, const QString& title, Qt::WindowFlags flags) {
    setParent(owner, flags | Qt::FramelessWindowHint);
    setWindowTitle(title);
    setObjectName(GetWindowClassName());
    BuildResult built = CDialogBuilder::Create(GetSkinFile(), this);
    if (!built) return false;
    m_pm.AttachDialog(built.root);
    const QSize init = m_pm.GetInitSize();
    resize(ui::ScaleByDpi(init.width(), m_pm.GetDPI()),
           ui::ScaleByDpi(init.height(), m_pm.GetDPI()));
    InitWindow();
    return true;
}

void WindowImplBase::CenterWindow() {
    QRect area;
    if (QWidget* owner = parentWidget(); owner && owner->isVisible())
        area = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
}

int WindowImplBase::ShowModal() {
    m_result = 0;
    m_closing = false;
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    m_modalLoop = &loop;
    if (isVisible()) loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    return m_result;
}

void WindowImplBase::Close(int result) {
    if (m_closing) return;
    m_closing = true;
    m_result = result;
    hide();
    if (m_modalLoop) m_modalLoop->quit();
    OnFinalMessage();
}

void WindowImplBase::Notify(TNotifyUI& msg) { HandleCaptionButtons(msg); }

bool WindowImplBase::HandleCaptionButtons(const TNotifyUI& msg, int closeResult) {
    if (msg.sType != QLatin1String(notify_type::kClick) || !msg.pSender) return false;
    const QString name = msg.pSender->objectName();
    if (name.compare(QLatin1String("closebtn"), Qt::CaseInsensitive) == 0) {
        Close(closeResult);
    } else if (name.compare(QLatin1String("minbtn"), Qt::CaseInsensitive) == 0) {
        showMinimized();
    } else if (name.compare(QLatin1String("maxbtn"), Qt::CaseInsensitive) == 0) {
        showMaximized();
    } else if (name.compare(QLatin1String("restorebtn"), Qt::CaseInsensitive) == 0) {
        showNormal();
    } else {
        return false;
    }
    return true;
}

void WindowImplBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_initSent && IsCreated()) {
        m_initSent = true;
        m_pm.SendNotify(m_pm.GetRoot(), QString::fromLatin1(notify_type::kWindowInit));
    }
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
    // Closed by the window system: the same as the close button.
    Close(0);
    event->accept();
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
    const QWidget* root = m_pm.GetRoot();
    const int caption = root ? ui::ScaleByDpi(root->property("caption").toInt(), m_pm.GetDPI()) : 0;
    if (event->button() == Qt::LeftButton && event->position().y() < caption && windowHandle()) {
        windowHandle()->startSystemMove();
        return;
    }
    QWidget::mousePressEvent(event);
}
