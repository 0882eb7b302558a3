// skelmora-emu: serves emulated devices on a virtual HID bus socket.
//
//   skelmora-emu --socket PATH [--latency-us N] [--plug KIND]...
//
// Prints "ready" once it listens, then reads commands on standard input, one per line:
//   plug KIND | unplug KIND | list | quit      (KIND: keyboard, headset, mouse, mouse-receiver)
//   fault KIND COMMAND CHUNK FAULT [TIMES]     (COMMAND hexadecimal, CHUNK -1 for every one,
//                                               FAULT status-ff|status-fe|no-reply|
//                                               other-command|only-other-command|unsolicited-aa,
//                                               TIMES -1 for ever, default 1)
//   clear-faults KIND | link KIND on|off
// and answers each with "ok" or "error: ...". End of input quits too.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "emulator/emulated_bus.h"
#include "emulator/vhid_server.h"

namespace {

bool ParseFault(const std::string& name, emu::FaultKind& kind) {
    static const std::pair<const char*, emu::FaultKind> kNames[] = {
        {"status-ff", emu::FaultKind::StatusFF},
        {"status-fe", emu::FaultKind::StatusFE},
        {"no-reply", emu::FaultKind::NoReply},
        {"other-command", emu::FaultKind::OtherCommand},
        {"only-other-command", emu::FaultKind::OnlyOtherCommand},
        {"unsolicited-aa", emu::FaultKind::Unsolicited0xAA},
    };
    for (const auto& [text, value] : kNames) {
        if (name == text) {
            kind = value;
            return true;
        }
    }
    return false;
}

// "fault KIND COMMAND CHUNK FAULT [TIMES]", "clear-faults KIND", "link KIND on|off".
bool FirmwareCommand(emu::EmulatedBus& bus, const std::string& command, const std::string& kind,
                     std::istringstream& words, std::string& error) {
    emu::EmulatedDevice* device = bus.Device(kind);
    if (!device) {
        error = "no " + kind + " has been plugged";
        return false;
    }
    if (command == "clear-faults") {
        device->Firmware().ClearFaults();
        return true;
    }
    if (command == "link") {
        std::string state;
        words >> state;
        if (state != "on" && state != "off") {
            error = "link KIND on|off";
            return false;
        }
        device->Firmware().SetWirelessLinked(state == "on");
        return true;
    }
    std::string commandText, faultText;
    int chunk = 0, times = 1;
    words >> commandText >> chunk >> faultText;
    if (!(words >> times)) times = 1;
    char* end = nullptr;
    const unsigned long number = std::strtoul(commandText.c_str(), &end, 16);
    emu::FaultKind fault{};
    if (commandText.empty() || *end != '\0' || number > 0xFF || !ParseFault(faultText, fault) ||
        times == 0 || chunk < -1) {
        error = "fault KIND COMMAND CHUNK FAULT [TIMES]";
        return false;
    }
    device->Firmware().AddFault({static_cast<uint8_t>(number), chunk, fault, times});
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: skelmora-emu --socket PATH [--latency-us N] [--plug KIND]...\n"
                 "kinds:");
    for (const auto& kind : emu::EmulatedKinds()) std::fprintf(stderr, " %s", kind.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string socketPath;
    long latencyUs = 1000;
    std::vector<std::string> plugs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--socket" && i + 1 < argc) {
            socketPath = argv[++i];
        } else if (arg == "--latency-us" && i + 1 < argc) {
            char* end = nullptr;
            latencyUs = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || latencyUs < 0 || latencyUs > 10'000'000) return Usage();
        } else if (arg == "--plug" && i + 1 < argc) {
            plugs.emplace_back(argv[++i]);
        } else {
            return Usage();
        }
    }
    if (socketPath.empty()) return Usage();

    auto bus = emu::EmulatedBus::Create(std::chrono::microseconds(latencyUs));
    emu::VhidServer server(bus, socketPath);
    std::string error;
    for (const auto& kind : plugs) {
        if (!bus->Plug(kind, error)) {
            std::fprintf(stderr, "error: %s\n", error.c_str());
            return 1;
        }
    }
    if (!server.Start(error)) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command, kind;
        words >> command >> kind;
        if (command.empty()) continue;
        if (command == "quit") {
            std::cout << "ok" << std::endl;
            break;
        }
        bool ok = false;
        error.clear();
        if (command == "plug" && !kind.empty()) {
            ok = bus->Plug(kind, error);
        } else if (command == "unplug" && !kind.empty()) {
            ok = bus->Unplug(kind, error);
        } else if ((command == "fault" || command == "clear-faults" || command == "link") &&
                   !kind.empty()) {
            ok = FirmwareCommand(*bus, command, kind, words, error);
        } else if (command == "list") {
            for (const auto& name : emu::EmulatedKinds()) {
                std::cout << name << (bus->IsPlugged(name) ? " plugged" : " unplugged") << "\n";
            }
            ok = true;
        } else {
            error = "unknown command '" + line +
                    "' (plug, unplug, fault, clear-faults, link, list, quit)";
        }
        if (ok) {
            std::cout << "ok" << std::endl;
        } else {
            std::cout << "error: " << error << std::endl;
        }
    }
    server.Stop();
    return 0;
}
