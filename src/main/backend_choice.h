#pragma once
// Chooses the HID backend at start: --emulate KINDS (devices emulated in this process),
// else SKELMORA_HID: "hidraw" (the default, real devices) or "vhid:/path/to/bus.sock".
#include <memory>
#include <string>

#include "hid/hid_backend.h"

std::shared_ptr<hid::IHidBackend> ChooseHidBackend(const std::string& emulateKinds,
                                                   const char* hidVariable, std::string& error);
