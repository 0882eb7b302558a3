#pragma once
// The keyboard's key map: for each key index 0..169, the position of its factory code in the
// key table the keyboard reports (3 bytes per position), or kNoPosition.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "devices/keyboard/keyboard_limits.h"

namespace keyboard {

using KeyPositions = std::array<int, kKeyIndexCount>;

KeyPositions EmptyKeyPositions();

// First match of each key index's factory code among the first positionCount positions of
// table (a table shorter than 3 x positionCount is searched as far as it goes). The Fn key
// (110) that matches nothing goes to position 113, but only when the keyboard has more than
// 113 positions: a shorter key table has no such position to write.
// With a previous map (the last complete one), a key whose code is not found keeps the
// position it had there, and no other key is matched to such a kept position: a keyboard that
// reports its current table instead of its factory one still maps a remapped key.
// Positions at or beyond positionCount are never produced.
KeyPositions BuildKeyPositions(std::span<const uint8_t> table, int positionCount,
                               const std::optional<KeyPositions>& previous = std::nullopt);

}  // namespace keyboard
