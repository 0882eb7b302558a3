#pragma once
// An event object backed by an eventfd, so that poll() can wait on it beside a device fd.
// Auto-reset: a wait that sees the event consumes it. Manual-reset: it stays set until Reset().
#include <chrono>

namespace platform {

class StopEvent {
  public:
    enum class Mode { AutoReset, ManualReset };
    explicit StopEvent(Mode mode = Mode::AutoReset);
    ~StopEvent();
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;

    void Set();
    void Reset();
    // True when the event is set (and, for an auto-reset event, consumes it).
    bool TryConsume();
    // Waits up to timeout (negative: forever). True when the event was set.
    bool Wait(std::chrono::milliseconds timeout);
    // The fd to include in poll(); it is readable while the event is set.
    int Fd() const { return fd_; }
    Mode GetMode() const { return mode_; }

  private:
    int fd_ = -1;
    Mode mode_;
};

}  // namespace platform
