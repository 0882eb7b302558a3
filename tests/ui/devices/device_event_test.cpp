// The event threads on a keyboard's event interface.
#include <QThread>

#include "device_test_support.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "event_backend.h"
#include "ui/control_timers.h"

namespace {

// Records where its report handler runs.
class RecordingKeyboard : public CSkelmoraKeyboardDevice {
  public:
    using CSkelmoraKeyboardDevice::CSkelmoraKeyboardDevice;
    std::vector<uint16_t> reports;
    bool handledOnUiThread = true;

  protected:
    void OnDeviceReport(uint16_t code) override {
        reports.push_back(code);
        handledOnUiThread = handledOnUiThread && QThread::currentThread() == thread();
    }
};

class EventThreads : public devtest::WithApplication {
  protected:
    void SetUp() override {
        eventPath_ = devtest::PathOf(bus_, devtest::kConsumerPage);
        ASSERT_FALSE(eventPath_.empty());
    }

    void Inject(uint16_t usage) {
        events_->Inject({3, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)});
    }

    std::shared_ptr<devtest::EventBackend> events_ = std::make_shared<devtest::EventBackend>();
    std::shared_ptr<hid::IHidBackend> bus_ = events_;

    std::string eventPath_;
    QWidget selectorItem_;
};

}  // namespace

TEST_F(EventThreads, AnInjectedReportDeliversItsCodeAndArmsTheSelectorsEventTimer) {
    CSkelmoraKeyboardDevice keyboard(nullptr, bus_);
    keyboard.SetSelectorItem(&selectorItem_);
    ASSERT_TRUE(keyboard.OpenEventInterface(eventPath_, CSkelmoraUSBDevice::kWiredEvents));
    EXPECT_TRUE(keyboard.IsEventInterfaceOpen(CSkelmoraUSBDevice::kWiredEvents));
    EXPECT_TRUE(keyboard.EventChannel().IsOpened());
    Inject(0x401);
    EXPECT_TRUE(QTest::qWaitFor([&] { return keyboard.LastEventCode() == 0x401; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return ui::IsTimerActive(&selectorItem_, CSkelmoraUSBDevice::kEventTimerId); },
        5000));
    ui::KillTimer(&selectorItem_, CSkelmoraUSBDevice::kEventTimerId);

    keyboard.CloseEventInterface(CSkelmoraUSBDevice::kWiredEvents);
    EXPECT_FALSE(keyboard.IsEventThreadRunning(CSkelmoraUSBDevice::kWiredEvents));
    EXPECT_FALSE(keyboard.IsEventInterfaceOpen(CSkelmoraUSBDevice::kWiredEvents));
    EXPECT_FALSE(keyboard.EventChannel().IsOpened());
}

TEST_F(EventThreads, HandlerCodesRunOnTheUiThreadAndOthersStartNoTimer) {
    RecordingKeyboard keyboard(nullptr, bus_);
    keyboard.SetSelectorItem(&selectorItem_);
    ASSERT_TRUE(keyboard.OpenEventInterface(eventPath_, CSkelmoraUSBDevice::kWiredEvents));
    Inject(0x410);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !keyboard.reports.empty(); }, 5000));
    EXPECT_EQ(keyboard.reports, (std::vector<uint16_t>{0x410}));
    EXPECT_TRUE(keyboard.handledOnUiThread);
    EXPECT_FALSE(ui::IsTimerActive(&selectorItem_, CSkelmoraUSBDevice::kEventTimerId));
    keyboard.StopWorkerThreads();
    EXPECT_FALSE(keyboard.IsEventThreadRunning(CSkelmoraUSBDevice::kWiredEvents));
}

TEST_F(EventThreads, AStopWakesAThreadBlockedInItsRead) {
    CSkelmoraMousePadDevice pad(nullptr, bus_);
    ASSERT_TRUE(pad.OpenEventInterface(eventPath_, CSkelmoraUSBDevice::kWiredEvents));
    ASSERT_TRUE(pad.IsEventThreadRunning(CSkelmoraUSBDevice::kWiredEvents));
    QTest::qWait(50);  // let it enter the read
    pad.StopWorkerThreads();
    EXPECT_FALSE(pad.IsEventThreadRunning(CSkelmoraUSBDevice::kWiredEvents));
    // The interface stays open: a new thread comes with a re-open.
    EXPECT_TRUE(pad.IsEventInterfaceOpen(CSkelmoraUSBDevice::kWiredEvents));
    ASSERT_TRUE(pad.ReopenEventInterface(eventPath_, CSkelmoraUSBDevice::kWiredEvents));
    EXPECT_TRUE(pad.IsEventThreadRunning(CSkelmoraUSBDevice::kWiredEvents));
}

TEST_F(EventThreads, AnInterfaceThatCannotBeOpenedLeavesItsFlagClear) {
    CSkelmoraKeyboardDevice keyboard(nullptr, bus_);
    EXPECT_FALSE(
        keyboard.OpenEventInterface("/dev/none#vid_0000", CSkelmoraUSBDevice::kReceiverEvents));
    EXPECT_FALSE(keyboard.IsEventInterfaceOpen(CSkelmoraUSBDevice::kReceiverEvents));
    keyboard.CloseEventInterface(CSkelmoraUSBDevice::kReceiverEvents);
    EXPECT_FALSE(keyboard.IsEventThreadRunning(CSkelmoraUSBDevice::kReceiverEvents));
}
