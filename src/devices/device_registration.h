#pragma once
// Registers the four device classes and the selector item ("DeviceOption") with the control
// factory under their class names, so that layouts and the device manager create them by name.
void RegisterDeviceControls();
