#include "hid/hidraw_backend.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "hid/report_queue.h"
#include "platform/log_categories.h"

namespace hid {
namespace {

namespace fs = std::filesystem;

// A hidraw node never delivers more than this many bytes in one report.
constexpr size_t kMaxReport = 4096;
constexpr size_t kMaxDescriptor = 4096;
// Identities of nodes found gone are kept until the system removes the nodes; a few suffice.
constexpr size_t kMaxGoneKept = 64;

bool ReadSmallFile(const fs::path& path, std::string& out, size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(limit, '\0');
    in.read(out.data(), static_cast<std::streamsize>(limit));
    out.resize(static_cast<size_t>(in.gcount()));
    return true;
}

bool ParseHex(const std::string& text, unsigned long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text.c_str(), &end, 16);
    return errno == 0 && end != text.c_str();
}

// uevent of a HID device: HID_ID=0003:0000320F:00005055, HID_NAME=..., HID_PHYS=usb-...-1/input1
void ParseUevent(const std::string& uevent, HidNodeInfo& info, std::string& phys) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) == 0) {
            unsigned bus = 0, vid = 0, pid = 0;
            if (std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vid, &pid) == 3) {
                info.vendorId = static_cast<uint16_t>(vid);
                info.productId = static_cast<uint16_t>(pid);
            }
        } else if (line.rfind("HID_NAME=", 0) == 0) {
            info.product = line.substr(9);
        } else if (line.rfind("HID_PHYS=", 0) == 0) {
            phys = line.substr(9);
        }
    }
}

int InterfaceFromPhys(const std::string& phys) {
    auto at = phys.rfind("/input");
    if (at == std::string::npos) return -1;
    unsigned long value = 0;
    std::string digits = phys.substr(at + 6);
    char* end = nullptr;
    value = std::strtoul(digits.c_str(), &end, 10);
    return end == digits.c_str() ? -1 : static_cast<int>(value);
}

// A positive decimal number as sysfs writes it ("5\n"); none when malformed or absurd.
std::optional<int> ParseSysfsNumber(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == ' ')) --end;
    if (end == 0 || end > 9) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value > 0 ? std::optional<int>(value) : std::nullopt;
}

// The USB device is the nearest ancestor of the HID device that has "busnum" and "devnum"
// (the HID device's parent is the USB interface, whose parent is the USB device). Devices
// not on USB (Bluetooth, I2C, uhid) have no such ancestor within reach: 0 and 0.
constexpr int kUsbAncestorLevels = 4;

void ReadUsbPosition(const fs::path& hidDevice, HidNodeInfo& info) {
    std::error_code ec;
    fs::path at = fs::canonical(hidDevice, ec);
    if (ec) return;
    for (int level = 0; level < kUsbAncestorLevels && at.has_relative_path(); ++level) {
        at = at.parent_path();
        std::string bus, device;
        if (!ReadSmallFile(at / "busnum", bus, 16)) continue;
        if (!ReadSmallFile(at / "devnum", device, 16)) return;
        const auto busNumber = ParseSysfsNumber(bus);
        const auto deviceNumber = ParseSysfsNumber(device);
        if (busNumber && deviceNumber) {
            info.usbBus = *busNumber;
            info.usbDevice = *deviceNumber;
        }
        return;
    }
}

class HidrawHandle final : public IHidHandle {
  public:
    HidrawHandle(int fd, HidNodeInfo info)
        : fd_(fd),
          info_(std::move(info)),
          prependId_(!DescriptorUsesReportIds(info_.reportDescriptor)) {}
    ~HidrawHandle() override { close(fd_); }

    const HidNodeInfo& Info() const override { return info_; }

