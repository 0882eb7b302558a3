#include "platform/pulse_monitor_source.h"

#include <poll.h>
#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {

namespace {

CPulseMonitorSource* Self(void* userdata) { return static_cast<CPulseMonitorSource*>(userdata); }

void ContextStateCallback(pa_context*, void* userdata) { Self(userdata)->OnContextState(); }
void StreamStateCallback(pa_stream*, void* userdata) { Self(userdata)->OnStreamState(); }
void StreamReadCallback(pa_stream*, size_t bytes, void* userdata) {
    Self(userdata)->OnStreamRead(bytes);
}
void ServerInfoCallback(pa_context*, const pa_server_info* info, void* userdata) {
    Self(userdata)->OnServerInfo(info && info->default_sink_name ? info->default_sink_name : "");
}
void SinkInfoCallback(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    if (eol != 0 || !info) {
        Self(userdata)->OnSinkInfo(nullptr, 0, true);
        return;
    }
    Self(userdata)->OnSinkInfo(info->monitor_source_name, info->sample_spec.rate, false);
}
void TimeoutCallback(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
    Self(userdata)->OnTimeout();
}
void SubscribeCallback(pa_context* context, pa_subscription_event_type_t type, uint32_t,
                       void* userdata) {
    // A change of the server (its default output among them): ask which output is default now.
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SERVER) return;
    pa_operation* op = pa_context_get_server_info(context, ServerInfoCallback, userdata);
    if (op) pa_operation_unref(op);
}

}  // namespace

