#include "main/headset_commands.h"

#include <cstdlib>

#include "devices/audio/host_equalizer.h"
#include "devices/audio_bridge.h"
#include "devices/skelmora_hs6533_device.h"
#include "hid/hex_text.h"
#include "main/device_command_support.h"
#include "main/headset_audio_lines.h"

namespace {

// The headset's sound card and equaliser, as SKELMORA_AUDIO_BRIDGE asks (as the program does).
struct Audio {
    std::unique_ptr<audio::CAudioBridge> bridge;
    std::unique_ptr<audio::CHostEqualizer> equalizer;
};

Audio MakeAudio(const std::shared_ptr<hid::IHidBackend>& backend, audio::UsbPosition position) {
    std::string error;
    const auto choice =
        audio::ChooseBridge(std::getenv("SKELMORA_AUDIO_BRIDGE"), backend->Name(), error);
    if (!choice) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return {};
    }
    return {audio::MakeAudioBridge(*choice, position), audio::MakeHostEqualizer(*choice)};
}

int ReadHeadset(CSkelmoraHS6533Device& headset, const Audio& audio, std::FILE* out) {
    std::array<uint8_t, CCommandChannel::kDeviceInfoLength> info{};
    if (const int code = headset.CommandChannel().ReadDeviceInfo(info); code != hid::kResultOk) {
        PrintFailed(out, WriteOutcome::Failed("ReadDeviceInfo", code));
        return kDeviceCommandFailed;
    }
    std::fprintf(out, "info %s\n", hid::HexText(info).c_str());
    if (const WriteOutcome read = headset.ReadLighting(false); !read.ok()) {
        PrintFailed(out, read);
        return kDeviceCommandFailed;
    }
    std::fprintf(out, "active-profile %d\n", headset.Bank());
    std::fprintf(out, "params %s\n", hid::HexText(headset.LastLightRead()).c_str());
    headset.RefreshStatus();
    if (!headset.LastStatus()) {
        PrintFailed(out, headset.LastStatusOutcome());
        return kDeviceCommandFailed;
    }
    std::fprintf(out, "status %s\n", hid::HexText(*headset.LastStatus()).c_str());
    PrintHeadsetAudioLines(audio.bridge.get(), audio.equalizer.get(), out);
    return kDeviceCommandOk;
}

int ApplyHeadset(CSkelmoraHS6533Device& headset, const Audio& audio, std::FILE* out) {
    // The bank and the block's other bytes come from the headset; the light from the profile.
    if (const WriteOutcome read = headset.ReadLighting(false); !read.ok())
        return FailedRun(out, DeviceCommand::ApplyProfile, "headset", read);
    StepRun run(out);
    run("parameters", headset.WriteLighting());
    run("leds", headset.WriteLedFrame()
                    ? WriteOutcome::Ok()
                    : WriteOutcome::Failed("SetOutputReport", hid::kResultWriteFailed));
    if (!ApplyHeadsetAudioSteps(headset.Profiledata(), audio.bridge.get(), audio.equalizer.get(),
                                out))
        run.Fail();
    PrintHeadsetAudioLines(audio.bridge.get(), audio.equalizer.get(), out);
    return run.Finish("headset");
}

}  // namespace

int RunHeadset(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
               std::FILE* out) {
    static constexpr CommandDeviceSetup kSetup{"headset", CommandDeviceSetup::kModelFromIdentity,
                                               "HD", 0};
    const auto target = FindCommandTarget(backend, {kKindHeadset}, kSetup);
    if (!target) return kDeviceCommandNoDevice;
    CSkelmoraHS6533Device headset(nullptr, backend);
    headset.SetCounts(0, CSkelmoraHS6533Device::kLedCount);
    if (!OpenCommandDevice(headset, *target, kSetup)) return kDeviceCommandNoDevice;
    headset.LoadProfile();
    // The card of this headset, at its place on the USB bus.
    const CHidConnection& connection = headset.CommandChannel().WiredConnection();
    const Audio audio = MakeAudio(backend, {connection.UsbBus(), connection.UsbDevice()});
    return command == DeviceCommand::ReadDevice ? ReadHeadset(headset, audio, out)
                                                : ApplyHeadset(headset, audio, out);
}
