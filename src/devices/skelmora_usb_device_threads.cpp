// The light thread, the event threads and the event interfaces of CSkelmoraUSBDevice.
#include <pthread.h>

#include <QMetaObject>
#include <algorithm>

#include "devices/skelmora_usb_device.h"
#include "platform/log_categories.h"
#include "ui/control_timers.h"

namespace {
constexpr uint32_t kMaxEventReport = 64;
}

// ---- Light thread ----

bool CSkelmoraUSBDevice::StartLightThread() {
    return lightThread_.Start([this](platform::StopEvent& stop) {
        pthread_setname_np(pthread_self(), "device-light");  // as tools list the threads
        LightThreadMain(stop);
    });
}

CDeviceThread::StopResult CSkelmoraUSBDevice::StopLightThread() {
    return lightThread_.Stop(std::chrono::milliseconds(kLightThreadStopMs));
}

// Sleeps until the next effect step is due (or the stop event), so an idle device costs
// nothing between steps.
void CSkelmoraUSBDevice::LightThreadMain(platform::StopEvent& stop) {
    LightPassState state;
    int waitMs = 1;
    while (!stop.Wait(std::chrono::milliseconds(waitMs))) waitMs = RunLightPass(state);
    qCDebug(lcDevice) << LightThreadExitTrace();
}

// A device with a pass pace sleeps at least that long and then runs every step that came due
// meanwhile.
int CSkelmoraUSBDevice::RunLightPass(LightPassState& state) {
    light::TickCounter& counter = state.counter;
    const int pace = LightPassPaceMs();
    // Without host control of the lighting nobody reads the LEDs (no frame, no preview): the
    // thread only looks for the switch back on.
    if (!commandChannel_.IsOpened() || !hostLightControl_) {
        counter.started = false;
        state.steadyWith.reset();
        frameStream_.sentAny = false;  // the first frame after this goes out whatever it holds
        return kClosedChannelPollMs;
    }
    if (synchroMember_) {
        // The synchronised-lighting thread sets the LEDs; this thread sends them.
        counter.started = false;
        state.steadyWith.reset();
        AfterLightPass();
        return kMemberFramePollMs;
    }
    const std::optional<light::LightModeRow> row = CurrentLightMode();
    if (!row) {
        AfterLightPass();
        state.steadyWith.reset();
        return kClosedChannelPollMs;
    }
    const light::LightSettings settings = GetLightSettingsCopy();
    if (row->everyPass) {
        // A routine run at every tick (it counts its own passes).
        uint32_t passes = 1;
        if (pace > 0) {
            counter.Advance(NowMs());
            passes = std::max<uint32_t>(1, counter.TakeSteps(1, kMaxCatchUpSteps));
        }
        for (uint32_t i = 0; i < passes; ++i) RunLightStep(row->step);
        AfterLightPass();
        state.steadyWith.reset();
        return std::max(pace, static_cast<int>(light::kTickMs));
    }
    const LightPassState::Steady now{light::ToWords(settings), SteadyLightKind(*row)};
    if (state.steadyWith && now.kind != 0 && *state.steadyWith == now) {
        AfterLightPass();
        return kSteadyLightPollMs;
    }
    state.steadyWith.reset();
    const uint32_t threshold = light::ThresholdAt(*row, settings.speed);
    counter.Advance(NowMs());
    uint32_t steps = 0;
    if (pace > 0) {
        steps = counter.TakeSteps(threshold, kMaxCatchUpSteps);
    } else if (counter.ticks >= threshold) {
        steps = 1;
        counter.Restart(NowMs());
    }
    for (uint32_t i = 0; i < steps; ++i) RunLightStep(row->step);
    if (steps > 0 && now.kind != 0) state.steadyWith = now;
    AfterLightPass();
    if (state.steadyWith) return kSteadyLightPollMs;
    const auto untilDue =
        static_cast<int>(std::max<uint32_t>(1, counter.MillisecondsUntil(threshold, NowMs())));
    return std::max(pace, untilDue);
}

// ---- Event threads ----

device_events::EventClass CSkelmoraUSBDevice::EventClassOf(EventInterface) const {
    return device_events::EventClass::PadOrHeadset;
}

const char* CSkelmoraUSBDevice::EventThreadExitTrace() const { return "MS设备同步线程设定退出"; }

void CSkelmoraUSBDevice::OnDeviceReport(uint16_t) {}
void CSkelmoraUSBDevice::OnReactiveTrigger() {}

CHidConnection& CSkelmoraUSBDevice::EventConnection(EventInterface which) {
    return which == kWiredEvents ? eventChannel_.WiredConnection()
                                 : eventChannel_.ReceiverConnection();
}

