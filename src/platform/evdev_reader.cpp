#include "platform/evdev_reader.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/log_categories.h"

namespace platform {
namespace {

constexpr char kInputFolder[] = "/dev/input";
constexpr char kUinputNode[] = "/dev/uinput";
constexpr char kPassOnName[] = "skelmora lock keys";
constexpr int kPollMs = 250;
constexpr std::array<unsigned, 3> kLockKeys{KEY_CAPSLOCK, KEY_NUMLOCK, KEY_SCROLLLOCK};

uint64_t NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000 + static_cast<uint64_t>(t.tv_nsec) / 1000000;
}

bool IsLockKey(unsigned code) {
    for (unsigned k : kLockKeys) {
        if (k == code) return true;
    }
    return false;
}

// One opened input device. The destructor releases a grab before closing: a grab never
// outlives this object.
struct InputDevice {
    std::string path;
    int fd = -1;
    libevdev* dev = nullptr;
    bool keyboard = false;
    bool grabbed = false;

    InputDevice() = default;
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;
    ~InputDevice() {
        Ungrab();
        if (dev) libevdev_free(dev);
        if (fd >= 0) ::close(fd);
    }
    void Ungrab() {
        if (grabbed && dev) libevdev_grab(dev, LIBEVDEV_UNGRAB);
        grabbed = false;
    }
    // A key still held when the grab starts would have its release swallowed and stick in
    // other programs: grab only while no key is down.
    bool AnyKeyDown() const {
        for (unsigned code = 1; code < KEY_MAX; ++code) {
            if (libevdev_has_event_code(dev, EV_KEY, code) &&
                libevdev_get_event_value(dev, EV_KEY, code))
                return true;
        }
        return false;
    }
};

std::unique_ptr<InputDevice> OpenDevice(const std::string& path, const std::string& skipPath) {
    if (path == skipPath) return nullptr;
    auto device = std::make_unique<InputDevice>();
    device->path = path;
    device->fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (device->fd < 0) return nullptr;
    if (libevdev_new_from_fd(device->fd, &device->dev) != 0) {
        device->dev = nullptr;
        return nullptr;
    }
    const char* name = libevdev_get_name(device->dev);
    if (name && std::strcmp(name, kPassOnName) == 0) return nullptr;
    device->keyboard = libevdev_has_event_code(device->dev, EV_KEY, KEY_A) &&
                       libevdev_has_event_code(device->dev, EV_KEY, KEY_Z);
    const bool mouse = libevdev_has_event_code(device->dev, EV_KEY, BTN_LEFT);
    if (!device->keyboard && !mouse) return nullptr;
    libevdev_set_clock_id(device->dev, CLOCK_MONOTONIC);
    return device;
}

}  // namespace

struct EvdevReader::State {
    std::vector<std::unique_ptr<InputDevice>> devices;
    libevdev* passOnTemplate = nullptr;
    libevdev_uinput* passOn = nullptr;
    std::string passOnNode;
    int inotifyFd = -1;
    bool stalled = false;

    ~State() {
        devices.clear();  // releases the grabs first
        if (passOn) libevdev_uinput_destroy(passOn);
        if (passOnTemplate) libevdev_free(passOnTemplate);
        if (inotifyFd >= 0) ::close(inotifyFd);
    }

    void Add(const std::string& path) {
        for (const auto& d : devices) {
            if (d->path == path) return;
        }
        if (auto device = OpenDevice(path, passOnNode)) {
            qCDebug(lcPlatform) << "input device" << path.c_str() << libevdev_get_name(device->dev);
            devices.push_back(std::move(device));
        }
    }

    bool MakePassOn() {
        const int fd = ::open(kUinputNode, O_RDWR | O_CLOEXEC);
        if (fd < 0) return false;
        ::close(fd);
        passOnTemplate = libevdev_new();
        libevdev_set_name(passOnTemplate, kPassOnName);
        libevdev_enable_event_type(passOnTemplate, EV_KEY);
        for (unsigned k : kLockKeys) libevdev_enable_event_code(passOnTemplate, EV_KEY, k, nullptr);
        if (libevdev_uinput_create_from_device(passOnTemplate, LIBEVDEV_UINPUT_OPEN_MANAGED,
                                               &passOn) != 0) {
            passOn = nullptr;
            return false;
        }
        if (const char* node = libevdev_uinput_get_devnode(passOn)) passOnNode = node;
        return true;
    }
};

