#include "hid/hid_connection.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "hid/hid_capabilities.h"
#include "hid/report_unpack.h"
#include "platform/log_categories.h"

namespace {

uint16_t ParseMarker(const std::string& path, const char* marker) {
    std::string lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto at = lower.find(marker);
    if (at == std::string::npos) return 0;
    unsigned long value = 0;
    // "%x" semantics: optional whitespace and sign, then hex digits; anything else gives 0.
    if (std::sscanf(path.c_str() + at + std::strlen(marker), "%lx", &value) != 1) return 0;
    return static_cast<uint16_t>(value & 0xFFFF);
}

const hid::ValueCap* FindValueCap(const hid::ReportCaps& caps, const HidReportItem& item) {
    for (const hid::ValueCap& cap : caps.valueCaps) {
        const uint16_t last = cap.isRange ? cap.usageMax : cap.usageMin;
        if (cap.usagePage == item.usagePage && cap.reportId == item.reportId &&
            item.usage >= cap.usageMin && item.usage <= last) {
            return &cap;
        }
    }
    return nullptr;
}

}  // namespace

uint16_t ParseVendorId(const std::string& path) { return ParseMarker(path, "vid_"); }
uint16_t ParseProductId(const std::string& path) { return ParseMarker(path, "pid_"); }
uint16_t ParseInterfaceNumber(const std::string& path) { return ParseMarker(path, "&mi_"); }
uint16_t ParseCollectionNumber(const std::string& path) { return ParseMarker(path, "&col"); }

namespace hid {

std::string MakeInterfacePath(const HidNodeInfo& node, int collectionNumber, int collectionCount) {
    char markers[64];
    int n =
        std::snprintf(markers, sizeof markers, "#vid_%04x&pid_%04x", node.vendorId, node.productId);
    if (node.interfaceNumber >= 0) {
        n +=
            std::snprintf(markers + n, sizeof markers - n, "&mi_%02x", node.interfaceNumber & 0xFF);
    }
    if (collectionCount > 1) {
        std::snprintf(markers + n, sizeof markers - n, "&col%02x", collectionNumber & 0xFF);
    }
    return node.nodeId + markers;
}

std::string NodeIdOfPath(const std::string& path) { return path.substr(0, path.find('#')); }

}  // namespace hid

CHidConnection::CHidConnection(std::shared_ptr<hid::IHidBackend> backend)
    : backend_(std::move(backend)) {}

CHidConnection::~CHidConnection() {
    Close();
    ReleasePaths();
}

void CHidConnection::SetBackend(std::shared_ptr<hid::IHidBackend> backend) {
    backend_ = std::move(backend);
}

bool CHidConnection::Enumerate() {
    pathCursor_ = 0;
    paths_.clear();
    if (!backend_) {
        lastError_ = "no HID backend";
        return false;
    }
    std::vector<hid::HidNodeInfo> nodes;
    if (!backend_->ListNodes(nodes, lastError_)) {
        qCWarning(lcHid) << "enumeration failed:" << lastError_.c_str();
        return false;
    }
    std::map<std::string, ParsedNode> parsed;
    for (auto& node : nodes) {
        const std::string markers = hid::MakeInterfacePath(node, 0, 1);
        auto known = parsedNodes_.find(node.nodeId);
        if (known == parsedNodes_.end() || known->second.identity != node.identity ||
            known->second.markers != markers || known->second.descriptor != node.reportDescriptor) {
            ParsedNode entry{node.identity, markers, std::move(node.reportDescriptor), {}};
            const hid::ReportDescriptor descriptor = hid::ParseReportDescriptor(entry.descriptor);
            if (descriptor.ok) {
                const int count = static_cast<int>(descriptor.collections.size());
                for (int i = 0; i < count; ++i)
                    entry.paths.push_back(hid::MakeInterfacePath(node, i + 1, count));
            } else {
                qCWarning(lcHid) << "report descriptor of" << node.nodeId.c_str()
                                 << "refused:" << descriptor.error.c_str();
            }
            known = parsed.emplace(node.nodeId, std::move(entry)).first;
        } else {
            known = parsed.emplace(node.nodeId, std::move(known->second)).first;
        }
        paths_.insert(paths_.end(), known->second.paths.begin(), known->second.paths.end());
    }
    parsedNodes_ = std::move(parsed);
    pathCount_ = static_cast<int>(paths_.size());
    return true;
}

std::optional<std::string> CHidConnection::NextPath() {
    if (pathCursor_ >= paths_.size()) return std::nullopt;
    return paths_[pathCursor_++];
}

void CHidConnection::ReleasePaths() {
    // The count stays as it was; the list is empty afterwards.
    paths_.clear();
    paths_.shrink_to_fit();
    pathCursor_ = 0;
}

