#pragma once
// The emulator's command console: one command per line (skelmora-emu reads them on standard
// input), each answered with "ok", its result line(s) or "error: ...". Commands:
//   plug KIND | unplug KIND | list | quit
//   fault KIND COMMAND CHUNK FAULT [TIMES] | clear-faults KIND | link KIND on|off
//   dump KIND AREA                 -> "AREA HEX"
//   set KIND AREA OFFSET HEX       writes bytes into an area (OFFSET decimal)
//   flag KIND read-active on|off   ReadKeyTable answers from the active table instead
//   event KIND VALUE               one input report with the 16-bit VALUE (hexadecimal) on
//                                  KIND's consumer collection
//   log KIND on|off                prints "rx KIND HEX" for every output report KIND receives
//   stats KIND                     -> "reports N bad N unframed N"
// The "rx" lines come from the bus's threads; every line goes out whole through one lock.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/emulated_bus.h"

namespace emu {

class EmuConsole {
  public:
    // Receives every line the console prints, without its line feed.
    using LineSink = std::function<void(const std::string& line)>;

    EmuConsole(std::shared_ptr<EmulatedBus> bus, LineSink sink);
    ~EmuConsole();
    EmuConsole(const EmuConsole&) = delete;
    EmuConsole& operator=(const EmuConsole&) = delete;

    // Handles one line and prints its answer; false once the line was "quit".
    bool Handle(const std::string& line);

    // What a command answers: ok with result lines (none: "ok"), or an error.
    struct Reply {
        bool ok = true;
        std::vector<std::string> lines;
    };
    using Words = std::vector<std::string>;

  private:
    void Print(const std::string& line);
    void SetLogging(const std::string& kind, bool on);
    Reply Run(const Words& words);

    std::shared_ptr<EmulatedBus> bus_;
    std::mutex sinkMutex_;
    LineSink sink_;
    std::map<std::string, bool> logging_;  // kinds whose output reports are printed
    friend struct ConsoleCommands;
};

}  // namespace emu
