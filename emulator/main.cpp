// skelmora-emu: serves emulated devices on a virtual HID bus socket.
//
//   skelmora-emu --socket PATH [--latency-us N] [--plug KIND]...
//
// Prints "ready" once it listens, then reads commands on standard input, one per line:
//   plug KIND | unplug KIND | list | quit      (KIND: keyboard, headset)
// and answers each with "ok" or "error: ...". End of input quits too.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "emulator/emulated_bus.h"
#include "emulator/vhid_server.h"

namespace {

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
        } else if (command == "list") {
            for (const auto& name : emu::EmulatedKinds()) {
                std::cout << name << (bus->IsPlugged(name) ? " plugged" : " unplugged") << "\n";
            }
            ok = true;
        } else {
            error = "unknown command '" + line + "' (plug KIND, unplug KIND, list, quit)";
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
