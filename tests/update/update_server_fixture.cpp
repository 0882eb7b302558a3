#include "update_server_fixture.h"

#include <strings.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <cstdlib>

namespace update_test {

std::string LoggedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
    }
    return {};
}

int LoggedRequest::HeaderCount(const std::string& name) const {
    int count = 0;
    for (const auto& header : headers) count += strcasecmp(header.first.c_str(), name.c_str()) == 0;
    return count;
}

UpdateServer::UpdateServer() { ClearProxyEnvironment(); }

UpdateServer::~UpdateServer() {
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

bool UpdateServer::Start(const QStringList& extraArgs) {
    const QString root = QStringLiteral(SKELMORA_SOURCE_ROOT) + "/tests/update/";
    QStringList args{root + "update_server.py", dir_.filePath("requests.log"), "--fixture",
                     root + "fixture.json"};
    args += extraArgs;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(PYTHON3_EXECUTABLE), args);
    if (!process_.waitForStarted(10000)) {
        error_ = "python3 did not start: " + process_.errorString();
        return false;
    }
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(20000)) {
            error_ = "the server did not say its port";
            return false;
        }
    }
    const QByteArray line = process_.readLine().trimmed();
    if (!line.startsWith("port ")) {
        error_ = "unexpected first line: " + QString::fromUtf8(line);
        return false;
    }
    port_ = line.mid(5).toInt();
    return port_ > 0;
}

bool UpdateServer::StartTls() {
    QProcess openssl;
    const QString cert = dir_.filePath("cert.pem");
    const QString key = dir_.filePath("key.pem");
    openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                              "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        error_ = "openssl req failed";
        return false;
    }
    tls_ = true;
    return Start({"--tls", cert, key});
}

std::string UpdateServer::Url(const std::string& path) const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<LoggedRequest> UpdateServer::Requests() const {
    std::vector<LoggedRequest> requests;
    QFile log(dir_.filePath("requests.log"));
    if (!log.open(QIODevice::ReadOnly)) return requests;
    while (!log.atEnd()) {
        const QJsonObject entry = QJsonDocument::fromJson(log.readLine()).object();
        LoggedRequest request;
        request.method = entry["method"].toString().toStdString();
        request.path = entry["path"].toString().toStdString();
        for (const QJsonValue& header : entry["headers"].toArray()) {
            request.headers.emplace_back(header[0].toString().toStdString(),
                                         header[1].toString().toStdString());
        }
        request.body = QByteArray::fromHex(entry["body"].toString().toLatin1()).toStdString();
        requests.push_back(request);
    }
    return requests;
}

int ClosedPort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) return 1;
    const int port = server.serverPort();
    server.close();
    return port;
}

void ClearProxyEnvironment() {
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        unsetenv(name);
    setenv("no_proxy", "127.0.0.1,localhost", 1);
}

}  // namespace update_test
