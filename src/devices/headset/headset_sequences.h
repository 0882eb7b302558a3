#pragma once
// The headset's command sequences over its command channel. Each ends at its first failing
// command and names it; EndSettings is then not sent and nothing is retried. A closed channel
// fails at step "channel closed" without I/O.
#include <array>
#include <cstdint>

#include "devices/headset/headset_light_block.h"
#include "devices/write_outcome.h"
#include "hid/command_channel.h"

namespace headset {

inline constexpr size_t kStatusBytes = 6;
using StatusBlock = std::array<uint8_t, kStatusBytes>;

// 1 byte at offset 0 (the bank b), then 26 bytes at b x 25.
WriteOutcome ReadLightBlock(CCommandChannel& channel, uint8_t& bank, LightRead& read);
// BeginSettings, WriteParameters (the 21 bytes at bank x 64), EndSettings.
WriteOutcome WriteLightBlock(CCommandChannel& channel, const LightBlock& wire, uint8_t bank);
// ReadStatus 6 bytes at offset 0.
WriteOutcome ReadStatusBlock(CCommandChannel& channel, StatusBlock& block);

}  // namespace headset
