#pragma once
// Command-line diagnostics: list the HID interfaces the system sees, exchange one command.
#include <cstdio>
#include <string>
#include <vector>

#include "hid/hid_backend.h"

// One line per top-level collection of every node:
//   PATH vid=320f pid=5055 mi=1 col=4 page=ff1c usage=92
int ListDevices(hid::IHidBackend& backend, std::FILE* out);

// A hexadecimal number of plain digits (no sign, blank or "0x") up to max.
bool ParseHexNumber(const std::string& text, unsigned long max, unsigned long& value);

// Sends one command report on an interface path and prints the reply:
//   args: COMMAND [LENGTH [OFFSET [DATA...]]], each a hexadecimal byte or number; no more
//   DATA bytes than LENGTH. Exit status 0 ok, 1 failed exchange, 2 bad arguments. Without a
//   reply, no reply is printed.
int ExchangeCommand(const std::shared_ptr<hid::IHidBackend>& backend, const std::string& path,
                    const std::vector<std::string>& args, std::FILE* out);
