#include "main/device_commands.h"

#include <span>

#include "devices/keyboard/keyboard_custom_colours.h"
#include "devices/mouse/shoot_files.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_device.h"
#include "hid/hex_text.h"
#include "main/device_command_support.h"
#include "main/headset_commands.h"
#include "main/mousepad_commands.h"
#include "platform/single_instance.h"
#include "tables/device_tables.h"

namespace {

int RunKeyboard(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
                std::FILE* out) {
    static constexpr CommandDeviceSetup kSetup{"keyboard", CommandDeviceSetup::kModelFromIdentity,
                                               "keyboard", 1};
    const auto target = FindCommandTarget(backend, {kKindKeyboard}, kSetup);
    if (!target) return kDeviceCommandNoDevice;
    CSkelmoraKeyboardDevice keyboard(nullptr, backend);
    if (!OpenCommandDevice(keyboard, *target, kSetup)) return kDeviceCommandNoDevice;

    if (command == DeviceCommand::ReadDevice) {
        const WriteOutcome outcome = keyboard.ConnectSequence(true);
        const auto& memory = keyboard.Memory();
        if (memory.complete) {
            std::fprintf(out, "info %s\n", hid::HexText(memory.info).c_str());
            std::fprintf(out, "keytable %s\n", hid::HexText(memory.keyTable).c_str());
            std::fprintf(out, "second %s\n", hid::HexText(memory.secondTable).c_str());
        }
        if (!outcome.ok()) return FailedRun(out, command, "keyboard", outcome);
        const auto& parameters = keyboard.LastParameters();
        std::fprintf(out, "active-profile %d\n", parameters.activeProfile);
        std::fprintf(out, "params %s\n", hid::HexText(parameters.rawRecord.bytes).c_str());
        keyboard.RefreshStatus();
        if (!keyboard.LastStatus())
            return FailedRun(out, command, "keyboard", keyboard.LastStatusOutcome());
        std::fprintf(out, "status %s\n", hid::HexText(*keyboard.LastStatus()).c_str());
        return kDeviceCommandOk;
    }

    const WriteOutcome read = keyboard.ConnectSequence(false);
    if (!read.ok()) return FailedRun(out, command, "keyboard", read);
    StepRun run(out);
    run("parameters", keyboard.WriteParameterRecord(0));
    run("macros", keyboard.WriteMacros(keyboard.BuildMacroList()));
    run("keytable", keyboard.WriteCurrentKeyTable(nullptr));
    if (keyboard.CurrentEffectCode() == keyboard::kCustomColourCode)
        run("customcolours", keyboard.WriteCustomColours(keyboard.GetCustomColorsCopy()));
    return run.Finish("keyboard");
}

// The mouse by cable when it is plugged, else through its receiver.
int RunMouse(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
             std::FILE* out) {
    static constexpr CommandDeviceSetup kSetup{"mouse", 0, "mouse", 1};
    const auto target = FindCommandTarget(backend, {kKindMouse, kKindMouseReceiver}, kSetup);
    if (!target) return kDeviceCommandNoDevice;
    CSkelmoraMouseDevice mouse(nullptr, backend);
    if (!OpenCommandDevice(mouse, *target, kSetup)) return kDeviceCommandNoDevice;
    const WriteOutcome read = mouse.ReadDeviceTables();
    mouse.LoadProfile();
    mouse.LoadConfigLists();
    std::fprintf(out, "path %s\n", target->receiver ? "receiver" : "wired");
    if (!read.ok()) return FailedRun(out, command, "mouse", read);
    if (command == DeviceCommand::ReadDevice) {
        const auto& memory = mouse.Memory();
        const size_t tableBytes = static_cast<size_t>(memory.Info().entries) * 3;
        std::fprintf(out, "info %s\n", hid::HexText(memory.info).c_str());
        std::fprintf(out, "keytable %s\n",
                     hid::HexText(std::span(memory.keyTable).first(tableBytes)).c_str());
        int slot = 0;
        const WriteOutcome parameters = mouse.ReadParameterBlock(&slot);
        if (!parameters.ok()) return FailedRun(out, command, "mouse", parameters);
        std::fprintf(out, "active-profile %d\n", slot);
        std::fprintf(out, "params %s\n", hid::HexText(mouse.LastParameters().block).c_str());
        return kDeviceCommandOk;
    }
    StepRun run(out);
    run("parameters", mouse.WriteParameterBlock(mouse.StandardParameterWrite()));
    if (run.ok()) run("macros", mouse.WriteMacros(mouse.BuildMacroList()));
    if (run.ok()) run("buttons", mouse.WriteCurrentKeyTable(nullptr));
    if (run.ok()) {
        // Guns without a file get the factory pattern, as the recoil editor gives them.
        shoot::InitGunFiles(mouse.GetUserDataFolder().toStdString(),
                            mouse.GetDefaultDataFolder().toStdString());
        run("shoot", mouse.WriteShootPatterns());
    }
    return run.Finish("mouse");
}

}  // namespace

int RunDeviceCommand(DeviceCommand command, const std::string& kind,
                     const std::shared_ptr<hid::IHidBackend>& backend, std::FILE* out) {
    // A running program owns the devices; while this command runs, none can start.
    platform::SingleInstance instance;
    if (instance.TryAcquire() == platform::SingleInstance::Result::HeldByOther) {
        const char* option =
            command == DeviceCommand::ReadDevice ? "--read-device" : "--apply-profile";
        const auto reason = platform::InstanceRunsReason(option);
        std::fprintf(stderr, "skelmora: %s\n",
                     reason ? reason->c_str() : "the program is running: it owns the devices");
        return kDeviceCommandInstanceRuns;
    }
    if (kind == "mouse") return RunMouse(command, backend, out);
    if (kind == "mousepad") return RunMousePadCommand(command, backend, out);
    if (kind == "headset") return RunHeadset(command, backend, out);
    if (kind != "keyboard") {
        std::fprintf(stderr,
                     "unknown device kind '%s' (known: keyboard, mouse, mousepad, headset)\n",
                     kind.c_str());
        return kDeviceCommandNoDevice;
    }
    return RunKeyboard(command, backend, out);
}
