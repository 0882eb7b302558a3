#include "app/link_probe.h"

#include "platform/log_categories.h"

CLinkProbe::Outcome CLinkProbe::Run(const Query& query, platform::StopEvent& stop,
                                    std::chrono::milliseconds pause) {
    Outcome outcome;
    while (outcome.queries < kMaxQueries) {
        ++outcome.queries;
        const CCommandChannel::WirelessLink link = query();
        if (link == CCommandChannel::WirelessLink::Linked) {
            outcome.linked = true;
            break;
        }
        qCDebug(lcDiscovery) << "获取2.4G模式失败";
        if (link == CCommandChannel::WirelessLink::NoReply) {
            outcome.noReply = true;
            break;
        }
        if (outcome.queries < kMaxQueries && stop.Wait(pause)) {
            outcome.cancelled = true;
            break;
        }
    }
    return outcome;
}

CLinkProbe::CLinkProbe(CCommandChannel& channel, QObject* context, Done done) : channel_(channel) {
    QPointer<QObject> target(context);
    thread_ = std::thread([this, target, done = std::move(done), cancelled = cancelled_,
                           finished = finished_] {
        Outcome outcome = Run([this] { return channel_.QueryWirelessLinkState(); }, stop_);
        finished->store(true);
        ended_.Set();
        if (outcome.cancelled || cancelled->load() || !target) return;
        QMetaObject::invokeMethod(
            target.data(),
            [done, outcome, cancelled] {
                if (!cancelled->load()) done(outcome);
            },
            Qt::QueuedConnection);
    });
}

CLinkProbe::~CLinkProbe() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void CLinkProbe::Cancel() {
    cancelled_->store(true);
    stop_.Set();
    // A query may be waiting for the receiver's reply; wake it until the thread has ended
    // (a wake that comes just before the read starts would be missed once).
    if (!thread_.joinable()) return;
    while (!ended_.Wait(std::chrono::milliseconds(5))) channel_.ReceiverConnection().SignalStop();
}
