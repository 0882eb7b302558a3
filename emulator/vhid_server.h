#pragma once
// Serves the devices of an EmulatedBus on a Unix-domain socket with the vhid protocol.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "emulator/emulated_bus.h"
#include "platform/stop_event.h"

namespace emu {

class VhidServer {
  public:
    VhidServer(std::shared_ptr<EmulatedBus> bus, std::string socketPath);
    ~VhidServer();
    VhidServer(const VhidServer&) = delete;
    VhidServer& operator=(const VhidServer&) = delete;

    // Binds and listens (an old socket file at the path is replaced), then serves on a thread.
    bool Start(std::string& error);
    void Stop();

    struct Client;

  private:
    void Serve();
    void Accept();
    bool HandleMessage(const std::shared_ptr<Client>& client, uint8_t type,
                       std::span<const uint8_t> payload);
    void Broadcast(const hid::HidNodeInfo& node, bool added);

    std::shared_ptr<EmulatedBus> bus_;
    std::string socketPath_;
    int listenFd_ = -1;
    int listenerId_ = 0;
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    std::thread thread_;
    std::mutex clientsMutex_;
    std::map<int, std::shared_ptr<Client>> clients_;  // by fd
};

// The vhid node number of an emulator node id ("emu/5" -> 5).
uint32_t VhidNodeNumber(const std::string& emulatorNodeId);

}  // namespace emu
