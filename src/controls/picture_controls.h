#pragma once
// Registers the device picture controls and the colour palette with the control factory, under
// their layout class names ("DeviceKeyButton", "SelectPanel", "CircleProgress",
// "ColorPalette") and their C++ class names ("CDeviceKeyButtonUI", "CSelectPanelUI",
// "CCircleProgressUI", "CColorPaletteUI").
class CControlFactory;

namespace controls {
void RegisterPictureControls(CControlFactory& factory);
}
