#include "devices/skelmora_keyboard_device.h"

CSkelmoraKeyboardDevice::CSkelmoraKeyboardDevice(QWidget* parent,
                                                 std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindKeyboard);
}

CSkelmoraKeyboardDevice::~CSkelmoraKeyboardDevice() { StopWorkerThreads(); }

void CSkelmoraKeyboardDevice::OnConnected() { LoadProfileAndStartLighting(); }

bool CSkelmoraKeyboardDevice::IsLinked() { return ReceiverReportsLink(); }

const char* CSkelmoraKeyboardDevice::LightThreadExitTrace() const { return "KB灯光线程设定退出"; }

device_events::EventClass CSkelmoraKeyboardDevice::EventClassOf(EventInterface) const {
    return device_events::EventClass::Keyboard;
}

const char* CSkelmoraKeyboardDevice::EventThreadExitTrace() const {
    return "MS 设备同步线程设定退出";
}
