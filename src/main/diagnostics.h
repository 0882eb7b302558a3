#pragma once
// Command-line diagnostics: list the HID interfaces the system sees, exchange one command.
#include <cstdio>
#include <string>
#include <vector>

#include "hid/hid_backend.h"

// One line per top-level collection of every node:
//   PATH vid=320f pid=5055 mi=1 col=4 page=ff1c usage=92
int ListDevices(hid::IHidBackend& backend, std::FILE* out);

// Sends one command report on an interface path and prints the reply:
//   args: COMMAND [LENGTH [OFFSET [DATA...]]], each a hexadecimal byte or number.
int ExchangeCommand(const std::shared_ptr<hid::IHidBackend>& backend, const std::string& path,
                    const std::vector<std::string>& args, std::FILE* out);
