#include "panels/macro_model.h"

#include <algorithm>
#include <charconv>

#include "devices/macro_event_codec.h"
#include "tables/key_tables.h"

namespace macro_edit {
namespace {

int IntOf(const Json::Value& value) {
    return value.isIntegral() && !value.isBool() && value.isInt() ? value.asInt() : -1;
}

std::string Narrow(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) out.push_back(static_cast<char>(c));
    return out;
}

}  // namespace

Json::Value MakeEvent(bool down, int button, int type, uint32_t delay) {
    Json::Value event(Json::objectValue);
    event["Action"] = down ? "down" : "up";
    event["Button"] = button & 0xFF;
    event["Type"] = type & 0x7F;
    event["Delay"] = std::to_string(std::min(delay, kMaxDelay));
    return event;
}

Json::Value MouseMoveEvent(MoveDirection direction, int distance, uint32_t delay) {
    const bool horizontal = direction == MoveDirection::Left || direction == MoveDirection::Right;
    const bool down = direction == MoveDirection::Left || direction == MoveDirection::Up;
    return MakeEvent(down, distance & 0xFF, horizontal ? kTypeMoveHorizontal : kTypeMoveVertical,
                     delay);
}

Json::Value MouseButtonEvent(uint16_t message, int variant, uint32_t delay) {
    int seen = 0;
    for (const MouseEventRow& row : kMouseEventTable) {
        if (row.message != message) continue;
        // The X buttons have two rows each: forward first, back second.
        const bool xButton = message == kXDown || message == kXUp;
        if (xButton && seen++ != (variant == kVariantBack ? 1 : 0)) continue;
        return MakeEvent((row.low & 0x80) != 0, row.high, row.low & 0x7F, delay);
    }
    return Json::Value();
}

bool IsMouseEvent(const Json::Value& event) {
    const int type = event.isObject() ? IntOf(event["Type"]) : -1;
    return type == kTypeMouseButton || type == kTypeMoveHorizontal || type == kTypeMoveVertical;
}

bool IsMoveEvent(const Json::Value& event) {
    const int type = event.isObject() ? IntOf(event["Type"]) : -1;
    return type == kTypeMoveHorizontal || type == kTypeMoveVertical;
}

bool IsDown(const Json::Value& event) {
    return event.isObject() && event["Action"].isString() && event["Action"].asString() == "down";
}

uint16_t EventDelay(const Json::Value& event) {
    return event.isObject() ? macro_codec::ReadDelay(event["Delay"]).delay : 0;
}

std::string EventNameKey(const Json::Value& event) {
    if (!event.isObject()) return {};
    const int type = IntOf(event["Type"]);
    const int button = IntOf(event["Button"]);
    const bool down = IsDown(event);
    for (const MouseEventRow& row : kMouseEventTable) {
        const int rowType = row.low & 0x7F;
        if (rowType != type) continue;
        if (type == kTypeMouseButton && row.high == button) return std::string(row.name_key);
        if (type != kTypeMouseButton && ((row.low & 0x80) != 0) == down)
            return std::string(row.name_key);
    }
    if (type == kTypeModifier) {
        for (std::size_t r = 0; r < tables::kModifierRowCount; ++r) {
            if (tables::kVirtualKeyTable[r].code.high == button)
                return Narrow(tables::KeyTextIdentifier(r));
        }
    }
    if (type == kTypeKey) {
        for (std::size_t r = tables::kModifierRowCount; r < tables::kVirtualKeyRowCount; ++r) {
            const tables::DeviceKeyCode& code = tables::kVirtualKeyTable[r].code;
            if (code.kind == tables::kKindKeyboardKey && code.high == 0 && code.low == button)
                return Narrow(tables::KeyTextIdentifier(r));
        }
    }
    return {};
}

uint16_t ReadDelayText(std::string_view text) {
    if (text.empty()) return 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
    }
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range || value > kMaxDelay)
        return static_cast<uint16_t>(kMaxDelay);
    return static_cast<uint16_t>(value);
}

MacroEventList::MacroEventList(const Json::Value& events) {
    if (!events.isArray()) return;
    rows_.reserve(events.size());
    for (const Json::Value& event : events) rows_.push_back(event);
}

void MacroEventList::Select(int row) {
    selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

void MacroEventList::MoveSelectedTo(std::size_t target) {
    if (selected_ < 0) return;
    const auto from = static_cast<std::size_t>(selected_);
    if (target == from || target >= rows_.size()) return;
    Json::Value row = std::move(rows_[from]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(from));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(target), std::move(row));
    // A delay above 65,534 is limited when the row is rebuilt.
    Json::Value& moved = rows_[target];
    if (moved.isObject()) moved["Delay"] = std::to_string(EventDelay(moved));
    selected_ = static_cast<int>(target);
}

void MacroEventList::MoveRowUp() {
    if (selected_ > 0) MoveSelectedTo(static_cast<std::size_t>(selected_ - 1));
}
void MacroEventList::MoveRowDown() {
    if (selected_ >= 0) MoveSelectedTo(static_cast<std::size_t>(selected_ + 1));
}
void MacroEventList::MoveRowToTop() {
    if (selected_ > 0) MoveSelectedTo(0);
}
void MacroEventList::MoveRowToBottom() {
    if (selected_ >= 0 && !rows_.empty()) MoveSelectedTo(rows_.size() - 1);
}

void MacroEventList::DeleteRow() {
    if (selected_ < 0) return;
    rows_.erase(rows_.begin() + selected_);
    selected_ = -1;
}

void MacroEventList::DeleteAllRows() {
    rows_.clear();
    selected_ = -1;
}

void MacroEventList::InsertAfterSelected(Json::Value event) {
    const std::size_t at = selected_ < 0 ? 0 : static_cast<std::size_t>(selected_) + 1;
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::move(event));
    selected_ = static_cast<int>(at);
}

void MacroEventList::InsertAt(std::size_t row, Json::Value event) {
    row = std::min(row, rows_.size());
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row), std::move(event));
    if (selected_ >= static_cast<int>(row)) ++selected_;
}

void MacroEventList::RemoveAt(std::size_t row) {
    if (row >= rows_.size()) return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    if (selected_ == static_cast<int>(row))
        selected_ = -1;
    else if (selected_ > static_cast<int>(row))
        --selected_;
}

void MacroEventList::SetDelay(std::size_t row, uint32_t delay) {
    Json::Value& event = rows_.at(row);
    if (event.isObject()) event["Delay"] = std::to_string(std::min(delay, kMaxDelay));
}

Json::Value MacroEventList::ToEvents(std::size_t* skipped) const {
    Json::Value events(Json::arrayValue);
    std::size_t bad = 0;
    for (const Json::Value& row : rows_) {
        if (row.isObject())
            events.append(row);
        else
            ++bad;
    }
    if (skipped) *skipped = bad;
    return events;
}

}  // namespace macro_edit
