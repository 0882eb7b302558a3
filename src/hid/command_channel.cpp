#include "hid/command_channel.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "platform/log_categories.h"

using namespace hid;

namespace {

void TraceReport(const char* title, const Report& report) {
    if (!lcProto().isDebugEnabled()) return;
    qCDebug(lcProto).noquote() << title;
    qCDebug(lcProto).noquote() << QString::fromStdString(FormatReportTrace(report)).trimmed();
}

}  // namespace

CCommandChannel::CCommandChannel(std::shared_ptr<IHidBackend> backend)
    : wired_(backend), receiver_(backend) {}

void CCommandChannel::SetBackend(const std::shared_ptr<IHidBackend>& backend) {
    wired_.SetBackend(backend);
    receiver_.SetBackend(backend);
}

void CCommandChannel::SetMode(int mode) {
    wirelessMode_ = (mode == 2);
    chunkSize_ = wirelessMode_ ? 24 : static_cast<uint8_t>(kMaxChunkData);
}

bool CCommandChannel::SetTableLength(uint16_t length) {
    if (length > kMaxTableLength) return false;
    tableLength_ = length;
    return true;
}

int CCommandChannel::StatusResult(const Report& reply) {
    if (reply[kByteStatus] == kStatusFailed) return kResultStatusFF;
    if (reply[kByteStatus] == kStatusRefused) return kResultStatusFE;
    return kResultOk;
}

int CCommandChannel::Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply,
                              size_t replyLength, uint32_t* received) {
    busy_ = true;
    if (received) *received = 0;
    if (!opened_) {
        busy_ = false;
        return kResultReadFailed;
    }
    Report out{};
    std::memcpy(out.data(), request, std::min(requestLength, kReportSize));
    TraceReport("命令", out);

    const bool wireless = wirelessMode_;
    const int timeout = wireless ? kWirelessTimeoutMs : kWiredTimeoutMs;
    Report in{};
    uint32_t got = 0;
    int result = kResultOk;
    {
        std::lock_guard lock(exchangeLock_);
        CHidConnection& connection = wireless ? receiver_ : wired_;
        if (!connection.Write(out.data(), kReportSize, nullptr, timeout)) {
            result = kResultWriteFailed;
        } else {
            // One report from another command is read past; a second one fails the exchange,
            // so another command's data is never taken for this one's.
            result = kResultReadFailed;
            for (int attempt = 0; attempt < 2; ++attempt) {
                in.fill(0);
                if (!connection.Read(in.data(), kReportSize, &got, timeout)) {
                    result = kResultReadFailed;
                    break;
                }
                if (in[kByteCommand] == out[kByteCommand]) {
                    result = kResultOk;
                    break;
                }
                if (wireless && in[kByteCommand] == kCmdQueryWirelessLink) {
                    result = kResultWirelessUnsolicited;
                    break;
                }
                qCDebug(lcProto) << "reply for command" << Qt::hex << in[kByteCommand]
                                 << "while waiting for" << out[kByteCommand];
            }
        }
    }
    if (result != kResultWriteFailed) {
        if (reply) std::memcpy(reply, in.data(), std::min(replyLength, kReportSize));
        if (received) *received = got;
        TraceReport("返回", in);
    }
    busy_ = false;
    return result;
}

int CCommandChannel::ExchangeOnce(const uint8_t* request, size_t requestLength, uint8_t* reply,
                                  size_t replyLength, uint32_t* received) {
    if (received) *received = 0;
    if (!opened_) return kResultReadFailed;
    Report out{};
    std::memcpy(out.data(), request, std::min(requestLength, kReportSize));
    Report in{};
    uint32_t got = 0;
    // Reports left from before (a doubled reply, a reply that came after its chunk gave up)
    // would be taken for this chunk's reply, and every later chunk would read the one
    // before it: they go first. The queue holds at most a device buffer's worth.
    for (size_t drained = 0; drained < kMaxDrainedReports; ++drained) {
        if (!wired_.Read(in.data(), kReportSize, &got, 0)) break;
        ++skippedLightReplies_;
    }
    if (!wired_.Write(out.data(), kReportSize, nullptr, kWiredTimeoutMs)) return kResultWriteFailed;
    // As in Exchange: one report of another command is read past, a second one fails.
    int result = kResultReadFailed;
    for (int attempt = 0; attempt < 2; ++attempt) {
        in.fill(0);
        if (!wired_.Read(in.data(), kReportSize, &got, kWiredTimeoutMs)) break;
        if (in[kByteCommand] == out[kByteCommand]) {
            result = kResultOk;
            break;
        }
        ++skippedLightReplies_;
    }
    if (result != kResultOk) return result;
    if (reply) std::memcpy(reply, in.data(), std::min(replyLength, kReportSize));
    if (received) *received = got;
    return kResultOk;
}

