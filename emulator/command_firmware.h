#pragma once
// The vendor command firmware every emulated device runs: memory areas addressed by the
// commands' offsets, one reply per request, and fault injection for tests.
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "hid/command_report.h"

namespace emu {

// What a fault rule does to the reply of a matching request.
enum class FaultKind {
    StatusFF,          // reply with status 0xFF
    StatusFE,          // reply with status 0xFE
    NoReply,           // swallow the request
    OtherCommand,      // first a reply for another command, then the proper reply
    OnlyOtherCommand,  // two replies for another command and no proper reply
    Unsolicited0xAA,   // a 0xAA report in place of the reply
};

struct FaultRule {
    uint8_t command = 0;
    // Which request of that command to hit, counted from 0 since the rule was added;
    // -1 hits every one.
    int chunk = -1;
    FaultKind kind = FaultKind::StatusFF;
    // How many requests the rule hits before it expires; -1: never expires.
    int times = 1;
};

// One memory area of the device, addressed by the offset of a command.
struct MemoryArea {
    std::vector<uint8_t> bytes;
    // Whether a request beyond the end is refused (status 0xFF) or wraps nothing and is cut.
    bool Contains(size_t offset, size_t length) const { return offset + length <= bytes.size(); }
};

struct FirmwareLayout {
    std::vector<uint8_t> deviceInfo;  // 34 bytes
    size_t keyTableBytes = 512;
    std::vector<uint8_t> keyTableFill;  // the factory key table at offset 0
    size_t secondTableBytes = 512;
    size_t parameterBytes = 8192;
    size_t macroBytes = 65536;
    size_t shootBytes = 8192;
    size_t statusBytes = 64;
    size_t lightFrameBytes = 1024;
    size_t indexedBlockBytes = 256;
};

class CommandFirmware {
  public:
    explicit CommandFirmware(const FirmwareLayout& layout);

    // Handles one output report (report id 4) and returns the replies it causes (usually one).
    std::vector<hid::Report> HandleRequest(std::span<const uint8_t> request);

    void AddFault(const FaultRule& rule);
    void ClearFaults();
    void SetWirelessLinked(bool linked);

    // Test and diagnostic access; each copy is taken under the firmware's lock.
    std::vector<uint8_t> Area(uint8_t command) const;
    void SetArea(uint8_t command, size_t offset, std::span<const uint8_t> bytes);
    std::vector<hid::Report> RequestLog() const;  // every request handled, in order
    void ClearRequestLog();
    int OpenSettingsSequences() const;  // BeginSettings minus EndSettings
    uint64_t LightFrameChunks() const;
    bool LightControlNotified() const;

  private:
    MemoryArea* AreaFor(uint8_t command);
    const MemoryArea* AreaFor(uint8_t command) const;
    std::optional<FaultKind> TakeFault(uint8_t command);
    hid::Report Answer(const hid::Report& request);

    mutable std::mutex mutex_;
    MemoryArea deviceInfo_, keyTable_, secondTable_, parameters_, macro_, shoot_, status_,
        lightFrame_, indexedBlock_;
    struct ArmedRule {
        FaultRule rule;
        int seen = 0;
    };
    std::vector<ArmedRule> faults_;
    std::vector<hid::Report> log_;
    int openSequences_ = 0;
    uint64_t lightChunks_ = 0;
    bool lightControl_ = false;
    bool wirelessLinked_ = true;
};

}  // namespace emu
