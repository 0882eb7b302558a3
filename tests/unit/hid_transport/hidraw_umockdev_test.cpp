// The hidraw backend on its real path: sysfs and /dev come from a umockdev test bed, and the
// program's own open, poll, read and write run on a /dev/hidraw0 node whose reads and writes
// the keyboard's command firmware answers, one report per read as the kernel delivers them.
// Runs under umockdev-wrapper, which preloads the library that redirects /sys and /dev.
//
// How the node works: umockdev backs an emulated character device with a pseudo terminal and
// passes every read and write on it to the handler below, but poll() goes to the pseudo
// terminal itself. The handler therefore keeps one byte waiting in the terminal for every
// report it holds, so that poll() says readable exactly when a report is there, and takes the
// byte back when the report is read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <umockdev.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emulator/command_firmware.h"
#include "emulator/keyboard_memory.h"
#include "hid/hid_connection.h"
#include "hid/hidraw_backend.h"
#include "hid/sample_descriptors.h"

namespace {

constexpr const char* kNode = "/dev/hidraw0";
constexpr const char* kPath = "/dev/hidraw0#vid_320f&pid_5055&mi_01&col04";
constexpr const char* kHidrawSysPath =
    "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.1/0003:320F:5055.0001/hidraw/hidraw0";

std::string Hex(std::span<const uint8_t> bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// The keyboard as the kernel shows it: USB device, interface 1, its HID device with the
// report descriptor, and the hidraw node.
std::string KeyboardDescription() {
    const std::string usb = "/devices/pci0000:00/0000:00:14.0/usb1/1-1";
    const std::string interface = usb + "/1-1:1.1";
    const std::string hid = interface + "/0003:320F:5055.0001";
    return "P: " + usb +
           "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=320f\nA: idProduct=5055\n"
           "A: bcdDevice=0103\nA: busnum=1\nA: devnum=4\n\n"
           "P: " +
           interface +
           "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceNumber=01\n\n"
           "P: " +
           hid +
           "\nE: SUBSYSTEM=hid\nE: DRIVER=hid-generic\nE: HID_ID=0003:0000320F:00005055\n"
           "E: HID_NAME=Test Keyboard\nE: HID_PHYS=usb-0000:00:14.0-1/input1\n"
           "H: report_descriptor=" +
           Hex(hid::descriptors::kKeyboardInterface1) +
           "\n\n"
           "P: " +
           hid +
           "/hidraw/hidraw0\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/hidraw0\nA: dev=243:0\n"
           "L: device=../../../0003:320F:5055.0001\nN: hidraw0\n";
}

// The device behind the node: the keyboard's firmware answering the host's output reports.
class FirmwareNode {
  public:
    FirmwareNode(int masterFd, int readinessFd)
        : masterFd_(masterFd), readinessFd_(readinessFd), firmware_(emu::KeyboardLayout()) {}

    emu::CommandFirmware& Firmware() { return firmware_; }

    void Push(std::span<const uint8_t> report) {
        std::lock_guard lock(mutex_);
        queued_.emplace_back(report.begin(), report.end());
        Signal();
    }
    // Readable with nothing to read: what a spurious wake-up looks like to the reader.
    void WakeWithoutReport() {
        std::lock_guard lock(mutex_);
        Signal();
    }
    // Unplugged: reads fail with EIO and writes with ENODEV, as hidraw's do, and a waiting
    // reader wakes up.
    void Unplug() {
        std::lock_guard lock(mutex_);
        gone_ = true;
        Signal();
    }
    // What the node answers to the output report ioctl: 0 takes the report, an errno refuses
    // it (EINVAL or ENOTTY: a kernel without the ioctl; ENODEV: the device is gone).
    void SetOutputIoctlAnswer(int error) {
        std::lock_guard lock(mutex_);
        outputIoctlAnswer_ = error;
    }
    std::vector<std::vector<uint8_t>> OutputIoctls() const {
        std::lock_guard lock(mutex_);
        return outputIoctls_;
    }
    void ClearLogs() {
        std::lock_guard lock(mutex_);
        written_.clear();
        outputIoctls_.clear();
    }
    // Reads that reached the device: poll() let the reader through.
    int Reads() const {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    std::vector<std::vector<uint8_t>> Written() const {
        std::lock_guard lock(mutex_);
        return written_;
    }

    static gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        static_cast<FirmwareNode*>(self)->Read(client);
        return TRUE;
    }
    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        static_cast<FirmwareNode*>(self)->Ioctl(client);
        return TRUE;
    }
    static gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        static_cast<FirmwareNode*>(self)->Write(client);
        return TRUE;
    }

  private:
    void Signal() {
        const uint8_t one = 1;
        EXPECT_EQ(::write(masterFd_, &one, 1), 1) << std::strerror(errno);
    }

