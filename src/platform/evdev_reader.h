#pragma once
// The evdev side of the input hook: a reader thread over the keyboards and mice of
// /dev/input (see input_hook.h). Events go to the sink on the reader thread; the sink queues
// them to the UI thread and the UI thread acknowledges each with Taken().
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/grab_watchdog.h"
#include "platform/input_event.h"
#include "platform/stop_event.h"

namespace platform {

class EvdevReader {
  public:
    using Sink = std::function<void(const RawInputEvent&)>;
    using StallNotice = std::function<void()>;

    // grab: grab keyboards (only when a uinput device for the lock keys can be made).
    EvdevReader(Sink sink, StallNotice stalled, bool grab);
    ~EvdevReader();  // stops, joins, releases every grab
    EvdevReader(const EvdevReader&) = delete;
    EvdevReader& operator=(const EvdevReader&) = delete;

    // Opens the devices and starts the thread; false when no keyboard or mouse could be read.
    bool Start();
    void Stop();
    void Taken();
    bool Grabbing() const { return grabbing_.load(); }

  private:
    struct State;
    void Run();

    Sink sink_;
    StallNotice stalled_;
    bool wantGrab_;
    std::atomic<bool> grabbing_{false};
    StopEvent stop_{StopEvent::Mode::ManualReset};
    GrabWatchdog watchdog_;
    std::unique_ptr<State> state_;
    std::thread thread_;
};

}  // namespace platform
