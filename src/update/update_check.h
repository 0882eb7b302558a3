#pragma once
// The update check: for each row in order, ask the server and turn its answer into the row's
// status, current and latest version; then the summary. RunUpdateCheck is the check itself
// (any thread); CUpdateCheck runs it once on a worker thread of its own with a stop event.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/stop_event.h"
#include "update/http_client.h"
#include "update/update_targets.h"

namespace update {

struct RowResult {
    int index = 0;  // position in the rows given to the check
    int status = 0;
    std::string name;     // the target's display name
    std::string current;  // "V0105", "V1.0.2.5"
    std::string latest;   // empty unless an update is available
    std::string path;     // download address (http or https), or empty
    std::int64_t deviceId = 0;
};

struct CheckOutcome {
    std::vector<RowResult> rows;
    int summary = 0;
    bool configured = true;  // false: no update server address, nothing was sent
    bool anyAnswered = false;
    bool stopped = false;
};

struct CheckCallbacks {
    std::function<void(const RowResult&)> rowChecked;   // on the checking thread
    std::function<void(const CheckOutcome&)> finished;  // on the checking thread; not when stopped
};

// The request's headers.
inline constexpr char kContentTypeHeader[] = "Content-Type: application/x-www-form-urlencoded";
inline constexpr char kAcceptHeader[] = "Accept: application/prs.Zelvo.v1+json";

// The address requests go to: the first non-empty of the environment's SKELMORA_UPDATE_URL,
// the settings store's "UpdateUrl" and the build's default, with "updates" appended after a
// "/"; nothing when that is empty or not an http or https address.
std::optional<std::string> ResolveUpdateEndpoint(std::string_view environment,
                                                 std::string_view stored,
                                                 std::string_view buildDefault);
// The same from this process's environment, settings store and build.
std::optional<std::string> UpdateEndpointFromEnvironment();

// The rows as the list shows them before anything is answered.
RowResult InitialRowResult(const CheckRow& row, int index);
// The row's result for one server reply (pure).
RowResult ResultOfReply(const CheckRow& row, int index, const HttpResult& reply);

// Runs the whole check on the calling thread. endpoint empty: nothing is sent. The last-check
// date is written to lastCheckFile (when not empty) with today's date once some row was
// answered.
CheckOutcome RunUpdateCheck(const std::vector<CheckRow>& rows, const std::string& endpoint,
                            IHttpClient& client, platform::StopEvent& stop,
                            const CheckCallbacks& callbacks,
                            const std::filesystem::path& lastCheckFile, const std::string& today);

// "%d-%d-%d" of the local date (year, month, day, no padding).
std::string TodayText();
// <user data folder>/updatetime.config.
std::filesystem::path LastCheckFilePath();
// The stored last-check date; when the file holds none (missing, not JSON, not a text), today
// is written into it and returned.
std::string ReadOrCreateLastCheck(const std::filesystem::path& file, const std::string& today);
bool WriteLastCheck(const std::filesystem::path& file, const std::string& date);

class CUpdateCheck {
  public:
    CUpdateCheck(std::vector<CheckRow> rows, std::string endpoint,
                 std::unique_ptr<IHttpClient> client, CheckCallbacks callbacks,
                 std::filesystem::path lastCheckFile, std::string today);
    ~CUpdateCheck();  // stops and joins
    CUpdateCheck(const CUpdateCheck&) = delete;
    CUpdateCheck& operator=(const CUpdateCheck&) = delete;

    void Start();
    // Ends the running transfer at once and joins the thread; never kills it.
    void Stop();
    bool Running() const { return thread_.joinable(); }

  private:
    std::vector<CheckRow> rows_;
    std::string endpoint_;
    std::unique_ptr<IHttpClient> client_;
    CheckCallbacks callbacks_;
    std::filesystem::path lastCheckFile_;
    std::string today_;
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    std::thread thread_;
};

}  // namespace update
