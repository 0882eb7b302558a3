// The check: rows in order, what each reply makes of a row, the summary and the last-check file.
#include "update/update_check.h"

#include <gtest/gtest.h>

#include <QDir>
#include <fstream>
#include <map>

#include "profiles/json_file.h"
#include "temp_home.h"
#include "update/curl_http_client.h"
#include "update/update_status.h"
#include "update_server_fixture.h"

using namespace update;

namespace {

// Answers by app_key from a table, and counts what was asked.
class ScriptedClient : public IHttpClient {
  public:
    std::map<std::string, HttpResult> replies;  // by request body
    std::vector<std::string> bodies;
    HttpResult Request(const HttpRequest& request) override {
        bodies.push_back(request.body);
        const auto found = replies.find(request.body);
        if (found != replies.end()) return found->second;
        return HttpResult{HttpOutcome::NoLink, 0, {}, "refused"};
    }
    void Stop() override {}
};

HttpResult Answer(const std::string& body, long code = 200) {
    return HttpResult{HttpOutcome::Answered, code, body, {}};
}

std::vector<CheckRow> AllRows() {
    return {CheckRow{kMouseRow, 0x0105, {}}, CheckRow{kKeyboardRow, 0x0105, {}},
            CheckRow{kReceiverMouseRow, 0x0100, {}},
            CheckRow{kApplicationRow, 0, *ParseDottedVersion("1.0.2.5")}};
}

std::filesystem::path TempFile(const char* name) {
    return std::filesystem::path(temp_home::Root().toStdString()) / name;
}

std::string StoredDate(const std::filesystem::path& file) {
    return profiles::JsonFile().ReadDocument(file)["updatelasttime"]["value"].asString();
}

}  // namespace