    void Read(UMockdevIoctlClient* client) {
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::lock_guard lock(mutex_);
        ++reads_;
        if (gone_) return umockdev_ioctl_client_complete(client, -1, EIO);
        if (queued_.empty()) return umockdev_ioctl_client_complete(client, -1, EAGAIN);
        uint8_t byte = 0;
        EXPECT_EQ(::read(readinessFd_, &byte, 1), 1) << std::strerror(errno);
        const std::vector<uint8_t> report = std::move(queued_.front());
        queued_.pop_front();
        const size_t n = std::min(report.size(), static_cast<size_t>(arg->data_len));
        std::memcpy(arg->data, report.data(), n);
        umockdev_ioctl_client_complete(client, static_cast<glong>(n), 0);
    }

    void Write(UMockdevIoctlClient* client) {
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::vector<uint8_t> report(arg->data, arg->data + arg->data_len);
        std::vector<hid::Report> replies;
        {
            std::lock_guard lock(mutex_);
            if (gone_) return umockdev_ioctl_client_complete(client, -1, ENODEV);
            written_.push_back(report);
        }
        if (report.size() == hid::kReportSize) replies = firmware_.HandleRequest(report);
        for (const auto& reply : replies) Push(reply);
        umockdev_ioctl_client_complete(client, static_cast<glong>(report.size()), 0);
    }

    // Only the output report ioctl is known; the argument points at the report.
    void Ioctl(UMockdevIoctlClient* client) {
        const gulong request = umockdev_ioctl_client_get_request(client);
        if (_IOC_TYPE(request) != 'H' || _IOC_NR(request) != _IOC_NR(HIDIOCSOUTPUT(0)) ||
            _IOC_DIR(request) != (_IOC_READ | _IOC_WRITE)) {
            return umockdev_ioctl_client_complete(client, -1, ENOTTY);
        }
        const size_t length = _IOC_SIZE(request);
        GError* error = nullptr;
        UMockdevIoctlData* report =
            umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, length, &error);
        if (!report) {
            ADD_FAILURE() << "unreadable ioctl argument: " << (error ? error->message : "");
            g_clear_error(&error);
            return umockdev_ioctl_client_complete(client, -1, EFAULT);
        }
        std::lock_guard lock(mutex_);
        if (gone_ || outputIoctlAnswer_ != 0)
            return umockdev_ioctl_client_complete(client, -1, gone_ ? ENODEV : outputIoctlAnswer_);
        outputIoctls_.emplace_back(report->data, report->data + report->data_len);
        umockdev_ioctl_client_complete(client, static_cast<glong>(length), 0);
    }

    int masterFd_;
    int readinessFd_;
    emu::CommandFirmware firmware_;
    mutable std::mutex mutex_;
    std::deque<std::vector<uint8_t>> queued_;
    std::vector<std::vector<uint8_t>> written_;
    std::vector<std::vector<uint8_t>> outputIoctls_;
    int outputIoctlAnswer_ = 0;
    int reads_ = 0;
    bool gone_ = false;
};

