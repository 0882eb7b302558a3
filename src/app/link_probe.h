#pragma once
// CLinkProbe: after a mouse moves to its receiver, asks whether the mouse is linked, on a
// thread of its own. Each query through the receiver may wait 5000 ms for a reply, and the
// window never waits on a device: the outcome comes back to the UI thread by a queued call.
// Up to 26 queries 50 ms apart while the receiver answers "not linked"; the first query
// without any reply ends the probe (asking a silent receiver again only waits again).
#include <QObject>
#include <QPointer>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "hid/command_channel.h"
#include "platform/stop_event.h"

class CLinkProbe {
  public:
    static constexpr int kMaxQueries = 26;
    static constexpr std::chrono::milliseconds kPause{50};

    struct Outcome {
        bool linked = false;
        bool noReply = false;  // the receiver did not answer: status and link watch wait
        int queries = 0;
        bool cancelled = false;
    };
    using Query = std::function<CCommandChannel::WirelessLink()>;
    using Done = std::function<void(const Outcome&)>;

    // The loop itself: stops at a link, at the first query without a reply, after
    // kMaxQueries or when stop is set (during a pause).
    static Outcome Run(const Query& query, platform::StopEvent& stop,
                       std::chrono::milliseconds pause = kPause);

    // Starts the queries on channel; done runs on context's thread unless the probe was
    // cancelled (or context destroyed) first.
    CLinkProbe(CCommandChannel& channel, QObject* context, Done done);
    // Cancels and joins.
    ~CLinkProbe();
    CLinkProbe(const CLinkProbe&) = delete;
    CLinkProbe& operator=(const CLinkProbe&) = delete;

    // Stops the probe: a query waiting for its reply is woken, done is not called.
    void Cancel();
    bool Finished() const { return finished_->load(); }

  private:
    CCommandChannel& channel_;
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    platform::StopEvent ended_{platform::StopEvent::Mode::ManualReset};
    std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<bool>> finished_ = std::make_shared<std::atomic<bool>>(false);
    std::thread thread_;
};
