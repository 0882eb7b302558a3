#include "devices/skelmora_mouse_pad_device.h"

CSkelmoraMousePadDevice::CSkelmoraMousePadDevice(QWidget* parent,
                                                 std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindMousePad);
}

CSkelmoraMousePadDevice::~CSkelmoraMousePadDevice() { StopWorkerThreads(); }

void CSkelmoraMousePadDevice::OnConnected() { LoadProfileAndStartLighting(); }

std::optional<light::LightModeRow> CSkelmoraMousePadDevice::CurrentLightMode() const {
    const auto row = light::FindLightMode(light::kPadLightModes, GetLightSettingsCopy().mode);
    return row ? row : kCustomLightRow;
}

void CSkelmoraMousePadDevice::OwnLightRoutine() {
    // Mode 5 is the pad's own frame, which it does not draw yet; the modes past the built-in
    // table play the user effects.
    if (GetLightSettingsCopy().mode >= light::kPadLightModes.size()) CustomLightEffectPass();
}
