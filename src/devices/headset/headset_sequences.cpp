#include "devices/headset/headset_sequences.h"

namespace headset {
namespace {
WriteOutcome Closed() { return WriteOutcome::Failed("channel closed", hid::kResultReadFailed); }
}  // namespace

WriteOutcome ReadLightBlock(CCommandChannel& channel, uint8_t& bank, LightRead& read) {
    if (!channel.IsOpened()) return Closed();
    std::array<uint8_t, 1> bankByte{};
    if (const int code = channel.ReadParameters(bankByte, 0); code != hid::kResultOk)
        return WriteOutcome::Failed("ReadParameters", code);
    LightRead bytes{};
    if (const int code = channel.ReadParameters(bytes, ReadOffset(bankByte[0]));
        code != hid::kResultOk)
        return WriteOutcome::Failed("ReadParameters", code);
    bank = bankByte[0];
    read = bytes;
    return WriteOutcome::Ok();
}

WriteOutcome WriteLightBlock(CCommandChannel& channel, const LightBlock& wire, uint8_t bank) {
    if (!channel.IsOpened()) return Closed();
    if (const int code = channel.BeginSettings(); code != hid::kResultOk)
        return WriteOutcome::Failed("BeginSettings", code);
    if (const int code = channel.WriteParameters(wire, WriteOffset(bank)); code != hid::kResultOk)
        return WriteOutcome::Failed("WriteParameters", code);
    if (const int code = channel.EndSettings(1); code != hid::kResultOk)
        return WriteOutcome::Failed("EndSettings", code);
    return WriteOutcome::Ok();
}

WriteOutcome ReadStatusBlock(CCommandChannel& channel, StatusBlock& block) {
    if (!channel.IsOpened()) return Closed();
    StatusBlock read{};
    if (const int code = channel.ReadStatus(read, 0); code != hid::kResultOk)
        return WriteOutcome::Failed("ReadStatus", code);
    block = read;
    return WriteOutcome::Ok();
}

}  // namespace headset
