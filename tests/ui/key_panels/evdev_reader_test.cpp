// The evdev reader on a real input device: a keyboard made through uinput is found and its key
// events arrive at the sink with their press and release. Skipped where /dev/uinput cannot be
// opened (containers, CI without the module).
#include "platform/evdev_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <mutex>
#include <vector>

#include "support/ui_fixture.h"

namespace {

// A keyboard with the letter keys, as the reader recognises keyboards.
class UinputKeyboard {
  public:
    UinputKeyboard() {
        device_ = libevdev_new();
        libevdev_set_name(device_, "skelmora test keyboard");
        libevdev_enable_event_type(device_, EV_KEY);
        for (unsigned code = KEY_Q; code <= KEY_M; ++code)
            libevdev_enable_event_code(device_, EV_KEY, code, nullptr);
        if (libevdev_uinput_create_from_device(device_, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput_) !=
            0)
            uinput_ = nullptr;
    }
    ~UinputKeyboard() {
        if (uinput_) libevdev_uinput_destroy(uinput_);
        libevdev_free(device_);
    }
    bool ok() const { return uinput_ != nullptr; }
    const char* Node() const { return uinput_ ? libevdev_uinput_get_devnode(uinput_) : nullptr; }
    void Key(unsigned code, int value) {
        libevdev_uinput_write_event(uinput_, EV_KEY, code, value);
        libevdev_uinput_write_event(uinput_, EV_SYN, SYN_REPORT, 0);
    }

  private:
    libevdev* device_ = nullptr;
    libevdev_uinput* uinput_ = nullptr;
};

bool UinputWritable() {
    const int fd = ::open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

class EvdevReaderTest : public uitest::AppFixture {};

TEST_F(EvdevReaderTest, KeysOfAUinputKeyboardReachTheSink) {
    if (!UinputWritable()) GTEST_SKIP() << "/dev/uinput cannot be opened here";
    UinputKeyboard keyboard;
    ASSERT_TRUE(keyboard.ok());
    // The node appears once udev (or devtmpfs) has made it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return keyboard.Node() && ::access(keyboard.Node(), R_OK) == 0; }, 5000));

    std::mutex lock;
    std::vector<platform::RawInputEvent> keys;
    platform::EvdevReader reader(
        [&](const platform::RawInputEvent& e) {
            if (e.type != EV_KEY) return;
            std::lock_guard<std::mutex> hold(lock);
            keys.push_back(e);
        },
        [] {}, false);
    ASSERT_TRUE(reader.Start());

    auto seen = [&] {
        std::lock_guard<std::mutex> hold(lock);
        for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
            if (keys[i].code == KEY_A && keys[i].value == 1 && keys[i + 1].code == KEY_A &&
                keys[i + 1].value == 0)
                return true;
        }
        return false;
    };
    // The reader may still be opening the devices: the key goes again until it is seen.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            reader.Taken();
            if (seen()) return true;
            keyboard.Key(KEY_A, 1);
            keyboard.Key(KEY_A, 0);
            return false;
        },
        5000));
    reader.Stop();
}

}  // namespace