int CCommandChannel::SendLightChunk(const Report& request, Report& reply) {
    // A chunk is dropped, and counts as sent, while a command's exchange runs: the frame is
    // only a picture of the moment and the next one follows within milliseconds. The
    // exchange lock is only tried, so a light reply can never be taken for a command's.
    if (busy_) {
        qCDebug(lcProto) << "放弃灯光数据";
        ++droppedLightChunks_;
        return kResultOk;
    }
    if (wirelessMode_) return kResultOk;
    std::unique_lock exchange(exchangeLock_, std::try_to_lock);
    if (!exchange.owns_lock()) {
        qCDebug(lcProto) << "放弃灯光数据";
        ++droppedLightChunks_;
        return kResultOk;
    }
    std::lock_guard light(lightLock_);
    int result = ExchangeOnce(request.data(), kReportSize, reply.data(), kReportSize, nullptr);
    return result == kResultOk ? StatusResult(reply) : result;
}

int CCommandChannel::Transfer(uint8_t command, Direction direction,
                              std::span<const uint8_t> writeFrom, std::span<uint8_t> readInto,
                              size_t total, uint16_t base, uint8_t chunkSize, Locking locking,
                              Path path) {
    if (static_cast<size_t>(base) + total > 0x10000) {
        qCWarning(lcProto) << "transfer of" << total << "bytes at" << base
                           << "does not fit the 16-bit offsets; nothing sent";
        return kResultReadFailed;
    }
    Report request;
    BeginRequest(request, command);
    Report reply{};
    for (const Chunk& chunk : PlanChunks(total, chunkSize)) {
        const auto offset = static_cast<uint16_t>(base + chunk.position);
        std::span<const uint8_t> data;
        if (direction == Direction::Write) data = writeFrom.subspan(chunk.position, chunk.length);
        FillChunk(request, chunk.length, offset, data);

        int result;
        if (path == Path::LightFrame) {
            result = SendLightChunk(request, reply);
            if (result != kResultOk) return result;
            continue;
        }
        {
            std::unique_lock<std::recursive_mutex> lock(commandLock_, std::defer_lock);
            if (locking == Locking::CommandLock) lock.lock();
            result = Exchange(request.data(), kReportSize, reply.data(), kReportSize, nullptr);
        }
        if (result != kResultOk) return result;
        result = StatusResult(reply);
        if (result != kResultOk) return result;
        if (direction == Direction::Read) {
            const size_t count =
                std::min<size_t>({reply[kByteLength], chunk.length, kMaxChunkData});
            std::memcpy(readInto.data() + chunk.position, reply.data() + kHeaderSize, count);
        }
    }
    return kResultOk;
}

int CCommandChannel::Single(uint8_t command, uint8_t length, uint16_t offset, Report* replyOut) {
    Report request;
    BeginRequest(request, command);
    FillChunk(request, length, offset, {});
    Report reply{};
    int result;
    {
        std::lock_guard lock(commandLock_);
        result = Exchange(request.data(), kReportSize, reply.data(), kReportSize, nullptr);
    }
    if (replyOut) *replyOut = reply;
    return result == kResultOk ? StatusResult(reply) : result;
}

int CCommandChannel::BeginSettings() { return Single(kCmdBeginSettings, 0, 0, nullptr); }

int CCommandChannel::EndSettings(int) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Single(kCmdEndSettings, 0, 0, nullptr);
}

int CCommandChannel::ReadDeviceInfo(std::span<uint8_t, kDeviceInfoLength> out) {
    uint8_t block[kDeviceInfoLength] = {};
    const int result = Transfer(kCmdReadDeviceInfo, Direction::Read, {}, block, kDeviceInfoLength,
                                0, chunkSize_, Locking::CommandLock, Path::Exchange);
    if (result == kResultOk) std::memcpy(out.data(), block, kDeviceInfoLength);
    return result;
}

int CCommandChannel::ReadParameters(std::span<uint8_t> out, uint16_t base) {
    return Transfer(kCmdReadParameters, Direction::Read, {}, out, out.size(), base, chunkSize_,
                    Locking::CommandLock, Path::Exchange);
}

