// skelmora-emu: serves emulated devices on a virtual HID bus socket.
//
//   skelmora-emu --socket PATH [--latency-us N] [--plug KIND]...
//
// Prints "ready" once it listens, then reads commands on standard input, one per line, and
// answers each with "ok", its result line or "error: ..." (the commands: emu_console.h and
// docs/emulator.md). End of input quits too.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "emulator/emu_console.h"
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

    {
        emu::EmuConsole console(bus,
                                [](const std::string& text) { std::cout << text << std::endl; });
        for (std::string line; std::getline(std::cin, line);) {
            if (!console.Handle(line)) break;
        }
    }
    server.Stop();
    return 0;
}