bool CHidConnection::Open(const std::string& path, bool forRead, bool forWrite, bool overlapped,
                          bool exclusive) {
    openForRead_ = forRead;
    openForWrite_ = forWrite;
    overlapped_ = overlapped;
    exclusive_ = exclusive;
    path_ = path;
    Close();
    // A stop meant for an earlier transfer must not end the first one on the new handle.
    readStop_.TryConsume();
    writeStop_.TryConsume();
    lastError_.clear();
    if (!backend_) {
        lastError_ = "no HID backend";
        return false;
    }
    auto handle = backend_->OpenNode(hid::NodeIdOfPath(path), forRead, forWrite, lastError_);
    if (!handle) {
        qCDebug(lcHid) << "open failed:" << lastError_.c_str();
        return false;
    }
    if (!FillCapabilities(handle->Info())) {
        FreeCapabilities();
        return false;
    }
    std::lock_guard lock(handleMutex_);
    handle_ = std::move(handle);
    return true;
}

void CHidConnection::Close() {
    std::shared_ptr<hid::IHidHandle> old;
    {
        std::lock_guard lock(handleMutex_);
        old = std::move(handle_);
        handle_.reset();
    }
    if (reading_) readStop_.Set();
    if (writing_) writeStop_.Set();
    FreeCapabilities();
    // A transfer still running holds its own reference; the node closes when it returns.
}

bool CHidConnection::IsOpen() const {
    std::lock_guard lock(handleMutex_);
    return handle_ != nullptr;
}

void CHidConnection::SignalStop() {
    if (reading_) readStop_.Set();
    if (writing_) writeStop_.Set();
}

std::shared_ptr<hid::IHidHandle> CHidConnection::CurrentHandle() const {
    std::lock_guard lock(handleMutex_);
    return handle_;
}

bool CHidConnection::DeliversReport(uint8_t reportId) const {
    return collectionReportIds_.empty() ||
           std::find(collectionReportIds_.begin(), collectionReportIds_.end(), reportId) !=
               collectionReportIds_.end();
}

bool CHidConnection::Read(uint8_t* buffer, uint32_t length, uint32_t* transferred, int timeoutMs) {
    if (transferred) *transferred = 0;
    if (!buffer || length == 0) return false;
    // Flag first, handle second: a Close in between then always signals the stop.
    reading_ = true;
    auto handle = CurrentHandle();
    if (!handle) {
        reading_ = false;
        return false;
    }
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    bool ok = false;
    for (;;) {
        int left = timeoutMs;
        if (timeoutMs >= 0) {
            left = static_cast<int>(
                std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now()).count());
            if (left < 0) break;
        }
        size_t got = 0;
        const hid::IoStatus status = handle->Read({buffer, length}, got, left, readStop_.Fd());
        if (status == hid::IoStatus::Stopped) {
            readStop_.TryConsume();
            break;
        }
        if (status != hid::IoStatus::Ok) {
            ReportGone(*handle, status);
            break;
        }
        // The node carries every collection's reports; this connection delivers its own only.
        if (got == 0 || !DeliversReport(buffer[0])) continue;
        if (transferred) *transferred = static_cast<uint32_t>(got);
        ok = true;
        break;
    }
    reading_ = false;
    return ok;
}

bool CHidConnection::Write(const uint8_t* buffer, uint32_t length, uint32_t* transferred,
                           int timeoutMs) {
    if (transferred) *transferred = 0;
    if (!buffer || length == 0) return false;
    writing_ = true;
    auto handle = CurrentHandle();
    if (!handle) {
        writing_ = false;
        return false;
    }
    const hid::IoStatus status = handle->Write({buffer, length}, timeoutMs, writeStop_.Fd());
    if (status == hid::IoStatus::Stopped) writeStop_.TryConsume();
    ReportGone(*handle, status);
    writing_ = false;
    if (status != hid::IoStatus::Ok) return false;
    if (transferred) *transferred = length;
    return true;
}

bool CHidConnection::SetOutputReport(const uint8_t* buffer, uint32_t length, int timeoutMs) {
    if (!buffer || length == 0) return false;
    writing_ = true;
    auto handle = CurrentHandle();
    if (!handle) {
        writing_ = false;
        return false;
    }
    const hid::IoStatus status =
        handle->SetOutputReport({buffer, length}, timeoutMs, writeStop_.Fd());
    if (status == hid::IoStatus::Stopped) writeStop_.TryConsume();
    ReportGone(*handle, status);
    writing_ = false;
    return status == hid::IoStatus::Ok;
}

