#pragma once
// The mouse pad's device command lines (RunDeviceCommand hands kind "mousepad" here):
//   --read-device mousepad     ReadPadInfo and ReadPadParameters: "info HEX",
//                              "active-profile N", "params HEX" (the 26 bytes read at N x 25)
//   --apply-profile mousepad   the profile's light written as the live block at slot 0:
//                              "step parameters CODE", then "applied mousepad ok|failed"
// Exit codes as for the other kinds (main/device_commands.h).
#include <cstdio>
#include <memory>

#include "hid/hid_backend.h"
#include "main/device_commands.h"

int RunMousePadCommand(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
                       std::FILE* out);
