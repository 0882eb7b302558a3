#include "emulator/emulated_bus.h"

#include <algorithm>

#include "hid/report_queue.h"
#include "platform/log_categories.h"

namespace emu {

struct EmulatedBus::HandleState {
    std::string nodeId;
    hid::HidNodeInfo info;
    hid::ReportQueue queue;
    InputSink sink;
};

namespace {

class EmulatedHandle final : public hid::IHidHandle {
  public:
    EmulatedHandle(std::weak_ptr<EmulatedBus> bus, std::shared_ptr<EmulatedBus::HandleState> state)
        : bus_(std::move(bus)), state_(std::move(state)) {}
    ~EmulatedHandle() override { state_->queue.MarkGone(); }

    const hid::HidNodeInfo& Info() const override { return state_->info; }

    hid::IoStatus Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs,
                       int stopFd) override {
        return state_->queue.Read(buffer, transferred, timeoutMs, stopFd);
    }

    hid::IoStatus Write(std::span<const uint8_t> report, int, int) override {
        auto bus = bus_.lock();
        if (!bus || state_->queue.IsGone()) return hid::IoStatus::Disconnected;
        return bus->WriteFromHandle(state_, report);
    }

  private:
    std::weak_ptr<EmulatedBus> bus_;
    std::shared_ptr<EmulatedBus::HandleState> state_;
};

}  // namespace

std::shared_ptr<EmulatedBus> EmulatedBus::Create(std::chrono::microseconds latency) {
    return std::shared_ptr<EmulatedBus>(new EmulatedBus(latency));
}

EmulatedBus::EmulatedBus(std::chrono::microseconds latency) : latencyUs_(latency.count()) {
    deliveryThread_ = std::thread([this] { DeliveryLoop(); });
}

EmulatedBus::~EmulatedBus() {
    {
        std::lock_guard lock(deliveryMutex_);
        stopping_ = true;
    }
    deliveryWake_.notify_all();
    deliveryThread_.join();
    std::lock_guard lock(mutex_);
    for (auto& [node, states] : handles_) {
        for (auto& weak : states) {
            if (auto state = weak.lock()) state->queue.MarkGone();
        }
    }
}

void EmulatedBus::SetLatency(std::chrono::microseconds latency) { latencyUs_ = latency.count(); }

bool EmulatedBus::Plug(const std::string& kind, std::string& error) {
    std::vector<hid::HidNodeInfo> announced;
    {
        std::lock_guard lock(mutex_);
        auto& slot = devices_[kind];
        if (!slot.device) {
            // A receiver talks to the same mouse: make (unplugged) or reuse the owner's firmware.
            std::shared_ptr<CommandFirmware> shared;
            if (const std::string owner = FirmwareOwnerOf(kind); !owner.empty()) {
                auto& ownerSlot = devices_[owner];
                if (!ownerSlot.device) ownerSlot.device = MakeEmulatedDevice(owner);
                shared = ownerSlot.device->SharedFirmware();
            }
            slot.device = MakeEmulatedDevice(kind, shared);
            if (!slot.device) {
                devices_.erase(kind);
                error = "unknown device kind '" + kind + "'";
                return false;
            }
        }
        if (!slot.nodeIds.empty()) {
            error = kind + " is already plugged";
            return false;
        }
        for (hid::HidNodeInfo node : slot.device->Nodes()) {
            node.nodeId = "emu/" + std::to_string(nextNode_++);
            slot.nodeIds.push_back(node.nodeId);
            announced.push_back(std::move(node));
        }
    }
    qCDebug(lcEmu) << "plugged" << kind.c_str();
    Notify(announced, true);
    {
        std::lock_guard lock(arrivalMutex_);
        if (arrival_) arrival_();
    }
    return true;
}

bool EmulatedBus::Unplug(const std::string& kind, std::string& error) {
    std::vector<hid::HidNodeInfo> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = devices_.find(kind);
        if (it == devices_.end() || it->second.nodeIds.empty()) {
            error = kind + " is not plugged";
            return false;
        }
        const auto& nodes = it->second.device->Nodes();
        for (size_t i = 0; i < it->second.nodeIds.size(); ++i) {
            const std::string& id = it->second.nodeIds[i];
            for (auto& weak : handles_[id]) {
                if (auto state = weak.lock()) state->queue.MarkGone();
            }
            handles_.erase(id);
            hid::HidNodeInfo node = nodes[i];
            node.nodeId = id;
            removed.push_back(std::move(node));
        }
        it->second.nodeIds.clear();
    }
    qCDebug(lcEmu) << "unplugged" << kind.c_str();
    Notify(removed, false);
    return true;
}

bool EmulatedBus::IsPlugged(const std::string& kind) const {
    std::lock_guard lock(mutex_);
    auto it = devices_.find(kind);
    return it != devices_.end() && !it->second.nodeIds.empty();
}

EmulatedDevice* EmulatedBus::Device(const std::string& kind) {
    std::lock_guard lock(mutex_);
    auto it = devices_.find(kind);
    return it == devices_.end() ? nullptr : it->second.device.get();
}

bool EmulatedBus::InjectInput(const std::string& kind, size_t nodeIndex,
                              std::span<const uint8_t> report) {
    std::string nodeId;
    {
        std::lock_guard lock(mutex_);
        auto it = devices_.find(kind);
        if (it == devices_.end() || nodeIndex >= it->second.nodeIds.size()) return false;
        nodeId = it->second.nodeIds[nodeIndex];
    }
    Schedule(nodeId, {report.begin(), report.end()});
    return true;
}

int EmulatedBus::AddNodeListener(NodeListener listener) {
    std::lock_guard lock(mutex_);
    listeners_[nextListener_] = std::move(listener);
    return nextListener_++;
}

