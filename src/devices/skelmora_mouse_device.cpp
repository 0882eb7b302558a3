#include "devices/skelmora_mouse_device.h"

CSkelmoraMouseDevice::CSkelmoraMouseDevice(QWidget* parent,
                                           std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindMouse);
}

CSkelmoraMouseDevice::~CSkelmoraMouseDevice() { StopWorkerThreads(); }

void CSkelmoraMouseDevice::OnConnected() { LoadProfileAndStartLighting(); }

bool CSkelmoraMouseDevice::IsLinked() { return ReceiverReportsLink(); }

std::optional<light::LightModeRow> CSkelmoraMouseDevice::CurrentLightMode() const {
    const auto row = light::FindLightMode(light::kMouseLightModes, GetLightSettingsCopy().mode);
    return row ? row : light::kMouseCustomMode;
}

device_events::EventClass CSkelmoraMouseDevice::EventClassOf(EventInterface which) const {
    return which == kWiredEvents ? device_events::EventClass::MouseWired
                                 : device_events::EventClass::MouseReceiver;
}

const char* CSkelmoraMouseDevice::EventThreadExitTrace() const { return "MS 设备同步线程设定退出"; }
