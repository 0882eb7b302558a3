#pragma once
// The mouse pad's command sequences. The pad has no receiver: a sequence runs while the
// channel is open, ends at its first failing command and names it (EndSettings is then not
// sent, nothing is retried), and fills its outputs only when every command succeeded.
#include "devices/mouse/pad_light_block.h"
#include "devices/write_outcome.h"
#include "hid/command_channel.h"

namespace pad {

using DeviceInfo = std::array<uint8_t, CCommandChannel::kDeviceInfoLength>;

// BeginSettings, ReadDeviceInfo, EndSettings (1).
WriteOutcome ReadPadInfo(CCommandChannel& channel, DeviceInfo& info);

// 1 byte at offset 0 (the active slot s), then 26 bytes at s x 25.
WriteOutcome ReadPadParameters(CCommandChannel& channel, uint8_t& slot, ReadBlock& block);

// BeginSettings, WriteParameters (the 21 bytes at slot x 64), EndSettings (1).
WriteOutcome WritePadBlockFramed(CCommandChannel& channel, const LiveRecord& block, uint8_t slot);

}  // namespace pad
