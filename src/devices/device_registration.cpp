#include "devices/device_registration.h"

#include "devices/device_option.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "ui/control_factory.h"

namespace {
template <typename Device>
void Register() {
    CControlFactory::GetInstance().RegistControl(
        QLatin1String(Device::kClassName), [](QWidget* parent) { return new Device(parent); });
}
}  // namespace

void RegisterDeviceControls() {
    Register<CSkelmoraKeyboardDevice>();
    Register<CSkelmoraMouseDevice>();
    Register<CSkelmoraMousePadDevice>();
    Register<CSkelmoraHS6533Device>();
    Register<CDeviceOptionUI>();
}
