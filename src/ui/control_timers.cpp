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
        registry().insert(control, this);
    }
    ~ControlTimers() override { registry().remove(m_control); }
    ControlTimers(const ControlTimers&) = delete;
    ControlTimers& operator=(const ControlTimers&) = delete;

    // The timers of each control that has any (UI thread only): found without a search of
    // the control's children, as frame timers re-arm many times a second.
    static QHash<const QWidget*, ControlTimers*>& registry() {
        static QHash<const QWidget*, ControlTimers*> timers;
        return timers;
    }

    void arm(int id, int milliseconds) {
        QTimer*& timer = m_timers[id];
        if (!timer) {
            timer = new QTimer(this);
            QObject::connect(timer, &QTimer::timeout, this, [this, id] { fire(id); });
        }
        timer->start(milliseconds);
    }

    // The timer object stays for the next arm: a timer killed and re-armed on each expiry
    // costs no allocation.
    void kill(int id) {
        if (QTimer* timer = m_timers.value(id)) timer->stop();
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

    int interval(int id) const {
        const QTimer* timer = m_timers.value(id);
        return timer && timer->isActive() ? timer->interval() : -1;
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
    ControlTimers* timers = ControlTimers::registry().value(control);
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

int TimerInterval(const QWidget* control, int id) {
    const ControlTimers* timers = control ? timersOf(control, false) : nullptr;
    return timers ? timers->interval(id) : -1;
}
}  // namespace ui
