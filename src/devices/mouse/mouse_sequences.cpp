#include "devices/mouse/mouse_sequences.h"

#include <algorithm>
#include <functional>

namespace mouse {
namespace {

constexpr char kGuardStep[] = "QueryWirelessLink";

// The channel is open, and through a receiver the receiver reports its mouse linked.
bool Guard(CCommandChannel& channel) { return channel.IsOpened() && channel.QueryWirelessLink(); }

struct Step {
    const char* name;
    std::function<int()> run;
};

// The steps in order, each guarded; the first failure ends the sequence.
WriteOutcome RunGuarded(CCommandChannel& channel, std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
        if (!Guard(channel)) return WriteOutcome::Failed(kGuardStep, hid::kResultReadFailed);
        if (const int code = step.run(); code != hid::kResultOk)
            return WriteOutcome::Failed(step.name, code);
    }
    return WriteOutcome::Ok();
}

}  // namespace

WriteOutcome ReadDeviceTables(CCommandChannel& channel, MouseMemory& memory) {
    memory.complete = false;
    if (!Guard(channel)) return WriteOutcome::Failed(kGuardStep, hid::kResultReadFailed);
    if (const int code = channel.BeginSettings(); code != hid::kResultOk)
        return WriteOutcome::Failed("BeginSettings", code);
    DeviceInfo info{};
    if (const int code = channel.ReadDeviceInfo(info); code != hid::kResultOk)
        return WriteOutcome::Failed("ReadDeviceInfo", code);
    memory.info = info;
    const int entries = ReadMouseInfo(info).entries;
    if (entries == 0) return WriteOutcome::Failed("DeviceInfo", hid::kResultStatusFF);
    if (!channel.SetTableLength(static_cast<uint16_t>(3 * entries)))
        return WriteOutcome::Failed("SetTableLength", hid::kResultStatusFF);
    std::vector<uint8_t> table(kKeyTableBytes, 0);
    if (const int code = channel.ReadKeyTable(std::span(table).first(channel.TableLength()));
        code != hid::kResultOk)
        return WriteOutcome::Failed("ReadKeyTable", code);
    memory.keyTable = std::move(table);
    if (const int code = channel.EndSettings(1); code != hid::kResultOk)
        return WriteOutcome::Failed("EndSettings", code);
    memory.complete = true;
    return WriteOutcome::Ok();
}

WriteOutcome ReadParameterBlock(CCommandChannel& channel, ParameterRead& read) {
    std::array<uint8_t, 1> active{};
    ParameterBlock block{};
    const WriteOutcome outcome = RunGuarded(
        channel, {{"ReadParameters", [&] { return channel.ReadParameters(active, 0); }},
                  {"ReadParameters", [&] {
                       return channel.ReadParameters(block, ParameterBlockOffset(active[0]));
                   }}});
    if (!outcome.ok()) return outcome;
    read.activeSlot = active[0];
    read.block = block;
    return outcome;
}

WriteOutcome CheckDeviceInfo(CCommandChannel& channel) {
    DeviceInfo info{};
    return RunGuarded(channel, {{"ReadDeviceInfo", [&] { return channel.ReadDeviceInfo(info); }}});
}

WriteOutcome WriteKeyTableFramed(CCommandChannel& channel, std::span<const uint8_t> table,
                                 int slot) {
    const size_t length = std::min<size_t>(channel.TableLength(), table.size());
    return RunGuarded(channel, {{"BeginSettings", [&] { return channel.BeginSettings(); }},
                                {"WriteKeyTable",
                                 [&] { return channel.WriteKeyTable(table.first(length), slot); }},
                                {"EndSettings", [&] { return channel.EndSettings(1); }}});
}

WriteOutcome WriteMacroImageFramed(CCommandChannel& channel, std::span<const uint8_t> image) {
    return RunGuarded(channel, {{"BeginSettings", [&] { return channel.BeginSettings(); }},
                                {"WriteMacroData", [&] { return channel.WriteMacroData(image); }},
                                {"EndSettings", [&] { return channel.EndSettings(1); }}});
}

WriteOutcome WriteShootImageFramed(CCommandChannel& channel, std::span<const uint8_t> image) {
    return RunGuarded(channel, {{"BeginSettings", [&] { return channel.BeginSettings(); }},
                                {"WriteShootData", [&] { return channel.WriteShootData(image); }},
                                {"EndSettings", [&] { return channel.EndSettings(1); }}});
}

WriteOutcome WriteParameterBlockFramed(CCommandChannel& channel, const ParameterBlock& block,
                                       int slot) {
    const std::span<const uint8_t> written = std::span(block).first(kParameterWriteBytes);
    return RunGuarded(
        channel, {{"BeginSettings", [&] { return channel.BeginSettings(); }},
                  {"WriteParameters",
                   [&] { return channel.WriteParameters(written, ParameterBlockOffset(slot)); }},
                  {"EndSettings", [&] { return channel.EndSettings(1); }}});
}

WriteOutcome ReadStatusBlock(CCommandChannel& channel, bool wireless, StatusBlock& block) {
    StatusBlock read{};
    const WriteOutcome outcome =
        RunGuarded(channel, {{"ReadStatus", [&] { return channel.ReadStatus(read, 0); }}});
    if (!outcome.ok()) return outcome;
    read[3] = wireless ? 1 : 0;
    block = read;
    return outcome;
}

}  // namespace mouse
