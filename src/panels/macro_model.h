#pragma once
// The macro editor's rows without widgets: the events of one macro in order, the selected row,
// and every row operation of the editor (moves, deletes, inserted mouse moves and buttons).
// An event is the JSON object of the ".mac" file: "Action", "Button", "Type", "Delay" (the
// delay as a decimal string). The editor's panel shows these rows; the recorder inserts into
// them.
#include <json/value.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace macro_edit {

inline constexpr int kTypeMouseButton = 1;
inline constexpr int kTypeMoveHorizontal = 4;
inline constexpr int kTypeMoveVertical = 5;
inline constexpr int kTypeModifier = 9;
inline constexpr int kTypeKey = 10;
inline constexpr uint32_t kMaxDelay = 65535;

// The mouse event table: message, kind, value high (the button bit or 0), value low (the event
// type with bit 7 set for "down"), and the language key of the row's name.
struct MouseEventRow {
    uint16_t message;
    uint8_t kind;
    uint8_t high;
    uint8_t low;
    std::string_view name_key;
};
inline constexpr std::array<MouseEventRow, 15> kMouseEventTable{{
    {0x201, 0x10, 0x01, 0x81, "mouse_key_left"},
    {0x202, 0x10, 0x01, 0x01, "mouse_key_left"},
    {0x204, 0x10, 0x02, 0x81, "mouse_key_right"},
    {0x205, 0x10, 0x02, 0x01, "mouse_key_right"},
    {0x207, 0x10, 0x04, 0x81, "mouse_key_middle"},
    {0x208, 0x10, 0x04, 0x01, "mouse_key_middle"},
    {0x20B, 0x10, 0x10, 0x81, "mouse_key_forward"},
    {0x20C, 0x10, 0x10, 0x01, "mouse_key_forward"},
    {0x20B, 0x10, 0x08, 0x81, "mouse_key_back"},
    {0x20C, 0x10, 0x08, 0x01, "mouse_key_back"},
    {0x004, 0x15, 0x00, 0x84, "mouse_move_to_left_text"},
    {0x004, 0x15, 0x00, 0x04, "mouse_move_to_right_text"},
    {0x005, 0x15, 0x00, 0x85, "mouse_move_to_up_text"},
    {0x005, 0x15, 0x00, 0x05, "mouse_move_to_down_text"},
    {0x20A, 0x12, 0x00, 0x00, "mouse_cursor_text"},
}};

// Messages of the mouse buttons (down, up) and the X-button variants.
inline constexpr uint16_t kLeftDown = 0x201, kLeftUp = 0x202, kRightDown = 0x204, kRightUp = 0x205,
                          kMiddleDown = 0x207, kMiddleUp = 0x208, kXDown = 0x20B, kXUp = 0x20C;
inline constexpr int kVariantForward = 0, kVariantBack = 1;

enum class MoveDirection { Left, Right, Up, Down };

// {"Action", "Button", "Type", "Delay"}; the delay is limited to 65,535.
Json::Value MakeEvent(bool down, int button, int type, uint32_t delay);
// A relative move: type 4 (left "down", right "up") or 5 (up "down", down "up"), "Button" the
// distance's low 8 bits.
Json::Value MouseMoveEvent(MoveDirection direction, int distance, uint32_t delay);
// The event of a mouse message; the variant tells the X buttons apart (0 forward, 1 back).
// Null for a message without a row.
Json::Value MouseButtonEvent(uint16_t message, int variant, uint32_t delay);

// The language key of an event's name: a mouse table row or a key's text identifier; empty
// when the event names nothing known.
std::string EventNameKey(const Json::Value& event);
bool IsMouseEvent(const Json::Value& event);
bool IsMoveEvent(const Json::Value& event);
bool IsDown(const Json::Value& event);
// The event's delay (invalid reads as 0, out of range is limited).
uint16_t EventDelay(const Json::Value& event);

// A delay edit's text as it is saved: digits read as a number limited to 65,535, anything
// else (also an empty text) 0.
uint16_t ReadDelayText(std::string_view text);

class MacroEventList {
  public:
    MacroEventList() = default;
    // Takes the "Events" array of a file; entries that are not objects are kept as they are
    // (shown without a name, skipped when saved).
    explicit MacroEventList(const Json::Value& events);

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const Json::Value& at(std::size_t row) const { return rows_.at(row); }
    int Selected() const { return selected_; }
    // -1 or out of range selects none.
    void Select(int row);

    // Each does nothing without a selection or where the row already is; the moved row stays
    // selected.
    void MoveRowUp();
    void MoveRowDown();
    void MoveRowToTop();
    void MoveRowToBottom();
    void DeleteRow();
    void DeleteAllRows();

    // Inserts after the selected row (at the top when none is selected) and selects it.
    void InsertAfterSelected(Json::Value event);
    // Inserts at row (0..size), keeping the selection on the row it was on.
    void InsertAt(std::size_t row, Json::Value event);
    void RemoveAt(std::size_t row);
    void SetDelay(std::size_t row, uint32_t delay);
    Json::Value& Mutable(std::size_t row) { return rows_.at(row); }

    // The rows as an "Events" array: objects only (others skipped, counted in skipped).
    Json::Value ToEvents(std::size_t* skipped = nullptr) const;

  private:
    void MoveSelectedTo(std::size_t target);

    std::vector<Json::Value> rows_;
    int selected_ = -1;
};

}  // namespace macro_edit
