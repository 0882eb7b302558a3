#include "panels/macro_recording.h"

#include "tables/key_tables.h"

namespace macro_edit {

std::optional<std::pair<uint16_t, bool>> ScanCodeOfKey(uint16_t code) {
    const auto row = tables::ScanCodeForEvdev(code);
    if (!row) return std::nullopt;
    return std::make_pair(row->scan_code, row->extended);
}

std::size_t RecordRawEvents(MacroRecorder& recorder,
                            const std::vector<platform::RawInputEvent>& events) {
    for (const platform::RawInputEvent& raw : events) {
        auto event = platform::FromRawEvent(raw);
        if (!event) continue;
        if (event->device == platform::InputEvent::Device::Key) {
            if (const auto scan = ScanCodeOfKey(event->code)) {
                event->scan_code = scan->first;
                event->extended = scan->second;
            }
        }
        recorder.Feed(*event);
    }
    return recorder.RecordedCount();
}

}  // namespace macro_edit
