#pragma once
// One opened HID interface (one top-level collection of a device node) with time-limited,
// stoppable report I/O, plus the enumeration of every present interface and the parsers
// of the interface path markers.
//
// A path names one top-level collection: the node id, then "#", then the markers
// "vid_XXXX&pid_XXXX", "&mi_XX" when the node is a USB interface, and "&colXX" when the
// node has more than one top-level collection (numbered from 1 in descriptor order):
//     /dev/hidraw3#vid_320f&pid_5055&mi_01&col04
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/hid_types.h"
#include "platform/stop_event.h"

namespace hid {
struct CapabilityTables;
}

class CHidConnection {
  public:
    static constexpr int kInfinite = -1;

    explicit CHidConnection(std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CHidConnection();
    CHidConnection(const CHidConnection&) = delete;
    CHidConnection& operator=(const CHidConnection&) = delete;

    void SetBackend(std::shared_ptr<hid::IHidBackend> backend);
    const std::shared_ptr<hid::IHidBackend>& Backend() const { return backend_; }

    bool Enumerate();
    std::optional<std::string> NextPath();
    void ReleasePaths();
    int PathCount() const { return pathCount_; }

    bool Open(const std::string& path, bool forRead, bool forWrite, bool overlapped,
              bool exclusive);
    void Close();
    bool IsOpen() const;

    bool Read(uint8_t* buffer, uint32_t length, uint32_t* transferred, int timeoutMs);
    bool Write(const uint8_t* buffer, uint32_t length, uint32_t* transferred, int timeoutMs);
    // One output report as a set-report request on the control pipe (IHidHandle).
    bool SetOutputReport(const uint8_t* buffer, uint32_t length, int timeoutMs);
    // Several output reports in order (IHidHandle::SetOutputReports); false at the first that
    // fails.
    bool SetOutputReports(std::span<const std::span<const uint8_t>> reports, int timeoutMs);

    bool UnpackReport(const uint8_t* report, uint32_t length, hid::ReportType reportType,
                      HidReportItem* items, uint32_t itemCount);

    // Wakes a waiting Read or Write on another thread (it returns false).
    void SignalStop();

    uint16_t VendorId() const { return attributes_.vendorId; }
    uint16_t ProductId() const { return attributes_.productId; }
    uint16_t VersionNumber() const { return attributes_.versionNumber; }
    uint16_t UsagePage() const { return caps_.usagePage; }
    uint16_t Usage() const { return caps_.usage; }
    uint16_t InputReportByteLength() const { return caps_.inputReportByteLength; }
    const HidCaps& Capabilities() const { return caps_; }
    const HidAttributes& Attributes() const { return attributes_; }
    const std::string& Path() const { return path_; }
    // The identity of the opened node's device (HidNodeInfo::identity).
    const std::string& NodeIdentity() const { return nodeIdentity_; }
    // The opened device's USB bus and device numbers (HidNodeInfo), 0 when unknown.
    int UsbBus() const { return usbBus_; }
    int UsbDevice() const { return usbDevice_; }
    int InterfaceNumber() const { return interfaceNumber_; }
    int CollectionNumber() const { return collectionNumber_; }
    std::vector<uint8_t>& InputReportBuffer() { return inputReport_; }
    std::vector<HidReportItem>& InputItems() { return inputItems_; }
    uint32_t InputItemCount() const { return static_cast<uint32_t>(inputItems_.size()); }
    std::vector<HidReportItem>& OutputItems() { return outputItems_; }
    std::vector<HidReportItem>& FeatureItems() { return featureItems_; }
    // Why the last Open or Enumerate failed, for the user or the log.
    const std::string& LastError() const { return lastError_; }

  private:
    bool FillCapabilities(const hid::HidNodeInfo& info);
    void FreeCapabilities();
    void ReportGone(hid::IHidHandle& handle, hid::IoStatus status);
    std::shared_ptr<hid::IHidHandle> CurrentHandle() const;
    bool DeliversReport(uint8_t reportId) const;

    std::shared_ptr<hid::IHidBackend> backend_;
    std::vector<std::string> paths_;
    // The paths of each node seen by the last Enumerate, so that a node whose descriptor
    // has not changed is not parsed again (and a refused one is not logged again).
    struct ParsedNode {
        std::string identity;
        std::string markers;  // vendor, product and interface as the paths carry them
        std::vector<uint8_t> descriptor;
        std::vector<std::string> paths;
    };
    std::map<std::string, ParsedNode> parsedNodes_;
    int pathCount_ = 0;
    uint32_t pathCursor_ = 0;
    bool openForRead_ = false;
    bool openForWrite_ = false;
    bool overlapped_ = false;
    bool exclusive_ = false;

    mutable std::mutex handleMutex_;  // guards handle_ against Close during a Read
    std::shared_ptr<hid::IHidHandle> handle_;
    std::string path_;
    std::unique_ptr<hid::CapabilityTables> tables_;
    HidCaps caps_{};
    HidAttributes attributes_{};
    std::vector<uint8_t> inputReport_, outputReport_, featureReport_;
    std::vector<HidReportItem> inputItems_, outputItems_, featureItems_;
    std::vector<uint8_t> collectionReportIds_;  // empty: every report belongs to it
    int interfaceNumber_ = 0;
    int collectionNumber_ = 0;
    std::string nodeIdentity_;
    int usbBus_ = 0;
    int usbDevice_ = 0;

    platform::StopEvent readStop_;
    platform::StopEvent writeStop_;
    std::atomic<bool> reading_{false};
    std::atomic<bool> writing_{false};
    std::string lastError_;
};

// Path marker parsers: the hexadecimal number after the first (case-insensitive)
// occurrence of the marker, cut to 16 bits; 0 when the marker is absent.
uint16_t ParseVendorId(const std::string& path);
uint16_t ParseProductId(const std::string& path);
uint16_t ParseInterfaceNumber(const std::string& path);
uint16_t ParseCollectionNumber(const std::string& path);

namespace hid {
// The path of one collection of a node (see the top of this file).
std::string MakeInterfacePath(const HidNodeInfo& node, int collectionNumber, int collectionCount);
// The node id part of a path.
std::string NodeIdOfPath(const std::string& path);
}  // namespace hid