    IoStatus Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs,
                  int stopFd) override {
        transferred = 0;
        // One deadline for the whole call: a wake-up with nothing to read (the node said
        // readable, the read found nothing) waits again only for the time left.
        using clock = std::chrono::steady_clock;
        const auto deadline = clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (int left = timeoutMs;;) {
            switch (WaitReadable(fd_, stopFd, left)) {
                case WaitResult::Stopped:
                    return IoStatus::Stopped;
                case WaitResult::Timeout:
                    return IoStatus::Timeout;
                case WaitResult::Error:
                    return IoStatus::Error;
                case WaitResult::Ready:
                    break;
            }
            uint8_t raw[kMaxReport + 1];
            uint8_t* into = prependId_ ? raw + 1 : raw;
            ssize_t n = read(fd_, into, kMaxReport);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) {
                    if (timeoutMs < 0) continue;
                    left = static_cast<int>(
                        std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now())
                            .count());
                    if (left <= 0) return IoStatus::Timeout;
                    continue;
                }
                return errno == ENODEV || errno == EIO ? IoStatus::Disconnected : IoStatus::Error;
            }
            if (n == 0) return IoStatus::Disconnected;
            size_t length = static_cast<size_t>(n);
            if (prependId_) {
                raw[0] = 0;
                ++length;
            }
            transferred = std::min(length, buffer.size());
            std::memcpy(buffer.data(), raw, transferred);
            return IoStatus::Ok;
        }
    }

    IoStatus Write(std::span<const uint8_t> report, int timeoutMs, int stopFd) override {
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {stopFd, POLLIN, 0}};
        for (;;) {
            int r = poll(fds, stopFd >= 0 ? 2 : 1, timeoutMs);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return IoStatus::Error;
            if (r == 0) return IoStatus::Timeout;
            if (stopFd >= 0 && (fds[1].revents & POLLIN)) return IoStatus::Stopped;
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return IoStatus::Disconnected;
            break;
        }
        ssize_t n = write(fd_, report.data(), report.size());
        if (n < 0)
            return errno == ENODEV || errno == EIO ? IoStatus::Disconnected : IoStatus::Error;
        return IoStatus::Ok;
    }

    // HIDIOCSOUTPUT sends a SET_REPORT(Output) control transfer; kernels without it (before
    // 5.11) refuse the request, and the report then goes out as a write on the node.
    IoStatus SetOutputReport(std::span<const uint8_t> report, int timeoutMs, int stopFd) override {
#ifdef HIDIOCSOUTPUT
        if (!noOutputIoctl_) {
            std::vector<uint8_t> copy(report.begin(), report.end());
            if (ioctl(fd_, HIDIOCSOUTPUT(copy.size()), copy.data()) >= 0) return IoStatus::Ok;
            if (errno == ENODEV || errno == EIO) return IoStatus::Disconnected;
            if (errno != EINVAL && errno != ENOTTY) return IoStatus::Error;
            noOutputIoctl_ = true;
            qCWarning(lcHid) << "hidraw: no output report ioctl on" << info_.nodeId.c_str()
                             << "- output reports are written on the node";
        }
#endif
        return Write(report, timeoutMs, stopFd);
    }

  private:
    int fd_;
    HidNodeInfo info_;
    bool prependId_;
    std::atomic<bool> noOutputIoctl_{false};
};

}  // namespace

bool DescriptorUsesReportIds(std::span<const uint8_t> descriptor) {
    size_t i = 0;
    while (i < descriptor.size()) {
        uint8_t prefix = descriptor[i];
        if (prefix == 0xFE) {  // long item: prefix, size, tag, data
            if (i + 1 >= descriptor.size()) return false;
            i += 3 + descriptor[i + 1];
            continue;
        }
        size_t size = prefix & 0x03;
        if (size == 3) size = 4;
        if ((prefix & 0xFC) == 0x84) return true;  // global item: Report ID
        i += 1 + size;
    }
    return false;
}

std::string HidrawPermissionHint(const std::string& devicePath) {
    return "permission denied opening " + devicePath +
           ": install the udev rule packaging/70-skelmora.rules "
           "(sudo cp packaging/70-skelmora.rules /etc/udev/rules.d/ && "
           "sudo udevadm control --reload && sudo udevadm trigger), then plug the device again";
}

HidrawBackend::HidrawBackend(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

HidrawBackend::~HidrawBackend() {
    stopWatch_.Set();
    if (watch_.joinable()) watch_.join();
}

void HidrawBackend::SetArrivalHandler(ArrivalHandler handler) {
    {
        std::lock_guard lock(arrivalMutex_);
        arrival_ = std::move(handler);
        if (!arrival_ || watch_.joinable()) return;
    }
    // udev creates the node, then sets its owner and mode: both are worth a look.
    const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0) return;
    if (inotify_add_watch(fd, devRoot_.c_str(), IN_CREATE | IN_ATTRIB) < 0) {
        close(fd);
        return;  // no watch: discovery still finds the node at its next pass
    }
    watch_ = std::thread([this, fd] { WatchLoop(fd); });
}

void HidrawBackend::WatchLoop(int inotifyFd) {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const WaitResult wait = WaitReadable(inotifyFd, stopWatch_.Fd(), -1);
        if (wait != WaitResult::Ready) break;
        const ssize_t n = read(inotifyFd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            break;
        }
        bool hidraw = false;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && std::strncmp(event->name, "hidraw", 6) == 0) hidraw = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        if (hidraw) CallArrival();
    }
    close(inotifyFd);
}

bool HidrawBackend::ReadNodeInfo(const std::string& sysNodeDir, HidNodeInfo& info) {
    const fs::path device = fs::path(sysNodeDir) / "device";
    std::string descriptor, uevent;
    if (!ReadSmallFile(device / "report_descriptor", descriptor, kMaxDescriptor)) return false;
    if (!ReadSmallFile(device / "uevent", uevent, 8192)) return false;
    info.reportDescriptor.assign(descriptor.begin(), descriptor.end());
    std::string phys;
    ParseUevent(uevent, info, phys);
    // The HID device's parent is the USB interface, which knows its number.
    std::string number;
    unsigned long value = 0;
    if (ReadSmallFile(device / ".." / "bInterfaceNumber", number, 16) && ParseHex(number, value)) {
        info.interfaceNumber = static_cast<int>(value);
    } else {
        info.interfaceNumber = InterfaceFromPhys(phys);
    }
    std::string bcd;
    if (ReadSmallFile(device / ".." / ".." / "bcdDevice", bcd, 16) && ParseHex(bcd, value)) {
        info.version = static_cast<uint16_t>(value);
    }
    ReadUsbPosition(device, info);
    return true;
}

