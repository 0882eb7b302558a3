#include "devices/device_thread.h"

#include "platform/log_categories.h"

CDeviceThread::~CDeviceThread() { Stop(std::chrono::milliseconds(1000)); }

bool CDeviceThread::Start(Body body) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        if (!finished_) return false;
        thread_.join();  // ended by itself earlier
    }
    // Reset here rather than in the thread: a Stop that comes before the thread runs must
    // not be lost.
    stop_.Reset();
    finished_ = false;
    thread_ = std::thread([this, body = std::move(body)] {
        body(stop_);
        std::lock_guard finishedLock(mutex_);
        finished_ = true;
        finishedChanged_.notify_all();
    });
    return true;
}

CDeviceThread::StopResult CDeviceThread::Stop(std::chrono::milliseconds timeout,
                                              const std::function<void()>& wake) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) return StopResult::NotRunning;
    stop_.Set();
    if (thread_.get_id() == std::this_thread::get_id()) return StopResult::NotRunning;

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool timedOut = false;
    while (!finished_) {
        if (wake) {
            lock.unlock();
            wake();
            lock.lock();
        }
        const auto now = std::chrono::steady_clock::now();
        if (!timedOut && now >= deadline) {
            timedOut = true;
            qCDebug(lcDevice) << "线程退出：：对象处于非激发状态，超时";
        }
        const auto slice =
            timedOut ? kWakeInterval
                     : std::min<std::chrono::steady_clock::duration>(kWakeInterval, deadline - now);
        finishedChanged_.wait_for(lock, slice, [this] { return finished_; });
    }
    std::thread ended = std::move(thread_);
    lock.unlock();
    ended.join();
    if (!timedOut) qCDebug(lcDevice) << "线程退出：：对象处于激发状态";
    return timedOut ? StopResult::TimedOut : StopResult::Ended;
}

bool CDeviceThread::IsRunning() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable() && !finished_;
}
