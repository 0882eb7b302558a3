#pragma once
// The vendor command firmware every emulated device runs: memory areas addressed by the
// commands' offsets, one reply per request, request counters and fault injection for tests.
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hid/command_report.h"

namespace emu {

// What a fault rule does to the reply of a matching request.
enum class FaultKind {
    StatusFF,          // refuse the request: nothing stored, reply with status 0xFF
    StatusFE,          // refuse the request: nothing stored, reply with status 0xFE
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

// The firmware's memory areas, as the emulator's console names them.
enum class AreaId {
    Info,      // device information block, 34 bytes
    KeyTable,  // the active key table: what WriteKeyTable stored
    Factory,   // the factory key table, on devices that keep it apart from the active one
    Second,    // the second table
    Params,    // the parameter area
    Macro,     // macro memory (as much as the device information allows, see below)
    Shoot,     // recoil pattern memory
    Mask,      // the indexed block (the keyboard's bright mask)
    Status,    // the status block
    Frame,     // the light frame memory
};

// The area's console name ("info", "keytable", ...), and back.
std::string_view AreaName(AreaId area);
std::optional<AreaId> AreaByName(std::string_view name);

// Initial memory of a device; each area's size is the size of its vector.
struct FirmwareLayout {
    std::vector<uint8_t> deviceInfo = std::vector<uint8_t>(34);
    // The key table at delivery. With separateFactoryKeyTable, ReadKeyTable answers from this
    // factory copy and WriteKeyTable writes a separate active table (which starts as a copy);
    // otherwise the device has one table that both commands address.
    std::vector<uint8_t> keyTable = std::vector<uint8_t>(512);
    bool separateFactoryKeyTable = false;
    std::vector<uint8_t> secondTable = std::vector<uint8_t>(512);
    std::vector<uint8_t> parameters = std::vector<uint8_t>(8192);
    std::vector<uint8_t> macro = std::vector<uint8_t>(65536);
    // When set, byte 6 of the device information gives the macro memory in units of 128 bytes:
    // a macro write past 128 × byte 6 is refused (the macro vector must hold 255 units).
    bool macroSizeFromInfo = false;
    std::vector<uint8_t> shoot = std::vector<uint8_t>(8192);
    std::vector<uint8_t> status = std::vector<uint8_t>(64);
    std::vector<uint8_t> lightFrame = std::vector<uint8_t>(1024);
    std::vector<uint8_t> indexedBlock = std::vector<uint8_t>(256);
};

// The device information byte that gives the macro memory in units of 128 bytes.
constexpr size_t kInfoMacroUnitsByte = 6;
constexpr size_t kMacroUnitBytes = 128;

// Requests counted since the device was made.
struct RequestCounters {
    uint64_t reports = 0;   // command reports handled, injected faults included
    uint64_t bad = 0;       // refused by the firmware's own checks (not by an injected fault)
    uint64_t unframed = 0;  // framed writes sent outside BeginSettings ... EndSettings
};

class CommandFirmware {
  public:
    explicit CommandFirmware(const FirmwareLayout& layout);

    // Handles one output report (report id 4) and returns the replies it causes (usually one).
    // Through a receiver whose mouse is not linked, every command but QueryWirelessLink is
    // answered with an unsolicited 0xAA report and changes nothing.
    std::vector<hid::Report> HandleRequest(std::span<const uint8_t> request,
                                           bool throughReceiver = false);

    void AddFault(const FaultRule& rule);
    void ClearFaults();
    void SetWirelessLinked(bool linked);
    // Makes ReadKeyTable answer from the active table instead of the factory table, as a
    // keyboard would that reports its current assignments.
    void SetReadActiveKeyTable(bool on);

    // Test and diagnostic access; each copy is taken under the firmware's lock.
    // The area a command addresses (ReadKeyTable: the table reads answer from).
    std::vector<uint8_t> Area(uint8_t command) const;
    void SetArea(uint8_t command, size_t offset, std::span<const uint8_t> bytes);
    // A named area: std::nullopt when this device has no such area. The light frame area
    // shows the last frame as long as it was streamed (empty before the first frame).
    std::optional<std::vector<uint8_t>> Dump(AreaId area) const;
    // Writes into a named area; false (with the reason) when the device has no such area or
    // the bytes would pass its end.
    bool Set(AreaId area, size_t offset, std::span<const uint8_t> bytes, std::string& error);

    std::vector<hid::Report> RequestLog() const;  // every request handled, in order
    void ClearRequestLog();
    int OpenSettingsSequences() const;  // BeginSettings minus EndSettings
    uint64_t LightFrameChunks() const;
    uint64_t LightFrames() const;  // light frames begun: chunks written at offset 0
    bool LightControlNotified() const;
    RequestCounters Counters() const;

  private:
    struct MemoryArea {
        std::vector<uint8_t> bytes;
        bool Contains(size_t offset, size_t length) const {
            return offset + length <= bytes.size();
        }
    };

    MemoryArea* AreaFor(uint8_t command);
    const MemoryArea* AreaFor(uint8_t command) const;
    MemoryArea* Named(AreaId area);
    const MemoryArea* Named(AreaId area) const;
    size_t VisibleSize(AreaId area) const;
    std::optional<FaultKind> TakeFault(uint8_t command);
    // Checks the request and, when accepted, applies it; returns the reply.
    hid::Report Answer(const hid::Report& request, bool apply);

    mutable std::mutex mutex_;
    MemoryArea deviceInfo_, keyTable_, factoryKeyTable_, secondTable_, parameters_, macro_, shoot_,
        status_, lightFrame_, indexedBlock_;
    bool separateFactory_ = false;
    bool macroSizeFromInfo_ = false;
    bool readActive_ = false;
    size_t frameLength_ = 0;  // length of the last streamed light frame
    struct ArmedRule {
        FaultRule rule;
        int seen = 0;
    };
    std::vector<ArmedRule> faults_;
    std::vector<hid::Report> log_;
    int openSequences_ = 0;
    uint64_t lightChunks_ = 0;
    uint64_t lightFrames_ = 0;
    bool lightControl_ = false;
    bool wirelessLinked_ = true;
    RequestCounters counters_;
};

}  // namespace emu
