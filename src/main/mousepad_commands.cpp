#include "main/mousepad_commands.h"

#include "devices/skelmora_mouse_pad_device.h"
#include "hid/hex_text.h"
#include "main/device_command_support.h"

int RunMousePadCommand(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
                       std::FILE* out) {
    // The pad's channel gets no mode: connection A.
    static constexpr CommandDeviceSetup kSetup{"mouse pad", CSkelmoraMousePadDevice::kModelIndex,
                                               "mousepad", 0};
    const auto target = FindCommandTarget(backend, {kKindMousePad}, kSetup);
    if (!target) return kDeviceCommandNoDevice;
    CSkelmoraMousePadDevice pad(nullptr, backend);
    if (!OpenCommandDevice(pad, *target, kSetup)) return kDeviceCommandNoDevice;
    const WriteOutcome info = pad.ReadPadInfo();
    pad.LoadProfile();
    pad.LoadConfigLists();
    if (!info.ok()) return FailedRun(out, command, "mousepad", info);
    if (command == DeviceCommand::ReadDevice) {
        std::fprintf(out, "info %s\n", hid::HexText(pad.Info()).c_str());
        int slot = 0;
        const WriteOutcome read = pad.ReadPadParameters(&slot);
        if (!read.ok()) return FailedRun(out, command, "mousepad", read);
        std::fprintf(out, "active-profile %d\n", slot);
        std::fprintf(out, "params %s\n", hid::HexText(pad.LastRead()).c_str());
        return kDeviceCommandOk;
    }
    StepRun run(out);
    run("parameters", pad.WriteParameterBlock(0));
    return run.Finish("mousepad");
}
