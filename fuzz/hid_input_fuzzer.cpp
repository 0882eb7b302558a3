// Feeds arbitrary bytes to what the program reads from outside on the HID side: report
// descriptors (from sysfs or the virtual bus), opened as any interface is opened, the reports
// unpacked with them, and the virtual bus's message stream as the vhid backend handles it.
// Nothing may crash, read out of bounds or allocate without bound (scripts/fuzz.sh runs this
// target with a limit on every allocation and on the whole memory).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "hid/hid_connection.h"
#include "hid/report_descriptor.h"
#include "hid/report_unpack.h"
#include "hid/vhid_backend.h"
#include "hid/vhid_protocol.h"

namespace {

// One node with the fuzzed descriptor; reads hand out the fuzzed report.
class FuzzedNodeBackend final : public hid::IHidBackend {
  public:
    FuzzedNodeBackend(std::span<const uint8_t> descriptor, std::span<const uint8_t> report)
        : report_(report) {
        node_.nodeId = "fuzz/1";
        node_.vendorId = 0x320F;
        node_.productId = 0x5055;
        node_.interfaceNumber = 1;
        node_.reportDescriptor.assign(descriptor.begin(), descriptor.end());
    }
    std::string Name() const override { return "fuzz"; }
    bool ListNodes(std::vector<hid::HidNodeInfo>& nodes, std::string&) override {
        nodes = {node_};
        return true;
    }
    std::unique_ptr<hid::IHidHandle> OpenNode(const std::string&, bool, bool,
                                              std::string&) override {
        return std::make_unique<Handle>(node_);
    }
    bool NodeExists(const std::string& nodeId) override { return nodeId == node_.nodeId; }

  private:
    struct Handle final : hid::IHidHandle {
        explicit Handle(const hid::HidNodeInfo& info) : info(info) {}
        const hid::HidNodeInfo& info;
        const hid::HidNodeInfo& Info() const override { return info; }
        hid::IoStatus Read(std::span<uint8_t>, size_t& n, int, int) override {
            n = 0;
            return hid::IoStatus::Timeout;
        }
        hid::IoStatus Write(std::span<const uint8_t>, int, int) override {
            return hid::IoStatus::Ok;
        }
    };
    hid::HidNodeInfo node_;
    std::span<const uint8_t> report_;
};

void OpenEveryCollection(const std::shared_ptr<hid::IHidBackend>& backend,
                         std::span<const uint8_t> report) {
    CHidConnection connection(backend);
    if (!connection.Enumerate()) return;
    while (auto path = connection.NextPath()) {
        CHidConnection one(backend);
        if (!one.Open(*path, true, false, true, false)) continue;
        if (report.empty()) continue;
        for (const auto type :
             {hid::ReportType::Input, hid::ReportType::Output, hid::ReportType::Feature}) {
            auto& items = type == hid::ReportType::Input    ? one.InputItems()
                          : type == hid::ReportType::Output ? one.OutputItems()
                                                            : one.FeatureItems();
            (void)one.UnpackReport(report.data(), static_cast<uint32_t>(report.size()), type,
                                   items.data(), static_cast<uint32_t>(items.size()));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The backends log every refusal; millions of lines would only slow the search.
    setenv("QT_LOGGING_RULES", "skelmora.*=false", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);

    // The first half is a descriptor, the rest a report to unpack with every cap it yields.
    const size_t half = size / 2;
    const hid::ReportDescriptor descriptor = hid::ParseReportDescriptor(bytes.first(half));
    const auto report = bytes.subspan(half);
    if (descriptor.ok) {
        for (const auto& collection : descriptor.collections) {
            for (const auto type : {hid::ReportType::Input, hid::ReportType::Output,
                                    hid::ReportType::Feature}) {
                const auto& caps = collection.caps(type);
                (void)hid::GetUsages(caps, 0, report);
                (void)hid::MaxUsageListLength(caps, 0);
                for (const auto& cap : caps.valueCaps) {
                    (void)hid::GetUsageValue(cap, cap.usageMin, report);
                    (void)hid::GetScaledUsageValue(cap, cap.usageMin, report);
                }
            }
        }
    }
    // The same descriptor opened as the program opens an interface: every table it builds.
    OpenEveryCollection(std::make_shared<FuzzedNodeBackend>(bytes.first(half), report), report);

    // The whole input as the bus's stream, cut at an arbitrary point, handled by the vhid
    // backend as it handles a real bus; then what discovery does with the nodes it got.
    auto bus = hid::VhidBackend::Unconnected();
    if (bus->Receive(bytes.first(half))) bus->Receive(bytes.subspan(half));
    std::vector<hid::HidNodeInfo> nodes;
    std::string error;
    bus->ListNodes(nodes, error);
    for (const auto& node : nodes) (void)bus->NodeIdentity(node.nodeId);
    CHidConnection enumeration(bus);
    enumeration.Enumerate();
    return 0;
}
