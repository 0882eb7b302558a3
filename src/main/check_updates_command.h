#pragma once
// skelmora --check-updates: one update check without a window, for the devices found by one
// discovery pass. Prints "row KEY status N current VERSION latest VERSION|-" per row, then
// "summary N". Exit 0 when the check ran, 3 when an instance of the program runs.
#include <cstdio>
#include <memory>

#include "hid/hid_backend.h"

int CheckUpdatesCommand(std::shared_ptr<hid::IHidBackend> backend, std::FILE* out);
