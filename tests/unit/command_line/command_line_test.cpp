// The program's arguments: empty or missing values name their option, numbers are plain
// hexadecimal digits, DATA never goes beyond LENGTH, and an exchange without a reply prints none.
#include "main/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "emulator/command_firmware.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_device.h"
#include "main/diagnostics.h"

namespace {

// An argument list as a trace shows it: "[--emulate][keyboard]".
std::string Shown(const std::vector<std::string>& args) {
    std::string shown;
    for (const auto& a : args) shown += "[" + a + "]";
    return shown;
}

TEST(CommandLine, OptionsAndTheirErrors) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* inError;
    };
    const Case cases[] = {
        {{}, 0, ""},
        {{"--exchange", "/dev/x", "03", "22"}, 0, ""},
        {{"--exchange", ""}, 2, "--exchange needs a value"},
        {{"--exchange"}, 2, "--exchange needs a value"},
        {{"--screenshot", ""}, 2, "--screenshot needs a value"},
        {{"--emulate", ""}, 2, "--emulate needs a value"},
        {{"--after-ms", "5x"}, 2, "--after-ms"},
        {{"--after-ms", "-1"}, 2, "--after-ms"},
        {{"--after-ms", " 5"}, 2, "--after-ms"},
        {{"--after-ms", ""}, 2, "--after-ms needs a value"},
        {{"--bogus"}, 2, "unknown option '--bogus'"},
        {{"--exchange", "/dev/x", "03", ""}, 2, "unknown option ''"},
        {{"--minimized"}, 0, ""},
        {{"--minimized=yes"}, 2, "--minimized"},
        {{"--import-shoot", "3", "f.Shoot"}, 0, ""},
        {{"--import-shoot", "4", "f.Shoot"}, 2, "GUN is 0, 1, 2 or 3, not '4'"},
        {{"--import-shoot", "-1", "f.Shoot"}, 2, "--import-shoot"},
        {{"--import-shoot", "x", "f.Shoot"}, 2, "not 'x'"},
        {{"--import-shoot", "1"}, 2, "--import-shoot needs GUN FILE"},
        {{"--import-shoot", "1", "a", "b"}, 2, "unknown option 'b'"},
        {{"--import-shoot", "1", "a", "--emulate", "mouse"}, 2, "cannot be combined"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.args));
        CommandLine line;
        const CommandLineError error = ParseCommandLine(c.args, line);
        EXPECT_EQ(error.exitCode, c.exitCode);
        EXPECT_NE(error.text.find(c.inError), std::string::npos) << error.text;
    }
    CommandLine line;
    ASSERT_TRUE(
        ParseCommandLine(
            {"--emulate", "keyboard", "--exchange", "P", "03", "22", "--after-ms", "7"}, line)
            .ok());
    CommandLine shoot;
    ASSERT_TRUE(ParseCommandLine({"--import-shoot", "2", "my gun.Shoot"}, shoot).ok());
    EXPECT_EQ(shoot.shootImport.gun, 2);
    EXPECT_EQ(shoot.shootImport.file, "my gun.Shoot");
    EXPECT_EQ(line.emulate, "keyboard");
    EXPECT_TRUE(line.exchange);
    EXPECT_EQ(line.exchangePath, "P");
    EXPECT_EQ(line.exchangeArgs, (std::vector<std::string>{"03", "22"}));
    EXPECT_EQ(line.screenshotAfterMs, 7);
    EXPECT_FALSE(line.minimized);
    CommandLine minimized;
    ASSERT_TRUE(ParseCommandLine({"--minimized"}, minimized).ok());
    EXPECT_TRUE(minimized.minimized);
}

// What the program goes on to do with a parsed line.
std::string ChosenAction(const CommandLine& line) {
    if (line.help) return "help";
    if (line.version) return "version";
    if (line.exchange) return "exchange";
    if (line.listDevices) return "list";
    if (line.checkUpdates) return "check-updates";
    if (line.deviceCommand == DeviceCommand::ReadDevice) return "read:" + line.deviceKind;
    if (line.deviceCommand == DeviceCommand::ApplyProfile) return "apply:" + line.deviceKind;
    if (!line.screenshotFile.empty()) return "screenshot:" + line.screenshotFile;
    if (line.audioAnalyse)
        return "audio:" + line.audio.file + ":" + std::to_string(line.audio.effectCode) + ":" +
               std::to_string(line.audio.audioMode);
    if (line.profileCommand) {
        const char* names[] = {"profiles", "import", "export", "active-program"};
        std::string action = names[static_cast<int>(*line.profileCommand)];
        if (!line.profileKind.empty()) action += ":" + line.profileKind;
        for (const std::string& a : line.profileArgs) action += ":" + a;
        return action;
    }
    return "window";
}