std::recursive_mutex& CSkelmoraUSBDevice::EventLock(EventInterface which) {
    return which == kWiredEvents ? eventChannel_.ExchangeLock()
                                 : eventChannel_.SecondConnectionLock();
}

bool CSkelmoraUSBDevice::IsEventInterfaceOpen(EventInterface which) const {
    return eventInterfaceOpen_[which];
}

bool CSkelmoraUSBDevice::IsEventThreadRunning(EventInterface which) const {
    return eventThreads_[which].IsRunning();
}

void CSkelmoraUSBDevice::EventThreadMain(EventInterface which, platform::StopEvent& stop) {
    CHidConnection& connection = EventConnection(which);
    std::vector<uint8_t> report(kMaxEventReport);
    while (!stop.Wait(std::chrono::milliseconds(0))) {
        if (!eventInterfaceOpen_[which]) {
            stop.Wait(std::chrono::milliseconds(kClosedChannelPollMs));
            continue;
        }
        const uint32_t length =
            std::max<uint32_t>(connection.InputReportByteLength(), kMaxEventReport);
        if (report.size() < length) report.resize(length);
        uint32_t received = 0;
        if (!connection.Read(report.data(), length, &received, CHidConnection::kInfinite)) {
            // Closed, stopped or an I/O error: look at the stop event again shortly.
            stop.Wait(std::chrono::milliseconds(kEventRetryMs));
            continue;
        }
        qCDebug(lcDevice) << "接收到自动添加设备的同步信息要求  TEST";
        std::vector<HidReportItem>& items = connection.InputItems();
        if (items.empty() ||
            !connection.UnpackReport(report.data(), received, hid::ReportType::Input, items.data(),
                                     connection.InputItemCount())) {
            continue;
        }
        const HidReportItem& first = items.front();
        if (first.reportId != report[0] || first.usageList.empty()) continue;
        HandleEventCode(which, first.usageList.front());
    }
    qCDebug(lcDevice) << EventThreadExitTrace();
}

void CSkelmoraUSBDevice::HandleEventCode(EventInterface which, uint16_t code) {
    lastEventCode_ = code;
    using device_events::EventAction;
    const EventAction action = device_events::ClassifyEventCode(EventClassOf(which), code);
    switch (action.kind) {
        case EventAction::Ignore:
            break;
        case EventAction::StartEventTimer:
            qCDebug(lcDevice) << "接收到自动添加设备的同步信息要求";
            if (QWidget* item = selectorItem_.load())
                ui::SetTimer(item, kEventTimerId, action.timerMs);
            break;
        // Handlers change pages and profiles: they run on the UI thread.
        case EventAction::Handler:
            QMetaObject::invokeMethod(
                this, [this, code] { OnDeviceReport(code); }, Qt::QueuedConnection);
            break;
        case EventAction::OwnReaction:
            QMetaObject::invokeMethod(
                this, [this] { OnReactiveTrigger(); }, Qt::QueuedConnection);
            break;
    }
}

// ---- Event interfaces ----

bool CSkelmoraUSBDevice::OpenEventInterface(const std::string& path, EventInterface which) {
    bool opened = false;
    {
        std::lock_guard lock(EventLock(which));
        CHidConnection& connection = EventConnection(which);
        connection.Close();
        opened = connection.Open(path, true, true, true, false);
        eventInterfaceOpen_[which] = opened;
        if (which == kWiredEvents) eventChannel_.SetOpened(opened);
        if (!opened)
            qCDebug(lcDevice) << "event interface not opened:" << connection.LastError().c_str();
    }
    eventThreads_[which].Start(
        [this, which](platform::StopEvent& stop) { EventThreadMain(which, stop); });
    return opened;
}

bool CSkelmoraUSBDevice::ReopenEventInterface(const std::string& path, EventInterface which) {
    CloseEventInterface(which);
    return OpenEventInterface(path, which);
}

void CSkelmoraUSBDevice::CloseEventInterface(EventInterface which) {
    CHidConnection& connection = EventConnection(which);
    eventThreads_[which].Stop(std::chrono::milliseconds(kEventThreadStopMs),
                              [&connection] { connection.SignalStop(); });
    std::lock_guard lock(EventLock(which));
    eventInterfaceOpen_[which] = false;
    if (which == kWiredEvents) eventChannel_.SetOpened(false);
    connection.Close();
}

void CSkelmoraUSBDevice::StopWorkerThreads() {
    StopLightThread();
    for (EventInterface which : {kWiredEvents, kReceiverEvents}) {
        CHidConnection& connection = EventConnection(which);
        eventThreads_[which].Stop(std::chrono::milliseconds(kEventThreadStopMs),
                                  [&connection] { connection.SignalStop(); });
    }
}
