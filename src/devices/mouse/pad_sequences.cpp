#include "devices/mouse/pad_sequences.h"

#include <functional>

namespace pad {
namespace {

struct Step {
    const char* name;
    std::function<int()> run;
};

WriteOutcome Run(CCommandChannel& channel, std::initializer_list<Step> steps) {
    if (!channel.IsOpened()) return WriteOutcome::Failed("channel closed", hid::kResultReadFailed);
    for (const Step& step : steps) {
        if (const int code = step.run(); code != hid::kResultOk)
            return WriteOutcome::Failed(step.name, code);
    }
    return WriteOutcome::Ok();
}

}  // namespace

WriteOutcome ReadPadInfo(CCommandChannel& channel, DeviceInfo& info) {
    DeviceInfo read{};
    const WriteOutcome outcome =
        Run(channel, {{"BeginSettings", [&] { return channel.BeginSettings(); }},
                      {"ReadDeviceInfo", [&] { return channel.ReadDeviceInfo(read); }},
                      {"EndSettings", [&] { return channel.EndSettings(1); }}});
    if (outcome.ok()) info = read;
    return outcome;
}

WriteOutcome ReadPadParameters(CCommandChannel& channel, uint8_t& slot, ReadBlock& block) {
    std::array<uint8_t, 1> active{};
    ReadBlock read{};
    const WriteOutcome outcome = Run(
        channel,
        {{"ReadParameters", [&] { return channel.ReadParameters(active, 0); }},
         {"ReadParameters", [&] { return channel.ReadParameters(read, ReadOffset(active[0])); }}});
    if (!outcome.ok()) return outcome;
    slot = active[0];
    block = read;
    return outcome;
}

WriteOutcome WritePadBlockFramed(CCommandChannel& channel, const LiveRecord& block, uint8_t slot) {
    return Run(channel, {{"BeginSettings", [&] { return channel.BeginSettings(); }},
                         {"WriteParameters",
                          [&] { return channel.WriteParameters(block, WriteOffset(slot)); }},
                         {"EndSettings", [&] { return channel.EndSettings(1); }}});
}

}  // namespace pad
