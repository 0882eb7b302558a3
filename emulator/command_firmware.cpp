#include "emulator/command_firmware.h"

#include <algorithm>
#include <array>
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

// The writes a host sends between BeginSettings and EndSettings. The bright mask and the
// light frames go unframed by design (they follow the user's hand), and NotifyLightControl
// is a single signal, so none of those is counted.
bool IsFramedWrite(uint8_t command) {
    switch (command) {
        case kCmdWriteParameters:
        case kCmdWriteKeyTable:
        case kCmdWriteMacroData:
        case kCmdWriteShootData:
            return true;
        default:
            return false;
    }
}

constexpr std::array<std::pair<AreaId, std::string_view>, 10> kAreaNames{{
    {AreaId::Info, "info"},
    {AreaId::KeyTable, "keytable"},
    {AreaId::Factory, "factory"},
    {AreaId::Second, "second"},
    {AreaId::Params, "params"},
    {AreaId::Macro, "macro"},
    {AreaId::Shoot, "shoot"},
    {AreaId::Mask, "mask"},
    {AreaId::Status, "status"},
    {AreaId::Frame, "frame"},
}};

}  // namespace

std::string_view AreaName(AreaId area) {
    for (const auto& [id, name] : kAreaNames) {
        if (id == area) return name;
    }
    return {};
}

std::optional<AreaId> AreaByName(std::string_view name) {
    for (const auto& [id, text] : kAreaNames) {
        if (text == name) return id;
    }
    return std::nullopt;
}

CommandFirmware::CommandFirmware(const FirmwareLayout& layout)
    : separateFactory_(layout.separateFactoryKeyTable),
      macroSizeFromInfo_(layout.macroSizeFromInfo) {
    deviceInfo_.bytes = layout.deviceInfo;
    deviceInfo_.bytes.resize(34, 0);
    keyTable_.bytes = layout.keyTable;
    if (separateFactory_) factoryKeyTable_.bytes = layout.keyTable;
    secondTable_.bytes = layout.secondTable;
    parameters_.bytes = layout.parameters;
    macro_.bytes = layout.macro;
    if (macroSizeFromInfo_) macro_.bytes.resize(255 * kMacroUnitBytes, 0);
    shoot_.bytes = layout.shoot;
    status_.bytes = layout.status;
    lightFrame_.bytes = layout.lightFrame;
    indexedBlock_.bytes = layout.indexedBlock;
}

CommandFirmware::MemoryArea* CommandFirmware::Named(AreaId area) {
    return const_cast<MemoryArea*>(std::as_const(*this).Named(area));
}

const CommandFirmware::MemoryArea* CommandFirmware::Named(AreaId area) const {
    // A device without an area (the mouse pad has no key table) is laid out with it empty:
    // its commands are refused and the console names no such area.
    const auto present = [](const MemoryArea& memory) {
        return memory.bytes.empty() ? nullptr : &memory;
    };
    switch (area) {
        case AreaId::Info:
            return present(deviceInfo_);
        case AreaId::KeyTable:
            return present(keyTable_);
        case AreaId::Factory:
            return separateFactory_ ? present(factoryKeyTable_) : nullptr;
        case AreaId::Second:
            return present(secondTable_);
        case AreaId::Params:
            return present(parameters_);
        case AreaId::Macro:
            return present(macro_);
        case AreaId::Shoot:
            return present(shoot_);
        case AreaId::Mask:
            return present(indexedBlock_);
        case AreaId::Status:
            return present(status_);
        case AreaId::Frame:
            return present(lightFrame_);
    }
    return nullptr;
}

// How much of an area the device offers: the macro memory follows the device information.
size_t CommandFirmware::VisibleSize(AreaId area) const {
    const MemoryArea* memory = Named(area);
    if (!memory) return 0;
    if (area == AreaId::Macro && macroSizeFromInfo_) {
        return std::min(memory->bytes.size(),
                        deviceInfo_.bytes[kInfoMacroUnitsByte] * kMacroUnitBytes);
    }
    return memory->bytes.size();
}

