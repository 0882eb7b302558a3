#pragma once
// An emulated USB device: its HID nodes (one per USB interface, with the report
// descriptor the host sees) and the firmware that answers its output reports.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "emulator/command_firmware.h"
#include "hid/hid_backend.h"

namespace emu {

// An input report the device sends on one of its nodes.
struct Delivery {
    size_t nodeIndex = 0;
    std::vector<uint8_t> report;
};

class EmulatedDevice {
  public:
    EmulatedDevice(std::string kind, std::vector<hid::HidNodeInfo> nodes,
                   std::shared_ptr<CommandFirmware> firmware, bool throughReceiver = false);
    virtual ~EmulatedDevice() = default;

    const std::string& Kind() const { return kind_; }
    // A receiver reaches another kind's firmware over the air (the link may be off).
    bool IsReceiver() const { return throughReceiver_; }
    // The nodes as announced; nodeId is left empty, the bus gives each plug its own ids.
    const std::vector<hid::HidNodeInfo>& Nodes() const { return nodes_; }
    CommandFirmware& Firmware() { return *firmware_; }
    const std::shared_ptr<CommandFirmware>& SharedFirmware() const { return firmware_; }

    // Handles one output report written on a node and returns the input reports it causes.
    virtual std::vector<Delivery> HandleOutput(size_t nodeIndex, std::span<const uint8_t> report);

    // Output reports that are not vendor commands (LED reports and the like), newest last.
    std::vector<std::vector<uint8_t>> OtherOutputs() const;

    // Called with every output report the device receives, before it is handled; an empty
    // observer stops the calls. Once this returns, the previous observer is no longer called.
    using OutputObserver = std::function<void(std::span<const uint8_t> report)>;
    void SetOutputObserver(OutputObserver observer);

  private:
    std::string kind_;
    std::vector<hid::HidNodeInfo> nodes_;
    std::shared_ptr<CommandFirmware> firmware_;
    bool throughReceiver_ = false;
    std::mutex observerMutex_;
    OutputObserver observer_;
    mutable std::mutex otherMutex_;
    std::vector<std::vector<uint8_t>> otherOutputs_;
};

// The kinds the emulator can build ("keyboard", "headset").
std::vector<std::string> EmulatedKinds();
// A new device of that kind, or nullptr for an unknown kind. A kind that shares another's
// firmware (a receiver and its mouse) gets sharedFirmware when it is given.
std::unique_ptr<EmulatedDevice> MakeEmulatedDevice(
    const std::string& kind, std::shared_ptr<CommandFirmware> sharedFirmware = nullptr);
// The kind whose firmware this kind shares, or empty.
std::string FirmwareOwnerOf(const std::string& kind);

}  // namespace emu