CPulseMonitorSource::CPulseMonitorSource() { wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

CPulseMonitorSource::~CPulseMonitorSource() {
    Close();
    if (wakeFd_ >= 0) close(wakeFd_);
}

void CPulseMonitorSource::DropStream() {
    if (!stream_) return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void CPulseMonitorSource::Close() {
    if (!loop_) return;
    pa_threaded_mainloop_lock(loop_);
    if (timer_) {
        pa_threaded_mainloop_get_api(loop_)->time_free(timer_);
        timer_ = nullptr;
    }
    DropStream();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
}

void CPulseMonitorSource::Wake() {
    const uint64_t one = 1;
    const ssize_t n = write(wakeFd_, &one, sizeof one);
    (void)n;
}

AudioOpenResult CPulseMonitorSource::Refuse(bool locked, std::string detail) {
    if (locked) pa_threaded_mainloop_unlock(loop_);
    Close();
    std::lock_guard lock(ringLock_);
    error_ = std::move(detail);
    failed_ = true;
    return {false, error_};
}

template <typename Pred>
bool CPulseMonitorSource::WaitLocked(Pred pred) {
    timedOut_ = false;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    timeval deadline;
    pa_gettimeofday(&deadline);
    pa_timeval_add(&deadline, static_cast<pa_usec_t>(kConnectTimeoutMs) * 1000);
    timer_ = api->time_new(api, &deadline, TimeoutCallback, this);
    while (!pred() && !timedOut_) pa_threaded_mainloop_wait(loop_);
    if (timer_) {
        api->time_free(timer_);
        timer_ = nullptr;
    }
    return pred();
}

AudioOpenResult CPulseMonitorSource::Open() {
    Close();
    phase_ = Phase::Idle;
    defaultSink_.clear();
    monitor_.clear();
    {
        std::lock_guard lock(ringLock_);
        failed_ = false;
        error_.clear();
        count_ = 0;
        head_ = 0;
    }
    if (wakeFd_ < 0) return Refuse(false, "no eventfd for the sound stream");
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return Refuse(false, "the sound server's main loop could not be made");
    pa_threaded_mainloop_set_name(loop_, "audio lighting");
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Skelmora");
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Skelmora", props);
    pa_proplist_free(props);
    if (!context_) return Refuse(false, "the sound server's context could not be made");
    pa_context_set_state_callback(context_, ContextStateCallback, this);
    if (pa_threaded_mainloop_start(loop_) < 0)
        return Refuse(false, "the sound server's main loop could not start");
    pa_threaded_mainloop_lock(loop_);
    phase_ = Phase::Connecting;
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return Refuse(true, std::string("no PulseAudio or PipeWire server answers (") +
                                pa_strerror(pa_context_errno(context_)) + ")");
    if (!WaitLocked([this] { return phase_ != Phase::Connecting; }) || phase_ == Phase::Failed) {
        const int code = pa_context_errno(context_);
        return Refuse(true, timedOut_ ? "no PulseAudio or PipeWire server answered within 2 s"
                                      : std::string("no PulseAudio or PipeWire server answers (") +
                                            pa_strerror(code) + ")");
    }
    // Which output is the default, which monitor records it, and at which rate.
    pa_context_set_subscribe_callback(context_, SubscribeCallback, this);
    if (pa_operation* op =
            pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr))
        pa_operation_unref(op);
    lookupDone_ = false;
    if (pa_operation* op = pa_context_get_server_info(context_, ServerInfoCallback, this))
        pa_operation_unref(op);
    if (!WaitLocked([this] { return lookupDone_ || phase_ == Phase::Failed; }))
        return Refuse(true, "the sound server did not say which output is the default");
    if (phase_ == Phase::Failed) return Refuse(true, LastError());
    if (monitor_.empty())
        return Refuse(true, "the default output '" + defaultSink_ + "' has no monitor to record");
    rate_ = static_cast<int>(std::clamp<uint32_t>(sinkRate_, 8000, 192000));
    {
        std::lock_guard lock(ringLock_);
        ring_.assign(static_cast<std::size_t>(rate_), 0.0f);  // one second
    }
    ConnectStream();
    if (!WaitLocked([this] { return phase_ == Phase::Streaming || phase_ == Phase::Failed; }) ||
        phase_ == Phase::Failed)
        return Refuse(true, "the monitor '" + monitor_ + "' could not be recorded");
    pa_threaded_mainloop_unlock(loop_);
    return {true, {}};
}

void CPulseMonitorSource::ConnectStream() {
    DropStream();
    // The rate stays the one the stream was opened with: a new default output at another rate
    // is resampled by the server, so the reader's analysis keeps its rate.
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate_), 1};
    stream_ = pa_stream_new(context_, kStreamName, &format, nullptr);
    if (!stream_) {
        MarkFailed("the sound stream could not be made");
        return;
    }
    pa_stream_set_state_callback(stream_, StreamStateCallback, this);
    pa_stream_set_read_callback(stream_, StreamReadCallback, this);
    pa_buffer_attr attr;
    std::memset(&attr, 0xFF, sizeof attr);  // (uint32_t)-1: the server's choice
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kFragmentMs * 1000, &format));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND |
                                                      PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_record(stream_, monitor_.c_str(), &attr, flags) < 0)
        MarkFailed("the monitor could not be recorded");
}

void CPulseMonitorSource::MarkFailed(const char* what) {
    phase_ = Phase::Failed;
    {
        std::lock_guard lock(ringLock_);
        if (!failed_) error_ = what;
        failed_ = true;
    }
    Wake();
    pa_threaded_mainloop_signal(loop_, 0);
}

void CPulseMonitorSource::OnContextState() {
    switch (pa_context_get_state(context_)) {
        case PA_CONTEXT_READY:
            if (phase_ == Phase::Connecting) phase_ = Phase::LookingUp;
            pa_threaded_mainloop_signal(loop_, 0);
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            MarkFailed(phase_ == Phase::Connecting ? "no PulseAudio or PipeWire server answers"
                                                   : "the sound server went away");
            break;
        default:
            break;
    }
}

void CPulseMonitorSource::OnStreamState() {
    if (!stream_) return;
    switch (pa_stream_get_state(stream_)) {
        case PA_STREAM_READY:
            phase_ = Phase::Streaming;
            pa_threaded_mainloop_signal(loop_, 0);
            break;
        case PA_STREAM_FAILED:
            MarkFailed("the sound stream failed");
            break;
        case PA_STREAM_TERMINATED:
            // Ended by the server (the monitored output went away); a new default output
            // reconnects it, the reader meanwhile waits.
            break;
        default:
            break;
    }
}

