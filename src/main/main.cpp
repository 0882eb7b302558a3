// skelmora: the device configurator.
//
//   skelmora --list-devices              list the HID interfaces the system sees
//   skelmora --exchange PATH CMD [LEN [OFFSET [DATA...]]]
//                                        send one command report and print the reply
//   skelmora --emulate keyboard,headset  use devices emulated in this process
//
// SKELMORA_HID=hidraw (default) or SKELMORA_HID=vhid:/path/to/bus.sock picks the HID backend.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "main/backend_choice.h"
#include "main/diagnostics.h"

namespace {

void PrintUsage() {
    std::puts(
        "usage: skelmora [--emulate KINDS] --list-devices\n"
        "       skelmora [--emulate KINDS] --exchange PATH COMMAND [LENGTH [OFFSET [DATA...]]]\n"
        "KINDS is a comma-separated list of emulated devices (keyboard, headset).\n"
        "SKELMORA_HID=hidraw (default) or vhid:/path/to/bus.sock selects where devices come from.");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string emulate;
    bool list = false;
    std::string exchangePath;
    std::vector<std::string> exchangeArgs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--emulate" && i + 1 < argc) {
            emulate = argv[++i];
        } else if (arg == "--list-devices") {
            list = true;
        } else if (arg == "--exchange" && i + 1 < argc) {
            exchangePath = argv[++i];
            while (i + 1 < argc && argv[i + 1][0] != '-') exchangeArgs.emplace_back(argv[++i]);
        } else if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return 0;
        } else {
            std::fprintf(stderr, "unknown option '%s'\n", arg.c_str());
            PrintUsage();
            return 2;
        }
    }
    std::string error;
    auto backend = ChooseHidBackend(emulate, std::getenv("SKELMORA_HID"), error);
    if (!backend) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    if (!exchangePath.empty()) return ExchangeCommand(backend, exchangePath, exchangeArgs, stdout);
    if (list) return ListDevices(*backend, stdout);
    PrintUsage();
    return ListDevices(*backend, stdout);
}