int CCommandChannel::WriteParameters(std::span<const uint8_t> data, uint16_t base) {
    return Transfer(kCmdWriteParameters, Direction::Write, data, {}, data.size(), base, chunkSize_,
                    Locking::CommandLock, Path::Exchange);
}

int CCommandChannel::ReadKeyTable(std::span<uint8_t> out) {
    if (out.size() < tableLength_) return kResultReadFailed;
    return Transfer(kCmdReadKeyTable, Direction::Read, {}, out, tableLength_, 0, chunkSize_,
                    Locking::CommandLock, Path::Exchange);
}

int CCommandChannel::WriteKeyTable(std::span<const uint8_t> data, int index) {
    if (index != 0) return kResultBadTableIndex;
    if (data.size() < tableLength_) return kResultWriteFailed;
    return Transfer(kCmdWriteKeyTable, Direction::Write, data, {}, tableLength_,
                    static_cast<uint16_t>(index * kMaxTableLength), chunkSize_,
                    Locking::CommandLock, Path::Exchange);
}

int CCommandChannel::WriteIndexedBlock(std::span<const uint8_t> data, int index) {
    if (data.size() > kMaxChunkData || index < 0 || index * 3 > 0xFFFF) {
        qCWarning(lcProto) << "indexed block of" << data.size() << "bytes at index" << index
                           << "refused";
        return kResultWriteFailed;
    }
    Report request;
    BeginRequest(request, kCmdWriteIndexedBlock);
    FillChunk(request, static_cast<uint8_t>(data.size()), static_cast<uint16_t>(index * 3), data);
    Report reply{};
    int result;
    {
        std::lock_guard lock(commandLock_);
        result = Exchange(request.data(), kReportSize, reply.data(), kReportSize, nullptr);
    }
    return result == kResultOk ? StatusResult(reply) : result;
}

int CCommandChannel::StreamLightFrame(std::span<const uint8_t> data) {
    return Transfer(kCmdStreamLightFrame, Direction::Write, data, {}, data.size(), 0, chunkSize_,
                    Locking::NoCommandLock, Path::LightFrame);
}

int CCommandChannel::WriteMacroData(std::span<const uint8_t> data) {
    return Transfer(kCmdWriteMacroData, Direction::Write, data, {}, data.size(), 0, chunkSize_,
                    Locking::CommandLock, Path::Exchange);
}

int CCommandChannel::WriteShootData(std::span<const uint8_t> data) {
    return Transfer(kCmdWriteShootData, Direction::Write, data, {}, data.size(), 0,
                    static_cast<uint8_t>(kMaxChunkData), Locking::NoCommandLock, Path::Exchange);
}

int CCommandChannel::ReadStatus(std::span<uint8_t> out, uint16_t offset) {
    if (out.size() > kMaxChunkData) return kResultReadFailed;
    Report reply{};
    const int result = Single(kCmdReadStatus, static_cast<uint8_t>(out.size()), offset, &reply);
    if (result == kResultOk) std::memcpy(out.data(), reply.data() + kHeaderSize, out.size());
    return result;
}

int CCommandChannel::ReadSecondTable(std::span<uint8_t> out) {
    const size_t length = tableLength_ / 3;
    if (out.size() < length) return kResultReadFailed;
    return Transfer(kCmdReadSecondTable, Direction::Read, {}, out, length, 0, chunkSize_,
                    Locking::CommandLock, Path::Exchange);
}

int CCommandChannel::NotifyLightControl() { return Single(kCmdNotifyLightControl, 0, 0, nullptr); }

CCommandChannel::WirelessLink CCommandChannel::QueryWirelessLinkState() {
    if (!wirelessMode_) return WirelessLink::Linked;
    Report reply{};
    const int result = Single(kCmdQueryWirelessLink, 0, 0, &reply);
    // A write that failed or a read that ended without the query's reply both mean the
    // receiver said nothing; any reply (even a refusal) is an answer.
    if (result == kResultReadFailed || result == kResultWriteFailed) return WirelessLink::NoReply;
    return result == kResultOk && reply[kHeaderSize] == 0xFF ? WirelessLink::Linked
                                                             : WirelessLink::NotLinked;
}

bool CCommandChannel::QueryWirelessLink() {
    return QueryWirelessLinkState() == WirelessLink::Linked;
}
