// skelmora: the device configurator.
//
//   skelmora                             start the program (its window)
//   skelmora --emulate keyboard,headset  the same with devices emulated in this process
//   skelmora --screenshot FILE [--after-ms N]
//                                        start, render the main window to FILE N ms (default
//                                        1000) after the first discovery pass, and exit
//   skelmora --list-devices              list the HID interfaces the system sees
//   skelmora --check-updates             one update check for the devices found, printed
//   skelmora --exchange PATH CMD [LEN [OFFSET [DATA...]]]
//                                        send one command report and print the reply
//   skelmora --read-device KIND          read a device back as the program does at connect
//   skelmora --apply-profile KIND        write the active profile to a device
//   skelmora --record-macro KIND --from-evemu FILE [--delay-mode MODE] [--name NAME]
//   skelmora --import-macro KIND FILE | --export-macro KIND INDEX FILE
//   skelmora --import-shoot GUN FILE     a recoil pattern of the mouse (shoot_commands.h)
//                                        macro files of the user data folder (macro_commands.h)
//   skelmora --help | --version
//   skelmora --profiles KIND | --import-profile KIND FILE | --export-profile KIND INDEX FILE
//            | --active-program          profile lists and links (main/profile_commands.h)
//
//   skelmora --audio-analyse FILE [--mode 29|30] [--audio-mode N]
//                                        the sound analysis of a WAV file, printed
//
// SKELMORA_HID=hidraw (default) or SKELMORA_HID=vhid:/path/to/bus.sock picks the HID backend.
// SKELMORA_TABLE_IDS=mouse=VID:PID,mouse-receiver=VID:PID,mousepad=VID:PID gives those rows ids.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_start.h"
#include "main/audio_analyse_command.h"
#include "main/backend_choice.h"
#include "main/check_updates_command.h"
#include "main/command_line.h"
#include "main/device_commands.h"
#include "main/diagnostics.h"
#include "main/macro_commands.h"
#include "main/profile_commands.h"
#include "main/table_ids_option.h"
#include "platform/data_paths.h"
#include "platform/message_port.h"
#include "platform/registered_messages.h"
#include "platform/single_instance.h"
#include "update/set_wnd_opener.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: skelmora [--emulate KINDS] [--screenshot FILE [--after-ms N]]\n"
        "       skelmora [--emulate KINDS] --list-devices\n"
        "       skelmora [--emulate KINDS] --check-updates\n"
        "       skelmora [--emulate KINDS] --exchange PATH COMMAND [LENGTH [OFFSET [DATA...]]]\n"
        "       skelmora [--emulate KINDS] --read-device KIND | --apply-profile KIND\n"
        "       skelmora --record-macro KIND --from-evemu FILE [--delay-mode "
        "record|constant:MS|ignore]\n"
        "                [--name NAME]\n"
        "       skelmora --import-macro KIND FILE | --export-macro KIND INDEX FILE\n"
        "       skelmora --import-shoot GUN FILE\n"
        "       skelmora --profiles KIND | --import-profile KIND FILE\n"
        "       skelmora --export-profile KIND INDEX FILE | --active-program\n"
        "       skelmora --audio-analyse FILE [--mode 29|30] [--audio-mode N]\n"
        "KINDS is a comma-separated list of emulated devices (keyboard, headset, mouse,\n"
        "mouse-receiver, mousepad). SKELMORA_HID=hidraw (default) or vhid:/path/to/bus.sock "
        "selects where\n"
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
        std::fputs(OptionsHelp().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("skelmora %s\n", ProgramVersion());
        return 0;
    }

    // The sound analysis reads a file and prints: no devices, no window.
    if (line.audioAnalyse) return RunAudioAnalyse(line.audio, stdout, stderr);

    // The profile commands need no application: they read and write files only.
    if (line.profileCommand)
        return RunProfileCommand(*line.profileCommand, line.profileKind, line.profileArgs, stdout,
                                 stderr);

    if (line.quit) {
        // As the tray menu's "exit": 0 when the running instance was told, 1 when none runs.
        QCoreApplication quitApp(argc, argv);
        const auto outcome = platform::SendRequestLine(
            platform::port::FormatKindRequest(platform::port::RequestKind::Quit), 3000);
        if (outcome.result == platform::SendResult::Delivered) return 0;
        std::fprintf(stderr, "skelmora: --quit: %s\n", qPrintable(outcome.detail));
        return outcome.result == platform::SendResult::NoInstance ||
                       outcome.result == platform::SendResult::NoPort
                   ? 1
                   : 3;
    }

    if (!line.screenshotFile.empty()) {
        if (const auto reason = platform::InstanceRunsReason("--screenshot")) {
            std::fprintf(stderr, "skelmora: %s\n", reason->c_str());
            return platform::kExitInstanceRuns;
        }
    }
    if (!ApplyTableIdOptions(std::getenv("SKELMORA_TABLE_IDS"), line.emulate)) return 2;

    // The application exists before any backend starts a thread of its own: threads that log
    // or post must find it.
    std::unique_ptr<QCoreApplication> app;
    const bool windowed = !line.exchange && !line.listDevices && !line.macro && !line.shootImport;
    if (windowed) {
        // A screenshot needs no display: without one, render offscreen. The device commands
        // show no window at all.
        if (line.deviceCommand || line.checkUpdates) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        } else if (!line.screenshotFile.empty() && !std::getenv("DISPLAY") &&
                   !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName(
            QString::fromUtf8(platform::kProductString.data(),
                              static_cast<qsizetype>(platform::kProductString.size())));
        // Desktops match the window to org.skelmora.Skelmora.desktop by this name (Wayland)
        // and by the X11 class, which is the application name (the entry's StartupWMClass).
        QGuiApplication::setDesktopFileName(QStringLiteral("org.skelmora.Skelmora"));
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationVersion(QString::fromLatin1(ProgramVersion()));
    // The window and the device commands need the skin and the shipped defaults: without
    // them the start stops here, naming the folders looked at.
    if (windowed && platform::DataFolder().isEmpty()) {
        std::fprintf(stderr, "skelmora: %s\n", qPrintable(platform::MissingDataFolderMessage()));
        return 1;
    }

    if (line.macro) return RunMacroCommand(line.macro, stdout, stderr);
    if (line.shootImport) return RunShootImport(line.shootImport, stdout, stderr);

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
    if (line.checkUpdates) return CheckUpdatesCommand(backend, stdout);

    StartOptions options;
    options.backend = backend;
    options.screenshotFile = QString::fromLocal8Bit(line.screenshotFile);
    options.screenshotAfterMs = line.screenshotAfterMs;
    options.automation = line.automation;
    options.minimized = line.minimized;
    update::RegisterSetWndControls();
    options.openSettings = &update::OpenSetWnd;
    return RunApplication(options);
}
