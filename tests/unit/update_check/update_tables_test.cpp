// The update check's pure parts: keys and bodies, versions, answers, rows, statuses, summary.
#include <gtest/gtest.h>

#include <string>

#include "update/update_answer.h"
#include "update/update_check.h"
#include "update/update_status.h"
#include "update/update_targets.h"
#include "update/update_versions.h"

using namespace update;

namespace {
AppVersion App(const char* text) { return *ParseDottedVersion(text); }
CheckRow Firmware(int target, std::uint16_t version) { return CheckRow{target, version, {}}; }
CheckRow Application(const char* text) { return CheckRow{kApplicationRow, 0, App(text)}; }
}  // namespace

TEST(UpdateRequest, KeysAndBodies) {
    struct Case {
        CheckRow row;
        const char* key;
        const char* body;
        const char* shown;
    };
    const Case cases[] = {
        {Firmware(kMouseRow, 0x0105), "ZELVO_1_PX80D52C_MS_1",
         "app_key=ZELVO_1_PX80D52C_MS_1&version=105", "V0105"},
        {Firmware(kKeyboardRow, 0xABCD), "ZELVO_1_PX80D53C_KB_1",
         "app_key=ZELVO_1_PX80D53C_KB_1&version=abcd", "Vabcd"},
        {Firmware(kReceiverMouseRow, 0x0001), "ZELVO_2_PX80D54C_1_R27_1",
         "app_key=ZELVO_2_PX80D54C_1_R27_1&version=1", "V0001"},
        {Application("1.0.2.5"), "ZELVO_0_ALL_KB_1", "app_key=ZELVO_0_ALL_KB_1&version=1025",
         "V1.0.2.5"},
        {Application("0.1.0"), "ZELVO_0_ALL_KB_1", "app_key=ZELVO_0_ALL_KB_1&version=10", "V0.1.0"},
        {Firmware(kMouseRow, 0), "NULL", "app_key=NULL&version=0", "V0000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ApplicationKey(c.row), c.key);
        const std::string body = RequestBody(c.row);
        EXPECT_EQ(body, c.body);
        EXPECT_EQ(body.find('\0'), std::string::npos);  // no terminating zero byte is sent
        EXPECT_EQ(CurrentVersionText(c.row), c.shown);
    }
    EXPECT_EQ(FormEncode("a b&c=d/é"), "a%20b%26c%3Dd%2F%C3%A9");
}

TEST(UpdateVersions, FirmwareAnswers) {
    struct Case {
        const char* answer;
        Comparison expected;
    };
    const Case cases[] = {
        {"0106", Comparison::Newer},     {"0105", Comparison::NotNewer},
        {"106", Comparison::Newer},      {"0104", Comparison::NotNewer},
        {"0x0106", Comparison::Newer},   {"0X106", Comparison::Newer},
        {" 0106 ", Comparison::Newer},   {"ffff", Comparison::Newer},
        {"zz", Comparison::Unusable},    {"10g", Comparison::Unusable},
        {"99999", Comparison::Unusable}, {"", Comparison::Unusable},
        {"0x", Comparison::Unusable},    {"-1", Comparison::Unusable},
        {"1.0", Comparison::Unusable},   {"1 0", Comparison::Unusable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(CompareFirmware(c.answer, 0x0105), c.expected);
    }
}

TEST(UpdateVersions, ApplicationAnswers) {
    struct Case {
        const char* current;
        const char* answer;
        Comparison expected;
    };
    const Case cases[] = {
        {"1.0.9", "1.0.10", Comparison::Newer},
        {"1.0.2.5", "1.0.2.5", Comparison::NotNewer},
        {"1.0.2.5", "V2", Comparison::Newer},
        {"1.0.2.5", "v1.0.2.6", Comparison::Newer},
        {"1.0.2.5", "1.0.2", Comparison::NotNewer},
        {"1.0.2.5", "1026", Comparison::Newer},  // plain digits: the dot-less number
        {"1.0.2.5", "1025", Comparison::NotNewer},
        {"1.0.2.5", "999", Comparison::NotNewer},
        {"1.0.2.5", "99999", Comparison::Newer},
        {"1.0.2.5", "1..2", Comparison::Unusable},
        {"1.0.2.5", "1.2.3.4.5", Comparison::Unusable},
        {"1.0.2.5", "10g", Comparison::Unusable},
        {"1.0.2.5", "", Comparison::Unusable},
        {"1.0.2.5", "V", Comparison::Unusable},
        {"1.0.2.5", "1.0.", Comparison::Unusable},
        {"1.0.2.5", "1234567890.0", Comparison::Unusable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.current) + " / " + c.answer);
        EXPECT_EQ(CompareApplication(c.answer, App(c.current)), c.expected);
    }
}

TEST(UpdateAnswer, Shapes) {
    const std::string longText(1025, 'a');
    const std::string maxText(1024, 'a');
    struct Case {
        std::string bytes;
        bool usable;
        const char* path;
        std::int64_t deviceId;
    };
    const Case cases[] = {
        {R"({"name":"MS","version":"0106","path":"https://x.invalid/a","device_id":7})", true,
         "https://x.invalid/a", 7},
        {"// comment\n{\"name\":\"MS\" /* c */}", true, "", 0},
        {"", false, "", 0},
        {"not json", false, "", 0},
        {"[1,2]", false, "", 0},
        {R"("name")", false, "", 0},
        {R"({"name":""})", false, "", 0},
        {R"({"name":5})", false, "", 0},
        {R"({"version":"1"})", false, "", 0},
        {R"({"name":"x","version":{"a":1}})", false, "", 0},
        {R"({"name":"x"} {"name":"y"})", false, "", 0},
        {R"({"name":"x","device_id":"7"})", true, "", 0},
        {R"({"name":"x","device_id":1e20})", true, "", 0},
        {R"({"name":"x","device_id":7.5})", true, "", 0},
        {R"({"name":"x","path":"file:///etc/passwd"})", true, "", 0},
        {R"j({"name":"x","path":"javascript:alert(1)"})j", true, "", 0},
        {R"({"name":"x","version_name":")" + longText + "\"}", false, "", 0},
        {R"({"name":"x","version_name":")" + maxText + "\"}", true, "", 0},
        {R"({"name":"x","version_name":"a\nb"})", false, "", 0},
        {R"({"name":"x\u0000y"})", false, "", 0},
        {R"({"name":"<b>x</b>"})", true, "", 0},
        {std::string(100, '[') + std::string(100, ']'), false, "", 0},
        {R"({"name":"x","a":)" + std::string(70, '[') + std::string(70, ']') + "}", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 80));
        const auto answer = ParseUpdateAnswer(c.bytes);
        ASSERT_EQ(answer.has_value(), c.usable);
        if (!answer) continue;
        EXPECT_EQ(answer->path, c.path);
        EXPECT_EQ(answer->deviceId, c.deviceId);
    }
}

