// skelmora: the device configurator.
//
//   skelmora                             start the program (its window)
//   skelmora --emulate keyboard,headset  the same with devices emulated in this process
//   skelmora --screenshot FILE [--after-ms N]
//                                        start, render the main window to FILE N ms (default
//                                        1000) after the first discovery pass, and exit
//   skelmora --list-devices              list the HID interfaces the system sees
//   skelmora --exchange PATH CMD [LEN [OFFSET [DATA...]]]
//                                        send one command report and print the reply
//   skelmora --read-device KIND          read a device back as the program does at connect
//   skelmora --apply-profile KIND        write the active profile to a device
//
// SKELMORA_HID=hidraw (default) or SKELMORA_HID=vhid:/path/to/bus.sock picks the HID backend.
// SKELMORA_TABLE_IDS=mouse=VID:PID,mouse-receiver=VID:PID,mousepad=VID:PID gives those rows ids.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/app_start.h"
#include "main/backend_choice.h"
#include "main/device_commands.h"
#include "main/diagnostics.h"
#include "main/table_ids_option.h"
#include "platform/registered_messages.h"

namespace {

void PrintUsage() {
    std::puts(
        "usage: skelmora [--emulate KINDS] [--screenshot FILE [--after-ms N]]\n"
        "       skelmora [--emulate KINDS] --list-devices\n"
        "       skelmora [--emulate KINDS] --exchange PATH COMMAND [LENGTH [OFFSET [DATA...]]]\n"
        "       skelmora [--emulate KINDS] --read-device KIND | --apply-profile KIND\n"
        "KINDS is a comma-separated list of emulated devices (keyboard, headset, mouse,\n"
        "mouse-receiver). SKELMORA_HID=hidraw (default) or vhid:/path/to/bus.sock selects where\n"
        "devices come from.");
}

bool IsOffscreenWanted(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::string emulate;
    bool list = false;
    std::string exchangePath;
    std::vector<std::string> exchangeArgs;
    std::optional<DeviceCommand> deviceCommand;
    std::string deviceKind;
    StartOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--emulate" && i + 1 < argc) {
            emulate = argv[++i];
        } else if (arg == "--list-devices") {
            list = true;
        } else if (arg == "--exchange" && i + 1 < argc) {
            exchangePath = argv[++i];
            while (i + 1 < argc && argv[i + 1][0] != '-') exchangeArgs.emplace_back(argv[++i]);
        } else if ((arg == "--read-device" || arg == "--apply-profile") && i + 1 < argc) {
            deviceCommand =
                arg == "--read-device" ? DeviceCommand::ReadDevice : DeviceCommand::ApplyProfile;
            deviceKind = argv[++i];
        } else if (arg == "--screenshot" && i + 1 < argc) {
            options.screenshotFile = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--after-ms" && i + 1 < argc) {
            char* end = nullptr;
            const long ms = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || ms < 0 || ms > 600000) {
                std::fprintf(stderr, "--after-ms needs a number of milliseconds\n");
                return 2;
            }
            options.screenshotAfterMs = static_cast<int>(ms);
        } else if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return 0;
        } else {
            std::fprintf(stderr, "unknown option '%s'\n", arg.c_str());
            PrintUsage();
            return 2;
        }
    }
    if (!ApplyTableIdOptions(std::getenv("SKELMORA_TABLE_IDS"), emulate)) return 2;
    std::string error;
    auto backend = ChooseHidBackend(emulate, std::getenv("SKELMORA_HID"), error);
    if (!backend) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    if (!exchangePath.empty()) return ExchangeCommand(backend, exchangePath, exchangeArgs, stdout);
    if (list) return ListDevices(*backend, stdout);
    if (deviceCommand) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);  // no window is shown
        QApplication app(argc, argv);
        return RunDeviceCommand(*deviceCommand, deviceKind, backend, stdout);
    }

    // A screenshot needs no display: without one, render offscreen.
    if (IsOffscreenWanted(argc, argv) && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(
        platform::kProductString.data(), static_cast<qsizetype>(platform::kProductString.size())));
    options.backend = backend;
    return RunApplication(options);
}
