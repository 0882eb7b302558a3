#pragma once
// HID devices served by a virtual HID bus on a Unix-domain socket (SKELMORA_HID=vhid:PATH).
// The bus announces nodes with their report descriptors, carries output and input reports
// and reports unplugging; see docs/vhid-protocol.md.
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "hid/hid_backend.h"
#include "hid/report_queue.h"
#include "platform/stop_event.h"

namespace hid {

class VhidBackend final : public IHidBackend, public std::enable_shared_from_this<VhidBackend> {
  public:
    // Connects and waits (up to timeoutMs) until the bus has announced its present nodes.
    static std::shared_ptr<VhidBackend> Connect(const std::string& socketPath, std::string& error,
                                                int timeoutMs = 2000);
    ~VhidBackend() override;

    std::string Name() const override { return "vhid"; }
    bool ListNodes(std::vector<HidNodeInfo>& nodes, std::string& error) override;
    std::unique_ptr<IHidHandle> OpenNode(const std::string& nodeId, bool forRead, bool forWrite,
                                         std::string& error) override;
    bool NodeExists(const std::string& nodeId) override;
    void SetArrivalHandler(ArrivalHandler handler) override;

    bool Connected() const;
    // Sends one output report for a handle; false when the bus is gone.
    bool SendOutput(uint32_t handle, std::span<const uint8_t> report);
    void CloseHandle(uint32_t handle);

  private:
    explicit VhidBackend(int fd);
    void ReaderLoop();
    void Dispatch(uint8_t type, std::span<const uint8_t> payload);
    void Disconnect();

    int fd_;
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    std::thread reader_;
    std::mutex sendMutex_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = true;
    bool synced_ = false;
    std::map<uint32_t, HidNodeInfo> nodes_;
    ArrivalHandler arrival_;
    struct OpenHandle {
        uint32_t node;
        std::shared_ptr<ReportQueue> queue;
    };
    std::map<uint32_t, OpenHandle> handles_;
    struct PendingOpen {
        bool done = false;
        uint32_t handle = 0;
        std::string error;
    };
    std::map<uint32_t, PendingOpen> opens_;
    uint32_t nextRequest_ = 1;
};

}  // namespace hid