class HidrawOnUmockdev : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* preload = std::getenv("LD_PRELOAD");
        if (!preload || !std::strstr(preload, "libumockdev-preload"))
            GTEST_SKIP() << "runs under umockdev-wrapper";
        testbed_ = umockdev_testbed_new();
        GError* error = nullptr;
        ASSERT_TRUE(
            umockdev_testbed_add_from_string(testbed_, KeyboardDescription().c_str(), &error))
            << (error ? error->message : "");
        const int master = umockdev_testbed_get_dev_fd(testbed_, kNode);
        ASSERT_GE(master, 0);
        // The far end of the pseudo terminal, where the readiness bytes are taken back.
        const char* terminal = ptsname(master);
        ASSERT_NE(terminal, nullptr);
        readinessFd_ = ::open(terminal, O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(readinessFd_, 0) << std::strerror(errno);
        // umockdev answers stat() on the node with the device number of the description but
        // leaves fstat() on an opened node alone, which shows the pseudo terminal's. On a real
        // system both name the same device (the backend tells devices apart by it), so the
        // node is given the terminal's number.
        struct stat terminalStat {};
        ASSERT_EQ(::fstat(readinessFd_, &terminalStat), 0);
        const std::string numberLink =
            std::string(std::getenv("UMOCKDEV_DIR")) + "/dev/.node/hidraw0";
        const std::string number = std::to_string(major(terminalStat.st_rdev)) + ":" +
                                   std::to_string(minor(terminalStat.st_rdev));
        ASSERT_EQ(::unlink(numberLink.c_str()), 0) << numberLink << ": " << std::strerror(errno);
        ASSERT_EQ(::symlink(number.c_str(), numberLink.c_str()), 0) << std::strerror(errno);
        node_ = std::make_unique<FirmwareNode>(master, readinessFd_);
        handler_ = umockdev_ioctl_base_new();
        g_signal_connect(handler_, "handle-read", G_CALLBACK(FirmwareNode::OnRead), node_.get());
        g_signal_connect(handler_, "handle-write", G_CALLBACK(FirmwareNode::OnWrite), node_.get());
        g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(FirmwareNode::OnIoctl), node_.get());
        ASSERT_TRUE(umockdev_testbed_attach_ioctl(testbed_, kNode, handler_, &error))
            << (error ? error->message : "");
        backend_ = std::make_shared<hid::HidrawBackend>();
    }

    void TearDown() override {
        backend_.reset();
        if (testbed_) {
            GError* error = nullptr;
            if (handler_) umockdev_testbed_detach_ioctl(testbed_, kNode, &error);
            g_clear_error(&error);
            g_object_unref(testbed_);
        }
        if (handler_) g_object_unref(handler_);
        if (readinessFd_ >= 0) ::close(readinessFd_);
    }

    // Opens the keyboard's command collection through enumeration, as the program does.
    void OpenCommandCollection(CHidConnection& connection) {
        ASSERT_TRUE(connection.Enumerate()) << connection.LastError();
        std::vector<std::string> paths;
        while (auto path = connection.NextPath()) paths.push_back(*path);
        ASSERT_EQ(paths.size(), 4u);  // keyboard, system control, consumer control, commands
        EXPECT_EQ(paths[3], kPath);
        ASSERT_TRUE(connection.Open(kPath, true, true, true, false)) << connection.LastError();
    }

    UMockdevTestbed* testbed_ = nullptr;
    UMockdevIoctlBase* handler_ = nullptr;
    int readinessFd_ = -1;
    std::unique_ptr<FirmwareNode> node_;
    std::shared_ptr<hid::HidrawBackend> backend_;
};

// ReadDeviceInfo of 34 bytes from offset 0: checksum 0x03 + 0x22 = 0x0025.
constexpr std::array<uint8_t, hid::kReportSize> kReadInfoRequest = {0x04, 0x25, 0x00, 0x03,
                                                                    0x22, 0x00, 0x00, 0x00};

TEST_F(HidrawOnUmockdev, EnumeratesOpensAndExchangesACommand) {
    CHidConnection connection(backend_);
    ASSERT_NO_FATAL_FAILURE(OpenCommandCollection(connection));
    EXPECT_EQ(connection.VendorId(), 0x320F);
    EXPECT_EQ(connection.ProductId(), 0x5055);
    EXPECT_EQ(connection.VersionNumber(), 0x0103);
    EXPECT_EQ(connection.InterfaceNumber(), 1);
    EXPECT_EQ(connection.UsbBus(), 1);  // the USB device's busnum and devnum
    EXPECT_EQ(connection.UsbDevice(), 4);
    EXPECT_EQ(connection.UsagePage(), 0xFF1C);
    // What discovery compares to tell a device plugged again on the same node from this one.
    EXPECT_EQ(backend_->NodeIdentity(kNode), connection.NodeIdentity());
    EXPECT_NE(connection.NodeIdentity().find("0003:320F:5055.0001"), std::string::npos);

    uint32_t written = 0;
    ASSERT_TRUE(connection.Write(kReadInfoRequest.data(), kReadInfoRequest.size(), &written, 1000));
    EXPECT_EQ(written, hid::kReportSize);
    const auto sent = node_->Written();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::vector<uint8_t>(kReadInfoRequest.begin(), kReadInfoRequest.end()));

    std::array<uint8_t, hid::kReportSize> reply{};
    uint32_t got = 0;
    ASSERT_TRUE(connection.Read(reply.data(), reply.size(), &got, 5000));
    ASSERT_EQ(got, hid::kReportSize);
    EXPECT_EQ(node_->Reads(), 1);  // one report, one read: the boundaries hold
    EXPECT_EQ(reply[0], 0x04);     // report id
    EXPECT_EQ(reply[3], 0x03);     // ReadDeviceInfo
    EXPECT_EQ(reply[4], 0x22);     // 34 bytes
    EXPECT_EQ(reply[7], 0x00);     // accepted
    EXPECT_EQ(reply[8], 0x01);     // firmware version 2.1
    EXPECT_EQ(reply[9], 0x02);
    const auto info = node_->Firmware().Dump(emu::AreaId::Info);
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(std::equal(info->begin(), info->end(), reply.begin() + hid::kHeaderSize));

    // Input reports of the node's other collections are not this connection's.
    const std::array<uint8_t, 3> consumerKey = {0x03, 0xE9, 0x00};
    node_->Push(consumerKey);
    node_->Push(kReadInfoRequest);
    ASSERT_TRUE(connection.Read(reply.data(), reply.size(), &got, 5000));
    EXPECT_EQ(got, hid::kReportSize);
    EXPECT_EQ(reply[0], 0x04);
}

