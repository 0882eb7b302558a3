#include "hid/vhid_backend.h"

#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/log_categories.h"

namespace hid {
namespace {

constexpr const char* kNodePrefix = "vhid/";
constexpr const char* kGone = "the virtual HID bus went away";

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
    VhidHandle(std::shared_ptr<VhidBackend> bus, uint64_t connection, uint32_t handle,
               HidNodeInfo info, std::shared_ptr<ReportQueue> queue)
        : bus_(std::move(bus)),
          connection_(connection),
          handle_(handle),
          info_(std::move(info)),
          queue_(std::move(queue)) {}
    ~VhidHandle() override { bus_->CloseHandle(connection_, handle_); }

    const HidNodeInfo& Info() const override { return info_; }
    IoStatus Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs,
                  int stopFd) override {
        return queue_->Read(buffer, transferred, timeoutMs, stopFd);
    }
    IoStatus Write(std::span<const uint8_t> report, int, int) override {
        if (queue_->IsGone()) return IoStatus::Disconnected;
        return bus_->SendOutput(connection_, handle_, report) ? IoStatus::Ok
                                                              : IoStatus::Disconnected;
    }
    IoStatus SetOutputReports(std::span<const std::span<const uint8_t>> reports, int,
                              int) override {
        if (queue_->IsGone()) return IoStatus::Disconnected;
        return bus_->SendOutputs(connection_, handle_, reports) ? IoStatus::Ok
                                                                : IoStatus::Disconnected;
    }

  private:
    std::shared_ptr<VhidBackend> bus_;
    uint64_t connection_;
    uint32_t handle_;
    HidNodeInfo info_;
    std::shared_ptr<ReportQueue> queue_;
};

}  // namespace

std::shared_ptr<VhidBackend> VhidBackend::Connect(const std::string& socketPath, std::string& error,
                                                  int timeoutMs) {
    std::shared_ptr<VhidBackend> bus(new VhidBackend(socketPath));
    if (!bus->OpenSocket(error)) return nullptr;
    bus->reader_ = std::thread([raw = bus.get()] {
        pthread_setname_np(pthread_self(), "vhid-reader");  // as tools list the threads
        raw->ReaderLoop();
    });
    std::unique_lock lock(bus->mutex_);
    if (!bus->changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return bus->synced_ || !bus->connected_; }) ||
        !bus->synced_) {
        error = "the virtual HID bus at " + socketPath + " did not answer";
        return nullptr;
    }
    return bus;
}

std::shared_ptr<VhidBackend> VhidBackend::Unconnected() {
    std::shared_ptr<VhidBackend> bus(new VhidBackend(std::string()));
    bus->connected_ = true;
    bus->connection_ = 1;
    return bus;
}

VhidBackend::VhidBackend(std::string socketPath) : socketPath_(std::move(socketPath)) {}

VhidBackend::~VhidBackend() {
    stop_.Set();
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) close(fd_);
}

