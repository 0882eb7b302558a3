#pragma once
// Command lines that run a device's own sequences without the window:
//   --read-device KIND     the connect read-back, printed as "info HEX", "keytable HEX",
//                          "second HEX", "active-profile N", "params HEX", "status HEX"
//   --apply-profile KIND   the active profile written as a profile switch does, one
//                          "step NAME CODE" per step and last "applied KIND ok|failed"
// KIND mouse: "path wired|receiver" first (the cable when plugged), then "info HEX",
// "keytable HEX", "active-profile N", "params HEX" (the 71 bytes of slot N); applying writes
// "parameters" (slot 0), "macros", "buttons", "shoot" (the recoil image) in that order.
// KIND mousepad: main/mousepad_commands.h.
// Exit codes: 0 done, 1 a step failed ("failed STEP CODE"), 2 no such device connected (or a
// kind no command knows), 3 an instance of the program runs (it owns the devices).
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "hid/hid_backend.h"
#include "tables/device_tables.h"

enum class DeviceCommand { ReadDevice, ApplyProfile };

inline constexpr int kDeviceCommandOk = 0;
inline constexpr int kDeviceCommandFailed = 1;
inline constexpr int kDeviceCommandNoDevice = 2;
inline constexpr int kDeviceCommandInstanceRuns = 3;

// Needs a QApplication (the device object is a widget; nothing is shown). Holds the program's
// instance lock while it runs.
int RunDeviceCommand(DeviceCommand command, const std::string& kind,
                     const std::shared_ptr<hid::IHidBackend>& backend, std::FILE* out);