TEST_F(HidrawOnUmockdev, ReadTimesOutWhenNothingComesAndTheDeviceStays) {
    CHidConnection connection(backend_);
    ASSERT_NO_FATAL_FAILURE(OpenCommandCollection(connection));
    std::array<uint8_t, hid::kReportSize> buffer{};
    uint32_t got = 99;
    EXPECT_FALSE(connection.Read(buffer.data(), buffer.size(), &got, 30));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(node_->Reads(), 0);  // the wait was poll()'s, not a loop of empty reads
    EXPECT_TRUE(backend_->NodeExists(kNode));
}

// The node says readable and the read finds nothing: the reader waits on for the rest of its
// time and then times out, and the device is not taken for lost.
TEST_F(HidrawOnUmockdev, AWakeUpWithNothingToReadIsNotALoss) {
    CHidConnection connection(backend_);
    ASSERT_NO_FATAL_FAILURE(OpenCommandCollection(connection));
    node_->WakeWithoutReport();
    std::array<uint8_t, hid::kReportSize> buffer{};
    uint32_t got = 0;
    EXPECT_FALSE(connection.Read(buffer.data(), buffer.size(), &got, 30));
    EXPECT_TRUE(backend_->NodeExists(kNode));

    node_->Push(kReadInfoRequest);
    ASSERT_TRUE(connection.Read(buffer.data(), buffer.size(), &got, 5000));
    EXPECT_EQ(got, hid::kReportSize);
}

// An output report sent on the control pipe: through the ioctl where the kernel has it, as a
// write on the node where it refuses the ioctl, and a loss when the device is gone.
TEST_F(HidrawOnUmockdev, OutputReportsGoThroughTheIoctlOrAWrite) {
    const struct {
        const char* what;
        int ioctlAnswer;
        bool ok;
        bool byIoctl;
        bool byWrite;
    } cases[] = {
        {"the ioctl takes it", 0, true, true, false},
        {"a kernel without the ioctl (EINVAL)", EINVAL, true, false, true},
        {"a kernel without the ioctl (ENOTTY)", ENOTTY, true, false, true},
        {"the device is gone", ENODEV, false, false, false},
    };
    using Reports = std::vector<std::vector<uint8_t>>;
    const std::vector<uint8_t> report(kReadInfoRequest.begin(), kReadInfoRequest.end());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto backend = std::make_shared<hid::HidrawBackend>();
        CHidConnection connection(backend);
        ASSERT_NO_FATAL_FAILURE(OpenCommandCollection(connection));
        node_->ClearLogs();
        node_->SetOutputIoctlAnswer(c.ioctlAnswer);
        EXPECT_EQ(connection.SetOutputReport(report.data(), report.size(), 1000), c.ok);
        EXPECT_EQ(node_->OutputIoctls(), c.byIoctl ? Reports{report} : Reports{});
        EXPECT_EQ(node_->Written(), c.byWrite ? Reports{report} : Reports{});
        EXPECT_EQ(backend->NodeExists(kNode), c.ok);  // a loss is counted at once
    }
}

// Unplugged while a read waits: the read ends with the loss, the backend counts the node as
// gone, writes fail and the next enumeration no longer lists it.
TEST_F(HidrawOnUmockdev, UnplugDuringAReadEndsItAndTheNodeIsGone) {
    CHidConnection connection(backend_);
    ASSERT_NO_FATAL_FAILURE(OpenCommandCollection(connection));
    bool readOk = true;
    std::thread reader([&] {
        std::array<uint8_t, hid::kReportSize> buffer{};
        uint32_t got = 0;
        readOk = connection.Read(buffer.data(), buffer.size(), &got, CHidConnection::kInfinite);
    });
    std::atomic<int> discoveryCalls{0};
    backend_->SetArrivalHandler([&] { ++discoveryCalls; });
    // As the kernel does: the device is marked gone and its readers woken; udev removes the
    // node and the sysfs entries afterwards.
    node_->Unplug();
    reader.join();
    EXPECT_FALSE(readOk);
    EXPECT_FALSE(backend_->NodeExists(kNode));  // though the node is still there
    EXPECT_GE(discoveryCalls.load(), 1);        // discovery is told at once
    backend_->SetArrivalHandler(nullptr);
    umockdev_testbed_remove_device(testbed_, kHidrawSysPath);

    uint32_t written = 0;
    EXPECT_FALSE(
        connection.Write(kReadInfoRequest.data(), kReadInfoRequest.size(), &written, 1000));
    connection.Close();

    CHidConnection again(backend_);
    again.Enumerate();
    EXPECT_EQ(again.PathCount(), 0);
}

}  // namespace
