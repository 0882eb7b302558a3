#pragma once
// One worker thread of a device with its manual-reset stop event. Stopping signals the event,
// wakes the thread where it may block (a HID read) and joins it; a thread is never killed.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/stop_event.h"

class CDeviceThread {
  public:
    using Body = std::function<void(platform::StopEvent& stop)>;
    enum class StopResult { NotRunning, Ended, TimedOut };

    CDeviceThread() = default;
    ~CDeviceThread();
    CDeviceThread(const CDeviceThread&) = delete;
    CDeviceThread& operator=(const CDeviceThread&) = delete;

    // False when the thread is already running.
    bool Start(Body body);
    // Signals the stop event and waits for the thread. wake is called until the thread has
    // ended (a read that began just before the signal still needs waking). TimedOut: the
    // thread outlived the time-out; it has still been joined when Stop returns. Called from
    // the thread itself it only signals.
    StopResult Stop(std::chrono::milliseconds timeout, const std::function<void()>& wake = {});
    bool IsRunning() const;

    // How often Stop calls wake while it waits.
    static constexpr std::chrono::milliseconds kWakeInterval{10};

  private:
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable finishedChanged_;
    bool finished_ = true;
};
