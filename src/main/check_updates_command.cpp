#include "main/check_updates_command.h"

#include "app/device_discovery.h"
#include "hid/hid_connection.h"
#include "platform/single_instance.h"
#include "platform/stop_event.h"
#include "update/curl_http_client.h"
#include "update/set_wnd_opener.h"
#include "update/update_check.h"

namespace {

// The command interfaces one discovery pass finds, in table order, with the version number
// of each opened interface.
std::vector<update::ConnectedDevice> FindDevices(std::shared_ptr<hid::IHidBackend> backend) {
    std::vector<int> rows;
    CDeviceDiscovery::Callbacks callbacks;
    callbacks.found = [&rows](int row) { rows.push_back(row); };
    CDeviceDiscovery discovery(backend, std::move(callbacks));
    discovery.RunPass();
    std::vector<update::ConnectedDevice> devices;
    for (int row : rows) {
        const DeviceIdentity& identity = discovery.Detected()[static_cast<std::size_t>(row)];
        if (identity.role != 0) continue;  // only command interfaces carry a device
        CHidConnection connection(backend);
        const bool opened = connection.Open(identity.path, true, true, true, false);
        devices.push_back(update::ConnectedDevice{
            identity.kind, opened, opened ? connection.VersionNumber() : std::uint16_t{0}});
    }
    return devices;
}

}  // namespace

int CheckUpdatesCommand(std::shared_ptr<hid::IHidBackend> backend, std::FILE* out) {
    // The running program owns the devices: leave them to it.
    platform::SingleInstance instance;
    if (instance.TryAcquire() == platform::SingleInstance::Result::HeldByOther) {
        std::fprintf(stderr, "the program is running; use its settings window\n");
        return 3;
    }
    const std::vector<update::CheckRow> rows =
        update::SelectRows(FindDevices(std::move(backend)), update::BuildApplicationVersion());
    update::CCurlHttpClient client;
    platform::StopEvent stop(platform::StopEvent::Mode::ManualReset);
    const std::optional<std::string> endpoint = update::UpdateEndpointFromEnvironment();
    const update::CheckOutcome outcome =
        update::RunUpdateCheck(rows, endpoint.value_or(std::string()), client, stop, {},
                               update::LastCheckFilePath(), update::TodayText());
    for (std::size_t i = 0; i < outcome.rows.size(); ++i) {
        const update::RowResult& result = outcome.rows[i];
        std::fprintf(out, "row %s status %d current %s latest %s\n",
                     update::ApplicationKey(rows[i]).c_str(), result.status, result.current.c_str(),
                     result.latest.empty() ? "-" : result.latest.c_str());
    }
    std::fprintf(out, "summary %d\n", outcome.summary);
    return 0;
}
