#pragma once
// The keyboard's light frame: three bytes per key table position, not per LED. The key at
// key index i with position p shows its LED entry i scaled by the entry's brightness,
// (c × brightness) >> 8, at bytes p × 3 .. p × 3 + 2. Only positions below the keyboard's
// position count and below 170 are written, so a key map that names a position past the
// frame can never write outside it. Plain C++, no Qt.
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "devices/keyboard/keyboard_limits.h"
#include "devices/light_effects.h"

namespace keyboard {

// positionCount: the keyboard's number of key table positions (byte 5 of its device
// information); the frame is 3 × min(positionCount, 170) bytes, zero where no key lands.
// leds: the LED entries by key index; keyMap: key index → position (255 or absent: none).
// The frame is written over `frame`, whatever it held before: a caller that keeps the buffer
// from frame to frame allocates only for the first one (the frame timer builds 200 a second).
void BuildKeyPositionFrame(std::span<const light::LedEntry> leds, const std::map<int, int>& keyMap,
                           int positionCount, std::vector<uint8_t>& frame);

}  // namespace keyboard
