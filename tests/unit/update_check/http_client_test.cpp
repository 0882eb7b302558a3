// The libcurl client against the local test server (127.0.0.1 only).
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "update/curl_http_client.h"
#include "update/update_check.h"
#include "update_server_fixture.h"

using namespace update;
using update_test::UpdateServer;

namespace {

// Short limits so that the slow cases end in seconds.
HttpLimits TestLimits() {
    HttpLimits limits;
    limits.connectTimeoutMs = 5000;
    limits.lowSpeedSeconds = 2;
    limits.totalTimeoutMs = 60000;
    return limits;
}

HttpRequest Post(const std::string& url, const std::string& body) {
    return HttpRequest{"POST", url, body, {kContentTypeHeader, kAcceptHeader}};
}

class HttpClientTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Start()) << server.Error().toStdString(); }
    UpdateServer server;
    CCurlHttpClient client{TestLimits()};
};

}  // namespace

TEST_F(HttpClientTest, SendsExactlyTheFormBodyAndHeaders) {
    const std::string body = "app_key=ZELVO_1_PX80D52C_MS_1&version=105";
    const HttpResult result = client.Request(Post(server.Url("/good/api/updates"), body));
    ASSERT_EQ(result.outcome, HttpOutcome::Answered) << result.error;
    EXPECT_EQ(result.statusCode, 200);
    EXPECT_NE(result.body.find("\"0106\""), std::string::npos);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.body, body);  // no zero byte at its end
    EXPECT_EQ(request.Header("Content-Length"), std::to_string(body.size()));
    EXPECT_EQ(request.HeaderCount("Content-Length"), 1);
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.Header("Accept"), "application/prs.Zelvo.v1+json");
    EXPECT_EQ(request.Header("User-Agent"), CCurlHttpClient::DefaultUserAgent());
    EXPECT_EQ(request.Header("User-Agent").rfind("skelmora/", 0), 0u);
}

TEST_F(HttpClientTest, AnswersAndErrors) {
    struct Case {
        const char* path;
        HttpOutcome outcome;
        long status;
    };
    const Case cases[] = {
        {"/huge/", HttpOutcome::TooLarge, 0},          // declared length above the limit
        {"/huge/chunked/", HttpOutcome::TooLarge, 0},  // no declared length
        {"/redirect/", HttpOutcome::Answered, 200},    // followed, POST kept
        {"/loop/", HttpOutcome::Failed, 0},            // more than 3 redirects
        {"/status500/", HttpOutcome::Answered, 500},  {"/malformed/", HttpOutcome::Answered, 200},
        {"/slow/", HttpOutcome::Failed, 0},  // ended by the speed limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const HttpResult result =
            client.Request(Post(server.Url(c.path), "app_key=ZELVO_1_PX80D52C_MS_1&version=105"));
        EXPECT_EQ(result.outcome, c.outcome) << OutcomeName(result.outcome) << " " << result.error;
        if (c.status != 0) {
            EXPECT_EQ(result.statusCode, c.status);
        }
        if (c.outcome == HttpOutcome::TooLarge) {
            EXPECT_TRUE(result.body.empty());
        }
    }
    // The redirect was followed as a POST with its body.
    bool sawRedirectedPost = false;
    for (const auto& request : server.Requests()) {
        if (request.path == "/good/api/updates" && request.method == "POST" &&
            request.body == "app_key=ZELVO_1_PX80D52C_MS_1&version=105")
            sawRedirectedPost = true;
    }
    EXPECT_TRUE(sawRedirectedPost);
}

TEST_F(HttpClientTest, AnswerOfExactlyTheLimitIsKept) {
    HttpLimits limits = TestLimits();
    const std::string document = R"({"name":"x"})";
    limits.maxAnswerBytes = document.size();
    CCurlHttpClient exact(limits);
    std::string hex;
    for (unsigned char c : document) {
        static const char digits[] = "0123456789abcdef";
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    const HttpResult kept = exact.Request({"GET", server.Url("/raw/?hex=" + hex), "", {}});
    EXPECT_EQ(kept.outcome, HttpOutcome::Answered);
    EXPECT_EQ(kept.body, document);
    limits.maxAnswerBytes = document.size() - 1;
    CCurlHttpClient under(limits);
    EXPECT_EQ(under.Request({"GET", server.Url("/raw/?hex=" + hex), "", {}}).outcome,
              HttpOutcome::TooLarge);
}

TEST_F(HttpClientTest, OnlyGetAndPostAreSent) {
    for (const char* method : {"PUT", "DELETE", "", "post2"}) {
        EXPECT_EQ(client.Request({method, server.Url("/good/api/updates"), "", {}}).outcome,
                  HttpOutcome::Refused);
    }
    EXPECT_EQ(client.Request({"get", server.Url("/status500/"), "", {}}).outcome,
              HttpOutcome::Answered);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
}

TEST_F(HttpClientTest, StopEndsAStalledTransfer) {
    auto pending = std::async(
        std::launch::async, [this] { return client.Request(Post(server.Url("/stall/"), "x=1")); });
    // Stop once the server has the request, so the transfer is really waiting.
    while (server.Requests().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    client.Stop();
    // The guard is the test's own time-out, not a timed assertion.
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(pending.get().outcome, HttpOutcome::Stopped);
    // Stopped for good: later requests are not sent.
    EXPECT_EQ(client.Request(Post(server.Url("/good/api/updates"), "x=1")).outcome,
              HttpOutcome::Stopped);
}

TEST(HttpClient, RefusedPortIsNoLink) {
    update_test::ClearProxyEnvironment();
    CCurlHttpClient client(TestLimits());
    const std::string url =
        "http://127.0.0.1:" + std::to_string(update_test::ClosedPort()) + "/api/updates";
    const HttpResult result = client.Request(Post(url, "x=1"));
    EXPECT_EQ(result.outcome, HttpOutcome::NoLink) << result.error;
}

TEST(HttpClient, SelfSignedCertificateIsRefused) {
    UpdateServer server;
    ASSERT_TRUE(server.StartTls()) << server.Error().toStdString();
    CCurlHttpClient client(TestLimits());
    const HttpResult result = client.Request(Post(server.Url("/good/api/updates"), "x=1"));
    EXPECT_EQ(result.outcome, HttpOutcome::Failed) << result.error;
    EXPECT_TRUE(result.body.empty());
    EXPECT_TRUE(server.Requests().empty());  // nothing reached the server unencrypted or not
}
