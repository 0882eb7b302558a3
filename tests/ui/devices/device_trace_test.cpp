// The exit traces of the worker threads, by device class.
#include <QLoggingCategory>
#include <mutex>

#include "device_test_support.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "event_backend.h"

namespace {

std::mutex g_tracesMutex;
QStringList g_traces;

void Capture(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QLatin1String(context.category) != QLatin1String("skelmora.device")) return;
    std::lock_guard lock(g_tracesMutex);
    g_traces << message;
}

// Collects the device traces while it lives.
class TraceCapture {
  public:
    TraceCapture() {
        QLoggingCategory::setFilterRules("skelmora.device.debug=true");
        previous_ = qInstallMessageHandler(Capture);
    }
    ~TraceCapture() {
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules({});
        std::lock_guard lock(g_tracesMutex);
        g_traces.clear();
    }
    bool Has(const QString& text) const {
        std::lock_guard lock(g_tracesMutex);
        return g_traces.contains(text);
    }

  private:
    QtMessageHandler previous_ = nullptr;
};

}  // namespace

TEST(ThreadTraces, EachClassWritesItsExitLines) {
    uitest::app();
    auto backend = std::make_shared<devtest::EventBackend>();
    const std::string path = devtest::PathOf(backend, devtest::kConsumerPage);
    ASSERT_FALSE(path.empty());
    const struct {
        const char* name;
        std::function<std::unique_ptr<CSkelmoraUSBDevice>()> make;
        const char* lightExit;
        const char* eventExit;
    } cases[] = {
        {"keyboard", [&] { return std::make_unique<CSkelmoraKeyboardDevice>(nullptr, backend); },
         "KB灯光线程设定退出", "MS 设备同步线程设定退出"},
        {"mouse", [&] { return std::make_unique<CSkelmoraMouseDevice>(nullptr, backend); },
         "MS灯光线程设定退出", "MS 设备同步线程设定退出"},
        {"mouse pad", [&] { return std::make_unique<CSkelmoraMousePadDevice>(nullptr, backend); },
         "MS灯光线程设定退出", "MS设备同步线程设定退出"},
        {"headset", [&] { return std::make_unique<CSkelmoraHS6533Device>(nullptr, backend); },
         "MS灯光线程设定退出", "MS设备同步线程设定退出"},
    };
    for (const auto& c : cases) {
        TraceCapture traces;
        auto device = c.make();
        ASSERT_TRUE(device->StartLightThread());
        ASSERT_TRUE(device->OpenEventInterface(path, CSkelmoraUSBDevice::kWiredEvents));
        backend->Inject({3, 0x01, 0x04});
        EXPECT_TRUE(QTest::qWaitFor([&] { return device->LastEventCode() == 0x401; }, 5000));
        device->StopWorkerThreads();
        EXPECT_TRUE(traces.Has("接收到自动添加设备的同步信息要求  TEST")) << c.name;
        EXPECT_TRUE(traces.Has("接收到自动添加设备的同步信息要求")) << c.name;
        EXPECT_TRUE(traces.Has(c.lightExit)) << c.name;
        EXPECT_TRUE(traces.Has(c.eventExit)) << c.name;
        EXPECT_TRUE(traces.Has("线程退出：：对象处于激发状态")) << c.name;
    }
}
