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
//   skelmora --record-macro KIND --from-evemu FILE [--delay-mode MODE] [--name NAME]
//   skelmora --import-macro KIND FILE | --export-macro KIND INDEX FILE
//                                        macro files of the user data folder (macro_commands.h)
//
// SKELMORA_HID=hidraw (default) or SKELMORA_HID=vhid:/path/to/bus.sock picks the HID backend.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_start.h"
#include "main/backend_choice.h"
#include "main/command_line.h"
#include "main/device_commands.h"
#include "main/diagnostics.h"
#include "main/macro_commands.h"
#include "platform/registered_messages.h"
#include "platform/single_instance.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: skelmora [--emulate KINDS] [--screenshot FILE [--after-ms N]]\n"
        "       skelmora [--emulate KINDS] --list-devices\n"
        "       skelmora [--emulate KINDS] --exchange PATH COMMAND [LENGTH [OFFSET [DATA...]]]\n"
        "       skelmora [--emulate KINDS] --read-device KIND | --apply-profile KIND\n"
        "       skelmora --record-macro KIND --from-evemu FILE [--delay-mode "
        "record|constant:MS|ignore]\n"
        "                [--name NAME]\n"
        "       skelmora --import-macro KIND FILE | --export-macro KIND INDEX FILE\n"
        "KINDS is a comma-separated list of emulated devices (keyboard, headset, mouse,\n"
        "mouse-receiver). SKELMORA_HID=hidraw (default) or vhid:/path/to/bus.sock selects where\n"
        "devices come from.\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    const CommandLineError parsed =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line);
    if (!parsed.ok()) {
        std::fprintf(stderr, "skelmora: %s\n", parsed.text.c_str());
        PrintUsage(stderr);
        return parsed.exitCode;
    }
    if (line.help) {
        PrintUsage(stdout);
        return 0;
    }

    if (!line.screenshotFile.empty()) {
        if (const auto reason = platform::InstanceRunsReason("--screenshot")) {
            std::fprintf(stderr, "skelmora: %s\n", reason->c_str());
            return platform::kExitInstanceRuns;
        }
    }

    // The application exists before any backend starts a thread of its own: threads that log
    // or post must find it.
    std::unique_ptr<QCoreApplication> app;
    const bool windowed = !line.exchange && !line.listDevices && !line.macro;
    if (windowed) {
        // A screenshot needs no display: without one, render offscreen. The device commands
        // show no window at all.
        if (line.deviceCommand) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        } else if (!line.screenshotFile.empty() && !std::getenv("DISPLAY") &&
                   !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName(
            QString::fromUtf8(platform::kProductString.data(),
                              static_cast<qsizetype>(platform::kProductString.size())));
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    if (line.macro) return RunMacroCommand(line.macro, stdout, stderr);

    std::string error;
    auto backend = ChooseHidBackend(line.emulate, std::getenv("SKELMORA_HID"), error);
    if (!backend) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    if (line.exchange)
        return ExchangeCommand(backend, line.exchangePath, line.exchangeArgs, stdout);
    if (line.listDevices) return ListDevices(*backend, stdout);
    if (line.deviceCommand)
        return RunDeviceCommand(*line.deviceCommand, line.deviceKind, backend, stdout);

    StartOptions options;
    options.backend = backend;
    options.screenshotFile = QString::fromLocal8Bit(line.screenshotFile);
    options.screenshotAfterMs = line.screenshotAfterMs;
    return RunApplication(options);
}
