#include "emulator/command_firmware.h"

#include <algorithm>
#include <cstring>
#include <utility>

using namespace hid;

namespace emu {
namespace {

// The request log keeps the newest requests only, so a long run cannot grow without bound.
constexpr size_t kMaxLogged = 100000;

bool IsRead(uint8_t command) {
    switch (command) {
        case kCmdReadDeviceInfo:
        case kCmdReadParameters:
        case kCmdReadKeyTable:
        case kCmdReadStatus:
        case kCmdReadSecondTable:
            return true;
        default:
            return false;
    }
}

}  // namespace

CommandFirmware::CommandFirmware(const FirmwareLayout& layout) {
    deviceInfo_.bytes = layout.deviceInfo;
    deviceInfo_.bytes.resize(34, 0);
    keyTable_.bytes.assign(layout.keyTableBytes, 0);
    std::copy_n(layout.keyTableFill.begin(),
                std::min(layout.keyTableFill.size(), layout.keyTableBytes),
                keyTable_.bytes.begin());
    secondTable_.bytes.assign(layout.secondTableBytes, 0);
    parameters_.bytes.assign(layout.parameterBytes, 0);
    macro_.bytes.assign(layout.macroBytes, 0);
    shoot_.bytes.assign(layout.shootBytes, 0);
    status_.bytes.assign(layout.statusBytes, 0);
    lightFrame_.bytes.assign(layout.lightFrameBytes, 0);
    indexedBlock_.bytes.assign(layout.indexedBlockBytes, 0);
}

MemoryArea* CommandFirmware::AreaFor(uint8_t command) {
    return const_cast<MemoryArea*>(std::as_const(*this).AreaFor(command));
}

const MemoryArea* CommandFirmware::AreaFor(uint8_t command) const {
    switch (command) {
        case kCmdReadDeviceInfo:
            return &deviceInfo_;
        case kCmdReadParameters:
        case kCmdWriteParameters:
            return &parameters_;
        case kCmdReadKeyTable:
        case kCmdWriteKeyTable:
            return &keyTable_;
        case kCmdWriteIndexedBlock:
            return &indexedBlock_;
        case kCmdStreamLightFrame:
            return &lightFrame_;
        case kCmdWriteMacroData:
            return &macro_;
        case kCmdWriteShootData:
            return &shoot_;
        case kCmdReadStatus:
            return &status_;
        case kCmdReadSecondTable:
            return &secondTable_;
        default:
            return nullptr;
    }
}

void CommandFirmware::AddFault(const FaultRule& rule) {
    std::lock_guard lock(mutex_);
    faults_.push_back({rule, 0});
}

void CommandFirmware::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

void CommandFirmware::SetWirelessLinked(bool linked) {
    std::lock_guard lock(mutex_);
    wirelessLinked_ = linked;
}

std::optional<FaultKind> CommandFirmware::TakeFault(uint8_t command) {
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->rule.command != command) continue;
        const int index = it->seen++;
        if (it->rule.chunk >= 0 && index != it->rule.chunk) continue;
        const FaultKind kind = it->rule.kind;
        if (it->rule.times > 0 && --it->rule.times == 0) faults_.erase(it);
        return kind;
    }
    return std::nullopt;
}

Report CommandFirmware::Answer(const Report& request) {
    Report reply = request;
    reply[kByteStatus] = 0;
    const uint8_t command = request[kByteCommand];
    const size_t length = request[kByteLength];
    const size_t offset = request[kByteOffsetLow] | (request[kByteOffsetHigh] << 8);

    if (request[0] != kCommandReportId || length > kMaxChunkData ||
        (ChecksumOf(request) & 0xFFFF) !=
            static_cast<uint32_t>(request[kByteChecksumLow] | (request[kByteChecksumHigh] << 8))) {
        reply[kByteStatus] = kStatusFailed;
        return reply;
    }
    switch (command) {
        case kCmdBeginSettings:
            ++openSequences_;
            return reply;
        case kCmdEndSettings:
            --openSequences_;
            return reply;
        case kCmdNotifyLightControl:
            lightControl_ = true;
            return reply;
        case kCmdQueryWirelessLink:
            std::fill(reply.begin() + kHeaderSize, reply.end(), 0);
            reply[kHeaderSize] = wirelessLinked_ ? 0xFF : 0x00;
            return reply;
        default:
            break;
    }
    MemoryArea* area = AreaFor(command);
    if (!area || !area->Contains(offset, length)) {
        reply[kByteStatus] = kStatusFailed;
        return reply;
    }
    if (IsRead(command)) {
        std::fill(reply.begin() + kHeaderSize, reply.end(), 0);
        std::memcpy(reply.data() + kHeaderSize, area->bytes.data() + offset, length);
    } else {
        std::memcpy(area->bytes.data() + offset, request.data() + kHeaderSize, length);
        if (command == kCmdStreamLightFrame) ++lightChunks_;
    }
    return reply;
}

std::vector<Report> CommandFirmware::HandleRequest(std::span<const uint8_t> bytes) {
    Report request{};
    std::memcpy(request.data(), bytes.data(), std::min(bytes.size(), kReportSize));
    std::lock_guard lock(mutex_);
    if (log_.size() >= kMaxLogged) log_.erase(log_.begin(), log_.begin() + kMaxLogged / 2);
    log_.push_back(request);

    const uint8_t command = request[kByteCommand];
    const std::optional<FaultKind> fault = TakeFault(command);
    if (fault == FaultKind::NoReply) return {};
    if (fault == FaultKind::Unsolicited0xAA) {
        Report unsolicited{};
        unsolicited[0] = kCommandReportId;
        unsolicited[kByteCommand] = kCmdQueryWirelessLink;
        return {unsolicited};
    }
    Report other = request;
    other[kByteCommand] = command == kCmdReadStatus ? kCmdReadDeviceInfo : kCmdReadStatus;
    if (fault == FaultKind::OnlyOtherCommand) return {other, other};

    Report reply = Answer(request);
    if (fault == FaultKind::StatusFF) reply[kByteStatus] = kStatusFailed;
    if (fault == FaultKind::StatusFE) reply[kByteStatus] = kStatusRefused;
    if (fault == FaultKind::OtherCommand) return {other, reply};
    return {reply};
}

std::vector<uint8_t> CommandFirmware::Area(uint8_t command) const {
    std::lock_guard lock(mutex_);
    const MemoryArea* area = AreaFor(command);
    return area ? area->bytes : std::vector<uint8_t>{};
}

void CommandFirmware::SetArea(uint8_t command, size_t offset, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    MemoryArea* area = AreaFor(command);
    if (!area || !area->Contains(offset, bytes.size())) return;
    std::copy(bytes.begin(), bytes.end(), area->bytes.begin() + static_cast<long>(offset));
}

std::vector<Report> CommandFirmware::RequestLog() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void CommandFirmware::ClearRequestLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

int CommandFirmware::OpenSettingsSequences() const {
    std::lock_guard lock(mutex_);
    return openSequences_;
}

uint64_t CommandFirmware::LightFrameChunks() const {
    std::lock_guard lock(mutex_);
    return lightChunks_;
}

bool CommandFirmware::LightControlNotified() const {
    std::lock_guard lock(mutex_);
    return lightControl_;
}

}  // namespace emu
