#pragma once
// The main window's synchronised-lighting thread ("sync-light"). Members are the devices of
// the four lists whose command channel is open and whose synchronised flag is set. With no
// member the thread looks again once a second; otherwise it counts light ticks and, at the
// threshold of the speed, runs one step of the synchronised mode and writes the colour into
// every LED entry of every member (SetLed takes the device's light lock).
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "devices/device_thread.h"
#include "devices/sync_light.h"

class CSkelmoraUSBDevice;

class CSyncLightEngine {
  public:
    using MillisecondClock = std::function<uint32_t()>;
    static constexpr uint32_t kNoMemberWaitMs = 1000;

    explicit CSyncLightEngine(MillisecondClock clock = {});

    // Devices that may take part; the UI thread adds each device once (devices live as long as
    // the window).
    void AddCandidate(CSkelmoraUSBDevice* device);
    light::SharedSyncSettings& Settings() { return settings_; }

    // One pass at nowMs: returns how long the thread sleeps before the next one. Writes the
    // members' LEDs when a step ran.
    uint32_t Pass(uint32_t nowMs);
    std::vector<CSkelmoraUSBDevice*> Members() const;
    uint64_t StepCount() const { return steps_; }

    // The thread: Start names it "sync-light"; Stop waits up to 1000 ms.
    bool Start();
    void Stop();
    bool IsRunning() const { return thread_.IsRunning(); }

  private:
    MillisecondClock clock_;
    mutable std::mutex mutex_;
    std::vector<CSkelmoraUSBDevice*> candidates_;
    light::SharedSyncSettings settings_;
    light::SyncState state_;
    light::TickCounter ticks_;
    uint64_t steps_ = 0;
    CDeviceThread thread_;
};
