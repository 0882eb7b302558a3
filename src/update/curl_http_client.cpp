#include "update/curl_http_client.h"

#include <curl/curl.h>

#include <cctype>
#include <memory>

#ifndef SKELMORA_VERSION
#define SKELMORA_VERSION "0"
#endif

namespace update {
namespace {

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool IsHttps(std::string_view url) {
    return url.size() >= 8 && SameNoCase(url.substr(0, 8), "https://");
}

// The write callback's state: the body so far, and whether the limit was passed.
struct Sink {
    std::string* body;
    std::size_t limit;
    bool tooLarge = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body->size() + bytes > sink->limit) {
        // Refused, not cut: a cut document may still parse as a shorter valid one.
        sink->tooLarge = true;
        return 0;
    }
    sink->body->append(data, bytes);
    return bytes;
}

}  // namespace

const char* OutcomeName(HttpOutcome outcome) {
    switch (outcome) {
        case HttpOutcome::Answered:
            return "answered";
        case HttpOutcome::NoLink:
            return "no link";
        case HttpOutcome::TooLarge:
            return "too large";
        case HttpOutcome::Stopped:
            return "stopped";
        case HttpOutcome::Refused:
            return "refused";
        case HttpOutcome::Failed:
            return "failed";
    }
    return "failed";
}

CCurlHttpClient::CCurlHttpClient(HttpLimits limits, std::string userAgent)
    : limits_(limits), userAgent_(std::move(userAgent)) {
    InitCurlOnce();
}

CCurlHttpClient::~CCurlHttpClient() = default;

std::string CCurlHttpClient::DefaultUserAgent() { return "skelmora/" SKELMORA_VERSION; }

void CCurlHttpClient::Stop() {
    stop_ = true;
    std::lock_guard lock(multiLock_);
    if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

HttpResult CCurlHttpClient::Request(const HttpRequest& request) {
    HttpResult result;
    if (!SameNoCase(request.method, "GET") && !SameNoCase(request.method, "POST")) {
        result.outcome = HttpOutcome::Refused;
        result.error = "method not supported: " + request.method;
        return result;
    }
    const int attempts = limits_.attempts < 1 ? 1 : limits_.attempts;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        result = Attempt(request);
        if (result.outcome != HttpOutcome::NoLink) break;
    }
    return result;
}

HttpResult CCurlHttpClient::Attempt(const HttpRequest& request) {
    HttpResult result;
    if (stop_) {
        result.outcome = HttpOutcome::Stopped;
        return result;
    }
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        result.error = "curl_easy_init failed";
        return result;
    }
    CURL* e = easy.get();
    char errorText[CURL_ERROR_SIZE] = {};
    Sink sink{&result.body, limits_.maxAnswerBytes};
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& line : request.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (!grown) {
            result.error = "out of memory";
            return result;
        }
        (void)headers.release();
        headers.reset(grown);
    }
    const bool https = IsHttps(request.url);
    curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_USERAGENT, userAgent_.c_str());
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Never from https to http: a redirect must not strip the encryption.
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, limits_.maxRedirects);
    curl_easy_setopt(e, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, limits_.connectTimeoutMs);
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, limits_.totalTimeoutMs);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, limits_.lowSpeedBytesPerSecond);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, limits_.lowSpeedSeconds);
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits_.maxAnswerBytes));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
    if (SameNoCase(request.method, "POST")) {
        curl_easy_setopt(e, CURLOPT_POST, 1L);
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, request.body.data());
    } else {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    }

    CURLM* multi = curl_multi_init();
    if (!multi) {
        result.error = "curl_multi_init failed";
        return result;
    }
    curl_multi_add_handle(multi, e);
    {
        std::lock_guard lock(multiLock_);
        multi_ = multi;
    }
    CURLcode code = CURLE_OK;
    bool finished = false;
    bool stopped = false;
    while (!finished) {
        if (stop_) {
            stopped = true;
            break;
        }
        int running = 0;
        const CURLMcode perform = curl_multi_perform(multi, &running);
        if (perform != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            std::snprintf(errorText, sizeof errorText, "%s", curl_multi_strerror(perform));
            break;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE) {
                code = message->data.result;
                finished = true;
            }
        }
        if (finished || running == 0) break;
        // Woken by the network, by curl's own timers, or by Stop().
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    {
        std::lock_guard lock(multiLock_);
        multi_ = nullptr;
    }
    curl_multi_remove_handle(multi, e);
    curl_multi_cleanup(multi);

    if (stopped) {
        result.outcome = HttpOutcome::Stopped;
        result.body.clear();
        return result;
    }
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &result.statusCode);
    curl_off_t connectTime = 0;
    curl_easy_getinfo(e, CURLINFO_CONNECT_TIME_T, &connectTime);
    switch (code) {
        case CURLE_OK:
            result.outcome = HttpOutcome::Answered;
            return result;
        case CURLE_FILESIZE_EXCEEDED:
            result.outcome = HttpOutcome::TooLarge;
            break;
        case CURLE_WRITE_ERROR:
            result.outcome = sink.tooLarge ? HttpOutcome::TooLarge : HttpOutcome::Failed;
            break;
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            result.outcome = HttpOutcome::NoLink;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            // A time-out before any connection was made is the connect time-out.
            result.outcome = connectTime == 0 ? HttpOutcome::NoLink : HttpOutcome::Failed;
            break;
        case CURLE_URL_MALFORMAT:
            result.outcome = HttpOutcome::Refused;
            break;
        default:
            result.outcome = HttpOutcome::Failed;
            break;
    }
    result.body.clear();
    result.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    return result;
}

}  // namespace update
