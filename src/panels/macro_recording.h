#pragma once
// The recording path shared by the editor and the command line: an input event gets the scan
// code and extended flag of its key from the key tables, then goes to the recorder.
#include <vector>

#include "panels/macro_recorder.h"
#include "platform/input_event.h"

namespace macro_edit {

// The scan code and extended flag of a Linux input key code, when the tables know the key.
std::optional<std::pair<uint16_t, bool>> ScanCodeOfKey(uint16_t code);
// Feeds raw events (an evemu replay) to the recorder; returns the rows recorded.
std::size_t RecordRawEvents(MacroRecorder& recorder,
                            const std::vector<platform::RawInputEvent>& events);

}  // namespace macro_edit
