#pragma once
// Registers the four device classes with the control factory under their class names, so
// that a layout or the device manager can create them by name.
void RegisterDeviceControls();