bool VhidBackend::OpenSocket(std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) {
        error = "socket path too long: " + socketPath_;
        return false;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error =
            "cannot connect to the virtual HID bus at " + socketPath_ + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    // A bus that stops reading must not hold a command (or the UI thread) for ever.
    timeval timeout{kSendTimeoutMs / 1000, (kSendTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    {
        std::lock_guard lock(mutex_);
        connected_ = true;
        synced_ = false;
        ++connection_;
        malformedLogged_ = false;
        refusalLogged_ = false;
        frames_ = vhid::FrameBuffer();
    }
    std::lock_guard lock(sendMutex_);
    fd_ = fd;
    vhid::SendAll(fd_, vhid::Writer(vhid::kHello).U16(vhid::kProtocolVersion).Finish());
    return true;
}

bool VhidBackend::Connected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

uint64_t VhidBackend::RefusedNodes() const {
    std::lock_guard lock(mutex_);
    return refusedNodes_;
}

void VhidBackend::ReaderLoop() {
    for (;;) {
        int fd;
        {
            std::lock_guard lock(sendMutex_);
            fd = fd_;
        }
        ServeConnection(fd);
        Disconnect();
        if (stop_.TryConsume()) return;
        qCWarning(lcHid).noquote() << "the virtual HID bus at" << socketPath_.c_str()
                                   << "went away; connecting again until it is back";
        Reconnect();
        if (stop_.TryConsume()) return;
        qCInfo(lcHid).noquote() << "the virtual HID bus at" << socketPath_.c_str() << "is back";
    }
}

// Reads and handles messages until the bus closes, sends garbage or the backend stops.
void VhidBackend::ServeConnection(int fd) {
    uint8_t buffer[65536];
    for (;;) {
        pollfd fds[2] = {{stop_.Fd(), POLLIN, 0}, {fd, POLLIN, 0}};
        int r = poll(fds, 2, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || (fds[0].revents & POLLIN)) return;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return;
        if (!Receive({buffer, static_cast<size_t>(n)})) return;
    }
}

void VhidBackend::Reconnect() {
    for (int attempt = 0;; ++attempt) {
        const int wait = attempt < kFastRetries ? kFastRetryMs : kSlowRetryMs;
        if (stop_.Wait(std::chrono::milliseconds(wait))) return;
        std::string error;
        if (OpenSocket(error)) return;
        qCDebug(lcHid).noquote() << error.c_str();
    }
}

bool VhidBackend::Receive(std::span<const uint8_t> bytes) {
    frames_.Append(bytes);
    while (auto message = frames_.Next()) Dispatch(message->type, message->payload);
    if (!frames_.Invalid()) return true;
    qCWarning(lcHid) << "the virtual HID bus sent a message of a length outside 1.."
                     << vhid::kMaxMessage << "bytes; disconnecting";
    return false;
}

void VhidBackend::Disconnect() {
    {
        std::lock_guard lock(mutex_);
        connected_ = false;
        synced_ = false;
        for (auto& [id, handle] : handles_) handle.queue->MarkGone();
        handles_.clear();
        if (!nodes_.empty()) ++generation_;
        nodes_.clear();
        for (auto& [id, open] : opens_) {
            open.done = true;
            open.error = kGone;
        }
        changed_.notify_all();
    }
    std::lock_guard lock(sendMutex_);
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

void VhidBackend::EndHandlesOf(uint32_t node) {
    for (auto it = handles_.begin(); it != handles_.end();) {
        if (it->second.node == node) {
            it->second.queue->MarkGone();
            it = handles_.erase(it);
        } else {
            ++it;
        }
    }
}

void VhidBackend::Announce(vhid::Reader& in) {
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
        if (!malformedLogged_) qCWarning(lcHid) << "malformed node announcement ignored";
        malformedLogged_ = true;
        return;
    }
    const auto existing = nodes_.find(node);
    if (existing == nodes_.end() && nodes_.size() >= kMaxNodes) {
        ++refusedNodes_;
        if (!refusalLogged_) {
            qCWarning(lcHid) << "the virtual HID bus announces more than" << kMaxNodes
                             << "nodes; the others are refused";
        }
        refusalLogged_ = true;
        return;
    }
    // A number announced again (after its REMOVE, or without one) is another device, even
    // if it looks the same: the handles on the old one end, and discovery sees the new
    // identity.
    if (existing != nodes_.end()) EndHandlesOf(node);
    info.identity = "announcement " + std::to_string(++announcements_);
    nodes_[node] = std::move(info);
    ++generation_;
    if (arrival_) arrival_();
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
        case vhid::kAnnounce:
            Announce(in);
            break;
        case vhid::kRemove: {
            const uint32_t node = in.U32();
            if (in.Failed() || nodes_.erase(node) == 0) break;
            ++generation_;
            EndHandlesOf(node);
            break;
        }
        case vhid::kOpened: {
            const uint32_t request = in.U32();
            const uint32_t handle = in.U32();
            std::string error = in.Str();
            auto it = opens_.find(request);
            if (in.Failed() || it == opens_.end() || it->second.done) break;
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
    error.clear();
    // A bus that is away has no devices; the reader thread connects again, and the listing
    // itself has not failed.
    if (!connected_) return true;
    nodes.reserve(nodes_.size());
    for (const auto& [number, info] : nodes_) nodes.push_back(info);
    return true;
}

uint64_t VhidBackend::NodeListGeneration() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

void VhidBackend::SetArrivalHandler(ArrivalHandler handler) {
    std::lock_guard lock(mutex_);
    arrival_ = std::move(handler);
}

bool VhidBackend::NodeExists(const std::string& nodeId) { return NodeIdentity(nodeId).has_value(); }

std::optional<std::string> VhidBackend::NodeIdentity(const std::string& nodeId) {
    const auto number = NodeNumber(nodeId);
    if (!number) return std::nullopt;
    std::lock_guard lock(mutex_);
    const auto it = nodes_.find(*number);
    if (it == nodes_.end()) return std::nullopt;
    return it->second.identity;
}

bool VhidBackend::Send(std::span<const uint8_t> message) {
    std::lock_guard lock(sendMutex_);
    if (fd_ < 0) return false;
    if (vhid::SendAll(fd_, message)) return true;
    // A message cut short leaves the stream unusable: end the connection, and the reader
    // thread connects again.
    shutdown(fd_, SHUT_RDWR);
    return false;
}

std::unique_ptr<IHidHandle> VhidBackend::OpenNode(const std::string& nodeId, bool, bool,
                                                  std::string& error) {
    const auto number = NodeNumber(nodeId);
    uint32_t request = 0;
    uint64_t connection = 0;
    HidNodeInfo info;
    {
        std::lock_guard lock(mutex_);
        const auto it = number ? nodes_.find(*number) : nodes_.end();
        if (it == nodes_.end()) {
            error = nodeId + " is not present on the virtual HID bus";
            return nullptr;
        }
        info = it->second;
        connection = connection_;
        request = nextRequest_++;
        opens_[request] = {};
    }
    if (!Send(vhid::Writer(vhid::kOpen).U32(request).U32(*number).Finish())) {
        std::lock_guard state(mutex_);
        opens_.erase(request);
        error = kGone;
        return nullptr;
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
    if (connection != connection_) {
        error = kGone;
        return nullptr;
    }
    auto queue = std::make_shared<ReportQueue>();
    // Unplugged, or replaced by another device, while opening.
    const auto now = nodes_.find(*number);
    if (now == nodes_.end() || now->second.identity != info.identity) queue->MarkGone();
    handles_[result.handle] = {*number, queue};
    lock.unlock();
    return std::make_unique<VhidHandle>(shared_from_this(), connection, result.handle,
                                        std::move(info), queue);
}

bool VhidBackend::SendOutput(uint64_t connection, uint32_t handle,
                             std::span<const uint8_t> report) {
    {
        std::lock_guard lock(mutex_);
        if (connection != connection_ || !connected_) return false;
    }
    return Send(vhid::Writer(vhid::kOutput).U32(handle).Rest(report).Finish());
}

bool VhidBackend::SendOutputs(uint64_t connection, uint32_t handle,
                              std::span<const std::span<const uint8_t>> reports) {
    {
        std::lock_guard lock(mutex_);
        if (connection != connection_ || !connected_) return false;
    }
    std::vector<uint8_t> messages;
    for (const std::span<const uint8_t> report : reports) {
        const std::vector<uint8_t> message =
            vhid::Writer(vhid::kOutput).U32(handle).Rest(report).Finish();
        messages.insert(messages.end(), message.begin(), message.end());
    }
    return messages.empty() || Send(messages);
}

void VhidBackend::CloseHandle(uint64_t connection, uint32_t handle) {
    {
        std::lock_guard lock(mutex_);
        // A handle of an earlier connection: its number may now be another handle's.
        if (connection != connection_ || !connected_) return;
        handles_.erase(handle);
    }
    Send(vhid::Writer(vhid::kClose).U32(handle).Finish());
}

}  // namespace hid
