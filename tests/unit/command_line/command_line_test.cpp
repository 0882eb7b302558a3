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
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += "[" + a + "]";
        SCOPED_TRACE(shown);
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
    EXPECT_EQ(line.emulate, "keyboard");
    EXPECT_TRUE(line.exchange);
    EXPECT_EQ(line.exchangePath, "P");
    EXPECT_EQ(line.exchangeArgs, (std::vector<std::string>{"03", "22"}));
    EXPECT_EQ(line.screenshotAfterMs, 7);
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