TEST(UpdateCheckRows, RepliesBecomeRows) {
    const CheckRow firmware{kMouseRow, 0x0105, {}};
    const CheckRow app{kApplicationRow, 0, *ParseDottedVersion("1.0.2.5")};
    struct Case {
        const char* name;
        CheckRow row;
        HttpResult reply;
        int status;
        const char* latest;
        const char* path;
    };
    const Case cases[] = {
        {"newer firmware", firmware,
         Answer(R"({"name":"n","version":"0106","path":"https://u.invalid/f"})"), 1, "V0106",
         "https://u.invalid/f"},
        {"same firmware", firmware, Answer(R"({"name":"n","version":"0105"})"), 7, "", ""},
        {"firmware version zz", firmware, Answer(R"({"name":"n","version":"zz"})"), 9, "", ""},
        {"application takes version_name", app,
         Answer(R"({"name":"n","version":"1.0.3","version_name":"Spring 2"})"), 1, "Spring 2", ""},
        {"application same", app, Answer(R"({"name":"n","version":"1.0.2.5"})"), 7, "", ""},
        {"status 500", firmware, Answer(R"({"name":"n","version":"0106"})", 500), 9, "", ""},
        {"not JSON", firmware, Answer("<html>"), 9, "", ""},
        {"empty", firmware, Answer(""), 9, "", ""},
        {"no link", firmware, HttpResult{HttpOutcome::NoLink, 0, {}, "refused"}, 9, "", ""},
        {"too large", firmware, HttpResult{HttpOutcome::TooLarge, 0, {}, ""}, 9, "", ""},
        {"file path dropped", firmware,
         Answer(R"({"name":"n","version":"0106","path":"file:///etc/passwd"})"), 1, "V0106", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RowResult result = ResultOfReply(c.row, 2, c.reply);
        EXPECT_EQ(result.index, 2);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.latest, c.latest);
        EXPECT_EQ(result.path, c.path);
        EXPECT_EQ(result.name, c.row.target == kApplicationRow ? "AP" : "MS");
        EXPECT_EQ(result.current, c.row.target == kApplicationRow ? "V1.0.2.5" : "V0105");
    }
}

TEST(UpdateCheckRun, AfterNoLinkTheOtherRowsAreNotAsked) {
    ScriptedClient client;
    platform::StopEvent stop(platform::StopEvent::Mode::ManualReset);
    std::vector<int> reported;
    CheckCallbacks callbacks;
    callbacks.rowChecked = [&](const RowResult& r) { reported.push_back(r.status); };
    const auto file = TempFile("offline.config");
    ASSERT_TRUE(WriteLastCheck(file, "2020-1-2"));
    const CheckOutcome outcome = RunUpdateCheck(AllRows(), "http://127.0.0.1:9/api/updates", client,
                                                stop, callbacks, file, "2030-12-31");
    EXPECT_EQ(client.bodies.size(), 1u);  // one time-out, not one per row
    EXPECT_EQ(reported, (std::vector<int>{9, 9, 9, 9}));
    EXPECT_EQ(outcome.summary, summary::kNoInformation);
    EXPECT_FALSE(outcome.anyAnswered);
    EXPECT_EQ(StoredDate(file), "2020-1-2");  // an offline check does not move the date
}

TEST(UpdateCheckRun, NotConfiguredSendsNothing) {
    ScriptedClient client;
    platform::StopEvent stop(platform::StopEvent::Mode::ManualReset);
    const CheckOutcome outcome = RunUpdateCheck(AllRows(), "", client, stop, {}, {}, "2030-1-1");
    EXPECT_TRUE(client.bodies.empty());
    EXPECT_FALSE(outcome.configured);
    EXPECT_EQ(outcome.summary, summary::kNoInformation);
    ASSERT_EQ(outcome.rows.size(), 4u);
    for (const RowResult& r : outcome.rows) EXPECT_EQ(r.status, row_status::kCheckFailed);
}

TEST(UpdateCheckRun, AgainstTheTestServer) {
    update_test::UpdateServer server;
    ASSERT_TRUE(server.Start()) << server.Error().toStdString();
    CCurlHttpClient client;
    platform::StopEvent stop(platform::StopEvent::Mode::ManualReset);
    const auto file = TempFile("online.config");
    ASSERT_TRUE(WriteLastCheck(file, "2020-1-2"));
    const CheckOutcome outcome = RunUpdateCheck(AllRows(), server.Url("/good/api/updates"), client,
                                                stop, {}, file, "2030-12-31");
    ASSERT_EQ(outcome.rows.size(), 4u);
    EXPECT_EQ(outcome.rows[0].status, 1);  // 0106 against 0x0105
    EXPECT_EQ(outcome.rows[0].latest, "V0106");
    EXPECT_EQ(outcome.rows[1].status, 7);  // 0105
    EXPECT_EQ(outcome.rows[1].path, "");   // file:///etc/passwd is not kept
    EXPECT_EQ(outcome.rows[2].status, 7);  // 0x0100
    EXPECT_EQ(outcome.rows[3].status, 1);
    EXPECT_EQ(outcome.rows[3].latest, "V9.0 (test)");
    EXPECT_EQ(outcome.summary, summary::kUpdateAvailable);
    EXPECT_EQ(StoredDate(file), "2030-12-31");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].body, "app_key=ZELVO_1_PX80D52C_MS_1&version=105");
    EXPECT_EQ(requests[3].body, "app_key=ZELVO_0_ALL_KB_1&version=1025");
}

TEST(UpdateCheckThread, StopDuringAStallJoinsAtOnce) {
    update_test::UpdateServer server;
    ASSERT_TRUE(server.Start()) << server.Error().toStdString();
    bool finished = false;
    CheckCallbacks callbacks;
    callbacks.finished = [&](const CheckOutcome&) { finished = true; };
    CUpdateCheck check(AllRows(), server.Url("/stall/"), std::make_unique<CCurlHttpClient>(),
                       callbacks, {}, "2030-1-1");
    check.Start();
    while (server.Requests().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    check.Stop();  // the test's own time-out guards this
    EXPECT_FALSE(check.Running());
    EXPECT_FALSE(finished);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(LastCheckFile, CreatedOnceAndRepaired) {
    struct Case {
        const char* name;
        const char* content;  // nullptr: no file
        const char* expected;
    };
    const Case cases[] = {
        {"missing", nullptr, "2031-2-3"},
        {"kept", R"({"updatelasttime":{"value":"2020-5-6"}})", "2020-5-6"},
        {"not JSON", "{{{", "2031-2-3"},
        {"value 5", R"({"updatelasttime":{"value":5}})", "2031-2-3"},
        {"array", "[]", "2031-2-3"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = TempFile(("last" + std::to_string(n++) + "/updatetime.config").c_str());
        if (c.content) {
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file) << c.content;
        }
        EXPECT_EQ(ReadOrCreateLastCheck(file, "2031-2-3"), c.expected);
        EXPECT_EQ(StoredDate(file), c.expected);
    }
}
