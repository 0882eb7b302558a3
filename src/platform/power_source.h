#pragma once
// Suspend and resume of the machine. The main window listens to an IPowerSource: before
// sleep it hands the lighting back to the devices, after resume it takes it again. The real
// source is logind's PrepareForSleep on the system bus with a "delay" sleep inhibitor; tests
// drive the interface directly. Without a system bus the program carries on without it.
#include <QObject>
#include <memory>

namespace platform {

class IPowerSource : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // Called by the listener once its work before sleep is done: the sleep may go on.
    virtual void ReadyForSleep() {}

  signals:
    // true: the machine is about to sleep; false: it has resumed.
    void prepareForSleep(bool sleeping);
};

// logind ("org.freedesktop.login1.Manager" on the system bus). Holds a delay inhibitor while
// awake and releases it in ReadyForSleep (or after at most one second); takes it again on
// resume.
class LogindPowerSource : public IPowerSource {
    Q_OBJECT
  public:
    static constexpr int kMaxSleepDelayMs = 1000;
    // Connects; none (logged once) when there is no system bus or no logind.
    static std::unique_ptr<LogindPowerSource> Connect(QObject* parent = nullptr);
    ~LogindPowerSource() override;
    void ReadyForSleep() override;

  private:
    explicit LogindPowerSource(QObject* parent);
    void TakeInhibitor();
    void ReleaseInhibitor();
    Q_SLOT void OnPrepareForSleep(bool sleeping);

    int inhibitorFd_ = -1;
};

}  // namespace platform