bool HidrawBackend::ListNodes(std::vector<HidNodeInfo>& nodes, std::string& error) {
    nodes.clear();
    std::error_code ec;
    if (!fs::exists(sysRoot_, ec)) return true;  // no hidraw driver loaded: no devices
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(sysRoot_, ec)) {
        names.push_back(entry.path().filename().string());
    }
    if (ec) {
        error = "cannot list " + sysRoot_ + ": " + ec.message();
        return false;
    }
    // hidraw2 before hidraw10
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const auto& name : names) {
        HidNodeInfo info;
        if (!ReadNodeInfo(sysRoot_ + "/" + name, info)) continue;  // vanished or unreadable
        info.nodeId = devRoot_ + "/" + name;
        // Without its device node yet (udev still at work) the identity stays empty.
        info.identity = NodeIdentity(info.nodeId).value_or(std::string());
        nodes.push_back(std::move(info));
    }
    return true;
}

std::unique_ptr<IHidHandle> HidrawBackend::OpenNode(const std::string& nodeId, bool forRead,
                                                    bool forWrite, std::string& error) {
    const std::string name = fs::path(nodeId).filename().string();
    HidNodeInfo info;
    if (!ReadNodeInfo(sysRoot_ + "/" + name, info)) {
        error = nodeId + " is not a present hidraw node";
        return nullptr;
    }
    info.nodeId = nodeId;
    int flags = O_CLOEXEC | O_NONBLOCK;
    flags |= forRead && forWrite ? O_RDWR : forWrite ? O_WRONLY : O_RDONLY;
    int fd = open(nodeId.c_str(), flags);
    if (fd < 0) {
        error = errno == EACCES || errno == EPERM ? HidrawPermissionHint(nodeId)
                                                  : nodeId + ": " + std::strerror(errno);
        return nullptr;
    }
    // The identity of what was opened, not of what the path names a moment later.
    struct stat st {};
    auto identity = fstat(fd, &st) == 0 ? IdentityOf(SysNodeDir(nodeId), st) : std::nullopt;
    bool gone = !identity;
    if (identity) {
        std::lock_guard lock(goneMutex_);
        gone = std::find(gone_.begin(), gone_.end(), *identity) != gone_.end();
    }
    if (gone) {
        close(fd);
        error = nodeId + ": the device is gone";
        return nullptr;
    }
    info.identity = *identity;
    return std::make_unique<HidrawHandle>(fd, std::move(info));
}

std::string HidrawBackend::SysNodeDir(const std::string& nodeId) const {
    return sysRoot_ + "/" + fs::path(nodeId).filename().string();
}

std::optional<std::string> HidrawBackend::IdentityOf(const std::string& sysNodeDir,
                                                     const struct ::stat& node) {
    std::error_code ec;
    const fs::path device = fs::canonical(fs::path(sysNodeDir) / "device", ec);
    if (ec) return std::nullopt;
    return device.string() + " " + std::to_string(major(node.st_rdev)) + ":" +
           std::to_string(minor(node.st_rdev)) + " " + std::to_string(node.st_ctim.tv_sec) + "." +
           std::to_string(node.st_ctim.tv_nsec);
}

bool HidrawBackend::NodeExists(const std::string& nodeId) {
    return NodeIdentity(nodeId).has_value();
}

std::optional<std::string> HidrawBackend::NodeIdentity(const std::string& nodeId) {
    struct stat st {};
    if (stat(nodeId.c_str(), &st) != 0) return std::nullopt;
    auto identity = IdentityOf(SysNodeDir(nodeId), st);
    if (!identity) return std::nullopt;
    std::lock_guard lock(goneMutex_);
    if (std::find(gone_.begin(), gone_.end(), *identity) != gone_.end()) return std::nullopt;
    return identity;
}

void HidrawBackend::NodeGone(const HidNodeInfo& node) {
    if (node.identity.empty()) return;
    {
        std::lock_guard lock(goneMutex_);
        if (std::find(gone_.begin(), gone_.end(), node.identity) != gone_.end()) return;
        gone_.push_back(node.identity);
        if (gone_.size() > kMaxGoneKept) gone_.pop_front();
    }
    CallArrival();  // discovery looks at once and reports the loss
}

void HidrawBackend::CallArrival() {
    std::lock_guard lock(arrivalMutex_);
    if (arrival_) arrival_();
}

}  // namespace hid
