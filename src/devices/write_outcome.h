#pragma once
// The outcome of a device write or read sequence: which step failed and with which result
// code (hid::Result), or by how many events a macro upload does not fit. A success names no
// step. Callers tell failure, excess and success apart without guessing from one int.
#include <cstdint>
#include <string>

#include "hid/command_report.h"

struct WriteOutcome {
    std::string step;           // the step that failed; empty on success
    int code = hid::kResultOk;  // its result code (kResultOk when none failed)
    uint32_t excess = 0;        // macro events that do not fit; nothing was sent then

    bool ok() const { return code == hid::kResultOk && excess == 0; }
    static WriteOutcome Ok() { return {}; }
    static WriteOutcome Failed(std::string step, int code) { return {std::move(step), code, 0}; }
    static WriteOutcome TooLarge(uint32_t excess) { return {"capacity", hid::kResultOk, excess}; }
};