CommandFirmware::MemoryArea* CommandFirmware::AreaFor(uint8_t command) {
    return const_cast<MemoryArea*>(std::as_const(*this).AreaFor(command));
}

const CommandFirmware::MemoryArea* CommandFirmware::AreaFor(uint8_t command) const {
    switch (command) {
        case kCmdReadDeviceInfo:
            return Named(AreaId::Info);
        case kCmdReadParameters:
        case kCmdWriteParameters:
            return Named(AreaId::Params);
        case kCmdReadKeyTable:
            return separateFactory_ && !readActive_ ? Named(AreaId::Factory)
                                                    : Named(AreaId::KeyTable);
        case kCmdWriteKeyTable:
            return Named(AreaId::KeyTable);
        case kCmdWriteIndexedBlock:
            return Named(AreaId::Mask);
        case kCmdStreamLightFrame:
            return Named(AreaId::Frame);
        case kCmdWriteMacroData:
            return Named(AreaId::Macro);
        case kCmdWriteShootData:
            return Named(AreaId::Shoot);
        case kCmdReadStatus:
            return Named(AreaId::Status);
        case kCmdReadSecondTable:
            return Named(AreaId::Second);
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

void CommandFirmware::SetReadActiveKeyTable(bool on) {
    std::lock_guard lock(mutex_);
    readActive_ = on;
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

Report CommandFirmware::Answer(const Report& request, bool apply) {
    Report reply = request;
    reply[kByteStatus] = 0;
    const uint8_t command = request[kByteCommand];
    const size_t length = request[kByteLength];
    const size_t offset = request[kByteOffsetLow] | (request[kByteOffsetHigh] << 8);
    const auto refuse = [&] {
        reply[kByteStatus] = kStatusFailed;
        if (apply) ++counters_.bad;
        return reply;
    };

    if (request[0] != kCommandReportId || length > kMaxChunkData ||
        (ChecksumOf(request) & 0xFFFF) !=
            static_cast<uint32_t>(request[kByteChecksumLow] | (request[kByteChecksumHigh] << 8))) {
        return refuse();
    }
    switch (command) {
        case kCmdBeginSettings:
            if (apply) ++openSequences_;
            return reply;
        case kCmdEndSettings:
            // An EndSettings without its BeginSettings closes nothing.
            if (apply && openSequences_ > 0) --openSequences_;
            return reply;
        case kCmdNotifyLightControl:
            if (apply) lightControl_ = true;
            return reply;
        case kCmdQueryWirelessLink:
            std::fill(reply.begin() + kHeaderSize, reply.end(), 0);
            reply[kHeaderSize] = wirelessLinked_ ? 0xFF : 0x00;
            return reply;
        default:
            break;
    }
    MemoryArea* area = AreaFor(command);
    if (!area || !area->Contains(offset, length)) return refuse();
    if (command == kCmdWriteMacroData && offset + length > VisibleSize(AreaId::Macro)) {
        return refuse();
    }
    if (IsRead(command)) {
        std::fill(reply.begin() + kHeaderSize, reply.end(), 0);
        std::memcpy(reply.data() + kHeaderSize, area->bytes.data() + offset, length);
    } else if (apply) {
        std::memcpy(area->bytes.data() + offset, request.data() + kHeaderSize, length);
        if (command == kCmdStreamLightFrame) {
            ++lightChunks_;
            if (offset == 0) ++lightFrames_;
            // A frame starts at offset 0; its later chunks extend it.
            frameLength_ = offset == 0 ? length : std::max(frameLength_, offset + length);
        }
    }
    return reply;
}

namespace {

Report UnsolicitedReport() {
    Report unsolicited{};
    unsolicited[0] = kCommandReportId;
    unsolicited[kByteCommand] = kCmdQueryWirelessLink;
    return unsolicited;
}

}  // namespace

std::vector<Report> CommandFirmware::HandleRequest(std::span<const uint8_t> bytes,
                                                   bool throughReceiver) {
    Report request{};
    std::memcpy(request.data(), bytes.data(), std::min(bytes.size(), kReportSize));
    std::lock_guard lock(mutex_);
    if (log_.size() >= kMaxLogged) log_.erase(log_.begin(), log_.begin() + kMaxLogged / 2);
    log_.push_back(request);

    const uint8_t command = request[kByteCommand];
    ++counters_.reports;
    if (throughReceiver && !wirelessLinked_ && command != kCmdQueryWirelessLink)
        return {UnsolicitedReport()};
    if (IsFramedWrite(command) && openSequences_ == 0) ++counters_.unframed;

    const std::optional<FaultKind> fault = TakeFault(command);
    if (fault == FaultKind::NoReply) return {};
    if (fault == FaultKind::Unsolicited0xAA) return {UnsolicitedReport()};
    Report other = request;
    other[kByteCommand] = command == kCmdReadStatus ? kCmdReadDeviceInfo : kCmdReadStatus;
    if (fault == FaultKind::OnlyOtherCommand) return {other, other};

    // A refused request changes nothing on the device: chunks before it stay written, it does
    // not.
    const bool refused = fault == FaultKind::StatusFF || fault == FaultKind::StatusFE;
    Report reply = Answer(request, !refused);
    if (fault == FaultKind::StatusFF) reply[kByteStatus] = kStatusFailed;
    if (fault == FaultKind::StatusFE) reply[kByteStatus] = kStatusRefused;
    if (fault == FaultKind::OtherCommand) return {other, reply};
    return {reply};
}

std::vector<uint8_t> CommandFirmware::Area(uint8_t command) const {
    std::lock_guard lock(mutex_);
    const MemoryArea* area = AreaFor(command);
    if (!area) return {};
    if (area != &macro_) return area->bytes;
    return {area->bytes.begin(),
            area->bytes.begin() + static_cast<long>(VisibleSize(AreaId::Macro))};
}

void CommandFirmware::SetArea(uint8_t command, size_t offset, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    MemoryArea* area = AreaFor(command);
    if (!area || !area->Contains(offset, bytes.size())) return;
    std::copy(bytes.begin(), bytes.end(), area->bytes.begin() + static_cast<long>(offset));
}

std::optional<std::vector<uint8_t>> CommandFirmware::Dump(AreaId id) const {
    std::lock_guard lock(mutex_);
    const MemoryArea* area = Named(id);
    if (!area) return std::nullopt;
    const size_t size = id == AreaId::Frame ? frameLength_ : VisibleSize(id);
    return std::vector<uint8_t>(area->bytes.begin(), area->bytes.begin() + static_cast<long>(size));
}

bool CommandFirmware::Set(AreaId id, size_t offset, std::span<const uint8_t> bytes,
                          std::string& error) {
    std::lock_guard lock(mutex_);
    MemoryArea* area = Named(id);
    if (!area) {
        error = "this device has no " + std::string(AreaName(id)) + " area";
        return false;
    }
    const size_t size = VisibleSize(id);
    if (offset > size || bytes.size() > size - offset) {
        error = std::string(AreaName(id)) + " holds " + std::to_string(size) + " bytes";
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), area->bytes.begin() + static_cast<long>(offset));
    if (id == AreaId::Frame) frameLength_ = std::max(frameLength_, offset + bytes.size());
    return true;
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

uint64_t CommandFirmware::LightFrames() const {
    std::lock_guard lock(mutex_);
    return lightFrames_;
}

bool CommandFirmware::LightControlNotified() const {
    std::lock_guard lock(mutex_);
    return lightControl_;
}

RequestCounters CommandFirmware::Counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

}  // namespace emu
