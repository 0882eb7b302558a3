#include "main/device_command_support.h"

#include <filesystem>
#include <mutex>

#include "profiles/profile_list.h"

namespace {

// The device's profile base name := the active entry of its profile list, when it has one.
void UseActiveProfile(CSkelmoraUSBDevice& device) {
    if (const QString folder = device.GetUserDataFolder(); !folder.isEmpty()) {
        profiles::CProfileList list(std::filesystem::path(folder.toStdString()));
        if (const auto id = list.Peek() ? list.IdentifierAt(list.Active()) : std::nullopt)
            device.SetProfileBaseName(QString::fromStdString(*id));
    }
}

}  // namespace

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

void PrintStep(std::FILE* out, const char* name, const WriteOutcome& outcome) {
    const int code = outcome.excess > 0 ? -static_cast<int>(outcome.excess) : outcome.code;
    std::fprintf(out, "step %s %d\n", name, code);
}

void PrintFailed(std::FILE* out, const WriteOutcome& outcome) {
    std::fprintf(out, "failed %s %d\n", outcome.step.c_str(), outcome.code);
}

std::optional<CommandTarget> FindCommandTarget(const std::shared_ptr<hid::IHidBackend>& backend,
                                               std::initializer_list<uint16_t> kinds,
                                               const CommandDeviceSetup& setup) {
    CommandTarget target;
    for (const uint16_t kind : kinds) {
        if (auto path = FindCommandPath(backend, kind, target.identity)) {
            target.path = std::move(*path);
            return target;
        }
        target.receiver = true;  // the kinds after the first
    }
    std::fprintf(stderr, "no %s connected\n", setup.noun);
    return std::nullopt;
}

bool OpenCommandDevice(CSkelmoraUSBDevice& device, const CommandTarget& target,
                       const CommandDeviceSetup& setup) {
    const DeviceIdentity& identity = target.identity;
    const int model = setup.model == CommandDeviceSetup::kModelFromIdentity
                          ? FindModelRow(identity.vendorId, identity.productId, identity.kind)
                          : setup.model;
    device.SetIdentity(identity);
    device.SetModelIndex(model);
    device.SetKindName(QString::fromLatin1(setup.fallbackName));
    if (model >= 0) {
        device.SetKindName(QString::fromLatin1(ModelTable()[model].kindName));
        device.SetLightConfigurationName(
            QString::fromLatin1(PageTable()[model].lightConfigurationName));
    }
    device.SetProfileBaseName(device.GetKindName());
    UseActiveProfile(device);

    CCommandChannel& channel = device.CommandChannel();
    std::lock_guard lock(channel.ExchangeLock());
    CHidConnection& connection =
        target.receiver ? channel.ReceiverConnection() : channel.WiredConnection();
    if (!connection.Open(target.path, true, true, true, false)) {
        std::fprintf(stderr, "cannot open %s: %s\n", target.path.c_str(),
                     connection.LastError().c_str());
        return false;
    }
    channel.SetOpened(true);
    if (target.receiver) {
        channel.SetMode(2);
        device.SetWireless(true);
    } else if (setup.wiredMode != 0) {
        channel.SetMode(setup.wiredMode);
    }
    return true;
}

int FailedRun(std::FILE* out, DeviceCommand command, const char* kind,
              const WriteOutcome& outcome) {
    PrintFailed(out, outcome);
    if (command == DeviceCommand::ApplyProfile) std::fprintf(out, "applied %s failed\n", kind);
    return kDeviceCommandFailed;
}
