#include "app/device_discovery.h"

#include <poll.h>

#include "platform/log_categories.h"

CDeviceDiscovery::CDeviceDiscovery(std::shared_ptr<hid::IHidBackend> backend, Callbacks callbacks)
    : backend_(std::move(backend)),
      callbacks_(std::move(callbacks)),
      detected_(ActiveInterfaceTable().begin(), ActiveInterfaceTable().end()),
      nodeIdentities_(detected_.size()),
      connection_(backend_) {}

CDeviceDiscovery::~CDeviceDiscovery() {
    Stop();
    if (backend_) backend_->SetArrivalHandler(nullptr);
}

int CDeviceDiscovery::FindAbsentEntry(const DeviceIdentity& probe, bool matchUsage) const {
    for (size_t i = 0; i < detected_.size(); ++i) {
        const DeviceIdentity& entry = detected_[i];
        if (entry.present || !entry.path.empty()) continue;
        if (entry.vendorId != probe.vendorId || entry.productId != probe.productId ||
            entry.collectionNumber != probe.collectionNumber ||
            entry.interfaceNumber != probe.interfaceNumber) {
            continue;
        }
        if (matchUsage && (entry.usagePage != probe.usagePage || entry.usage != probe.usage)) {
            continue;
        }
        return static_cast<int>(i);
    }
    return -1;
}

void CDeviceDiscovery::FindNewInterfaces() {
    while (auto path = connection_.NextPath()) {
        DeviceIdentity probe;
        probe.vendorId = ParseVendorId(*path);
        probe.productId = ParseProductId(*path);
        probe.collectionNumber = ParseCollectionNumber(*path);
        probe.interfaceNumber = ParseInterfaceNumber(*path);
        // Rows with vendor id 0 stand for devices no interface reports.
        if (probe.vendorId == 0 && probe.productId == 0) continue;
        if (FindAbsentEntry(probe, false) < 0) continue;
        if (!connection_.Open(*path, true, false, true, false)) {
            enumerateAgain_ = true;  // retried next pass
            continue;
        }
        probe.vendorId = connection_.VendorId();
        probe.productId = connection_.ProductId();
        probe.usagePage = connection_.UsagePage();
        probe.usage = connection_.Usage();
        const std::string identity = connection_.NodeIdentity();
        connection_.Close();
        const int row = FindAbsentEntry(probe, true);
        if (row < 0) continue;
        DeviceIdentity& entry = detected_[row];
        entry.present = 1;
        entry.path = *path;
        nodeIdentities_[row] = identity;
        qCDebug(lcDiscovery) << "found row" << row << path->c_str();
        if (callbacks_.found) callbacks_.found(row);
    }
}

void CDeviceDiscovery::ProbePresentInterfaces() {
    for (size_t i = 0; i < detected_.size(); ++i) {
        DeviceIdentity& entry = detected_[i];
        if (!entry.present) continue;
        const auto identity = backend_->NodeIdentity(hid::NodeIdOfPath(entry.path));
        if (identity && *identity == nodeIdentities_[i]) continue;
        entry.present = 0;
        entry.path.clear();
        nodeIdentities_[i].clear();
        enumerateAgain_ = true;
        // Another device on the same node: the next pass finds it at once.
        if (identity) Wake();
        qCDebug(lcDiscovery) << "lost row" << i
                             << (identity ? "(its node now holds another device)" : "");
        if (callbacks_.lost) callbacks_.lost(static_cast<int>(i));
    }
}

bool CDeviceDiscovery::RunPass() {
    if (!backend_) return false;
    bool anyAbsent = false;
    for (const auto& entry : detected_) anyAbsent |= (!entry.present && entry.path.empty());
    const uint64_t generation = backend_->NodeListGeneration();
    if (anyAbsent && (generation == 0 || generation != listedGeneration_ || enumerateAgain_ ||
                      !firstPassReported_)) {
        enumerateAgain_ = false;
        if (!connection_.Enumerate()) return false;
        listedGeneration_ = generation;
        FindNewInterfaces();
        if (!firstPassReported_) {
            firstPassReported_ = true;
            if (callbacks_.firstPassDone) callbacks_.firstPassDone();
        }
        connection_.ReleasePaths();
    }
    ProbePresentInterfaces();
    return true;
}

void CDeviceDiscovery::Start() {
    if (thread_.joinable()) return;
    stop_.Reset();
    finished_ = false;
    // A node that appears starts a pass at once; the 100 ms passes go on as they are.
    if (backend_) backend_->SetArrivalHandler([this] { Wake(); });
    thread_ = std::thread([this] { ThreadMain(); });
}

bool CDeviceDiscovery::Stop() {
    if (backend_) backend_->SetArrivalHandler(nullptr);
    if (!thread_.joinable()) return true;
    stop_.Set();
    // The thread only ever waits on the stop event or runs a short pass, so the join is
    // bounded; it is never killed.
    thread_.join();
    return true;
}

void CDeviceDiscovery::RequestStop() { stop_.Set(); }

void CDeviceDiscovery::Wake() { wake_.Set(); }

void CDeviceDiscovery::ThreadMain() {
    for (;;) {
        if (stop_.TryConsume()) break;
        if (!RunPass()) {
            qCWarning(lcDiscovery) << "enumeration failed; hot-plug stops until the next start";
            break;
        }
        pollfd fds[2] = {{stop_.Fd(), POLLIN, 0}, {wake_.Fd(), POLLIN, 0}};
        int r = poll(fds, 2, kPassIntervalMs);
        if (r > 0 && (fds[1].revents & POLLIN)) wake_.TryConsume();
    }
    qCDebug(lcDiscovery) << "抓取设备线程设定退出";
    finished_ = true;
}
