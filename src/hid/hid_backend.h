#pragma once
// The seam between CHidConnection and the operating system. A backend lists HID device
// nodes (one per USB HID interface, each with its report descriptor) and opens them.
// Three backends exist: hidraw (real devices), vhid (the virtual bus over a Unix socket)
// and the in-process emulator used by unit tests and --emulate.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hid {

struct HidNodeInfo {
    std::string nodeId;  // backend-specific: "/dev/hidraw3", "vhid/7", "emu/2"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    int interfaceNumber = -1;  // USB interface number; -1 when the bus has none
    std::string product;
    std::vector<uint8_t> reportDescriptor;
    // What makes this node the same device from one look to the next. A node id can be
    // given again to another device (the kernel reuses /dev/hidrawN at once after an
    // unplug; a bus may announce a number again), so discovery compares this too. Empty
    // where the node id alone says it (a bus that never reuses its numbers).
    std::string identity;
    // Where the device sits on the USB bus: its bus and device numbers (busnum and devnum in
    // sysfs), 0 when unknown or not on USB. The sound card of a USB headset carries the same
    // pair, so the two can be matched.
    int usbBus = 0;
    int usbDevice = 0;
};

enum class IoStatus {
    Ok,
    Timeout,
    Stopped,       // the stop fd became readable
    Disconnected,  // the device went away
    Error,
};

const char* IoStatusName(IoStatus status);

// One open device node. Read and Write may run at the same time on two threads.
// Reports carry the report id in their first byte, 0 when the device uses none.
class IHidHandle {
  public:
    virtual ~IHidHandle() = default;
    virtual const HidNodeInfo& Info() const = 0;
    // Waits for one input report up to timeoutMs (negative: forever) or until stopFd
    // is readable (the caller consumes it). Copies at most buffer.size() bytes.
    virtual IoStatus Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs,
                          int stopFd) = 0;
    virtual IoStatus Write(std::span<const uint8_t> report, int timeoutMs, int stopFd) = 0;
    // Sends one output report as a set-report request on the control pipe, as devices expect
    // that take some output reports only that way (the headset's LED reports). A bus without
    // a control pipe of its own delivers it as Write does.
    virtual IoStatus SetOutputReport(std::span<const uint8_t> report, int timeoutMs, int stopFd) {
        return Write(report, timeoutMs, stopFd);
    }
    // Several output reports sent as SetOutputReport sends them, in order, stopping at the
    // first that fails (the status of that one). A bus that carries messages on one stream
    // hands them over in one piece: the same messages in the same order, one system call.
    virtual IoStatus SetOutputReports(std::span<const std::span<const uint8_t>> reports,
                                      int timeoutMs, int stopFd) {
        for (const std::span<const uint8_t> report : reports) {
            const IoStatus status = SetOutputReport(report, timeoutMs, stopFd);
            if (status != IoStatus::Ok) return status;
        }
        return IoStatus::Ok;
    }
};

class IHidBackend {
  public:
    virtual ~IHidBackend() = default;
    virtual std::string Name() const = 0;
    // Lists the present nodes. False (with a reason) when the listing itself failed.
    virtual bool ListNodes(std::vector<HidNodeInfo>& nodes, std::string& error) = 0;
    // Opens a node; nullptr with a reason on failure.
    virtual std::unique_ptr<IHidHandle> OpenNode(const std::string& nodeId, bool forRead,
                                                 bool forWrite, std::string& error) = 0;
    // Whether the node is still present (the discovery thread's probe).
    virtual bool NodeExists(const std::string& nodeId) = 0;
    // The identity of the device now at nodeId (see HidNodeInfo::identity), nullopt when
    // none is there. A device whose identity changed is another device: discovery reports
    // the old one lost and finds the new one.
    virtual std::optional<std::string> NodeIdentity(const std::string& nodeId) {
        return NodeExists(nodeId) ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    // A handle on this node found its device gone (a read or write failed with ENODEV):
    // the node counts as absent from now on, even before the system removes it.
    virtual void NodeGone(const HidNodeInfo& node) { (void)node; }
    // A number that changes whenever the list of nodes changes, so that a caller can skip
    // listing them again when nothing changed; 0 when the backend cannot tell.
    virtual uint64_t NodeListGeneration() const { return 0; }

    // Called, on any thread, when a node may have appeared (or was found gone), so that
    // discovery can look at once instead of at its next pass. Setting an empty handler stops the
    // calls: once it returns, the old handler is not called any more. Backends that cannot tell
    // ignore it.
    using ArrivalHandler = std::function<void()>;
    virtual void SetArrivalHandler(ArrivalHandler handler) { (void)handler; }
};

}  // namespace hid
