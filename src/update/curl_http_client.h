#pragma once
// CCurlHttpClient: IHttpClient on libcurl's multi interface. The transfer waits in
// curl_multi_poll, which Stop() interrupts with curl_multi_wakeup, so a stop never waits for
// the network. Certificates and host names are verified; proxies come from http_proxy,
// https_proxy and no_proxy as libcurl reads them.
#include <atomic>
#include <mutex>

#include "update/http_client.h"

namespace update {

struct HttpLimits {
    long connectTimeoutMs = 60000;    // name resolution included
    long lowSpeedBytesPerSecond = 1;  // slower than this ...
    long lowSpeedSeconds = 30;        // ... for this long ends the transfer
    long totalTimeoutMs = 120000;
    std::size_t maxAnswerBytes = 102400;
    long maxRedirects = 3;
    int attempts = 2;  // tries when the first could not connect
};

class CCurlHttpClient : public IHttpClient {
  public:
    explicit CCurlHttpClient(HttpLimits limits = {}, std::string userAgent = DefaultUserAgent());
    ~CCurlHttpClient() override;

    HttpResult Request(const HttpRequest& request) override;
    void Stop() override;

    // "skelmora/VERSION".
    static std::string DefaultUserAgent();

  private:
    HttpResult Attempt(const HttpRequest& request);

    HttpLimits limits_;
    std::string userAgent_;
    std::atomic<bool> stop_{false};
    std::mutex multiLock_;
    void* multi_ = nullptr;  // the running transfer's CURLM, under multiLock_
};

}  // namespace update
