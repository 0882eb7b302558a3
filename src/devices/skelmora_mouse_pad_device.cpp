#include "devices/skelmora_mouse_pad_device.h"

CSkelmoraMousePadDevice::CSkelmoraMousePadDevice(QWidget* parent,
                                                 std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindMousePad);
}

CSkelmoraMousePadDevice::~CSkelmoraMousePadDevice() { StopWorkerThreads(); }

void CSkelmoraMousePadDevice::OnConnected() { LoadProfileAndStartLighting(); }

std::optional<light::LightModeRow> CSkelmoraMousePadDevice::CurrentLightMode() const {
    return light::FindLightMode(light::kPadLightModes, GetLightSettingsCopy().mode);
}
