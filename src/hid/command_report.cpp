#include "hid/command_report.h"

#include <algorithm>
#include <cstdio>

namespace hid {

const char* ResultName(int result) {
    switch (result) {
        case kResultOk:
            return "ok";
        case kResultReadFailed:
            return "no reply";
        case kResultWriteFailed:
            return "write failed";
        case kResultWirelessUnsolicited:
            return "receiver answered 0xAA";
        case kResultStatusFF:
            return "status 0xFF";
        case kResultStatusFE:
            return "status 0xFE";
        case kResultBadTableIndex:
            return "bad table index";
        default:
            return "unknown result";
    }
}

uint32_t ChecksumOf(std::span<const uint8_t, kReportSize> report) {
    uint32_t sum = 0;
    for (size_t i = kByteCommand; i < kReportSize; ++i) sum += report[i];
    return sum;
}

void StampChecksum(std::span<uint8_t, kReportSize> report) {
    const uint32_t sum = ChecksumOf(report);
    report[kByteChecksumLow] = static_cast<uint8_t>(sum & 0xFF);
    report[kByteChecksumHigh] = static_cast<uint8_t>((sum >> 8) & 0xFF);
}

void BeginRequest(Report& report, uint8_t command) {
    report.fill(0);
    report[0] = kCommandReportId;
    report[kByteCommand] = command;
    report[kByteStatus] = 0;
}

void FillChunk(Report& report, uint8_t length, uint16_t offset, std::span<const uint8_t> data) {
    report[kByteLength] = length;
    report[kByteOffsetLow] = static_cast<uint8_t>(offset & 0xFF);
    report[kByteOffsetHigh] = static_cast<uint8_t>(offset >> 8);
    const size_t count = std::min({data.size(), static_cast<size_t>(length), kMaxChunkData});
    std::copy_n(data.begin(), count, report.begin() + kHeaderSize);
    StampChecksum(report);
}

std::vector<Chunk> PlanChunks(size_t total, uint8_t chunkSize) {
    std::vector<Chunk> chunks;
    if (chunkSize == 0) return chunks;
    chunks.reserve(total / chunkSize + 1);
    for (size_t position = 0; position < total; position += chunkSize) {
        chunks.push_back({static_cast<uint32_t>(position),
                          static_cast<uint8_t>(std::min<size_t>(chunkSize, total - position))});
    }
    return chunks;
}

std::string FormatReportTrace(std::span<const uint8_t, kReportSize> report) {
    std::string text;
    text.reserve(2 * 110);
    char buffer[8];
    for (size_t line = 0; line < 2; ++line) {
        for (size_t i = 0; i < 32; ++i) {
            const size_t index = line * 32 + i;
            if (i > 0) text += (i % 4 == 0) ? (i <= 12 ? "   " : "  ") : " ";
            std::snprintf(buffer, sizeof buffer, "%02x", report[index]);
            text += buffer;
        }
        text += '\n';
    }
    return text;
}

}  // namespace hid
