#include "update/update_check.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <ctime>

#include "platform/registered_messages.h"
#include "platform/settings_store.h"
#include "profiles/json_file.h"
#include "update/update_answer.h"
#include "update/update_log.h"
#include "update/update_status.h"

Q_LOGGING_CATEGORY(lcUpdate, "skelmora.update")

#ifndef SKELMORA_UPDATE_URL
#define SKELMORA_UPDATE_URL ""
#endif

namespace update {

std::optional<std::string> ResolveUpdateEndpoint(std::string_view environment,
                                                 std::string_view stored,
                                                 std::string_view buildDefault) {
    std::string_view base = !environment.empty() ? environment
                            : !stored.empty()    ? stored
                                                 : buildDefault;
    if (!IsHttpUrl(base)) return std::nullopt;
    std::string endpoint(base);
    if (endpoint.back() != '/') endpoint += '/';
    return endpoint + "updates";
}

std::optional<std::string> UpdateEndpointFromEnvironment() {
    const char* environment = std::getenv("SKELMORA_UPDATE_URL");
    QSettings settings(platform::SettingsFilePath(), QSettings::NativeFormat);
    const QVariant stored = settings.value(QStringLiteral("UpdateUrl"));
    const std::string storedText =
        stored.typeId() == QMetaType::QString ? stored.toString().toStdString() : std::string();
    return ResolveUpdateEndpoint(environment ? environment : "", storedText, SKELMORA_UPDATE_URL);
}

RowResult InitialRowResult(const CheckRow& row, int index) {
    RowResult result;
    result.index = index;
    result.status = row_status::kUpToDate;
    result.name = std::string(kUpdateTargets[row.target].displayName);
    result.current = CurrentVersionText(row);
    return result;
}

RowResult ResultOfReply(const CheckRow& row, int index, const HttpResult& reply) {
    RowResult result = InitialRowResult(row, index);
    result.status = row_status::kCheckFailed;
    if (reply.outcome != HttpOutcome::Answered) return result;
    if (reply.statusCode != 200) {
        qCWarning(lcUpdate) << "update server answered" << reply.statusCode;
        return result;
    }
    const std::optional<UpdateAnswer> answer = ParseUpdateAnswer(reply.body);
    if (!answer) {
        qCWarning(lcUpdate) << "update server's answer unusable";
        return result;
    }
    const bool application = kUpdateTargets[row.target].kind == 0;
    Comparison comparison = Comparison::Unusable;
    std::string latest;
    if (application) {
        comparison = CompareApplication(answer->version, row.application);
        latest = !answer->versionName.empty() ? answer->versionName : "V" + answer->version;
    } else if (const auto offered = ParseFirmwareVersion(answer->version)) {
        comparison = *offered > row.firmware ? Comparison::Newer : Comparison::NotNewer;
        latest = ShowFirmwareVersion(*offered);
    }
    if (comparison == Comparison::Unusable) {
        qCWarning(lcUpdate) << "update server's version unusable";
        return result;
    }
    result.deviceId = answer->deviceId;
    result.path = answer->path;
    if (comparison == Comparison::Newer) {
        result.status = row_status::kNeedUpdate;
        result.latest = latest;
    } else {
        result.status = row_status::kUpToDate;
    }
    return result;
}

CheckOutcome RunUpdateCheck(const std::vector<CheckRow>& rows, const std::string& endpoint,
                            IHttpClient& client, platform::StopEvent& stop,
                            const CheckCallbacks& callbacks,
                            const std::filesystem::path& lastCheckFile, const std::string& today) {
    CheckOutcome outcome;
    outcome.configured = !endpoint.empty();
    // After a row could not connect, the others go to the same server: they count as failed
    // instead of each waiting for its own time-out.
    bool noLink = !outcome.configured;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const CheckRow& row = rows[static_cast<std::size_t>(i)];
        RowResult result = InitialRowResult(row, i);
        result.status = row_status::kCheckFailed;
        if (!noLink) {
            HttpRequest request;
            request.method = "POST";
            request.url = endpoint;
            request.body = RequestBody(row);
            request.headers = {kContentTypeHeader, kAcceptHeader};
            const HttpResult reply = client.Request(request);
            if (reply.outcome == HttpOutcome::Stopped || stop.TryConsume()) {
                stop.Set();  // manual reset: keep it set for the owner
                outcome.stopped = true;
                return outcome;
            }
            if (reply.outcome == HttpOutcome::NoLink) noLink = true;
            if (reply.outcome != HttpOutcome::Answered)
                qCWarning(lcUpdate).noquote() << "update request" << OutcomeName(reply.outcome)
                                              << QString::fromStdString(reply.error);
            result = ResultOfReply(row, i, reply);
            if (result.status != row_status::kCheckFailed) outcome.anyAnswered = true;
        }
        outcome.rows.push_back(result);
        if (callbacks.rowChecked) callbacks.rowChecked(result);
    }
    std::vector<int> statuses;
    for (const RowResult& r : outcome.rows) statuses.push_back(r.status);
    outcome.summary = SummaryOf(statuses);
    // An offline check does not move the "last checked" date.
    if (outcome.anyAnswered && !lastCheckFile.empty()) WriteLastCheck(lastCheckFile, today);
    if (callbacks.finished) callbacks.finished(outcome);
    return outcome;
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900) + '-' + std::to_string(local.tm_mon + 1) + '-' +
           std::to_string(local.tm_mday);
}

std::filesystem::path LastCheckFilePath() {
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + '/' +
        QString::fromUtf8(platform::kProductString.data(),
                          static_cast<qsizetype>(platform::kProductString.size()));
    return std::filesystem::path(folder.toStdString()) / "updatetime.config";
}

std::string ReadOrCreateLastCheck(const std::filesystem::path& file, const std::string& today) {
    const Json::Value document = profiles::JsonFile().ReadDocument(file);
    if (document.isObject()) {
        const Json::Value& last = document["updatelasttime"];
        if (last.isObject() && last["value"].isString() && !last["value"].asString().empty())
            return last["value"].asString();
    }
    WriteLastCheck(file, today);
    return today;
}

bool WriteLastCheck(const std::filesystem::path& file, const std::string& date) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    Json::Value document(Json::objectValue);
    document["updatelasttime"]["value"] = date;
    const profiles::WriteResult written = profiles::JsonFile().WriteDocument(document, file);
    if (!written.ok()) qCWarning(lcUpdate) << "updatetime.config not written";
    return written.ok();
}

CUpdateCheck::CUpdateCheck(std::vector<CheckRow> rows, std::string endpoint,
                           std::unique_ptr<IHttpClient> client, CheckCallbacks callbacks,
                           std::filesystem::path lastCheckFile, std::string today)
    : rows_(std::move(rows)),
      endpoint_(std::move(endpoint)),
      client_(std::move(client)),
      callbacks_(std::move(callbacks)),
      lastCheckFile_(std::move(lastCheckFile)),
      today_(std::move(today)) {}

CUpdateCheck::~CUpdateCheck() { Stop(); }

void CUpdateCheck::Start() {
    if (thread_.joinable()) return;
    thread_ = std::thread([this] {
        RunUpdateCheck(rows_, endpoint_, *client_, stop_, callbacks_, lastCheckFile_, today_);
    });
}

void CUpdateCheck::Stop() {
    stop_.Set();
    if (client_) client_->Stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace update