TEST(UpdateRows, ByDeviceKind) {
    const auto app = ParseDottedVersion("0.1.0");
    struct Case {
        const char* name;
        std::vector<ConnectedDevice> devices;
        std::optional<AppVersion> application;
        std::vector<std::pair<int, std::uint16_t>> rows;  // target, firmware
    };
    const Case cases[] = {
        {"a keyboard alone fills KB, not MS",
         {{1, true, 0x0100}},
         app,
         {{kKeyboardRow, 0x0100}, {kApplicationRow, 0}}},
        {"keyboard through a receiver",
         {{9, true, 0x0101}},
         std::nullopt,
         {{kKeyboardRow, 0x0101}}},
        {"mouse, receiver mouse and headset",
         {{7, true, 0x0200}, {6, true, 0x0300}, {2, true, 0x0105}},
         app,
         {{kMouseRow, 0x0105}, {kReceiverMouseRow, 0x0300}, {kApplicationRow, 0}}},
        {"first of each kind",
         {{1, true, 0x0111}, {1, true, 0x0222}},
         std::nullopt,
         {{kKeyboardRow, 0x0111}}},
        {"closed channel and version 0 are skipped",
         {{1, false, 0x0111}, {2, true, 0}, {1, true, 0x0333}},
         std::nullopt,
         {{kKeyboardRow, 0x0333}}},
        {"nothing", {}, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = SelectRows(c.devices, c.application);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].target, c.rows[i].first);
            EXPECT_EQ(rows[i].firmware, c.rows[i].second);
        }
    }
}

