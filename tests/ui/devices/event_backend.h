#pragma once
// A one-node HID backend for the event thread tests: a keyboard's event interface whose
// consumer collection (report id 3) reports usages up to 0x4FF, so that the device's own
// codes 0x401.. unpack. Inject queues an input report; a read waits for one or its stop fd.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <deque>
#include <mutex>

#include "hid/hid_backend.h"

namespace devtest {

inline constexpr uint8_t kWideConsumerCollection[] = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,  // Consumer, Consumer Control, Application
    0x85, 0x03,                          //   Report ID 3
    0x15, 0x00, 0x26, 0xFF, 0x04,        //   Logical 0..0x4FF
    0x19, 0x00, 0x2A, 0xFF, 0x04,        //   Usages 0..0x4FF
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00,  //   one 16-bit array slot
    0xC0,
};

class EventBackend : public hid::IHidBackend {
  public:
    EventBackend() : ready_(eventfd(0, EFD_NONBLOCK | EFD_SEMAPHORE)) {
        node_.nodeId = "events/1";
        node_.vendorId = 0x320F;
        node_.productId = 0x5055;
        node_.interfaceNumber = 1;
        node_.product = "event interface";
        node_.reportDescriptor.assign(std::begin(kWideConsumerCollection),
                                      std::end(kWideConsumerCollection));
    }
    ~EventBackend() override { close(ready_); }

    void Inject(std::vector<uint8_t> report) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(report));
        }
        const uint64_t one = 1;
        [[maybe_unused]] auto written = write(ready_, &one, sizeof one);
    }

    std::string Name() const override { return "events"; }
    bool ListNodes(std::vector<hid::HidNodeInfo>& nodes, std::string&) override {
        nodes = {node_};
        return true;
    }
    std::unique_ptr<hid::IHidHandle> OpenNode(const std::string& nodeId, bool, bool,
                                              std::string& error) override {
        if (nodeId != node_.nodeId) {
            error = "no such node";
            return nullptr;
        }
        return std::make_unique<Handle>(*this);
    }
    bool NodeExists(const std::string& nodeId) override { return nodeId == node_.nodeId; }

  private:
    class Handle : public hid::IHidHandle {
      public:
        explicit Handle(EventBackend& backend) : backend_(backend) {}
        const hid::HidNodeInfo& Info() const override { return backend_.node_; }
        hid::IoStatus Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs,
                           int stopFd) override {
            pollfd fds[2] = {{backend_.ready_, POLLIN, 0}, {stopFd, POLLIN, 0}};
            const int ready = poll(fds, stopFd >= 0 ? 2 : 1, timeoutMs);
            if (ready == 0) return hid::IoStatus::Timeout;
            if (ready < 0) return hid::IoStatus::Error;
            if (stopFd >= 0 && (fds[1].revents & POLLIN)) return hid::IoStatus::Stopped;
            uint64_t count = 0;
            if (read(backend_.ready_, &count, sizeof count) != sizeof count) {
                return hid::IoStatus::Timeout;
            }
            std::lock_guard lock(backend_.mutex_);
            const std::vector<uint8_t> report = std::move(backend_.queue_.front());
            backend_.queue_.pop_front();
            transferred = std::min(buffer.size(), report.size());
            std::copy_n(report.begin(), transferred, buffer.begin());
            return hid::IoStatus::Ok;
        }
        hid::IoStatus Write(std::span<const uint8_t>, int, int) override {
            return hid::IoStatus::Ok;
        }

      private:
        EventBackend& backend_;
    };

    hid::HidNodeInfo node_;
    int ready_;
    std::mutex mutex_;
    std::deque<std::vector<uint8_t>> queue_;
};

}  // namespace devtest
