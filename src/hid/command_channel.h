#pragma once
// The vendor command channel: one 64-byte request, one 64-byte reply, chunked transfers
// and the command set every device speaks. Connection A is the wired path (1000 ms
// time-outs), connection B the path through a 2.4 GHz receiver (5000 ms).
//
// Locks: the command lock is held by each command around each of its exchanges; the
// exchange lock around the write and reads of one exchange (the owner also holds it while
// it opens or closes the connections); the light lock around each light-frame report; the
// second connection lock is for the owner while it opens or closes connection B of an
// event channel. All are recursive, so an owner holding one may call commands.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "hid/command_report.h"
#include "hid/hid_connection.h"

class CCommandChannel {
  public:
    static constexpr uint16_t kMaxTableLength = 512;
    static constexpr size_t kDeviceInfoLength = 34;
    static constexpr int kWiredTimeoutMs = 1000;
    static constexpr int kWirelessTimeoutMs = 5000;
    // Most reports a light chunk reads past before its write (a device buffer's worth).
    static constexpr size_t kMaxDrainedReports = 256;

    explicit CCommandChannel(std::shared_ptr<hid::IHidBackend> backend = nullptr);
    CCommandChannel(const CCommandChannel&) = delete;
    CCommandChannel& operator=(const CCommandChannel&) = delete;

    void SetBackend(const std::shared_ptr<hid::IHidBackend>& backend);

    // Mode 2: receiver path, 24-byte chunks. Any other mode: wired path, 56-byte chunks.
    void SetMode(int mode);
    bool SetTableLength(uint16_t length);
    uint16_t TableLength() const { return tableLength_; }
    uint8_t ChunkSize() const { return chunkSize_; }
    bool IsWireless() const { return wirelessMode_; }
    bool IsBusy() const { return busy_; }
    bool IsOpened() const { return opened_; }
    void SetOpened(bool opened) { opened_ = opened; }

    int Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                 uint32_t* received);
    int ExchangeOnce(const uint8_t* request, size_t requestLength, uint8_t* reply,
                     size_t replyLength, uint32_t* received);

    int BeginSettings();
    int EndSettings(int unused = 1);
    int ReadDeviceInfo(std::span<uint8_t, kDeviceInfoLength> out);
    int ReadParameters(std::span<uint8_t> out, uint16_t base);
    int WriteParameters(std::span<const uint8_t> data, uint16_t base);
    int ReadKeyTable(std::span<uint8_t> out);  // TableLength() bytes
    int WriteKeyTable(std::span<const uint8_t> data, int index);
    int WriteIndexedBlock(std::span<const uint8_t> data, int index);
    int StreamLightFrame(std::span<const uint8_t> data);
    int WriteMacroData(std::span<const uint8_t> data);
    int WriteShootData(std::span<const uint8_t> data);
    int ReadStatus(std::span<uint8_t> out, uint16_t offset);
    int ReadSecondTable(std::span<uint8_t> out);  // TableLength() / 3 bytes
    int NotifyLightControl();
    // What the receiver says of its mouse. No reply (time-out, closed channel, I/O error) is
    // told apart from "not linked", so a caller that asks again can stop at a silent receiver
    // instead of waiting out a time-out per attempt.
    enum class WirelessLink { Linked, NotLinked, NoReply };
    WirelessLink QueryWirelessLinkState();
    // Linked (always true on the wired path).
    bool QueryWirelessLink();

    CHidConnection& WiredConnection() { return wired_; }
    CHidConnection& ReceiverConnection() { return receiver_; }
    CHidConnection& ActiveConnection() { return wirelessMode_ ? receiver_ : wired_; }
    std::recursive_mutex& ExchangeLock() { return exchangeLock_; }
    std::recursive_mutex& SecondConnectionLock() { return secondConnectionLock_; }
    std::recursive_mutex& CommandLock() { return commandLock_; }
    std::recursive_mutex& LightLock() { return lightLock_; }

    // Light-frame chunks dropped because an exchange was running (for diagnostics and tests).
    uint64_t DroppedLightChunks() const { return droppedLightChunks_; }
    // Reports read past by the light path: left from before a chunk, or for another command.
    uint64_t SkippedLightReplies() const { return skippedLightReplies_; }

  private:
    enum class Direction { Read, Write };
    enum class Locking { CommandLock, NoCommandLock };
    enum class Path { Exchange, LightFrame };

    // One chunked transfer of data at base..; reads copy reply data into readInto.
    int Transfer(uint8_t command, Direction direction, std::span<const uint8_t> writeFrom,
                 std::span<uint8_t> readInto, size_t total, uint16_t base, uint8_t chunkSize,
                 Locking locking, Path path);
    int Single(uint8_t command, uint8_t length, uint16_t offset, hid::Report* replyOut);
    int SendLightChunk(const hid::Report& request, hid::Report& reply);
    static int StatusResult(const hid::Report& reply);

    uint16_t tableLength_ = kMaxTableLength;
    std::atomic<bool> busy_{false};
    std::atomic<bool> opened_{false};
    CHidConnection wired_;
    CHidConnection receiver_;
    std::recursive_mutex exchangeLock_;
    std::recursive_mutex secondConnectionLock_;
    std::recursive_mutex commandLock_;
    std::recursive_mutex lightLock_;
    std::atomic<bool> wirelessMode_{false};
    std::atomic<uint8_t> chunkSize_{24};
    std::atomic<uint64_t> droppedLightChunks_{0};
    std::atomic<uint64_t> skippedLightReplies_{0};
};