TEST(UpdateRows, StatusTable) {
    struct Case {
        int status;
        const char* key;
        bool progress, done, enabled;
        std::uint32_t text, selected, disabled;
    };
    const Case cases[] = {
        {0, "LessUpdateText", false, false, false, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF666666},
        {1, "NeedUpdateText", false, false, true, 0xFF0099FF, 0xFF0099FF, 0xFF0078C8},
        {2, "NeedUpdateText", false, false, true, 0xFF0099FF, 0xFF0099FF, 0xFF0078C8},
        {3, "DownloadWaitText", false, false, false, 0xFF0099FF, 0xFF0099FF, 0xFF0078C8},
        {4, "DownloadIngText", true, false, false, 0xFF0099FF, 0xFF0099FF, 0xFF0078C8},
        {5, "DownloadOkText", false, true, false, 0xFF0099FF, 0xFF0099FF, 0xFF0078C8},
        {6, "UpdateIngText", true, false, false, 0xFF0099FF, 0xFF0099FF, 0xFF0078C8},
        {7, "UpdateOkText", false, false, false, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF666666},
        {8, "UpdateFailText", false, false, true, 0xFF0099FF, 0xFF0099FF, 0xFF0078C8},
        {9, "CheckFailText", false, false, false, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF666666},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        const auto look = LookOfStatus(c.status);
        ASSERT_TRUE(look);
        EXPECT_EQ(look->textKey, c.key);
        EXPECT_EQ(look->progressShown, c.progress);
        EXPECT_EQ(look->doneShown, c.done);
        EXPECT_EQ(look->optionEnabled, c.enabled);
        EXPECT_EQ(look->textColor, c.text);
        EXPECT_EQ(look->selectedTextColor, c.selected);
        EXPECT_EQ(look->disabledTextColor, c.disabled);
    }
    EXPECT_FALSE(LookOfStatus(10));
    EXPECT_FALSE(LookOfStatus(-1));
}

TEST(UpdateRows, Summary) {
    struct Case {
        std::vector<int> statuses;
        int summary;
    };
    const Case cases[] = {
        {{7, 1, 9}, 1}, {{7, 7}, 4}, {{7, 9}, 2}, {{9, 9}, 2}, {{}, 2}, {{2}, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(SummaryOf(c.statuses), c.summary);
}

TEST(UpdateEndpoint, Configuration) {
    struct Case {
        const char* environment;
        const char* stored;
        const char* build;
        const char* endpoint;  // nullptr: not configured
    };
    const Case cases[] = {
        {"http://127.0.0.1:5/api/", "https://stored/api/", "", "http://127.0.0.1:5/api/updates"},
        {"", "https://stored.invalid/api", "", "https://stored.invalid/api/updates"},
        {"", "", "HTTPS://build.invalid/api/", "HTTPS://build.invalid/api/updates"},
        {"", "", "", nullptr},
        {"", "ftp://x", "", nullptr},
        {"", "not a url", "", nullptr},
        {"", "http://", "", nullptr},
        {"", "http:///path", "", nullptr},
        {"", "http://host", "", "http://host/updates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.environment) + "|" + c.stored + "|" + c.build);
        const auto endpoint = ResolveUpdateEndpoint(c.environment, c.stored, c.build);
        if (!c.endpoint) {
            EXPECT_FALSE(endpoint);
        } else {
            ASSERT_TRUE(endpoint);
            EXPECT_EQ(*endpoint, c.endpoint);
        }
    }
}
