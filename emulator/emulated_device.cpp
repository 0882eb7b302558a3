#include "emulator/emulated_device.h"

#include "emulator/device_catalog.h"
#include "emulator/emulated_headset.h"

namespace emu {
namespace {
constexpr size_t kMaxOtherOutputs = 4096;
}

EmulatedDevice::EmulatedDevice(std::string kind, std::vector<hid::HidNodeInfo> nodes,
                               std::shared_ptr<CommandFirmware> firmware, bool throughReceiver)
    : kind_(std::move(kind)),
      nodes_(std::move(nodes)),
      firmware_(std::move(firmware)),
      throughReceiver_(throughReceiver) {}

std::vector<Delivery> EmulatedDevice::HandleOutput(size_t nodeIndex,
                                                   std::span<const uint8_t> report) {
    if (report.empty()) return {};
    {
        std::lock_guard lock(observerMutex_);
        if (observer_) observer_(report);
    }
    if (report[0] == hid::kCommandReportId && report.size() >= hid::kReportSize) {
        std::vector<Delivery> out;
        for (const hid::Report& reply : firmware_->HandleRequest(report, throughReceiver_)) {
            out.push_back({nodeIndex, std::vector<uint8_t>(reply.begin(), reply.end())});
        }
        return out;
    }
    std::lock_guard lock(otherMutex_);
    if (otherOutputs_.size() >= kMaxOtherOutputs) {
        otherOutputs_.erase(otherOutputs_.begin(), otherOutputs_.begin() + kMaxOtherOutputs / 2);
    }
    otherOutputs_.emplace_back(report.begin(), report.end());
    return {};
}

void EmulatedDevice::SetOutputObserver(OutputObserver observer) {
    std::lock_guard lock(observerMutex_);
    observer_ = std::move(observer);
}

std::vector<std::vector<uint8_t>> EmulatedDevice::OtherOutputs() const {
    std::lock_guard lock(otherMutex_);
    return otherOutputs_;
}

std::vector<std::string> EmulatedKinds() {
    std::vector<std::string> kinds;
    for (const auto& entry : DeviceCatalog()) kinds.emplace_back(entry.kind);
    return kinds;
}

std::unique_ptr<EmulatedDevice> MakeEmulatedDevice(
    const std::string& kind, std::shared_ptr<CommandFirmware> sharedFirmware) {
    for (const auto& entry : DeviceCatalog()) {
        if (kind != entry.kind) continue;
        auto firmware = entry.sharesFirmwareWith && sharedFirmware
                            ? std::move(sharedFirmware)
                            : std::make_shared<CommandFirmware>(entry.makeLayout());
        const bool throughReceiver = entry.sharesFirmwareWith != nullptr;
        if (entry.model == DeviceModel::Headset) {
            return std::make_unique<EmulatedHeadset>(entry.kind, entry.makeNodes(),
                                                     std::move(firmware), throughReceiver);
        }
        return std::make_unique<EmulatedDevice>(entry.kind, entry.makeNodes(), std::move(firmware),
                                                throughReceiver);
    }
    return nullptr;
}

std::string FirmwareOwnerOf(const std::string& kind) {
    for (const auto& entry : DeviceCatalog()) {
        if (kind == entry.kind && entry.sharesFirmwareWith) return entry.sharesFirmwareWith;
    }
    return {};
}

}  // namespace emu
