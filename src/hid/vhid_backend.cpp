#include "hid/vhid_backend.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "hid/vhid_protocol.h"
#include "platform/log_categories.h"

namespace hid {
namespace {

constexpr const char* kNodePrefix = "vhid/";

std::optional<uint32_t> NodeNumber(const std::string& nodeId) {
    if (nodeId.rfind(kNodePrefix, 0) != 0) return std::nullopt;
    const std::string digits = nodeId.substr(std::strlen(kNodePrefix));
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(digits));
}

class VhidHandle final : public IHidHandle {
  public:
    VhidHandle(std::shared_ptr<VhidBackend> bus, uint32_t handle, HidNodeInfo info,
               std::shared_ptr<ReportQueue> queue)
        : bus_(std::move(bus)), handle_(handle), info_(std::move(info)), queue_(std::move(queue)) {}
    ~VhidHandle() override { bus_->CloseHandle(handle_); }

    const HidNodeInfo& Info() const override { return info_; }
    IoStatus Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs,
                  int stopFd) override {
        return queue_->Read(buffer, transferred, timeoutMs, stopFd);
    }
    IoStatus Write(std::span<const uint8_t> report, int, int) override {
        if (queue_->IsGone()) return IoStatus::Disconnected;
        return bus_->SendOutput(handle_, report) ? IoStatus::Ok : IoStatus::Disconnected;
    }

  private:
    std::shared_ptr<VhidBackend> bus_;
    uint32_t handle_;
    HidNodeInfo info_;
    std::shared_ptr<ReportQueue> queue_;
};

}  // namespace

std::shared_ptr<VhidBackend> VhidBackend::Connect(const std::string& socketPath, std::string& error,
                                                  int timeoutMs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        error = "socket path too long: " + socketPath;
        return nullptr;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return nullptr;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error =
            "cannot connect to the virtual HID bus at " + socketPath + ": " + std::strerror(errno);
        close(fd);
        return nullptr;
    }
    std::shared_ptr<VhidBackend> bus(new VhidBackend(fd));
    bus->reader_ = std::thread([raw = bus.get()] { raw->ReaderLoop(); });
    {
        std::lock_guard lock(bus->sendMutex_);
        vhid::SendAll(fd, vhid::Writer(vhid::kHello).U16(vhid::kProtocolVersion).Finish());
    }
    std::unique_lock lock(bus->mutex_);
    if (!bus->changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return bus->synced_ || !bus->connected_; }) ||
        !bus->synced_) {
        error = "the virtual HID bus at " + socketPath + " did not answer";
        return nullptr;
    }
    return bus;
}

VhidBackend::VhidBackend(int fd) : fd_(fd) {}

VhidBackend::~VhidBackend() {
    stop_.Set();
    if (reader_.joinable()) reader_.join();
    close(fd_);
}

bool VhidBackend::Connected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

void VhidBackend::ReaderLoop() {
    vhid::FrameBuffer frames;
    uint8_t buffer[65536];
    for (;;) {
        pollfd fds[2] = {{stop_.Fd(), POLLIN, 0}, {fd_, POLLIN, 0}};
        int r = poll(fds, 2, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || (fds[0].revents & POLLIN)) break;
        ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        frames.Append({buffer, static_cast<size_t>(n)});
        while (auto message = frames.Next()) Dispatch(message->type, message->payload);
        if (frames.Invalid()) {
            qCWarning(lcHid) << "the virtual HID bus sent a malformed message; disconnecting";
            break;
        }
    }
    Disconnect();
}

void VhidBackend::Disconnect() {
    std::lock_guard lock(mutex_);
    connected_ = false;
    for (auto& [id, handle] : handles_) handle.queue->MarkGone();
    handles_.clear();
    nodes_.clear();
    for (auto& [id, open] : opens_) {
        open.done = true;
        open.error = "the virtual HID bus went away";
    }
    changed_.notify_all();
}

