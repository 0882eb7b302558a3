#include "hid/report_queue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace hid {

const char* IoStatusName(IoStatus status) {
    switch (status) {
        case IoStatus::Ok:
            return "ok";
        case IoStatus::Timeout:
            return "time-out";
        case IoStatus::Stopped:
            return "stopped";
        case IoStatus::Disconnected:
            return "disconnected";
        case IoStatus::Error:
            return "error";
    }
    return "?";
}

WaitResult WaitReadable(int fd, int stopFd, int timeoutMs) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int ms = -1;
        if (timeoutMs >= 0) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
            ms = std::max<int>(0, static_cast<int>(left.count()));
        }
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {fd, POLLIN, 0}};
        const nfds_t count = stopFd >= 0 ? 2 : 1;
        pollfd* first = stopFd >= 0 ? fds : fds + 1;
        int r = poll(first, count, ms);
        if (r < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Error;
        }
        if (r == 0) return WaitResult::Timeout;
        if (stopFd >= 0 && (fds[0].revents & POLLIN)) return WaitResult::Stopped;
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) return WaitResult::Ready;
    }
}

ReportQueue::ReportQueue() {
    fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0) throw std::runtime_error("eventfd failed");
}

ReportQueue::~ReportQueue() { close(fd_); }

void ReportQueue::Push(std::span<const uint8_t> report) {
    {
        std::lock_guard lock(mutex_);
        if (gone_) return;
        if (reports_.size() >= kMaxQueued) reports_.pop_front();
        reports_.emplace_back(report.begin(), report.end());
    }
    uint64_t one = 1;
    ssize_t n = write(fd_, &one, sizeof one);
    (void)n;
}

void ReportQueue::MarkGone() {
    {
        std::lock_guard lock(mutex_);
        gone_ = true;
    }
    uint64_t one = 1;
    ssize_t n = write(fd_, &one, sizeof one);
    (void)n;
}

bool ReportQueue::IsGone() const {
    std::lock_guard lock(mutex_);
    return gone_;
}

IoStatus ReportQueue::Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs,
                           int stopFd) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
    transferred = 0;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!reports_.empty()) {
                const auto& report = reports_.front();
                transferred = std::min(buffer.size(), report.size());
                std::memcpy(buffer.data(), report.data(), transferred);
                reports_.pop_front();
                if (reports_.empty() && !gone_) {
                    uint64_t drained;
                    ssize_t n = read(fd_, &drained, sizeof drained);
                    (void)n;
                }
                return IoStatus::Ok;
            }
            if (gone_) return IoStatus::Disconnected;
            uint64_t drained;
            ssize_t n = read(fd_, &drained, sizeof drained);
            (void)n;
        }
        int left = -1;
        if (timeoutMs >= 0) {
            left = static_cast<int>(
                std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now()).count());
            if (left <= 0) {
                std::lock_guard lock(mutex_);
                if (reports_.empty()) return gone_ ? IoStatus::Disconnected : IoStatus::Timeout;
                continue;
            }
        }
        switch (WaitReadable(fd_, stopFd, left)) {
            case WaitResult::Ready:
                break;
            case WaitResult::Stopped:
                return IoStatus::Stopped;
            case WaitResult::Timeout:
                break;  // loop re-checks the queue and the deadline
            case WaitResult::Error:
                return IoStatus::Error;
        }
    }
}

}  // namespace hid