TEST(CommandLine, ActionsExitCodesAndErrorLines) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* action;  // when the line parses
        const char* error;   // the whole error line when it does not
    };
    const Case cases[] = {
        {{}, 0, "window", ""},
        {{"--help"}, 0, "help", ""},
        {{"-h"}, 0, "help", ""},
        {{"--version"}, 0, "version", ""},
        {{"--emulate", "keyboard,headset", "--list-devices"}, 0, "list", ""},
        {{"--emulate=keyboard", "--read-device", "keyboard"}, 0, "read:keyboard", ""},
        {{"--apply-profile", "keyboard"}, 0, "apply:keyboard", ""},
        {{"--check-updates"}, 0, "check-updates", ""},
        {{"--screenshot", "shot.png", "--after-ms", "0"}, 0, "screenshot:shot.png", ""},
        // Options may come between the exchange's arguments.
        {{"--exchange", "P", "03", "--emulate", "keyboard", "22"}, 0, "exchange", ""},
        // An option given twice, under either of its names.
        {{"--emulate", "a", "--emulate", "b"}, 2, "", "--emulate given twice"},
        {{"-h", "--help"}, 2, "", "--help given twice"},
        {{"--after-ms", "1", "--after-ms=2"}, 2, "", "--after-ms given twice"},
        // Unknown options as they were given; arguments that belong to no option.
        {{"--bogus=1"}, 2, "", "unknown option '--bogus=1'"},
        {{"-x"}, 2, "", "unknown option '-x'"},
        {{"stray"}, 2, "", "unknown option 'stray'"},
        {{"--list-devices", "extra"}, 2, "", "unknown option 'extra'"},
        // Missing and bad values.
        {{"--emulate", "keyboard", "--read-device"}, 2, "", "--read-device needs a value"},
        {{"--apply-profile="}, 2, "", "--apply-profile needs a value"},
        {{"--list-devices=yes"}, 2, "", "Unexpected value after '--list-devices'."},
        {{"--after-ms", "abc"},
         2,
         "",
         "--after-ms needs a number of milliseconds from 0 to 600000, not 'abc'"},
        {{"--after-ms", "600001"},
         2,
         "",
         "--after-ms needs a number of milliseconds from 0 to 600000, not '600001'"},
        // The profile commands: their kinds, the arguments after the kind, and alone.
        {{"--profiles", "mouse"}, 0, "profiles:mouse", ""},
        {{"--import-profile", "headset", "a.json"}, 0, "import:headset:a.json", ""},
        {{"--export-profile=keyboard", "1", "o.json"}, 0, "export:keyboard:1:o.json", ""},
        {{"--export-profile", "mousepad", "0", "--", "-o.json"},
         0,
         "export:mousepad:0:-o.json",
         ""},
        {{"--active-program"}, 0, "active-program", ""},
        {{"--profiles"}, 2, "", "--profiles needs a value"},
        {{"--profiles", "toaster"},
         2,
         "",
         "--profiles: unknown kind 'toaster' (keyboard, mouse, mousepad, headset)"},
        {{"--profiles", "mouse", "extra"}, 2, "", "unknown option 'extra'"},
        {{"--import-profile", "mouse"}, 2, "", "--import-profile needs KIND FILE"},
        {{"--import-profile", "mouse", ""}, 2, "", "unknown option ''"},
        {{"--export-profile", "mouse", "1"}, 2, "", "--export-profile needs KIND INDEX FILE"},
        {{"--export-profile", "mouse", "1", "f", "g"}, 2, "", "unknown option 'g'"},
        {{"--active-program", "x"}, 2, "", "unknown option 'x'"},
        {{"--active-program", "--emulate", "keyboard"},
         2,
         "",
         "--active-program cannot be combined with --emulate"},
        {{"--profiles", "mouse", "--active-program"},
         2,
         "",
         "--profiles cannot be combined with --active-program"},
        {{"--exchange", "P", "03", "--import-profile", "mouse", "f"},
         2,
         "",
         "--import-profile cannot be combined with --exchange"},
        {{"--audio-analyse", "a.wav"}, 0, "audio:a.wav:29:2", ""},
        {{"--audio-analyse", "a.wav", "--mode", "30", "--audio-mode", "1"},
         0,
         "audio:a.wav:30:1",
         ""},
        {{"--audio-analyse"}, 2, "", "--audio-analyse needs a value"},
        {{"--audio-analyse", "a.wav", "--mode", "21"}, 2, "", "--mode takes 29 or 30, not '21'"},
        {{"--audio-analyse", "a.wav", "--audio-mode", "x"},
         2,
         "",
         "--audio-mode takes a number from 0 to 255, not 'x'"},
        {{"--audio-analyse", "a.wav", "--audio-mode", "256"},
         2,
         "",
         "--audio-mode takes a number from 0 to 255, not '256'"},
        {{"--mode", "29"}, 2, "", "--mode and --audio-mode go with --audio-analyse"},
        {{"--screenshot", "/nonexistent-folder/shot.png"},
         2,
         "",
         "--screenshot: the folder '/nonexistent-folder' does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.args));
        CommandLine line;
        const CommandLineError error = ParseCommandLine(c.args, line);
        EXPECT_EQ(error.exitCode, c.exitCode);
        if (error.ok()) {
            EXPECT_EQ(ChosenAction(line), c.action);
        } else {
            EXPECT_EQ(error.text, c.error);
        }
    }
}

