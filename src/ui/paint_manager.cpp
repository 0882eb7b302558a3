#include "ui/paint_manager.h"

#include <QVBoxLayout>
#include <QWidget>

#include "platform/log_categories.h"
#include "ui/dpi_scale.h"

namespace {
QList<CPaintManagerUI*>& managers() {
    static QList<CPaintManagerUI*> list;
    return list;
}
int& globalDpi() {
    static int dpi = CPaintManagerUI::kDefaultDpi;
    return dpi;
}
}  // namespace

CPaintManagerUI::CPaintManagerUI(QWidget* window)
    : QObject(window), m_window(window), m_dpi(globalDpi()) {
    setObjectName(QStringLiteral("skelmora_paint_manager"));
    managers().append(this);
}

CPaintManagerUI::~CPaintManagerUI() { managers().removeAll(this); }

CPaintManagerUI* CPaintManagerUI::FromControl(const QWidget* control) {
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* manager = w->findChild<CPaintManagerUI*>(QString(), Qt::FindDirectChildrenOnly))
            return manager;
    }
    return nullptr;
}

QList<CPaintManagerUI*> CPaintManagerUI::Managers() { return managers(); }

QWidget* CPaintManagerUI::GetPaintWindow() const { return m_window; }

void CPaintManagerUI::AttachDialog(QWidget* root) {
    if (!root) return;
    m_root = root;
    m_initSize = root->size();
    auto* layout = qobject_cast<QVBoxLayout*>(m_window->layout());
    if (!layout) {
        delete m_window->layout();
        layout = new QVBoxLayout(m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    root->setParent(m_window);
    layout->addWidget(root);
    ui::ApplyDpi(root, m_dpi);
}

QWidget* CPaintManagerUI::GetRoot() const { return m_root; }

void CPaintManagerUI::AddNotifier(INotifyUI* receiver) {
    if (receiver && !m_notifiers.contains(receiver)) m_notifiers.append(receiver);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* receiver) { m_notifiers.removeAll(receiver); }

void CPaintManagerUI::SendNotify(QWidget* sender, const QString& type, qintptr wParam,
                                 qintptr lParam) {
    TNotifyUI msg{type, sender, wParam, lParam};
    // A receiver may remove itself (or others) while handling: iterate over a copy and skip
    // receivers that are gone by then.
    const QList<INotifyUI*> receivers = m_notifiers;
    for (INotifyUI* receiver : receivers) {
        if (m_notifiers.contains(receiver)) receiver->Notify(msg);
    }
}

QWidget* CPaintManagerUI::FindControl(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    if (m_root && m_root->objectName() == name) return m_root;
    return FindSubControlByName(m_window, name);
}

QWidget* CPaintManagerUI::FindSubControlByName(const QWidget* parent, const QString& name) {
    if (!parent || name.isEmpty()) return nullptr;
    return parent->findChild<QWidget*>(name);
}

void CPaintManagerUI::SetDPI(int dpi) {
    m_dpi = ui::ClampDpi(dpi);
    if (m_root) ui::ApplyDpi(m_root, m_dpi);
    if (m_initSize.isValid() && m_window->isWindow())
        m_window->resize(ui::ScaleByDpi(m_initSize.width(), m_dpi),
                         ui::ScaleByDpi(m_initSize.height(), m_dpi));
}

void CPaintManagerUI::SetAllDPI(int dpi) {
    for (CPaintManagerUI* manager : managers()) manager->SetDPI(dpi);
}

int CPaintManagerUI::GetGlobalDPI() { return globalDpi(); }

void CPaintManagerUI::SetGlobalDPI(int dpi) { globalDpi() = ui::ClampDpi(dpi); }

void CPaintManagerUI::ApplyDpiTo(QWidget* subtree) const { ui::ApplyDpi(subtree, m_dpi); }

namespace ui {
void SendNotify(QWidget* sender, const QString& type, qintptr wParam, qintptr lParam) {
    CPaintManagerUI* manager = CPaintManagerUI::FromControl(sender);
    if (!manager) {
        qCDebug(lcUi) << "notification" << type << "from"
                      << (sender ? sender->objectName() : QString()) << "has no window to go to";
        return;
    }
    manager->SendNotify(sender, type, wParam, lParam);
}

QString ComposeName(const QString& prefix, int number) { return prefix + QString::number(number); }
}  // namespace ui
