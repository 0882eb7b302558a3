#pragma once
// The headset's command lines (see device_commands.h for the shared rules and exit codes):
//   --read-device headset    "info HEX" (the device information), "active-profile N" (the
//                            bank byte), "params HEX" (the bank's 26-byte record as read),
//                            "status HEX" (the 6-byte status block)
//   --apply-profile headset  step "parameters" (the profile's light block at bank 0), step
//                            "leds" (one frame of the profile's effect on both sides)
// The audio lines (headset_audio_lines.h) follow: after "status", and after the steps "mic",
// "monitor", "eq" when applying.
#include <cstdio>
#include <memory>

#include "hid/hid_backend.h"
#include "main/device_commands.h"

int RunHeadset(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
               std::FILE* out);
