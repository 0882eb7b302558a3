#pragma once
// A virtual HID bus whose every byte the test writes: it listens on a real socket, takes one
// client at a time and sends what it is told, well formed or not. For the cases a well
// behaved bus (the emulator's server) never shows: a node number announced again, garbage,
// floods, a peer that vanishes mid-message.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hid/vhid_protocol.h"

namespace testing_vhid {

inline std::vector<uint8_t> Announce(uint32_t node, uint16_t vendorId, uint16_t productId,
                                     int interfaceNumber, std::span<const uint8_t> descriptor) {
    return vhid::Writer(vhid::kAnnounce)
        .U32(node)
        .U16(vendorId)
        .U16(productId)
        .U16(0x0100)
        .U16(static_cast<uint16_t>(static_cast<int16_t>(interfaceNumber)))
        .Str("fake device")
        .Blob(descriptor)
        .Finish();
}

inline std::vector<uint8_t> Remove(uint32_t node) {
    return vhid::Writer(vhid::kRemove).U32(node).Finish();
}

class FakeVhidPeer {
  public:
    explicit FakeVhidPeer(std::string path) : path_(std::move(path)) { Listen(); }
    ~FakeVhidPeer() {
        StopAnswering();
        DropClient();
        StopListening();
    }
    FakeVhidPeer(const FakeVhidPeer&) = delete;
    FakeVhidPeer& operator=(const FakeVhidPeer&) = delete;

    const std::string& Path() const { return path_; }

    bool Listen() {
        listen_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        unlink(path_.c_str());
        return bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               listen(listen_, 4) == 0;
    }
    void StopListening() {
        if (listen_ >= 0) close(listen_);
        listen_ = -1;
        unlink(path_.c_str());
    }

    // Takes the next client and its HELLO; false when none came in time.
    bool Accept(int timeoutMs = 5000) {
        pollfd p{listen_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) != 1) return false;
        DropClient();
        client_ = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        frames_ = vhid::FrameBuffer();
        auto hello = Receive();
        return hello && hello->type == vhid::kHello;
    }
    // HELLO, the announcements, SYNCED: what a bus says to a new client.
    void Greet(const std::vector<std::vector<uint8_t>>& announcements) {
        Send(vhid::Writer(vhid::kHello).U16(vhid::kProtocolVersion).Finish());
        for (const auto& message : announcements) Send(message);
        Send(vhid::Writer(vhid::kSynced).Finish());
    }
    bool Send(std::span<const uint8_t> bytes) {
        std::lock_guard lock(sendMutex_);
        return vhid::SendAll(client_, bytes);
    }

    // Answers every OPEN of the client with a new handle, on a thread, as a bus does.
    void AnswerOpens() {
        answering_ = true;
        answerer_ = std::thread([this] {
            uint32_t next = 1;
            while (answering_) {
                auto message = Receive(20);
                if (!message || message->type != vhid::kOpen) continue;
                vhid::Reader in(message->payload);
                const uint32_t request = in.U32();
                Send(vhid::Writer(vhid::kOpened).U32(request).U32(next++).Str("").Finish());
            }
        });
    }
    void StopAnswering() {
        answering_ = false;
        if (answerer_.joinable()) answerer_.join();
    }

    // The client's next message, nullopt when none came in time.
    std::optional<vhid::Message> Receive(int timeoutMs = 5000) {
        for (;;) {
            if (auto message = frames_.Next()) return message;
            pollfd p{client_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) != 1) return std::nullopt;
            uint8_t buffer[4096];
            const ssize_t n = recv(client_, buffer, sizeof buffer, 0);
            if (n <= 0) return std::nullopt;
            frames_.Append({buffer, static_cast<size_t>(n)});
        }
    }
    void DropClient() {
        if (client_ >= 0) close(client_);
        client_ = -1;
    }

  private:
    std::string path_;
    int listen_ = -1;
    int client_ = -1;
    vhid::FrameBuffer frames_;
    std::mutex sendMutex_;
    std::atomic<bool> answering_{false};
    std::thread answerer_;
};

}  // namespace testing_vhid
