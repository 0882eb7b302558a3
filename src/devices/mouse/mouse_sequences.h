#pragma once
// The mouse's command sequences over its command channel. Through a receiver every step is
// guarded: it runs only while the channel is open and the receiver answers QueryWirelessLink
// with a linked mouse; otherwise the sequence ends there with step "QueryWirelessLink". On a
// wired mouse the guard costs no I/O. Each sequence ends at its first failing command and
// names it; EndSettings is then not sent and nothing is retried.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "devices/mouse/mouse_limits.h"
#include "devices/mouse/mouse_parameter_block.h"
#include "devices/write_outcome.h"
#include "hid/command_channel.h"

namespace mouse {

inline constexpr size_t kStatusBytes = 6;
using StatusBlock = std::array<uint8_t, kStatusBytes>;

// What the mouse reports about itself at connect.
struct MouseMemory {
    DeviceInfo info{};
    std::vector<uint8_t> keyTable;  // the 512-byte mirror: 3 x entries bytes read, the rest 0
    bool complete = false;
    MouseInfo Info() const { return ReadMouseInfo(info); }
};

// Guarded: BeginSettings, ReadDeviceInfo; SetTableLength (3 x byte 5); ReadKeyTable;
// EndSettings. Byte 5 of 0 or above 170 gives step "DeviceInfo" and no key table.
WriteOutcome ReadDeviceTables(CCommandChannel& channel, MouseMemory& memory);

struct ParameterRead {
    uint8_t activeSlot = 0;
    ParameterBlock block{};  // as read
};
// Guarded: 1 byte at offset 0 (the active slot s); guarded: 71 bytes at s x 128.
WriteOutcome ReadParameterBlock(CCommandChannel& channel, ParameterRead& read);

// Guarded: ReadDeviceInfo (the mouse is there and answers) before a key table or macro write.
WriteOutcome CheckDeviceInfo(CCommandChannel& channel);

// Guarded each: BeginSettings, WriteKeyTable(first TableLength() bytes, slot), EndSettings.
WriteOutcome WriteKeyTableFramed(CCommandChannel& channel, std::span<const uint8_t> table,
                                 int slot);
// Guarded each: BeginSettings, WriteMacroData(image), EndSettings.
WriteOutcome WriteMacroImageFramed(CCommandChannel& channel, std::span<const uint8_t> image);
// Guarded each: BeginSettings, WriteParameters(first 66 bytes, slot x 128), EndSettings.
WriteOutcome WriteParameterBlockFramed(CCommandChannel& channel, const ParameterBlock& block,
                                       int slot);
// Guarded each: BeginSettings, WriteShootData(image), EndSettings.
WriteOutcome WriteShootImageFramed(CCommandChannel& channel, std::span<const uint8_t> image);
// Guarded: ReadStatus 6 bytes at offset 0; byte 3 becomes the wireless flag.
WriteOutcome ReadStatusBlock(CCommandChannel& channel, bool wireless, StatusBlock& block);

}  // namespace mouse