void CPulseMonitorSource::OnStreamRead(std::size_t) {
    if (!stream_) return;
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(stream_) > 0) {
        if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0) break;
        if (data) {  // a hole (no data) is dropped
            const std::size_t samples = bytes / sizeof(float);
            std::lock_guard lock(ringLock_);
            const std::size_t room = ring_.size() - count_;
            const std::size_t kept = std::min(samples, room);
            if (kept < samples) dropped_ += samples - kept;
            const auto* in = static_cast<const float*>(data);
            for (std::size_t i = 0; i < kept; ++i)
                ring_[(head_ + count_ + i) % ring_.size()] = in[i];
            count_ += kept;
        }
        pa_stream_drop(stream_);
    }
    Wake();
}

void CPulseMonitorSource::OnServerInfo(const char* defaultSink) {
    const std::string sink = defaultSink ? defaultSink : "";
    if (phase_ == Phase::Streaming && sink == defaultSink_) return;  // another server change
    defaultSink_ = sink;
    if (sink.empty()) {
        monitor_.clear();
        lookupDone_ = true;
        pa_threaded_mainloop_signal(loop_, 0);
        return;
    }
    if (pa_operation* op =
            pa_context_get_sink_info_by_name(context_, sink.c_str(), SinkInfoCallback, this))
        pa_operation_unref(op);
}

void CPulseMonitorSource::OnSinkInfo(const char* monitorName, uint32_t rate, bool end) {
    if (end) {
        if (!lookupDone_) {
            lookupDone_ = true;  // no such sink: monitor_ stays empty
            pa_threaded_mainloop_signal(loop_, 0);
        }
        return;
    }
    const std::string monitor = monitorName ? monitorName : "";
    const bool moved = phase_ == Phase::Streaming && monitor != monitor_;
    monitor_ = monitor;
    sinkRate_ = rate;
    lookupDone_ = true;
    if (moved && !monitor_.empty()) ConnectStream();  // the default output changed
    pa_threaded_mainloop_signal(loop_, 0);
}

void CPulseMonitorSource::OnTimeout() {
    timedOut_ = true;  // the event is freed by WaitLocked
    pa_threaded_mainloop_signal(loop_, 0);
}

AudioReadResult CPulseMonitorSource::Read(std::span<float> mono, int timeoutMs, int stopFd) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard lock(ringLock_);
            if (count_ > 0) {
                const std::size_t n = std::min(mono.size(), count_);
                for (std::size_t i = 0; i < n; ++i) mono[i] = ring_[(head_ + i) % ring_.size()];
                head_ = (head_ + n) % ring_.size();
                count_ -= n;
                return {AudioReadStatus::Data, n};
            }
            if (failed_ || !loop_) return {AudioReadStatus::Failed, 0};
        }
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return {AudioReadStatus::TimedOut, 0};
            wait = static_cast<int>(left.count());
        }
        pollfd polls[2] = {{wakeFd_, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int r = poll(polls, stopFd >= 0 ? 2 : 1, wait);
        if (r < 0 && errno != EINTR) {
            std::lock_guard lock(ringLock_);
            error_ = std::string("waiting for sound: ") + std::strerror(errno);
            return {AudioReadStatus::Failed, 0};
        }
        if (stopFd >= 0 && r > 0 && (polls[1].revents & POLLIN))
            return {AudioReadStatus::Stopped, 0};
        if (r > 0 && (polls[0].revents & POLLIN)) {
            uint64_t value;
            const ssize_t n = read(wakeFd_, &value, sizeof value);
            (void)n;
        }
    }
}

std::string CPulseMonitorSource::LastError() const {
    std::lock_guard lock(ringLock_);
    return error_;
}

std::string CPulseMonitorSource::MonitorName() const {
    if (!loop_) return monitor_;
    pa_threaded_mainloop_lock(loop_);
    std::string name = monitor_;
    pa_threaded_mainloop_unlock(loop_);
    return name;
}

}  // namespace platform
