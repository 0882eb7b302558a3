#include "ui/control_timers.h"

#include <QHash>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "ui/notify.h"
#include "ui/paint_manager.h"

namespace ui {
namespace {
constexpr char kTimersName[] = "skelmora_control_timers";

// The timers of one control, kept as a child object so they die with it.
class ControlTimers : public QObject {
  public:
    explicit ControlTimers(QWidget* control) : QObject(control), m_control(control) {
        setObjectName(kTimersName);
    }

    void arm(int id, int milliseconds) {
        QTimer*& timer = m_timers[id];
        if (!timer) {
            timer = new QTimer(this);
            QObject::connect(timer, &QTimer::timeout, this, [this, id] { fire(id); });
        }
        timer->start(milliseconds);
    }

    void kill(int id) {
        if (QTimer* timer = m_timers.take(id)) {
            timer->stop();
            timer->deleteLater();
        }
    }

    void killAll() {
        for (QTimer* timer : std::as_const(m_timers)) {
            timer->stop();
            timer->deleteLater();
        }
        m_timers.clear();
    }

    bool active(int id) const {
        const QTimer* timer = m_timers.value(id);
        return timer && timer->isActive();
    }

  private:
    void fire(int id) {
        if (auto* target = dynamic_cast<ITimerTarget*>(m_control)) {
            target->DoTimer(id);
            return;
        }
        SendNotify(m_control, notify_type::kTimer, id);
    }

    QWidget* m_control;
    QHash<int, QTimer*> m_timers;
};

ControlTimers* timersOf(const QWidget* control, bool create) {
    auto* timers = control->findChild<ControlTimers*>(kTimersName, Qt::FindDirectChildrenOnly);
    if (!timers && create) timers = new ControlTimers(const_cast<QWidget*>(control));
    return timers;
}

template <typename Action>
void onUiThread(QWidget* control, Action action) {
    if (QThread::currentThread() == control->thread())
        action();
    else
        QMetaObject::invokeMethod(control, action, Qt::QueuedConnection);
}
}  // namespace

bool SetTimer(QWidget* control, int id, int milliseconds) {
    if (!control || milliseconds < 0) return false;
    onUiThread(control,
               [control, id, milliseconds] { timersOf(control, true)->arm(id, milliseconds); });
    return true;
}

void KillTimer(QWidget* control, int id) {
    if (!control) return;
    onUiThread(control, [control, id] {
        if (ControlTimers* timers = timersOf(control, false)) timers->kill(id);
    });
}

void KillAllTimers(QWidget* control) {
    if (!control) return;
    onUiThread(control, [control] {
        if (ControlTimers* timers = timersOf(control, false)) timers->killAll();
    });
}

bool IsTimerActive(const QWidget* control, int id) {
    const ControlTimers* timers = control ? timersOf(control, false) : nullptr;
    return timers && timers->active(id);
}
}  // namespace ui
