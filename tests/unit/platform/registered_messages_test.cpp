// The registered names are matched byte for byte by other programs, so each one is written out
// here again, independently of the table, with whether the running instance takes it from them.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <string>

#include "platform/registered_messages.h"

using platform::FindRegisteredMessage;
using platform::ParseSigned;
using platform::ParseUnsigned;
using platform::ResolveRegisteredMessage;

namespace {

struct NameCase {
    const char* name;
    bool fromOutside;
};

const NameCase kNames[] = {
    {"TELMA QX-418GRY Device", true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", false},
    {"WM_HOOK_KEY_SINGLEKEY_MSG", false},
    {"WM_HOOK_KEY_HITKEY_MSG", false},
    {"WM_HOOK_KEY_KBMACRO_MSG", false},
    {"WM_HOOK_KEY_MSMACRO_MSG", false},
    {"WM_HOOK_KEY_KBMACROSINGLE_MSG", false},
    {"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", false},
    {"WM_HOOK_KEY_KBMACROLATER_MSG", false},
    {"WM_HOOK_MOU_SINGLEKEY_MSG", false},
    {"WM_HOOK_MOU_HITKEY_MSG", false},
    {"WM_HOOK_MOU_KBMACRO_MSG", false},
    {"WM_HOOK_MOU_MSMACRO_MSG", false},
    {"WM_HOOK_KEY_MSMACROSINGLE_MSG", false},
    {"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", false},
    {"WM_HOOK_KEY_MSMACROLATER_MSG", false},
    {"UWM_MOUSERBUTTONDOWN_USER_MSG", false},
    {"UWM_MOUSELBUTTONUP_USER_MSG", false},
    {"UWM_MOUSELBUTTONDOWN_USER_MSG", false},
    {"UWM_MOUSERBUTTONUP_USER_MSG", false},
    {"UWM_MOUSEMOVE_USER_MSG", false},
    {"Game_Start", true},
    {"Game_End", true},
    {"Game_Kill", true},
    {"Game_Death", true},
};

}  // namespace

TEST(RegisteredMessages, EveryNameIsRegisteredWithItsNumberReachableBothWays) {
    std::set<std::string> seen;
    for (const auto& c : kNames) {
        SCOPED_TRACE(c.name);
        const auto* m = FindRegisteredMessage(std::string_view(c.name));
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->acceptedFromOutside, c.fromOutside);
        EXPECT_EQ(FindRegisteredMessage(m->number), m);
        EXPECT_EQ(ResolveRegisteredMessage("#" + std::to_string(m->number)), m);
        seen.insert(c.name);
    }
    EXPECT_EQ(seen.size(), platform::kRegisteredMessages.size()) << "a registered name is missing above";
}

TEST(RegisteredMessages, FixedNumbersOtherProgramsMayUse) {
    // These appear in docs/message-port.md; senders may hard-code them.
    EXPECT_EQ(FindRegisteredMessage(std::string_view("TELMA QX-418GRY Device"))->number, 0xC000u);
    EXPECT_EQ(FindRegisteredMessage(std::string_view("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}"))->number, 0xC003u);
    EXPECT_EQ(FindRegisteredMessage(std::string_view("Game_Start"))->number, 0xC030u);
    EXPECT_EQ(FindRegisteredMessage(std::string_view("Game_Death"))->number, 0xC033u);
}

TEST(RegisteredMessages, LookAlikesAreNotRegistered) {
    const char* cases[] = {
        "", "game_start", "GAME_START", "Game_Start ", " Game_Start", "Game_Start\n",
        "TELMA QX-418GRY", "telma qx-418gry device", "{4695579F-999A-41D4-9FAF-EFFCE93EBF15}",
        "{4695579F-999A-41d4-9FAF-EFFCE93EBF19}",  // the recorder's message ends "EBE19"
        "#", "#0x", "#-49152", "#49152x", "# 49152", "#4294967296", "#0", "#0xC0FF",
    };
    for (const char* name : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ResolveRegisteredMessage(name), nullptr);
    }
    // Embedded NUL: the name must not be cut short at it.
    EXPECT_EQ(ResolveRegisteredMessage(std::string_view("Game_Start\0x", 12)), nullptr);
}

TEST(RegisteredMessages, NumbersInHexAndDecimal) {
    EXPECT_EQ(ResolveRegisteredMessage("#0xC030"), FindRegisteredMessage(std::string_view("Game_Start")));
    EXPECT_EQ(ResolveRegisteredMessage("#0Xc030"), FindRegisteredMessage(std::string_view("Game_Start")));
    EXPECT_EQ(ResolveRegisteredMessage("#49200"), FindRegisteredMessage(std::string_view("Game_Start")));
}

TEST(NumberParsing, UnsignedAndSignedRangesAndRejects) {
    constexpr auto kU64Max = std::numeric_limits<std::uint64_t>::max();
    constexpr auto kI64Max = std::numeric_limits<std::int64_t>::max();
    constexpr auto kI64Min = std::numeric_limits<std::int64_t>::min();
    struct Case {
        const char* text;
        std::optional<std::uint64_t> asUnsigned;
        std::optional<std::int64_t> asSigned;
    };
    const Case cases[] = {
        {"0", 0, 0},
        {"1", 1, 1},
        {"007", 7, 7},
        {"0x1F", 0x1F, 0x1F},
        {"0XaB", 0xAB, 0xAB},
        {"18446744073709551615", kU64Max, std::nullopt},
        {"0xFFFFFFFFFFFFFFFF", kU64Max, std::nullopt},
        {"18446744073709551616", std::nullopt, std::nullopt},
        {"0x10000000000000000", std::nullopt, std::nullopt},
        {"99999999999999999999999", std::nullopt, std::nullopt},
        {"9223372036854775807", 9223372036854775807ull, kI64Max},
        {"9223372036854775808", 9223372036854775808ull, std::nullopt},
        {"-9223372036854775808", std::nullopt, kI64Min},
        {"-9223372036854775809", std::nullopt, std::nullopt},
        {"-1", std::nullopt, -1},
        {"-0x10", std::nullopt, -16},
        {"", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"0x", std::nullopt, std::nullopt},
        {"+1", std::nullopt, std::nullopt},
        {" 1", std::nullopt, std::nullopt},
        {"1 ", std::nullopt, std::nullopt},
        {"1e3", std::nullopt, std::nullopt},
        {"12a", std::nullopt, std::nullopt},
        {"0x1G", std::nullopt, std::nullopt},
        {"--1", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseUnsigned(c.text), c.asUnsigned);
        EXPECT_EQ(ParseSigned(c.text), c.asSigned);
    }
}