void EmulatedBus::RemoveNodeListener(int id) {
    std::lock_guard lock(mutex_);
    listeners_.erase(id);
}

void EmulatedBus::Notify(const std::vector<hid::HidNodeInfo>& nodes, bool added) {
    std::vector<NodeListener> listeners;
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, listener] : listeners_) listeners.push_back(listener);
    }
    for (const auto& node : nodes) {
        for (auto& listener : listeners) listener(node, added);
    }
}

bool EmulatedBus::ListNodes(std::vector<hid::HidNodeInfo>& nodes, std::string&) {
    nodes.clear();
    std::lock_guard lock(mutex_);
    for (const auto& [kind, plugged] : devices_) {
        const auto& templates = plugged.device->Nodes();
        for (size_t i = 0; i < plugged.nodeIds.size(); ++i) {
            hid::HidNodeInfo node = templates[i];
            node.nodeId = plugged.nodeIds[i];
            nodes.push_back(std::move(node));
        }
    }
    // In plug order, as a bus numbers its nodes.
    std::sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) {
        return std::stoull(a.nodeId.substr(4)) < std::stoull(b.nodeId.substr(4));
    });
    return true;
}

bool EmulatedBus::FindNode(const std::string& nodeId, EmulatedDevice*& device, size_t& index) {
    for (auto& [kind, plugged] : devices_) {
        auto it = std::find(plugged.nodeIds.begin(), plugged.nodeIds.end(), nodeId);
        if (it != plugged.nodeIds.end()) {
            device = plugged.device.get();
            index = static_cast<size_t>(it - plugged.nodeIds.begin());
            return true;
        }
    }
    return false;
}

std::unique_ptr<hid::IHidHandle> EmulatedBus::Open(const std::string& nodeId, InputSink sink,
                                                   std::string& error) {
    std::lock_guard lock(mutex_);
    EmulatedDevice* device = nullptr;
    size_t index = 0;
    if (!FindNode(nodeId, device, index)) {
        error = nodeId + " is not present";
        return nullptr;
    }
    auto state = std::make_shared<HandleState>();
    state->nodeId = nodeId;
    state->info = device->Nodes()[index];
    state->info.nodeId = nodeId;
    state->sink = std::move(sink);
    auto& list = handles_[nodeId];
    std::erase_if(list, [](const auto& weak) { return weak.expired(); });
    list.push_back(state);
    return std::make_unique<EmulatedHandle>(weak_from_this(), std::move(state));
}

std::unique_ptr<hid::IHidHandle> EmulatedBus::OpenNode(const std::string& nodeId, bool, bool,
                                                       std::string& error) {
    return Open(nodeId, nullptr, error);
}

std::unique_ptr<hid::IHidHandle> EmulatedBus::OpenNodeWithSink(const std::string& nodeId,
                                                               InputSink sink, std::string& error) {
    return Open(nodeId, std::move(sink), error);
}

void EmulatedBus::SetArrivalHandler(ArrivalHandler handler) {
    std::lock_guard lock(arrivalMutex_);
    arrival_ = std::move(handler);
}

bool EmulatedBus::NodeExists(const std::string& nodeId) {
    std::lock_guard lock(mutex_);
    EmulatedDevice* device = nullptr;
    size_t index = 0;
    return FindNode(nodeId, device, index);
}

hid::IoStatus EmulatedBus::WriteFromHandle(const std::shared_ptr<HandleState>& state,
                                           std::span<const uint8_t> report) {
    EmulatedDevice* device = nullptr;
    size_t index = 0;
    {
        std::lock_guard lock(mutex_);
        if (!FindNode(state->nodeId, device, index)) return hid::IoStatus::Disconnected;
    }
    // Devices live as long as the bus, so the firmware runs outside the bus's lock.
    for (Delivery& delivery : device->HandleOutput(index, report)) {
        Schedule(state->nodeId, std::move(delivery.report));
    }
    return hid::IoStatus::Ok;
}

void EmulatedBus::Schedule(const std::string& nodeId, std::vector<uint8_t> report) {
    const auto latency = std::chrono::microseconds(latencyUs_.load());
    if (latency.count() <= 0) {
        Deliver(nodeId, report);
        return;
    }
    {
        std::lock_guard lock(deliveryMutex_);
        pending_.push(
            {std::chrono::steady_clock::now() + latency, sequence_++, nodeId, std::move(report)});
    }
    deliveryWake_.notify_one();
}

void EmulatedBus::Deliver(const std::string& nodeId, std::span<const uint8_t> report) {
    std::vector<std::shared_ptr<HandleState>> targets;
    {
        std::lock_guard lock(mutex_);
        auto it = handles_.find(nodeId);
        if (it == handles_.end()) return;
        for (auto& weak : it->second) {
            if (auto state = weak.lock()) targets.push_back(std::move(state));
        }
    }
    for (auto& state : targets) {
        if (state->sink) {
            state->sink(report);
        } else {
            state->queue.Push(report);
        }
    }
}

void EmulatedBus::DeliveryLoop() {
    std::unique_lock lock(deliveryMutex_);
    for (;;) {
        if (stopping_) return;
        if (pending_.empty()) {
            deliveryWake_.wait(lock);
            continue;
        }
        const auto due = pending_.top().due;
        if (std::chrono::steady_clock::now() < due) {
            deliveryWake_.wait_until(lock, due);
            continue;
        }
        Pending next = pending_.top();
        pending_.pop();
        lock.unlock();
        Deliver(next.nodeId, next.report);
        lock.lock();
    }
}

}  // namespace emu