void VhidBackend::Dispatch(uint8_t type, std::span<const uint8_t> payload) {
    vhid::Reader in(payload);
    std::lock_guard lock(mutex_);
    switch (type) {
        case vhid::kHello:
            break;
        case vhid::kSynced:
            synced_ = true;
            changed_.notify_all();
            break;
        case vhid::kAnnounce: {
            const uint32_t node = in.U32();
            HidNodeInfo info;
            info.nodeId = kNodePrefix + std::to_string(node);
            info.vendorId = in.U16();
            info.productId = in.U16();
            info.version = in.U16();
            info.interfaceNumber = static_cast<int16_t>(in.U16());
            info.product = in.Str();
            info.reportDescriptor = in.Blob();
            if (in.Failed()) {
                qCWarning(lcHid) << "malformed node announcement ignored";
                break;
            }
            nodes_[node] = std::move(info);
            if (arrival_) arrival_();
            break;
        }
        case vhid::kRemove: {
            const uint32_t node = in.U32();
            if (in.Failed()) break;
            nodes_.erase(node);
            for (auto it = handles_.begin(); it != handles_.end();) {
                if (it->second.node == node) {
                    it->second.queue->MarkGone();
                    it = handles_.erase(it);
                } else {
                    ++it;
                }
            }
            break;
        }
        case vhid::kOpened: {
            const uint32_t request = in.U32();
            const uint32_t handle = in.U32();
            std::string error = in.Str();
            auto it = opens_.find(request);
            if (in.Failed() || it == opens_.end()) break;
            it->second.done = true;
            it->second.handle = handle;
            it->second.error = handle == 0 ? (error.empty() ? "open refused" : error) : "";
            changed_.notify_all();
            break;
        }
        case vhid::kInput: {
            const uint32_t handle = in.U32();
            const auto report = in.Rest();
            auto it = handles_.find(handle);
            if (!in.Failed() && it != handles_.end() && !report.empty()) {
                it->second.queue->Push(report);
            }
            break;
        }
        default:
            qCDebug(lcHid) << "unknown virtual HID bus message" << type << "ignored";
            break;
    }
}

bool VhidBackend::ListNodes(std::vector<HidNodeInfo>& nodes, std::string& error) {
    std::lock_guard lock(mutex_);
    nodes.clear();
    if (!connected_) {
        error = "the virtual HID bus went away";
        return true;  // a bus that went away has no devices; enumeration itself works
    }
    for (const auto& [number, info] : nodes_) nodes.push_back(info);
    return true;
}

void VhidBackend::SetArrivalHandler(ArrivalHandler handler) {
    std::lock_guard lock(mutex_);
    arrival_ = std::move(handler);
}

bool VhidBackend::NodeExists(const std::string& nodeId) {
    auto number = NodeNumber(nodeId);
    std::lock_guard lock(mutex_);
    return number && nodes_.count(*number) > 0;
}

std::unique_ptr<IHidHandle> VhidBackend::OpenNode(const std::string& nodeId, bool, bool,
                                                  std::string& error) {
    const auto number = NodeNumber(nodeId);
    uint32_t request = 0;
    HidNodeInfo info;
    {
        std::lock_guard lock(mutex_);
        if (!number || !nodes_.count(*number)) {
            error = nodeId + " is not present on the virtual HID bus";
            return nullptr;
        }
        info = nodes_[*number];
        request = nextRequest_++;
        opens_[request] = {};
    }
    {
        std::lock_guard lock(sendMutex_);
        if (!vhid::SendAll(fd_, vhid::Writer(vhid::kOpen).U32(request).U32(*number).Finish())) {
            std::lock_guard state(mutex_);
            opens_.erase(request);
            error = "the virtual HID bus went away";
            return nullptr;
        }
    }
    std::unique_lock lock(mutex_);
    const bool answered =
        changed_.wait_for(lock, std::chrono::seconds(2), [&] { return opens_[request].done; });
    PendingOpen result = opens_[request];
    opens_.erase(request);
    if (!answered || result.handle == 0) {
        error = answered ? result.error : "the virtual HID bus did not answer the open";
        return nullptr;
    }
    auto queue = std::make_shared<ReportQueue>();
    if (!nodes_.count(*number)) queue->MarkGone();  // unplugged while opening
    handles_[result.handle] = {*number, queue};
    lock.unlock();
    return std::make_unique<VhidHandle>(shared_from_this(), result.handle, std::move(info), queue);
}

bool VhidBackend::SendOutput(uint32_t handle, std::span<const uint8_t> report) {
    const auto message = vhid::Writer(vhid::kOutput).U32(handle).Rest(report).Finish();
    std::lock_guard lock(sendMutex_);
    return vhid::SendAll(fd_, message);
}

void VhidBackend::CloseHandle(uint32_t handle) {
    {
        std::lock_guard lock(mutex_);
        handles_.erase(handle);
    }
    std::lock_guard lock(sendMutex_);
    vhid::SendAll(fd_, vhid::Writer(vhid::kClose).U32(handle).Finish());
}

}  // namespace hid
