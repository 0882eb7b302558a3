#include "devices/keyboard/keyboard_sequences.h"

#include <functional>

namespace keyboard {
namespace {

bool Linked(CCommandChannel& channel) { return channel.QueryWirelessLink(); }

// A request the keyboard refused still got an answer: the settings sequence it opened is
// closed. A silent keyboard is not asked again.
bool Answered(int code) { return code == hid::kResultStatusFF || code == hid::kResultStatusFE; }

WriteOutcome Framed(CCommandChannel& channel, const char* step, const std::function<int()>& write) {
    if (!Linked(channel)) return WriteOutcome::Failed("QueryWirelessLink", hid::kResultReadFailed);
    if (const int code = channel.BeginSettings(); code != hid::kResultOk)
        return WriteOutcome::Failed("BeginSettings", code);
    if (const int code = write(); code != hid::kResultOk) {
        if (Answered(code)) channel.EndSettings(1);
        return WriteOutcome::Failed(step, code);
    }
    if (const int code = channel.EndSettings(1); code != hid::kResultOk)
        return WriteOutcome::Failed("EndSettings", code);
    return WriteOutcome::Ok();
}

}  // namespace

WriteOutcome ReadBack(CCommandChannel& channel, KeyboardMemory& memory) {
    memory.complete = false;
    if (!Linked(channel)) return WriteOutcome::Failed("QueryWirelessLink", hid::kResultReadFailed);
    if (const int code = channel.BeginSettings(); code != hid::kResultOk)
        return WriteOutcome::Failed("BeginSettings", code);
    const auto fail = [&](const char* step, int code) {
        if (Answered(code)) channel.EndSettings(1);
        return WriteOutcome::Failed(step, code);
    };
    std::array<uint8_t, kDeviceInfoBytes> info{};
    if (const int code = channel.ReadDeviceInfo(info); code != hid::kResultOk)
        return fail("ReadDeviceInfo", code);
    memory.info = info;
    const int positions = PositionCount(info[kPositionInfoByte]);
    if (positions == 0) {
        channel.EndSettings(1);
        return WriteOutcome::Failed("DeviceInfo", hid::kResultStatusFF);
    }
    if (!channel.SetTableLength(static_cast<uint16_t>(3 * positions))) {
        channel.EndSettings(1);
        return WriteOutcome::Failed("SetTableLength", hid::kResultStatusFF);
    }
    std::vector<uint8_t> keyTable(channel.TableLength());
    if (const int code = channel.ReadKeyTable(keyTable); code != hid::kResultOk)
        return fail("ReadKeyTable", code);
    std::vector<uint8_t> second(channel.TableLength() / 3);
    if (const int code = channel.ReadSecondTable(second); code != hid::kResultOk)
        return fail("ReadSecondTable", code);
    if (const int code = channel.EndSettings(1); code != hid::kResultOk)
        return WriteOutcome::Failed("EndSettings", code);
    memory.keyTable = std::move(keyTable);
    memory.secondTable = std::move(second);
    memory.positions = positions;
    memory.complete = true;
    return WriteOutcome::Ok();
}

WriteOutcome ReadParameterRecord(CCommandChannel& channel, ParameterRead& read) {
    if (!Linked(channel)) return WriteOutcome::Failed("QueryWirelessLink", hid::kResultReadFailed);
    std::array<uint8_t, 1> active{};
    if (const int code = channel.ReadParameters(active, 0); code != hid::kResultOk)
        return WriteOutcome::Failed("ReadParameters", code);
    KeyboardParameterRecord record;
    if (const int code = channel.ReadParameters(record.bytes, ParameterRecordOffset(active[0]));
        code != hid::kResultOk)
        return WriteOutcome::Failed("ReadParameters", code);
    read.activeProfile = active[0];
    read.rawRecord = record;
    record.bytes[16] = 0;
    read.record = record;
    return WriteOutcome::Ok();
}

WriteOutcome WriteParameterRecord(CCommandChannel& channel, const KeyboardParameterRecord& record,
                                  uint8_t slot) {
    return Framed(channel, "WriteParameters", [&] {
        return channel.WriteParameters(record.bytes, ParameterRecordOffset(slot));
    });
}

WriteOutcome WriteKeyTableFramed(CCommandChannel& channel, std::span<const uint8_t> table) {
    return Framed(channel, "WriteKeyTable", [&] { return channel.WriteKeyTable(table, 0); });
}

WriteOutcome WriteMacroImageFramed(CCommandChannel& channel, std::span<const uint8_t> image) {
    return Framed(channel, "WriteMacroData", [&] { return channel.WriteMacroData(image); });
}

WriteOutcome WriteBrightMask(CCommandChannel& channel, std::span<const uint8_t> mask) {
    if (!Linked(channel)) return WriteOutcome::Failed("QueryWirelessLink", hid::kResultReadFailed);
    if (const int code = channel.WriteIndexedBlock(mask, 0); code != hid::kResultOk)
        return WriteOutcome::Failed("WriteIndexedBlock", code);
    return WriteOutcome::Ok();
}

WriteOutcome ReadStatusBlock(CCommandChannel& channel, bool wireless, StatusBlock& block) {
    if (!Linked(channel)) return WriteOutcome::Failed("QueryWirelessLink", hid::kResultReadFailed);
    StatusBlock read{};
    if (const int code = channel.ReadStatus(read, 0); code != hid::kResultOk)
        return WriteOutcome::Failed("ReadStatus", code);
    block = MarkLink(read, wireless);
    return WriteOutcome::Ok();
}

}  // namespace keyboard
