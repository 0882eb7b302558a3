#pragma once
// Pieces the device command lines of every kind share.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "devices/skelmora_usb_device.h"
#include "devices/write_outcome.h"
#include "hid/hid_backend.h"
#include "tables/device_tables.h"

// The path of the first connected command interface of the interface table's rows of a kind;
// identity receives the row with the path.
std::optional<std::string> FindCommandPath(const std::shared_ptr<hid::IHidBackend>& backend,
                                           uint16_t kind, DeviceIdentity& identity);
// The device's profile base name := the active entry of its profile list, when it has one.
void UseActiveProfile(CSkelmoraUSBDevice& device);
// "step NAME CODE" (a macro excess as its negative count).
void PrintStep(std::FILE* out, const char* name, const WriteOutcome& outcome);