bool CHidConnection::SetOutputReports(std::span<const std::span<const uint8_t>> reports,
                                      int timeoutMs) {
    for (const std::span<const uint8_t> report : reports)
        if (report.empty()) return false;
    writing_ = true;
    auto handle = CurrentHandle();
    if (!handle) {
        writing_ = false;
        return false;
    }
    const hid::IoStatus status = handle->SetOutputReports(reports, timeoutMs, writeStop_.Fd());
    if (status == hid::IoStatus::Stopped) writeStop_.TryConsume();
    ReportGone(*handle, status);
    writing_ = false;
    return status == hid::IoStatus::Ok;
}

void CHidConnection::ReportGone(hid::IHidHandle& handle, hid::IoStatus status) {
    // The device is gone now: discovery need not wait until the system removes the node.
    if (status == hid::IoStatus::Disconnected && backend_) backend_->NodeGone(handle.Info());
}

bool CHidConnection::FillCapabilities(const hid::HidNodeInfo& info) {
    auto tables = std::make_unique<hid::CapabilityTables>();
    tables->descriptor = hid::ParseReportDescriptor(info.reportDescriptor);
    if (!tables->descriptor.ok || tables->descriptor.collections.empty()) {
        lastError_ = "unreadable report descriptor of " + info.nodeId + ": " +
                     (tables->descriptor.ok ? "no collection" : tables->descriptor.error);
        qCWarning(lcHid) << lastError_.c_str();
        return false;
    }
    interfaceNumber_ = ParseInterfaceNumber(path_);
    collectionNumber_ = ParseCollectionNumber(path_);
    const int count = static_cast<int>(tables->descriptor.collections.size());
    const int index = collectionNumber_ == 0 ? 0 : collectionNumber_ - 1;
    if (index >= count) {
        lastError_ = path_ + " names collection " + std::to_string(collectionNumber_) +
                     " but the device has " + std::to_string(count);
        return false;
    }
    tables->collectionIndex = index;
    const hid::TopLevelCollection& collection = tables->Collection();
    caps_ = hid::MakeCaps(collection);
    attributes_ = {info.vendorId, info.productId, info.version};
    nodeIdentity_ = info.identity;
    usbBus_ = info.usbBus;
    usbDevice_ = info.usbDevice;
    inputReport_.assign(caps_.inputReportByteLength, 0);
    outputReport_.assign(caps_.outputReportByteLength, 0);
    featureReport_.assign(caps_.featureReportByteLength, 0);
    inputItems_ = hid::MakeReportItems(collection, hid::ReportType::Input);
    outputItems_ = hid::MakeReportItems(collection, hid::ReportType::Output);
    featureItems_ = hid::MakeReportItems(collection, hid::ReportType::Feature);
    // With a single collection every report of the node is its own.
    collectionReportIds_ = count > 1 ? collection.reportIds : std::vector<uint8_t>{};
    tables_ = std::move(tables);
    return true;
}

void CHidConnection::FreeCapabilities() {
    tables_.reset();
    caps_ = {};
    attributes_ = {};
    inputReport_.clear();
    outputReport_.clear();
    featureReport_.clear();
    inputItems_.clear();
    outputItems_.clear();
    featureItems_.clear();
    collectionReportIds_.clear();
    nodeIdentity_.clear();
    usbBus_ = 0;
    usbDevice_ = 0;
}

bool CHidConnection::UnpackReport(const uint8_t* report, uint32_t length,
                                  hid::ReportType reportType, HidReportItem* items,
                                  uint32_t itemCount) {
    if (!tables_ || !report || length == 0 || (!items && itemCount > 0)) return false;
    const std::span<const uint8_t> bytes(report, length);
    const uint8_t reportId = report[0];
    const hid::ReportCaps& caps = tables_->Collection().caps(reportType);
    for (uint32_t i = 0; i < itemCount; ++i) {
        HidReportItem& item = items[i];
        if (item.reportId != reportId) continue;
        if (item.isButton) {
            const auto pressed = hid::GetUsages(caps, item.usagePage, bytes);
            item.status = static_cast<uint32_t>(pressed.status);
            if (!pressed.ok) return false;
            size_t kept = 0;
            for (uint16_t usage : pressed.value) {
                if (usage < item.usageMinimum || usage > item.usageMaximum) continue;
                if (kept >= item.usageList.size()) break;
                item.usageList[kept++] = usage;
            }
            if (kept < item.usageList.size()) item.usageList[kept] = 0;
        } else {
            const hid::ValueCap* cap = FindValueCap(caps, item);
            if (!cap) {
                item.status = static_cast<uint32_t>(hid::UnpackStatus::UsageNotFound);
                return false;
            }
            const auto raw = hid::GetUsageValue(*cap, item.usage, bytes);
            item.status = static_cast<uint32_t>(raw.status);
            if (!raw.ok) return false;
            item.rawValue = raw.value;
            const auto scaled = hid::GetScaledUsageValue(*cap, item.usage, bytes);
            if (scaled.ok) item.scaledValue = scaled.value;
        }
        item.isSet = 1;
    }
    return true;
}
