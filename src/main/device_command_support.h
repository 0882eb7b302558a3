#pragma once
// Pieces the device command lines of every kind share: the steps that reach a device (find its
// command interface, name it from its model row, open its command channel) and the lines that
// report what was read and written.
#include <QString>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "devices/skelmora_usb_device.h"
#include "devices/write_outcome.h"
#include "hid/hid_backend.h"
#include "main/device_commands.h"
#include "tables/device_tables.h"

// The path of the first connected command interface of the interface table's rows of a kind;
// identity receives the row with the path.
std::optional<std::string> FindCommandPath(const std::shared_ptr<hid::IHidBackend>& backend,
                                           uint16_t kind, DeviceIdentity& identity);
// "step NAME CODE" (a macro excess as its negative count).
void PrintStep(std::FILE* out, const char* name, const WriteOutcome& outcome);
// "failed STEP CODE".
void PrintFailed(std::FILE* out, const WriteOutcome& outcome);

// How a kind's command line reaches its device.
struct CommandDeviceSetup {
    static constexpr int kModelFromIdentity = -1;
    const char* noun;          // "no NOUN connected"
    int model;                 // the model row, or kModelFromIdentity: looked up by the ids
    const char* fallbackName;  // the kind name where the model row is not known
    int wiredMode;             // the channel's mode by cable; 0: none is set
};

// The command interface found for a device: by cable, or (receiver) through its receiver.
struct CommandTarget {
    DeviceIdentity identity;
    std::string path;
    bool receiver = false;
};

// The first kind of kinds with a connected command interface; the kinds after the first are
// receivers. Says "no NOUN connected" on stderr when there is none.
std::optional<CommandTarget> FindCommandTarget(const std::shared_ptr<hid::IHidBackend>& backend,
                                               std::initializer_list<uint16_t> kinds,
                                               const CommandDeviceSetup& setup);

// Names the device from its model row (kind name, profile base name, light configuration),
// takes its profile list's active entry as the profile, and opens its command channel on the
// target (mode 2 and wireless through a receiver). False, with "cannot open PATH: ERROR" on
// stderr, when the interface does not open.
bool OpenCommandDevice(CSkelmoraUSBDevice& device, const CommandTarget& target,
                       const CommandDeviceSetup& setup);

// A read before the steps failed: "failed STEP CODE", and when applying "applied KIND failed".
int FailedRun(std::FILE* out, DeviceCommand command, const char* kind, const WriteOutcome& outcome);

// The steps of an apply run, each printed as "step NAME CODE" as it is done.
class StepRun {
  public:
    explicit StepRun(std::FILE* out) : out_(out) {}
    void operator()(const char* name, const WriteOutcome& outcome) {
        PrintStep(out_, name, outcome);
        ok_ = ok_ && outcome.ok();
    }
    // Every step so far succeeded (and was not refused).
    bool ok() const { return ok_; }
    void Fail() { ok_ = false; }
    // "applied KIND ok|failed", and the command's exit code.
    int Finish(const char* kind) const {
        std::fprintf(out_, "applied %s %s\n", kind, ok_ ? "ok" : "failed");
        return ok_ ? kDeviceCommandOk : kDeviceCommandFailed;
    }

  private:
    std::FILE* out_;
    bool ok_ = true;
};