TEST(CommandLine, ValuesKeepTheirBytes) {
    // A file name that is not UTF-8 comes back byte for byte; so does the exchange's path.
    const std::string latin = "shot-\xe9\xff.png";
    CommandLine line;
    ASSERT_TRUE(
        ParseCommandLine({"--screenshot", latin, "--exchange", "/dev/\xfe", "03"}, line).ok());
    EXPECT_EQ(line.screenshotFile, latin);
    EXPECT_EQ(line.exchangePath, "/dev/\xfe");
    EXPECT_EQ(line.exchangeArgs, (std::vector<std::string>{"03"}));
    // An unknown option that is not UTF-8 is named as it was given.
    const CommandLineError error = ParseCommandLine({"--\xff"}, line);
    EXPECT_EQ(error.exitCode, 2);
    EXPECT_EQ(error.text, "unknown option '--\xff'");
}

TEST(CommandLine, TheHelpListsEveryOptionAndTheVersionIsTheProjects) {
    const std::string help = OptionsHelp();
    for (const char* option :
         {"--emulate KINDS", "--list-devices", "--exchange PATH", "--screenshot FILE",
          "--after-ms N", "--read-device KIND", "--apply-profile KIND", "--check-updates",
          "--version", "-h, --help", "--profiles KIND", "--import-profile KIND FILE",
          "--export-profile KIND INDEX FILE", "--active-program", "--audio-analyse FILE",
          "--mode 29|30", "--audio-mode N"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_STREQ(ProgramVersion(), SKELMORA_VERSION);
}

TEST(CommandLine, HexadecimalNumbersArePlainDigits) {
    const struct {
        const char* text;
        unsigned long max;
        bool ok;
        unsigned long value;
    } cases[] = {
        {"5", 0xFF, true, 5},           {"fF", 0xFF, true, 0xFF},
        {"100", 0xFF, false, 0},        {" 5", 0xFF, false, 0},
        {"+2", 0xFF, false, 0},         {"-1", 0xFF, false, 0},
        {"0x5", 0xFF, false, 0},        {"5 ", 0xFF, false, 0},
        {"", 0xFF, false, 0},           {"g", 0xFF, false, 0},
        {"ffff", 0xFFFF, true, 0xFFFF}, {"0000000000000001", 0xFFFF, false, 0},
    };
    for (const auto& c : cases) {
        unsigned long value = 0;
        EXPECT_EQ(ParseHexNumber(c.text, c.max, value), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

class ExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bus_ = emu::EmulatedBus::Create();
        std::string error;
        ASSERT_TRUE(bus_->Plug("keyboard", error)) << error;
        // The keyboard's command collection.
        path_ = "";
        std::vector<hid::HidNodeInfo> nodes;
        ASSERT_TRUE(bus_->ListNodes(nodes, error));
        std::FILE* listing = std::tmpfile();
        ListDevices(*bus_, listing);
        std::rewind(listing);
        char line[512];
        while (std::fgets(line, sizeof line, listing)) {
            const std::string text = line;
            if (text.find("col=4") != std::string::npos) path_ = text.substr(0, text.find(' '));
        }
        std::fclose(listing);
        ASSERT_FALSE(path_.empty());
    }
    // Runs --exchange and returns its exit status and output.
    int Run(const std::vector<std::string>& args, std::string& output) {
        std::FILE* out = std::tmpfile();
        const int status = ExchangeCommand(bus_, path_, args, out);
        std::rewind(out);
        char buffer[4096];
        size_t n;
        output.clear();
        while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) output.append(buffer, n);
        std::fclose(out);
        return status;
    }
    std::shared_ptr<emu::EmulatedBus> bus_;
    std::string path_;
};

TEST_F(ExchangeTest, ArgumentsAndReplies) {
    std::string output;
    EXPECT_EQ(Run({"03", "22"}, output), 0);
    EXPECT_NE(output.find("reply:\n"), std::string::npos) << output;

    // DATA beyond LENGTH is refused before anything is sent.
    EXPECT_EQ(Run({"03", "2", "0", "01", "02", "03"}, output), 2);
    EXPECT_EQ(Run({"03", " 2"}, output), 2);
    EXPECT_EQ(Run({"+3"}, output), 2);

    // No reply: none is printed.
    emu::FaultRule rule;
    rule.command = 0x03;
    rule.kind = emu::FaultKind::NoReply;
    bus_->Device("keyboard")->Firmware().AddFault(rule);
    EXPECT_EQ(Run({"03", "22"}, output), 1);
    EXPECT_EQ(output.find("reply:"), std::string::npos) << output;
    EXPECT_NE(output.find("result: 0 "), std::string::npos) << output;
}

}  // namespace
