#pragma once
// HID devices served by a virtual HID bus on a Unix-domain socket (SKELMORA_HID=vhid:PATH).
// The bus announces nodes with their report descriptors, carries output and input reports
// and reports unplugging; see docs/vhid-protocol.md.
//
// The bus is another program and is trusted for nothing: its nodes are capped, malformed
// messages end the connection, and when the bus goes away the backend connects again on
// the same socket (every second, then every five seconds) so that a restarted bus serves
// its devices again.
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "hid/hid_backend.h"
#include "hid/report_queue.h"
#include "hid/vhid_protocol.h"
#include "platform/stop_event.h"

namespace hid {

class VhidBackend final : public IHidBackend, public std::enable_shared_from_this<VhidBackend> {
  public:
    // More nodes than a desk full of devices has; announcements beyond are refused.
    static constexpr size_t kMaxNodes = 256;
    // Reconnection: kFastRetries attempts a second apart, then one every five seconds.
    static constexpr int kFastRetryMs = 1000;
    static constexpr int kSlowRetryMs = 5000;
    static constexpr int kFastRetries = 10;
    // A bus that takes no bytes for this long is treated as gone.
    static constexpr int kSendTimeoutMs = 1000;

    // Connects and waits (up to timeoutMs) until the bus has announced its present nodes.
    static std::shared_ptr<VhidBackend> Connect(const std::string& socketPath, std::string& error,
                                                int timeoutMs = 2000);
    // A backend with no socket whose bus bytes come from Receive (the fuzz target).
    static std::shared_ptr<VhidBackend> Unconnected();
    ~VhidBackend() override;

    std::string Name() const override { return "vhid"; }
    bool ListNodes(std::vector<HidNodeInfo>& nodes, std::string& error) override;
    std::unique_ptr<IHidHandle> OpenNode(const std::string& nodeId, bool forRead, bool forWrite,
                                         std::string& error) override;
    bool NodeExists(const std::string& nodeId) override;
    std::optional<std::string> NodeIdentity(const std::string& nodeId) override;
    uint64_t NodeListGeneration() const override;
    void SetArrivalHandler(ArrivalHandler handler) override;

    bool Connected() const;
    // Announcements refused because the bus already had kMaxNodes nodes.
    uint64_t RefusedNodes() const;
    // Takes bytes as received from the bus and handles every whole message in them.
    // False (and the connection counts as lost) when the stream is malformed.
    bool Receive(std::span<const uint8_t> bytes);

    // Sends one output report for a handle of connection `connection`; false when that
    // connection is gone.
    bool SendOutput(uint64_t connection, uint32_t handle, std::span<const uint8_t> report);
    // Several output reports for the handle as consecutive OUTPUT messages in one send.
    bool SendOutputs(uint64_t connection, uint32_t handle,
                     std::span<const std::span<const uint8_t>> reports);
    void CloseHandle(uint64_t connection, uint32_t handle);

  private:
    explicit VhidBackend(std::string socketPath);
    bool OpenSocket(std::string& error);
    void ReaderLoop();
    void ServeConnection(int fd);
    void Reconnect();
    void Dispatch(uint8_t type, std::span<const uint8_t> payload);
    void Announce(vhid::Reader& in);
    void EndHandlesOf(uint32_t node);
    void Disconnect();
    bool Send(std::span<const uint8_t> message);

    const std::string socketPath_;
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    std::thread reader_;
    std::mutex sendMutex_;  // guards fd_ and every write on it
    int fd_ = -1;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
    bool synced_ = false;
    uint64_t connection_ = 0;  // counts successful connections; handles belong to one
    uint64_t generation_ = 1;  // NodeListGeneration
    uint64_t announcements_ = 0;
    uint64_t refusedNodes_ = 0;
    bool refusalLogged_ = false;
    bool malformedLogged_ = false;
    vhid::FrameBuffer frames_;  // reader thread (or Receive's caller) only
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
