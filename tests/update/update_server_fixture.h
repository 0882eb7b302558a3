#pragma once
// Starts tests/update/update_server.py on 127.0.0.1 and reads its port; the server ends when
// this object closes its standard input. Its request log is read back as JSON lines.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace update_test {

struct LoggedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;                                   // decoded from hexadecimal
    std::string Header(const std::string& name) const;  // first of that name (any case)
    int HeaderCount(const std::string& name) const;
};

class UpdateServer {
  public:
    UpdateServer();
    ~UpdateServer();
    // Starts the server; false (with a reason in Error()) when it does not say its port.
    bool Start(const QStringList& extraArgs = {});
    // Starts it with TLS on a self-signed key pair made now with "openssl req".
    bool StartTls();
    int Port() const { return port_; }
    std::string Url(const std::string& path) const;  // "http://127.0.0.1:N" + path
    std::vector<LoggedRequest> Requests() const;
    QString Error() const { return error_; }
    QString Folder() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    bool tls_ = false;
    QString error_;
};

// A port that was just opened and closed: connecting to it is refused.
int ClosedPort();
// Points libcurl's proxy variables away from the test server.
void ClearProxyEnvironment();

}  // namespace update_test