EvdevReader::EvdevReader(Sink sink, StallNotice stalled, bool grab)
    : sink_(std::move(sink)), stalled_(std::move(stalled)), wantGrab_(grab) {}

EvdevReader::~EvdevReader() { Stop(); }

bool EvdevReader::Start() {
    Stop();
    stop_.Reset();
    state_ = std::make_unique<State>();
    if (wantGrab_ && !state_->MakePassOn()) {
        qCDebug(lcPlatform) << "no uinput device: keyboards are not grabbed";
        wantGrab_ = false;
    }
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kInputFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("event", 0) == 0) state_->Add(entry.path().string());
    }
    if (state_->devices.empty()) {
        state_.reset();
        return false;
    }
    state_->inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (state_->inotifyFd >= 0)
        inotify_add_watch(state_->inotifyFd, kInputFolder, IN_CREATE | IN_ATTRIB);
    grabbing_ = wantGrab_;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void EvdevReader::Stop() {
    if (thread_.joinable()) {
        stop_.Set();
        thread_.join();
    }
    grabbing_ = false;
    state_.reset();
}

void EvdevReader::Taken() { watchdog_.Taken(NowMs()); }

void EvdevReader::Run() {
    State& s = *state_;
    std::vector<pollfd> fds;
    while (true) {
        // Grab keyboards once no key is held; never again after a stall.
        if (wantGrab_ && !s.stalled) {
            for (auto& d : s.devices) {
                if (d->keyboard && !d->grabbed && !d->AnyKeyDown())
                    d->grabbed = libevdev_grab(d->dev, LIBEVDEV_GRAB) == 0;
            }
        }
        fds.clear();
        fds.push_back({stop_.Fd(), POLLIN, 0});
        fds.push_back({s.inotifyFd, POLLIN, 0});
        for (const auto& d : s.devices) fds.push_back({d->fd, POLLIN, 0});
        const int ready = ::poll(fds.data(), fds.size(), kPollMs);
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents) break;
        if (watchdog_.Stalled(NowMs()) && !s.stalled) {
            s.stalled = true;
            for (auto& d : s.devices) d->Ungrab();
            grabbing_ = false;
            qCWarning(lcPlatform) << "the window took no input events for 2 s: keyboards released";
            if (stalled_) stalled_();
        }
        if (fds[1].revents & POLLIN) {
            alignas(inotify_event) char buffer[4096];
            while (::read(s.inotifyFd, buffer, sizeof buffer) > 0) {
            }
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(kInputFolder, error)) {
                if (entry.path().filename().string().rfind("event", 0) == 0)
                    s.Add(entry.path().string());
            }
        }
        for (std::size_t i = 0; i < s.devices.size(); ++i) {
            InputDevice& d = *s.devices[i];
            if (!(fds[i + 2].revents & (POLLIN | POLLERR | POLLHUP))) continue;
            bool gone = false;
            while (true) {
                input_event ev{};
                int rc = libevdev_next_event(d.dev, LIBEVDEV_READ_FLAG_NORMAL, &ev);
                if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                    // Events were dropped: catch up with the device's state, record nothing.
                    while (rc == LIBEVDEV_READ_STATUS_SYNC)
                        rc = libevdev_next_event(d.dev, LIBEVDEV_READ_FLAG_SYNC, &ev);
                    continue;
                }
                if (rc == -EAGAIN) break;
                if (rc < 0) {
                    gone = true;
                    break;
                }
                if (ev.type != EV_KEY) continue;
                if (d.grabbed && IsLockKey(ev.code) && s.passOn) {
                    libevdev_uinput_write_event(s.passOn, EV_KEY, ev.code, ev.value);
                    libevdev_uinput_write_event(s.passOn, EV_SYN, SYN_REPORT, 0);
                }
                RawInputEvent raw;
                raw.time_us = static_cast<uint64_t>(ev.input_event_sec) * 1000000ULL +
                              static_cast<uint64_t>(ev.input_event_usec);
                raw.type = ev.type;
                raw.code = ev.code;
                raw.value = ev.value;
                watchdog_.Posted(NowMs());
                sink_(raw);
            }
            if (gone) {
                qCDebug(lcPlatform) << "input device gone" << d.path.c_str();
                s.devices.erase(s.devices.begin() + static_cast<std::ptrdiff_t>(i));
                break;  // the poll list is stale: poll again
            }
        }
    }
    for (auto& d : s.devices) d->Ungrab();
    grabbing_ = false;
}

}  // namespace platform
