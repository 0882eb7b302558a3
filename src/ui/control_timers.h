#pragma once
// Control timers. SetTimer arms a repeating timer on a control; each expiry is delivered on
// the UI thread, to the control itself when it implements ITimerTarget, otherwise as a
// "timer" notification (wParam = the timer id) to its window's receivers. A timer runs until
// KillTimer (handlers that want one-shot behaviour kill their timer first and re-arm it).
//
// Both calls may be made from any thread: from a worker they are queued to the UI thread.
// The caller must keep the control alive while it arms a timer from a worker thread (device
// objects stop their threads before their controls go away).
class QWidget;

namespace ui {
class ITimerTarget {
  public:
    virtual ~ITimerTarget() = default;
    virtual void DoTimer(int id) = 0;
};

// Re-arming a running id restarts it with the new interval. False for a null control or a
// negative interval.
bool SetTimer(QWidget* control, int id, int milliseconds);
void KillTimer(QWidget* control, int id);
void KillAllTimers(QWidget* control);
// Whether a timer of that id is armed (UI thread only).
bool IsTimerActive(const QWidget* control, int id);
// The interval of an armed timer, -1 when that id is not armed (UI thread only).
int TimerInterval(const QWidget* control, int id);
}  // namespace ui
