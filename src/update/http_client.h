#pragma once
// One HTTP request of the update check, behind an interface so that the check can be tested
// with a client of its own. Results are values; nothing throws.
#include <cstddef>
#include <string>
#include <vector>

namespace update {

struct HttpRequest {
    std::string method;  // "GET" or "POST" (compared without regard to case)
    std::string url;
    std::string body;                  // sent as is, its length counted by the client
    std::vector<std::string> headers;  // whole header lines without line ends
};

enum class HttpOutcome {
    Answered,  // a status line and a body (any status code)
    NoLink,    // no connection: refused, unresolved, or the connect time-out
    TooLarge,  // the answer is longer than the limit (refused, never cut)
    Stopped,   // Stop() was called
    Refused,   // the request was not sent (a method other than GET or POST, a bad address)
    Failed,    // anything else; the error text says what
};

struct HttpResult {
    HttpOutcome outcome = HttpOutcome::Failed;
    long statusCode = 0;
    std::string body;
    std::string error;
};

class IHttpClient {
  public:
    virtual ~IHttpClient() = default;
    // Blocks until the transfer ends, fails or is stopped.
    virtual HttpResult Request(const HttpRequest& request) = 0;
    // From any thread: ends the running transfer at once and refuses every later one.
    virtual void Stop() = 0;
};

const char* OutcomeName(HttpOutcome outcome);

}  // namespace update
