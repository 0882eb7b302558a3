#pragma once
// Registers the device picture controls with the control factory, under their layout class
// names ("DeviceKeyButton", "SelectPanel", "CircleProgress") and their C++ class names
// ("CDeviceKeyButtonUI", "CSelectPanelUI", "CCircleProgressUI").
class CControlFactory;

namespace controls {
void RegisterPictureControls(CControlFactory& factory);
}
