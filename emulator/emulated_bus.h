#pragma once
// A HID backend whose devices are emulated in this process. Used by unit tests, by the
// program's --emulate option and, behind a socket, by the vhid bus server.
//
// Devices keep their memory across unplug and plug, as a real device keeps its flash.
// Every open handle on a node receives every input report of that node, as hidraw does.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <vector>

#include "emulator/emulated_device.h"
#include "hid/hid_backend.h"

namespace emu {

class EmulatedBus final : public hid::IHidBackend,
                          public std::enable_shared_from_this<EmulatedBus> {
  public:
    // Reports from the device arrive this long after the report that caused them.
    static std::shared_ptr<EmulatedBus> Create(std::chrono::microseconds latency = {});
    ~EmulatedBus() override;

    bool Plug(const std::string& kind, std::string& error);
    bool Unplug(const std::string& kind, std::string& error);
    bool IsPlugged(const std::string& kind) const;
    // The device of that kind (created by its first Plug), or nullptr.
    EmulatedDevice* Device(const std::string& kind);
    // Sends an unsolicited input report from a plugged device's node.
    bool InjectInput(const std::string& kind, size_t nodeIndex, std::span<const uint8_t> report);
    void SetLatency(std::chrono::microseconds latency);

    // Called (outside the bus's locks) when a node appears or goes away.
    using NodeListener = std::function<void(const hid::HidNodeInfo& node, bool added)>;
    int AddNodeListener(NodeListener listener);
    void RemoveNodeListener(int id);

    // Opens a node whose input reports go to sink (on the bus's threads) instead of a queue.
    using InputSink = std::function<void(std::span<const uint8_t> report)>;
    std::unique_ptr<hid::IHidHandle> OpenNodeWithSink(const std::string& nodeId, InputSink sink,
                                                      std::string& error);

    std::string Name() const override { return "emulator"; }
    bool ListNodes(std::vector<hid::HidNodeInfo>& nodes, std::string& error) override;
    std::unique_ptr<hid::IHidHandle> OpenNode(const std::string& nodeId, bool forRead,
                                              bool forWrite, std::string& error) override;
    bool NodeExists(const std::string& nodeId) override;
    void SetArrivalHandler(ArrivalHandler handler) override;

    struct HandleState;  // shared by a handle and the bus's fan-out list

    // Called by handles.
    hid::IoStatus WriteFromHandle(const std::shared_ptr<HandleState>& state,
                                  std::span<const uint8_t> report);

  private:
    explicit EmulatedBus(std::chrono::microseconds latency);

    struct PluggedDevice {
        std::unique_ptr<EmulatedDevice> device;
        std::vector<std::string> nodeIds;  // empty while unplugged
    };
    struct Pending {
        std::chrono::steady_clock::time_point due;
        uint64_t sequence;
        std::string nodeId;
        std::vector<uint8_t> report;
        bool operator>(const Pending& other) const {
            return due != other.due ? due > other.due : sequence > other.sequence;
        }
    };

    std::unique_ptr<hid::IHidHandle> Open(const std::string& nodeId, InputSink sink,
                                          std::string& error);
    void Deliver(const std::string& nodeId, std::span<const uint8_t> report);
    void Schedule(const std::string& nodeId, std::vector<uint8_t> report);
    void DeliveryLoop();
    void Notify(const std::vector<hid::HidNodeInfo>& nodes, bool added);
    bool FindNode(const std::string& nodeId, EmulatedDevice*& device, size_t& index);

    mutable std::mutex mutex_;
    std::map<std::string, PluggedDevice> devices_;                            // by kind
    std::map<std::string, std::vector<std::weak_ptr<HandleState>>> handles_;  // by node id
    uint64_t nextNode_ = 1;
    std::map<int, NodeListener> listeners_;
    std::mutex arrivalMutex_;
    ArrivalHandler arrival_;
    int nextListener_ = 1;

    std::mutex deliveryMutex_;
    std::condition_variable deliveryWake_;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending_;
    uint64_t sequence_ = 0;
    bool stopping_ = false;
    std::atomic<int64_t> latencyUs_;
    std::thread deliveryThread_;
};

}  // namespace emu
