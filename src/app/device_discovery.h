#pragma once
// Finds the supported HID interfaces as they come and go. A pass enumerates the interfaces,
// marks new matches of the interface table present and reports them, then probes the
// present ones and reports those that vanished. The thread runs a pass every 100 ms.
//
// A present interface stays the same device only while its node's identity is unchanged:
// a device unplugged and plugged again quickly may get the same node, and must be reported
// lost and found again so that its object reconnects.
//
// The callbacks run on the discovery thread. The main window hands them to its own thread
// and waits for them, so the detected list never changes while the window reads it.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hid/hid_connection.h"
#include "platform/stop_event.h"
#include "tables/device_tables.h"

class CDeviceDiscovery {
  public:
    static constexpr int kPassIntervalMs = 100;
    static constexpr int kStopTimeoutMs = 1000;

    struct Callbacks {
        std::function<void(int row)> found;   // 0xC12
        std::function<void(int row)> lost;    // 0xC13
        std::function<void()> firstPassDone;  // the product-string message, posted once
    };

    CDeviceDiscovery(std::shared_ptr<hid::IHidBackend> backend, Callbacks callbacks);
    ~CDeviceDiscovery();
    CDeviceDiscovery(const CDeviceDiscovery&) = delete;
    CDeviceDiscovery& operator=(const CDeviceDiscovery&) = delete;

    // One pass; false when the enumeration itself failed (the thread then ends).
    bool RunPass();

    void Start();
    // Signals the stop event and joins.
    bool Stop();
    // Signals the stop event only; a thread that waits for the UI thread in a callback can
    // then finish while the UI thread keeps processing events until Finished().
    void RequestStop();
    bool Finished() const { return finished_; }
    // Asks for a pass now instead of at the next tick (a hidraw arrival, for example).
    void Wake();

    const std::vector<DeviceIdentity>& Detected() const { return detected_; }

  private:
    void ThreadMain();
    void FindNewInterfaces();
    void ProbePresentInterfaces();
    int FindAbsentEntry(const DeviceIdentity& probe, bool matchUsage) const;

    std::shared_ptr<hid::IHidBackend> backend_;
    Callbacks callbacks_;
    std::vector<DeviceIdentity> detected_;  // a copy of the interface table
    std::vector<std::string> nodeIdentities_;  // per detected row, while present
    CHidConnection connection_;             // long-lived, for enumeration and probing
    bool firstPassReported_ = false;
    // The backend's node list generation at the last enumeration; a pass enumerates again
    // only when it changed, an open failed or an entry was lost since.
    uint64_t listedGeneration_ = 0;
    bool enumerateAgain_ = true;
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    platform::StopEvent wake_{platform::StopEvent::Mode::AutoReset};
    std::thread thread_;
    std::atomic<bool> finished_{true};
};
