#include "main/device_commands.h"

#include <optional>
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
#include "profiles/profile_list.h"
#include "tables/device_tables.h"

// The path of the first connected command interface of the interface table's rows of a kind.
std::optional<std::string> FindCommandPath(const std::shared_ptr<hid::IHidBackend>& backend,
                                           uint16_t kind, DeviceIdentity& identity) {
    CHidConnection probe(backend);
    if (!probe.Enumerate()) return std::nullopt;
    while (auto path = probe.NextPath()) {
        if (!probe.Open(*path, true, false, true, false)) continue;
        for (const DeviceIdentity& row : ActiveInterfaceTable()) {
            if (row.kind != kind || row.role != kRoleCommand || row.vendorId == 0) continue;
            if (row.vendorId == probe.VendorId() && row.productId == probe.ProductId() &&
                row.usagePage == probe.UsagePage() && row.usage == probe.Usage()) {
                identity = row;
                identity.path = *path;
                return path;
            }
        }
    }
    return std::nullopt;
}

void UseActiveProfile(CSkelmoraUSBDevice& device) {
    if (const QString folder = device.GetUserDataFolder(); !folder.isEmpty()) {
        profiles::CProfileList list(std::filesystem::path(folder.toStdString()));
        if (const auto id = list.Peek() ? list.IdentifierAt(list.Active()) : std::nullopt)
            device.SetProfileBaseName(QString::fromStdString(*id));
    }
}

void PrintStep(std::FILE* out, const char* name, const WriteOutcome& outcome) {
    const int code = outcome.excess > 0 ? -static_cast<int>(outcome.excess) : outcome.code;
    std::fprintf(out, "step %s %d\n", name, code);
}

