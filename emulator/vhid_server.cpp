#include "emulator/vhid_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "hid/vhid_protocol.h"
#include "platform/log_categories.h"

namespace emu {

struct VhidServer::Client {
    int fd = -1;
    bool greeted = false;
    std::mutex sendMutex;
    vhid::FrameBuffer frames;
    std::map<uint32_t, std::unique_ptr<hid::IHidHandle>> handles;  // server thread only
    uint32_t nextHandle = 1;

    bool Send(const std::vector<uint8_t>& message) {
        std::lock_guard lock(sendMutex);
        return vhid::SendAll(fd, message);
    }
};

namespace {

std::vector<uint8_t> AnnounceMessage(const hid::HidNodeInfo& node) {
    return vhid::Writer(vhid::kAnnounce)
        .U32(VhidNodeNumber(node.nodeId))
        .U16(node.vendorId)
        .U16(node.productId)
        .U16(node.version)
        .U16(static_cast<uint16_t>(static_cast<int16_t>(node.interfaceNumber)))
        .Str(node.product)
        .Blob(node.reportDescriptor)
        .Finish();
}

}  // namespace

uint32_t VhidNodeNumber(const std::string& emulatorNodeId) {
    const auto slash = emulatorNodeId.find('/');
    return static_cast<uint32_t>(std::stoul(emulatorNodeId.substr(slash + 1)));
}

VhidServer::VhidServer(std::shared_ptr<EmulatedBus> bus, std::string socketPath)
    : bus_(std::move(bus)), socketPath_(std::move(socketPath)) {}

VhidServer::~VhidServer() { Stop(); }

bool VhidServer::Start(std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) {
        error = "socket path too long: " + socketPath_;
        return false;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    unlink(socketPath_.c_str());
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 16) != 0) {
        error = "cannot listen on " + socketPath_ + ": " + std::strerror(errno);
        close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    listenerId_ = bus_->AddNodeListener(
        [this](const hid::HidNodeInfo& node, bool added) { Broadcast(node, added); });
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void VhidServer::Stop() {
    if (!thread_.joinable()) return;
    stop_.Set();
    thread_.join();
    bus_->RemoveNodeListener(listenerId_);
    std::lock_guard lock(clientsMutex_);
    for (auto& [fd, client] : clients_) {
        client->handles.clear();
        close(fd);
    }
    clients_.clear();
    close(listenFd_);
    unlink(socketPath_.c_str());
}

void VhidServer::Broadcast(const hid::HidNodeInfo& node, bool added) {
    const auto message =
        added ? AnnounceMessage(node)
              : vhid::Writer(vhid::kRemove).U32(VhidNodeNumber(node.nodeId)).Finish();
    std::vector<std::shared_ptr<Client>> clients;
    {
        std::lock_guard lock(clientsMutex_);
        for (auto& [fd, client] : clients_) {
            if (client->greeted) clients.push_back(client);
        }
    }
    for (auto& client : clients) client->Send(message);
}

void VhidServer::Accept() {
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    // A client that stops reading must not stall the devices for long.
    timeval timeout{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    auto client = std::make_shared<Client>();
    client->fd = fd;
    std::lock_guard lock(clientsMutex_);
    clients_[fd] = std::move(client);
}

bool VhidServer::HandleMessage(const std::shared_ptr<Client>& client, uint8_t type,
                               std::span<const uint8_t> payload) {
    vhid::Reader in(payload);
    switch (type) {
        case vhid::kHello: {
            in.U16();
            client->Send(vhid::Writer(vhid::kHello).U16(vhid::kProtocolVersion).Finish());
            std::vector<hid::HidNodeInfo> nodes;
            std::string error;
            {
                // Announce under the clients lock so a plug in between is not sent twice.
                std::lock_guard lock(clientsMutex_);
                bus_->ListNodes(nodes, error);
                for (const auto& node : nodes) client->Send(AnnounceMessage(node));
                client->greeted = true;
            }
            client->Send(vhid::Writer(vhid::kSynced).Finish());
            return true;
        }
        case vhid::kOpen: {
            const uint32_t request = in.U32();
            const uint32_t node = in.U32();
            if (in.Failed()) return false;
            std::string error;
            const uint32_t handleId = client->nextHandle++;
            std::weak_ptr<Client> weak = client;
            auto handle = bus_->OpenNodeWithSink(
                "emu/" + std::to_string(node),
                [weak, handleId](std::span<const uint8_t> report) {
                    if (auto target = weak.lock()) {
                        target->Send(
                            vhid::Writer(vhid::kInput).U32(handleId).Rest(report).Finish());
                    }
                },
                error);
            const uint32_t answered = handle ? handleId : 0;
            if (handle) client->handles[handleId] = std::move(handle);
            client->Send(
                vhid::Writer(vhid::kOpened).U32(request).U32(answered).Str(error).Finish());
            return true;
        }
        case vhid::kClose: {
            const uint32_t handle = in.U32();
            if (in.Failed()) return false;
            client->handles.erase(handle);
            return true;
        }
        case vhid::kOutput: {
            const uint32_t handle = in.U32();
            const auto report = in.Rest();
            if (in.Failed()) return false;
            auto it = client->handles.find(handle);
            if (it != client->handles.end() && !report.empty()) it->second->Write(report, 0, -1);
            return true;
        }
        default:
            return true;  // unknown messages are ignored, for newer clients
    }
}

void VhidServer::Serve() {
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        std::vector<pollfd> fds = {{stop_.Fd(), POLLIN, 0}, {listenFd_, POLLIN, 0}};
        std::vector<std::shared_ptr<Client>> order;
        {
            std::lock_guard lock(clientsMutex_);
            for (auto& [fd, client] : clients_) {
                fds.push_back({fd, POLLIN, 0});
                order.push_back(client);
            }
        }
        int r = poll(fds.data(), fds.size(), -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || (fds[0].revents & POLLIN)) return;
        if (fds[1].revents & POLLIN) Accept();
        for (size_t i = 0; i < order.size(); ++i) {
            if (!(fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            auto& client = order[i];
            ssize_t n = recv(client->fd, buffer.data(), buffer.size(), 0);
            bool keep = n > 0;
            if (keep) {
                client->frames.Append({buffer.data(), static_cast<size_t>(n)});
                while (keep) {
                    auto message = client->frames.Next();
                    if (!message) break;
                    keep = HandleMessage(client, message->type, message->payload);
                }
                keep = keep && !client->frames.Invalid();
            } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                keep = true;
            }
            if (!keep) {
                client->handles.clear();
                std::lock_guard lock(clientsMutex_);
                close(client->fd);
                clients_.erase(client->fd);
            }
        }
    }
}

}  // namespace emu
