#pragma once
// The keyboard's command sequences over its command channel: the read-back at connect, the
// parameter record, the key table, the macro image, the bright mask and the status block.
// Each returns the step that failed and its code. On a wireless keyboard each sequence first
// asks the receiver whether the keyboard is linked (no I/O when wired).
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "devices/keyboard/keyboard_limits.h"
#include "devices/keyboard/keyboard_parameter_record.h"
#include "devices/keyboard/keyboard_status.h"
#include "devices/write_outcome.h"
#include "hid/command_channel.h"

namespace keyboard {

// What the keyboard reports about itself at connect.
struct KeyboardMemory {
    std::array<uint8_t, kDeviceInfoBytes> info{};
    std::vector<uint8_t> keyTable;     // 3 x positions bytes: the factory key table
    std::vector<uint8_t> secondTable;  // positions bytes
    int positions = 0;                 // 0 until a read-back completed
    bool complete = false;
    uint32_t MacroCapacity() const {
        return static_cast<uint32_t>(info[kMacroUnitsInfoByte]) * kMacroUnitBytes;
    }
};

// BeginSettings, ReadDeviceInfo, SetTableLength (3 x byte 5), ReadKeyTable, ReadSecondTable,
// EndSettings. The first failure ends it; EndSettings still closes the sequence when the
// keyboard answered (a refused request), not when it was silent, so a silent keyboard costs
// one time-out. Byte 5 of 0 or above 170 gives step "DeviceInfo" and no key table.
WriteOutcome ReadBack(CCommandChannel& channel, KeyboardMemory& memory);

struct ParameterRead {
    uint8_t activeProfile = 0;
    KeyboardParameterRecord record;     // as kept: byte 16 cleared
    KeyboardParameterRecord rawRecord;  // as read
};
// 1 byte at offset 0 (the active device profile p), then the 26-byte record at p x 25.
WriteOutcome ReadParameterRecord(CCommandChannel& channel, ParameterRead& read);

// Framed: BeginSettings, WriteParameters(record, slot x 25), EndSettings.
WriteOutcome WriteParameterRecord(CCommandChannel& channel, const KeyboardParameterRecord& record,
                                  uint8_t slot);
// Framed: BeginSettings, WriteKeyTable(table, 0), EndSettings.
WriteOutcome WriteKeyTableFramed(CCommandChannel& channel, std::span<const uint8_t> table);
// Framed: BeginSettings, WriteMacroData(image), EndSettings.
WriteOutcome WriteMacroImageFramed(CCommandChannel& channel, std::span<const uint8_t> image);
// Unframed, as the keyboard takes it: WriteIndexedBlock(mask, 21 bytes, index 0).
WriteOutcome WriteBrightMask(CCommandChannel& channel, std::span<const uint8_t> mask);
// ReadStatus 6 bytes at offset 0; byte 3 becomes the wireless flag.
WriteOutcome ReadStatusBlock(CCommandChannel& channel, bool wireless, StatusBlock& block);

}  // namespace keyboard
