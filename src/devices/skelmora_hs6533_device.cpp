#include "devices/skelmora_hs6533_device.h"

CSkelmoraHS6533Device::CSkelmoraHS6533Device(QWidget* parent,
                                             std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindHeadset);
}

CSkelmoraHS6533Device::~CSkelmoraHS6533Device() { StopWorkerThreads(); }

void CSkelmoraHS6533Device::OnConnected() { LoadProfileAndStartLighting(); }

std::optional<light::LightModeRow> CSkelmoraHS6533Device::CurrentLightMode() const {
    return light::FindLightMode(light::kPadLightModes, GetLightSettingsCopy().mode);
}

// The headset's LEDs take reports of their own: the frame timer only repaints the previews.
CSkelmoraUSBDevice::FrameNeed CSkelmoraHS6533Device::GetFrameNeed() const {
    return IsPageOnScreen() ? FrameNeed::Preview : FrameNeed::Nothing;
}

bool CSkelmoraHS6533Device::SendLightFrame() {
    PaintLightPreview();
    return true;
}
