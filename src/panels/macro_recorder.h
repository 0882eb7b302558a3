#pragma once
// Recording into a macro's rows: each key or mouse button event from the input hook becomes a
// row at the recording's position (append, before or after the selected row, or the selected
// row's key replaced), with delays from the events' own time stamps in one of three modes.
// Pure: the editor and the command line feed it the same events.
#include <cstdint>
#include <optional>
#include <vector>

#include "panels/macro_model.h"
#include "platform/input_event.h"

namespace macro_edit {

// The hook modes of recording.
enum class RecordPosition : int { Append = 0x004, Before = 0x008, After = 0x010, Replace = 0x020 };
// 1 record delays, 2 a constant delay, 3 ignore delays.
enum class DelayMode : int { Record = 1, Constant = 2, Ignore = 3 };

inline constexpr uint32_t kLongestRecordedGap = 65534;  // longer gaps are stored as 65,535

class MacroRecorder {
  public:
    MacroRecorder(MacroEventList& rows, RecordPosition position, DelayMode mode,
                  uint16_t fixed_delay, uint64_t start_us);

    // True when a row was added or changed. Auto-repeats, unknown keys and (for replace) key
    // releases are dropped.
    bool Feed(const platform::InputEvent& event);
    // Ends the recording. stopped_by_click: the left button press (and its release) that
    // clicked the stop button are not part of the macro and are taken out again.
    void Stop(bool stopped_by_click);

    std::size_t RecordedCount() const { return inserted_.size(); }

  private:
    struct Inserted {
        std::size_t row;
        std::optional<std::size_t> above;  // the row whose delay took the gap
        Json::Value above_delay;           // its delay before
    };
    // The event object of an input event, or null when it is not recorded.
    Json::Value EventOf(const platform::InputEvent& event);
    uint32_t Gap(uint64_t time_us);
    void Place(Json::Value event, uint64_t time_us);
    void TakeOut(const Inserted& inserted);

    MacroEventList& rows_;
    RecordPosition position_;
    DelayMode mode_;
    uint16_t fixed_delay_;
    uint64_t previous_us_;
    std::optional<std::pair<uint16_t, bool>> last_key_;  // for repeat suppression
    std::vector<Inserted> inserted_;
    bool stopped_ = false;
};

}  // namespace macro_edit
