#pragma once
// Bytes as lower-case hexadecimal text, two digits a byte and no separators: the form the
// device command lines and the emulator's console print memory and reports in.
#include <cstdint>
#include <span>
#include <string>

namespace hid {

std::string HexText(std::span<const uint8_t> bytes);

}  // namespace hid
