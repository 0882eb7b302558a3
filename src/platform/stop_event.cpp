#include "platform/stop_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace platform {

StopEvent::StopEvent(Mode mode) : mode_(mode) {
    fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0) throw std::runtime_error("eventfd failed");
}

StopEvent::~StopEvent() {
    if (fd_ >= 0) close(fd_);
}

void StopEvent::Set() {
    // The counter only ever needs to be non-zero; EAGAIN at the maximum is harmless.
    uint64_t one = 1;
    ssize_t n = write(fd_, &one, sizeof one);
    (void)n;
}

void StopEvent::Reset() {
    uint64_t value = 0;
    ssize_t n = read(fd_, &value, sizeof value);
    (void)n;
}

bool StopEvent::TryConsume() {
    if (mode_ == Mode::ManualReset) {
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
    }
    uint64_t value = 0;
    return read(fd_, &value, sizeof value) == sizeof value && value != 0;
}

bool StopEvent::Wait(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int ms = -1;
        if (timeout.count() >= 0) {
            // Rounded up: a wait that is cut short would make its caller spin.
            auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            ms = left.count() < 0 ? 0 : static_cast<int>(left.count());
        }
        pollfd p{fd_, POLLIN, 0};
        int r = poll(&p, 1, ms);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        if (TryConsume()) return true;
        // Another waiter consumed an auto-reset event first; keep waiting.
        if (ms == 0) return false;
    }
}

}  // namespace platform
