#include "panels/macro_recorder.h"

#include <algorithm>

#include "tables/key_tables.h"

namespace macro_edit {
namespace {

uint8_t ButtonBit(platform::MouseButton button) {
    switch (button) {
        case platform::MouseButton::Left:
            return 0x01;
        case platform::MouseButton::Right:
            return 0x02;
        case platform::MouseButton::Middle:
            return 0x04;
        case platform::MouseButton::Back:
            return 0x08;
        case platform::MouseButton::Forward:
            return 0x10;
    }
    return 0;
}

bool IsLeftClickEvent(const Json::Value& event, bool down) {
    return event.isObject() && event["Type"].isInt() && event["Type"].asInt() == kTypeMouseButton &&
           event["Button"].isInt() && event["Button"].asInt() == 0x01 && IsDown(event) == down;
}

}  // namespace

MacroRecorder::MacroRecorder(MacroEventList& rows, RecordPosition position, DelayMode mode,
                             uint16_t fixed_delay, uint64_t start_us)
    : rows_(rows),
      position_(position),
      mode_(mode),
      fixed_delay_(fixed_delay),
      previous_us_(start_us) {}

Json::Value MacroRecorder::EventOf(const platform::InputEvent& event) {
    const bool down = event.state != platform::KeyState::Released;
    if (event.device == platform::InputEvent::Device::Button) {
        if (event.state == platform::KeyState::Repeat) return {};
        return MakeEvent(down, ButtonBit(event.button), kTypeMouseButton, 0);
    }
    const std::pair<uint16_t, bool> key{event.scan_code, event.extended};
    if (event.state == platform::KeyState::Repeat) return {};
    if (down) {
        if (last_key_ == key) return {};  // the keyboard's auto-repeat
        last_key_ = key;
    } else if (last_key_ == key) {
        last_key_.reset();
    }
    const auto row = tables::FindRowByScanCode(event.scan_code, event.extended);
    if (!row) return {};
    const tables::DeviceKeyCode& code = tables::kVirtualKeyTable[*row].code;
    if (code.kind != tables::kKindKeyboardKey) return {};
    if (*row < tables::kModifierRowCount) return MakeEvent(down, code.high, kTypeModifier, 0);
    return MakeEvent(down, code.low, kTypeKey, 0);
}

uint32_t MacroRecorder::Gap(uint64_t time_us) {
    switch (mode_) {
        case DelayMode::Record: {
            const uint64_t elapsed = time_us > previous_us_ ? (time_us - previous_us_) / 1000 : 0;
            return elapsed > kLongestRecordedGap ? kMaxDelay : static_cast<uint32_t>(elapsed);
        }
        case DelayMode::Constant:
            return fixed_delay_;
        case DelayMode::Ignore:
            return 0;
    }
    return 0;
}

void MacroRecorder::Place(Json::Value event, uint64_t time_us) {
    const uint32_t gap = Gap(time_us);
    // Every recorded event starts the next gap, the first one too.
    previous_us_ = std::max(previous_us_, time_us);
    event["Delay"] = std::to_string(mode_ == DelayMode::Constant ? fixed_delay_ : 0);
    const int selected = rows_.Selected();
    std::size_t at = rows_.size();
    if (position_ == RecordPosition::Before)
        at = selected < 0 ? 0 : static_cast<std::size_t>(selected);
    if (position_ == RecordPosition::After && selected >= 0)
        at = static_cast<std::size_t>(selected) + 1;

    Inserted inserted{at, std::nullopt, {}};
    if (at > 0) {
        inserted.above = at - 1;
        const Json::Value& above = rows_.at(at - 1);
        inserted.above_delay = above.isObject() ? above["Delay"] : Json::Value();
    }
    rows_.InsertAt(at, std::move(event));
    if (inserted.above) rows_.SetDelay(*inserted.above, gap);
    // After: the next event goes after this one. Before: the selection stays on its row,
    // which InsertAt moved down, so the next event goes after this one too.
    if (position_ == RecordPosition::After) rows_.Select(static_cast<int>(at));
    for (Inserted& earlier : inserted_) {
        if (earlier.row >= at) ++earlier.row;
        if (earlier.above && *earlier.above >= at) ++*earlier.above;
    }
    inserted_.push_back(inserted);
}

bool MacroRecorder::Feed(const platform::InputEvent& input) {
    if (stopped_) return false;
    if (position_ == RecordPosition::Replace) {
        if (input.state != platform::KeyState::Pressed) {
            if (input.device == platform::InputEvent::Device::Key) EventOf(input);  // repeat state
            return false;
        }
        const int selected = rows_.Selected();
        Json::Value event = EventOf(input);
        if (event.isNull() || selected < 0) return false;
        Json::Value& row = rows_.Mutable(static_cast<std::size_t>(selected));
        if (!row.isObject()) return false;
        row["Button"] = event["Button"];
        row["Type"] = event["Type"];
        return true;
    }
    Json::Value event = EventOf(input);
    if (event.isNull()) return false;
    Place(std::move(event), input.time_us);
    return true;
}

void MacroRecorder::TakeOut(const Inserted& inserted) {
    rows_.RemoveAt(inserted.row);
    if (inserted.above) {
        Json::Value& above = rows_.Mutable(*inserted.above);
        if (above.isObject() && !inserted.above_delay.isNull())
            above["Delay"] = inserted.above_delay;
    }
    for (Inserted& earlier : inserted_) {
        if (earlier.row > inserted.row) --earlier.row;
        if (earlier.above && *earlier.above > inserted.row) --*earlier.above;
    }
}

void MacroRecorder::Stop(bool stopped_by_click) {
    if (stopped_) return;
    stopped_ = true;
    if (!stopped_by_click || inserted_.empty()) return;
    // The stop click: its release (when it arrived before the stop) and its press.
    if (IsLeftClickEvent(rows_.at(inserted_.back().row), false) && inserted_.size() >= 2 &&
        IsLeftClickEvent(rows_.at(inserted_[inserted_.size() - 2].row), true)) {
        const Inserted release = inserted_.back();
        inserted_.pop_back();
        TakeOut(release);
    }
    if (!inserted_.empty() && IsLeftClickEvent(rows_.at(inserted_.back().row), true)) {
        const Inserted press = inserted_.back();
        inserted_.pop_back();
        TakeOut(press);
    }
}

}  // namespace macro_edit
