#pragma once
// The 64-byte vendor command report: layout, checksum, chunk plan and trace text.
// Pure functions, no I/O.
//
//   byte 0      report id (4)
//   bytes 1-2   checksum: sum of bytes 3..63, low 16 bits, little-endian
//   byte 3      command
//   byte 4      data length in this report (0..56)
//   bytes 5-6   offset of this chunk in the device's data area, little-endian
//   byte 7      status: 0 in requests; 0xFF or 0xFE in a reply report an error
//   bytes 8-63  data
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hid {

constexpr size_t kReportSize = 64;
constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxChunkData = kReportSize - kHeaderSize;  // 56
constexpr uint8_t kCommandReportId = 4;

constexpr size_t kByteChecksumLow = 1;
constexpr size_t kByteChecksumHigh = 2;
constexpr size_t kByteCommand = 3;
constexpr size_t kByteLength = 4;
constexpr size_t kByteOffsetLow = 5;
constexpr size_t kByteOffsetHigh = 6;
constexpr size_t kByteStatus = 7;

constexpr uint8_t kStatusFailed = 0xFF;   // -> kResultStatusFF
constexpr uint8_t kStatusRefused = 0xFE;  // -> kResultStatusFE

using Report = std::array<uint8_t, kReportSize>;

enum Command : uint8_t {
    kCmdBeginSettings = 0x01,
    kCmdEndSettings = 0x02,
    kCmdReadDeviceInfo = 0x03,
    kCmdReadParameters = 0x05,
    kCmdWriteParameters = 0x06,
    kCmdReadKeyTable = 0x07,
    kCmdWriteKeyTable = 0x09,
    kCmdWriteIndexedBlock = 0x0B,
    kCmdStreamLightFrame = 0x12,
    kCmdWriteMacroData = 0x15,
    kCmdWriteShootData = 0x17,
    kCmdReadStatus = 0x1A,
    kCmdReadSecondTable = 0x1B,
    kCmdNotifyLightControl = 0x1C,
    kCmdQueryWirelessLink = 0xAA,
};

// Result codes of every exchange and command.
enum Result : int {
    kResultOk = 1,
    kResultReadFailed = 0,  // channel not open, or no reply (time-out, stop, I/O error)
    kResultWriteFailed = -1,
    kResultWirelessUnsolicited = -101,
    kResultStatusFF = -102,
    kResultStatusFE = -103,
    kResultBadTableIndex = -201,
};

const char* ResultName(int result);

// Sum of bytes 3..63 as unsigned bytes, as a 32-bit value.
uint32_t ChecksumOf(std::span<const uint8_t, kReportSize> report);
// Writes the low 16 bits of the checksum into bytes 1 and 2.
void StampChecksum(std::span<uint8_t, kReportSize> report);

// Clears the report and sets report id, command and status 0.
void BeginRequest(Report& report, uint8_t command);
// Fills length, offset and (when data is not empty) the data bytes of one report, then the
// checksum. Bytes behind the data are left as they are, as the device has always seen them.
void FillChunk(Report& report, uint8_t length, uint16_t offset, std::span<const uint8_t> data);

struct Chunk {
    uint32_t position;  // position in the transfer
    uint8_t length;     // data bytes in this report
    bool operator==(const Chunk&) const = default;
};
// Reports of a transfer of total bytes in chunkSize pieces; empty for a total of 0.
std::vector<Chunk> PlanChunks(size_t total, uint8_t chunkSize);

// The two trace lines of a report, 32 bytes each, grouped in fours.
std::string FormatReportTrace(std::span<const uint8_t, kReportSize> report);

}  // namespace hid