namespace {

int RunKeyboard(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
                std::FILE* out) {
    DeviceIdentity identity;
    const auto path = FindCommandPath(backend, kKindKeyboard, identity);
    if (!path) {
        std::fprintf(stderr, "no keyboard connected\n");
        return kDeviceCommandNoDevice;
    }
    CSkelmoraKeyboardDevice keyboard(nullptr, backend);
    const int model = FindModelRow(identity.vendorId, identity.productId, kKindKeyboard);
    keyboard.SetIdentity(identity);
    keyboard.SetModelIndex(model);
    keyboard.SetKindName(QStringLiteral("keyboard"));
    keyboard.SetProfileBaseName(QStringLiteral("keyboard"));
    if (model >= 0) {
        keyboard.SetKindName(QString::fromLatin1(ModelTable()[model].kindName));
        keyboard.SetProfileBaseName(keyboard.GetKindName());
        keyboard.SetLightConfigurationName(
            QString::fromLatin1(PageTable()[model].lightConfigurationName));
    }
    UseActiveProfile(keyboard);
    CCommandChannel& channel = keyboard.CommandChannel();
    {
        std::lock_guard lock(channel.ExchangeLock());
        if (!channel.WiredConnection().Open(*path, true, true, true, false)) {
            std::fprintf(stderr, "cannot open %s: %s\n", path->c_str(),
                         channel.WiredConnection().LastError().c_str());
            return kDeviceCommandNoDevice;
        }
        channel.SetOpened(true);
        channel.SetMode(1);
    }

    if (command == DeviceCommand::ReadDevice) {
        const WriteOutcome outcome = keyboard.ConnectSequence(true);
        const auto& memory = keyboard.Memory();
        if (memory.complete) {
            std::fprintf(out, "info %s\n", hid::HexText(memory.info).c_str());
            std::fprintf(out, "keytable %s\n", hid::HexText(memory.keyTable).c_str());
            std::fprintf(out, "second %s\n", hid::HexText(memory.secondTable).c_str());
        }
        if (!outcome.ok()) {
            std::fprintf(out, "failed %s %d\n", outcome.step.c_str(), outcome.code);
            return kDeviceCommandFailed;
        }
        const auto& parameters = keyboard.LastParameters();
        std::fprintf(out, "active-profile %d\n", parameters.activeProfile);
        std::fprintf(out, "params %s\n", hid::HexText(parameters.rawRecord.bytes).c_str());
        keyboard.RefreshStatus();
        if (!keyboard.LastStatus()) {
            const WriteOutcome& status = keyboard.LastStatusOutcome();
            std::fprintf(out, "failed %s %d\n", status.step.c_str(), status.code);
            return kDeviceCommandFailed;
        }
        std::fprintf(out, "status %s\n", hid::HexText(*keyboard.LastStatus()).c_str());
        return kDeviceCommandOk;
    }

    const WriteOutcome read = keyboard.ConnectSequence(false);
    if (!read.ok()) {
        std::fprintf(out, "failed %s %d\n", read.step.c_str(), read.code);
        std::fprintf(out, "applied keyboard failed\n");
        return kDeviceCommandFailed;
    }
    bool ok = true;
    const auto run = [&](const char* name, const WriteOutcome& outcome) {
        PrintStep(out, name, outcome);
        ok = ok && outcome.ok();
    };
    run("parameters", keyboard.WriteParameterRecord(0));
    run("macros", keyboard.WriteMacros(keyboard.BuildMacroList()));
    run("keytable", keyboard.WriteCurrentKeyTable(nullptr));
    if (keyboard.CurrentEffectCode() == keyboard::kCustomColourCode)
        run("customcolours", keyboard.WriteCustomColours(keyboard.GetCustomColorsCopy()));
    std::fprintf(out, "applied keyboard %s\n", ok ? "ok" : "failed");
    return ok ? kDeviceCommandOk : kDeviceCommandFailed;
}

// The mouse by cable when it is plugged, else through its receiver.
int RunMouse(DeviceCommand command, const std::shared_ptr<hid::IHidBackend>& backend,
             std::FILE* out) {
    DeviceIdentity identity;
    bool receiver = false;
    auto path = FindCommandPath(backend, kKindMouse, identity);
    if (!path) {
        path = FindCommandPath(backend, kKindMouseReceiver, identity);
        receiver = path.has_value();
    }
    if (!path) {
        std::fprintf(stderr, "no mouse connected\n");
        return kDeviceCommandNoDevice;
    }
    CSkelmoraMouseDevice mouse(nullptr, backend);
    mouse.SetIdentity(identity);
    mouse.SetModelIndex(0);
    mouse.SetKindName(QString::fromLatin1(ModelTable()[0].kindName));
    mouse.SetProfileBaseName(mouse.GetKindName());
    mouse.SetLightConfigurationName(QString::fromLatin1(PageTable()[0].lightConfigurationName));
    CCommandChannel& channel = mouse.CommandChannel();
    {
        std::lock_guard lock(channel.ExchangeLock());
        CHidConnection& connection =
            receiver ? channel.ReceiverConnection() : channel.WiredConnection();
        if (!connection.Open(*path, true, true, true, false)) {
            std::fprintf(stderr, "cannot open %s: %s\n", path->c_str(),
                         connection.LastError().c_str());
            return kDeviceCommandNoDevice;
        }
        channel.SetOpened(true);
        channel.SetMode(receiver ? 2 : 1);
        mouse.SetWireless(receiver);
    }
    const WriteOutcome read = mouse.ReadDeviceTables();
    mouse.LoadProfile();
    mouse.LoadConfigLists();
    std::fprintf(out, "path %s\n", receiver ? "receiver" : "wired");
    if (!read.ok()) {
        std::fprintf(out, "failed %s %d\n", read.step.c_str(), read.code);
        if (command == DeviceCommand::ApplyProfile) std::fprintf(out, "applied mouse failed\n");
        return kDeviceCommandFailed;
    }
    if (command == DeviceCommand::ReadDevice) {
        const auto& memory = mouse.Memory();
        const size_t tableBytes = static_cast<size_t>(memory.Info().entries) * 3;
        std::fprintf(out, "info %s\n", hid::HexText(memory.info).c_str());
        std::fprintf(out, "keytable %s\n",
                     hid::HexText(std::span(memory.keyTable).first(tableBytes)).c_str());
        int slot = 0;
        const WriteOutcome parameters = mouse.ReadParameterBlock(&slot);
        if (!parameters.ok()) {
            std::fprintf(out, "failed %s %d\n", parameters.step.c_str(), parameters.code);
            return kDeviceCommandFailed;
        }
        std::fprintf(out, "active-profile %d\n", slot);
        std::fprintf(out, "params %s\n", hid::HexText(mouse.LastParameters().block).c_str());
        return kDeviceCommandOk;
    }
    bool ok = true;
    const auto run = [&](const char* name, const WriteOutcome& outcome) {
        PrintStep(out, name, outcome);
        ok = ok && outcome.ok();
    };
    run("parameters", mouse.WriteParameterBlock(mouse.StandardParameterWrite()));
    if (ok) run("macros", mouse.WriteMacros(mouse.BuildMacroList()));
    if (ok) run("buttons", mouse.WriteCurrentKeyTable(nullptr));
    if (ok) {
        // Guns without a file get the factory pattern, as the recoil editor gives them.
        shoot::InitGunFiles(mouse.GetUserDataFolder().toStdString(),
                            mouse.GetDefaultDataFolder().toStdString());
        run("shoot", mouse.WriteShootPatterns());
    }
    std::fprintf(out, "applied mouse %s\n", ok ? "ok" : "failed");
    return ok ? kDeviceCommandOk : kDeviceCommandFailed;
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
