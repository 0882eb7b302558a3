#include "app/sync_light_thread.h"

#include <pthread.h>

#include <chrono>

#include "devices/skelmora_usb_device.h"
#include "platform/log_categories.h"

namespace {
uint32_t SteadyMilliseconds() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}
}  // namespace

CSyncLightEngine::CSyncLightEngine(MillisecondClock clock)
    : clock_(clock ? std::move(clock) : MillisecondClock(&SteadyMilliseconds)) {}

void CSyncLightEngine::AddCandidate(CSkelmoraUSBDevice* device) {
    std::lock_guard lock(mutex_);
    for (auto* known : candidates_)
        if (known == device) return;
    candidates_.push_back(device);
}

std::vector<CSkelmoraUSBDevice*> CSyncLightEngine::Members() const {
    std::lock_guard lock(mutex_);
    std::vector<CSkelmoraUSBDevice*> members;
    for (auto* device : candidates_) {
        if (device->CommandChannel().IsOpened() && device->IsSynchroMember())
            members.push_back(device);
    }
    return members;
}

uint32_t CSyncLightEngine::Pass(uint32_t nowMs) {
    const std::vector<CSkelmoraUSBDevice*> members = Members();
    if (members.empty()) {
        ticks_.started = false;  // the count starts again with the first member
        return kNoMemberWaitMs;
    }
    const light::SyncSettings settings = settings_.Load();
    const uint32_t threshold = light::SyncThreshold(settings.speed);
    if (!ticks_.started) ticks_.Restart(nowMs);
    ticks_.Advance(nowMs);
    if (ticks_.ticks < threshold) return ticks_.MillisecondsUntil(threshold, nowMs);
    ticks_.Restart(nowMs);
    const uint32_t word = light::SyncStep(settings, state_, nowMs);
    ++steps_;
    for (auto* device : members) {
        for (int led = 0; led < device->GetLedCount(); ++led) device->SetLed(led, word, 0);
    }
    return ticks_.MillisecondsUntil(threshold, nowMs);
}

bool CSyncLightEngine::Start() {
    return thread_.Start([this](platform::StopEvent& stop) {
        pthread_setname_np(pthread_self(), "sync-light");
        for (;;) {
            const uint32_t wait = Pass(clock_());
            if (stop.Wait(std::chrono::milliseconds(wait == 0 ? 1 : wait))) break;
        }
        qCDebug(lcApp) << "同步灯光线程设定退出";
    });
}

void CSyncLightEngine::Stop() { thread_.Stop(std::chrono::milliseconds(1000)); }
