#pragma once
// Real devices through Linux hidraw: nodes are /dev/hidrawN, described by sysfs.
#include <sys/stat.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "hid/hid_backend.h"
#include "platform/stop_event.h"

namespace hid {

class HidrawBackend final : public IHidBackend {
  public:
    // sysRoot and devRoot are "/sys/class/hidraw" and "/dev" except in tests.
    explicit HidrawBackend(std::string sysRoot = "/sys/class/hidraw", std::string devRoot = "/dev");
    ~HidrawBackend() override;

    std::string Name() const override { return "hidraw"; }
    bool ListNodes(std::vector<HidNodeInfo>& nodes, std::string& error) override;
    std::unique_ptr<IHidHandle> OpenNode(const std::string& nodeId, bool forRead, bool forWrite,
                                         std::string& error) override;
    bool NodeExists(const std::string& nodeId) override;
    // The HID device's sysfs path, the node's device number and its change time: a device
    // plugged again gets another HID device in sysfs even where it gets the same node.
    std::optional<std::string> NodeIdentity(const std::string& nodeId) override;
    void NodeGone(const HidNodeInfo& node) override;
    // Watches the device folder (inotify) for hidraw nodes being created or given access.
    void SetArrivalHandler(ArrivalHandler handler) override;

    // Fills info from the sysfs folder of one hidraw node. False when it is unreadable.
    static bool ReadNodeInfo(const std::string& sysNodeDir, HidNodeInfo& info);

  private:
    void WatchLoop(int inotifyFd);
    std::string SysNodeDir(const std::string& nodeId) const;
    // The identity from the sysfs entry and the node's stat data; nullopt when either is gone.
    static std::optional<std::string> IdentityOf(const std::string& sysNodeDir,
                                                 const struct ::stat& node);
    void CallArrival();

    std::mutex goneMutex_;
    std::deque<std::string> gone_;  // identities of nodes found gone, newest last

    std::string sysRoot_;
    std::string devRoot_;
    std::mutex arrivalMutex_;
    ArrivalHandler arrival_;
    platform::StopEvent stopWatch_{platform::StopEvent::Mode::ManualReset};
    std::thread watch_;
};

// The text shown when a hidraw node may not be opened for lack of permission.
std::string HidrawPermissionHint(const std::string& devicePath);

// Whether a report descriptor declares report ids (its reports then begin with the id byte).
bool DescriptorUsesReportIds(std::span<const uint8_t> descriptor);

}  // namespace hid
