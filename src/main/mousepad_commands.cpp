#include "main/mousepad_commands.h"

#include "devices/skelmora_mouse_pad_device.h"
#include "hid/hex_text.h"
#include "main/device_command_support.h"

int RunMousePadCommand(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
                       std::FILE* out) {
    DeviceIdentity identity;
    const auto path = FindCommandPath(backend, kKindMousePad, identity);
    if (!path) {
        std::fprintf(stderr, "no mouse pad connected\n");
        return kDeviceCommandNoDevice;
    }
    const int model = CSkelmoraMousePadDevice::kModelIndex;
    CSkelmoraMousePadDevice pad(nullptr, backend);
    pad.SetIdentity(identity);
    pad.SetModelIndex(model);
    pad.SetKindName(QString::fromLatin1(ModelTable()[model].kindName));
    pad.SetProfileBaseName(pad.GetKindName());
    pad.SetLightConfigurationName(QString::fromLatin1(PageTable()[model].lightConfigurationName));
    CCommandChannel& channel = pad.CommandChannel();
    {
        // The pad's channel gets no mode: connection A.
        std::lock_guard lock(channel.ExchangeLock());
        if (!channel.WiredConnection().Open(*path, true, true, true, false)) {
            std::fprintf(stderr, "cannot open %s: %s\n", path->c_str(),
                         channel.WiredConnection().LastError().c_str());
            return kDeviceCommandNoDevice;
        }
        channel.SetOpened(true);
    }
    const WriteOutcome info = pad.ReadPadInfo();
    pad.LoadProfile();
    pad.LoadConfigLists();
    if (!info.ok()) {
        std::fprintf(out, "failed %s %d\n", info.step.c_str(), info.code);
        if (command == DeviceCommand::ApplyProfile) std::fprintf(out, "applied mousepad failed\n");
        return kDeviceCommandFailed;
    }
    if (command == DeviceCommand::ReadDevice) {
        std::fprintf(out, "info %s\n", hid::HexText(pad.Info()).c_str());
        int slot = 0;
        const WriteOutcome read = pad.ReadPadParameters(&slot);
        if (!read.ok()) {
            std::fprintf(out, "failed %s %d\n", read.step.c_str(), read.code);
            return kDeviceCommandFailed;
        }
        std::fprintf(out, "active-profile %d\n", slot);
        std::fprintf(out, "params %s\n", hid::HexText(pad.LastRead()).c_str());
        return kDeviceCommandOk;
    }
    const WriteOutcome written = pad.WriteParameterBlock(0);
    std::fprintf(out, "step parameters %d\n", written.code);
    std::fprintf(out, "applied mousepad %s\n", written.ok() ? "ok" : "failed");
    return written.ok() ? kDeviceCommandOk : kDeviceCommandFailed;
}
