#include "platform/message_port.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include "platform/log_categories.h"
#include "platform/runtime_paths.h"

namespace platform {

// ---------------------------------------------------------------------------------------------
// Request lines

namespace port {

namespace {

// Splits off the text up to the next single space; false when there is none.
bool NextField(std::string_view& rest, std::string_view& field) {
    const auto space = rest.find(' ');
    if (space == std::string_view::npos) return false;
    field = rest.substr(0, space);
    rest.remove_prefix(space + 1);
    return true;
}

ParsedRequest Fail(RequestStatus status, std::string detail) {
    ParsedRequest r;
    r.status = status;
    r.detail = std::move(detail);
    return r;
}

}  // namespace

std::string_view ErrorCode(RequestStatus status) {
    switch (status) {
        case RequestStatus::Ok:
            return "ok";
        case RequestStatus::Malformed:
            return "malformed";
        case RequestStatus::Version:
            return "version";
        case RequestStatus::Unknown:
            return "unknown";
        case RequestStatus::Refused:
            return "refused";
    }
    return "malformed";
}

ParsedRequest ParseRequest(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (unsigned char c : line)
        if (c < 0x20 || c == 0x7F)
            return Fail(RequestStatus::Malformed, "control character in request");

    std::string_view rest = line, magic, version, w, l;
    if (!NextField(rest, magic) || magic != kMagic)
        return Fail(RequestStatus::Malformed, "request does not start with \"SKMSG \"");
    if (!NextField(rest, version)) return Fail(RequestStatus::Malformed, "no version");
    const auto v = ParseUnsigned(version);
    if (!v) return Fail(RequestStatus::Malformed, "version is not a number");
    if (*v != kVersion) return Fail(RequestStatus::Version, "only version 1 is understood");
    if (!NextField(rest, w) || !NextField(rest, l))
        return Fail(RequestStatus::Malformed, "expected: SKMSG 1 WPARAM LPARAM MESSAGE");

    ParsedRequest r;
    const auto wParam = ParseUnsigned(w);
    if (!wParam) return Fail(RequestStatus::Malformed, "wParam is not a number from 0 to 2^64-1");
    const auto lParam = ParseSigned(l);
    if (!lParam)
        return Fail(RequestStatus::Malformed, "lParam is not a number from -2^63 to 2^63-1");
    if (rest.empty()) return Fail(RequestStatus::Malformed, "no message name");

    const RegisteredMessage* message = ResolveRegisteredMessage(rest);
    if (!message)
        return Fail(RequestStatus::Unknown, "no registered message by that name or number");
    if (!message->acceptedFromOutside)
        return Fail(RequestStatus::Refused, "message is not taken from other processes");

    r.status = RequestStatus::Ok;
    r.message = message;
    r.wParam = *wParam;
    r.lParam = *lParam;
    return r;
}

std::string FormatRequest(std::uint32_t number, std::uint64_t wParam, std::int64_t lParam) {
    return std::string(kMagic) + ' ' + std::to_string(kVersion) + ' ' + std::to_string(wParam) +
           ' ' + std::to_string(lParam) + " #" + std::to_string(number) + '\n';
}

}  // namespace port

// ---------------------------------------------------------------------------------------------
// Server

namespace {

// A request as it may go to the log: printable ASCII kept, everything else escaped, shortened.
QString Printable(std::string_view bytes) {
    QString out;
    for (unsigned char c : bytes.substr(0, 80)) {
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += QLatin1Char(static_cast<char>(c));
        else
            out += QStringLiteral("\\x%1").arg(static_cast<uint>(c), 2, 16, QLatin1Char('0'));
    }
    if (bytes.size() > 80) out += QStringLiteral("...");
    return out;
}

}  // namespace

std::optional<uid_t> PeerUid(qintptr socketDescriptor) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (socketDescriptor < 0 ||
        ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials,
                     &size) != 0 ||
        size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

QString SocketPathProblem(const QString& path, uid_t uid, bool* removable) {
    *removable = false;
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return {};
    if (S_ISDIR(info.st_mode)) return QStringLiteral("a folder is at %1").arg(path);
    if (S_ISLNK(info.st_mode)) return QStringLiteral("a symbolic link is at %1").arg(path);
    if (!S_ISSOCK(info.st_mode))
        return QStringLiteral("a file that is not a socket is at %1").arg(path);
    if (info.st_uid != uid)
        return QStringLiteral("the socket at %1 belongs to user %2").arg(path).arg(info.st_uid);
    *removable = true;
    return {};
}

struct MessagePort::Connection {
    QByteArray buffer;
    QTimer* idle = nullptr;  // owned by the socket
    bool busy = false;       // a request of this connection is being handled
    bool closing = false;    // close once the handler returns
};

MessagePort::MessagePort(QObject* parent) : QObject(parent), expectedPeerUid_(::geteuid()) {}

MessagePort::~MessagePort() { Close(); }

bool MessagePort::IsListening() const { return server_ && server_->isListening(); }

bool MessagePort::Listen(const QString& path) {
    Close();
    path_ = path.isEmpty() ? MessagePortPath() : path;
    error_.clear();
    if (path_.isEmpty()) {
        error_ = QStringLiteral("no private run-time folder: no message port");
        return false;
    }

    {
        // A port that answers belongs to a running instance: leave it alone.
        QLocalSocket probe;
        probe.connectToServer(path_);
        if (probe.waitForConnected(500)) {
            probe.abort();
            error_ = QStringLiteral("another instance listens on %1").arg(path_);
            qCWarning(lcPlatform) << "message port:" << error_;
            return false;
        }
    }
    // What may be left is a socket file of an instance that ended without removing it. Only
    // such a socket, and only one of this user, is removed; anything else stays as it is.
    bool removable = false;
    const QString problem = SocketPathProblem(path_, expectedPeerUid_, &removable);
    if (!problem.isEmpty()) {
        error_ = problem + QStringLiteral(": left as it is, no message port");
        qCWarning(lcPlatform).noquote() << "message port:" << error_;
        return false;
    }
    if (removable) QLocalServer::removeServer(path_);

    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &MessagePort::OnNewConnection);
    if (!server_->listen(path_)) {
        error_ = server_->errorString();
        qCWarning(lcPlatform) << "message port: cannot listen on" << path_ << ":" << error_;
        delete server_;
        server_ = nullptr;
        return false;
    }
    qCDebug(lcPlatform) << "message port listening on" << path_;
    return true;
}

void MessagePort::Close() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        QLocalSocket* socket = it->first;
        if (it->second->busy) {
            it->second->closing = true;
            ++it;
            continue;
        }
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        it = connections_.erase(it);
    }
    if (server_) {
        server_->close();  // removes the socket file
        delete server_;
        server_ = nullptr;
    }
}

void MessagePort::Drop(const QString& reason) {
    ++dropped_;
    qCWarning(lcPlatform).noquote() << "message port: dropped:" << reason;
    emit requestDropped(reason);
}

void MessagePort::OnNewConnection() {
    while (server_ && server_->hasPendingConnections()) {
        QLocalSocket* socket = server_->nextPendingConnection();
        if (!socket) break;
        const std::optional<uid_t> peer = PeerUid(socket->socketDescriptor());
        if (!peer || *peer != expectedPeerUid_) {
            socket->abort();
            socket->deleteLater();
            Drop(peer ? QStringLiteral("peer: a process of user %1 is refused").arg(*peer)
                      : QStringLiteral("peer: the user of the connecting process cannot be told"));
            continue;
        }
        if (static_cast<int>(connections_.size()) >= port::kMaxConnections) {
            socket->write("ERR busy too many connections\n");
            socket->flush();
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            Drop(QStringLiteral("busy: too many connections"));
            continue;
        }
        // The port, not the server, owns its connections, so that closing the server never
        // deletes a socket whose request is still being handled.
        socket->setParent(this);
        auto conn = std::make_unique<Connection>();
        conn->idle = new QTimer(socket);
        conn->idle->setSingleShot(true);
        conn->idle->setInterval(idleTimeoutMs_);
        connect(conn->idle, &QTimer::timeout, this, [this, socket] {
            Reply(socket, "ERR idle no complete request in time\n");
            Drop(QStringLiteral("idle: no complete request in %1 ms, connection closed")
                     .arg(idleTimeoutMs_));
            CloseConnection(socket);
        });
        conn->idle->start();
        connections_.emplace(socket, std::move(conn));
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        connect(socket, &QLocalSocket::disconnected, this,
                [this, socket] { CloseConnection(socket); });
        // Bytes may have arrived before the signals were connected.
        if (socket->bytesAvailable() > 0) OnReadable(socket);
    }
}

void MessagePort::CloseConnection(QLocalSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    if (!it->second->closing && !it->second->buffer.isEmpty()) {
        Drop(QStringLiteral("incomplete: connection ended inside a request: \"%1\"")
                 .arg(Printable(std::string_view(it->second->buffer.constData(),
                                                 static_cast<size_t>(it->second->buffer.size())))));
        it->second->buffer.clear();
    }
    if (it->second->busy) {
        it->second->closing = true;
        return;
    }
    Forget(socket);
}

void MessagePort::Forget(QLocalSocket* socket) {
    auto it = connections_.find(socket);
    if (it != connections_.end()) {
        it->second->idle->stop();
        connections_.erase(it);
    }
    socket->disconnect(this);
    if (socket->state() != QLocalSocket::UnconnectedState) {
        // Let the last reply go out, then close.
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromServer();
        if (socket->state() == QLocalSocket::UnconnectedState) socket->deleteLater();
    } else {
        socket->deleteLater();
    }
}

void MessagePort::OnReadable(QLocalSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection* conn = it->second.get();
    if (conn->busy || conn->closing) return;  // picked up when the running request is done

    conn->busy = true;
    // A client that streams requests does not keep the owning thread from its other work: after
    // a batch the rest waits for the next turn of the event loop.
    constexpr int kRequestsPerTurn = 64;
    int handled = 0;
    for (;;) {
        if (handled == kRequestsPerTurn) {
            QMetaObject::invokeMethod(
                this,
                [this, guard = QPointer<QLocalSocket>(socket)] {
                    if (guard) OnReadable(guard);
                },
                Qt::QueuedConnection);
            break;
        }
        // Never hold more than one request's worth of bytes.
        const qint64 room = port::kMaxRequestBytes - conn->buffer.size();
        if (room > 0 && socket->bytesAvailable() > 0) conn->buffer += socket->read(room);

        const qsizetype lf = conn->buffer.indexOf('\n');
        if (lf < 0) {
            if (conn->buffer.size() >= port::kMaxRequestBytes) {
                Reply(socket, "ERR too-long request longer than 256 bytes\n");
                Drop(QStringLiteral("too-long: request line beyond %1 bytes, connection closed")
                         .arg(port::kMaxRequestBytes));
                conn->closing = true;
            }
            break;
        }
        const QByteArray line = conn->buffer.left(lf);
        conn->buffer.remove(0, lf + 1);
        conn->idle->stop();  // a handler that takes long does not count as an idle client
        HandleLine(socket, std::string_view(line.constData(), static_cast<size_t>(line.size())));
        ++handled;

        // The handler may have run an event loop: the connection may be gone or closing.
        it = connections_.find(socket);
        if (it == connections_.end()) return;
        conn = it->second.get();
        if (conn->closing) break;
        conn->idle->start();
    }
    conn->busy = false;
    if (conn->closing) Forget(socket);
}

void MessagePort::HandleLine(QLocalSocket* socket, std::string_view line) {
    const port::ParsedRequest request = port::ParseRequest(line);
    if (request.status != port::RequestStatus::Ok) {
        const std::string code(port::ErrorCode(request.status));
        Reply(socket, "ERR " + code + ' ' + request.detail + '\n');
        Drop(QStringLiteral("%1: %2: \"%3\"")
                 .arg(QString::fromStdString(code), QString::fromStdString(request.detail),
                      Printable(line)));
        return;
    }
    if (PeerHasGone(socket)) {
        Drop(QStringLiteral(
                 "gave-up: the sender closed its connection before its request was handled: \"%1\"")
                 .arg(Printable(line)));
        return;
    }
    const RegisteredMessage& m = *request.message;
    qCDebug(lcPlatform).noquote() << "message port: received"
                                  << QString::fromUtf8(m.name.data(),
                                                       static_cast<qsizetype>(m.name.size()))
                                  << request.wParam << request.lParam;
    ++delivered_;
    QPointer<QLocalSocket> guard(socket);
    if (handler_) handler_(m, request.wParam, request.lParam);
    emit messageReceived(m.number, request.wParam, request.lParam);
    if (guard) Reply(socket, "OK " + std::to_string(m.number) + '\n');
}

bool MessagePort::PeerHasGone(QLocalSocket* socket) {
    if (socket->state() != QLocalSocket::ConnectedState) return true;
    // A sender that gives up closes its connection; one that only shut down its sending side
    // still waits for the reply. Only the first gives a hang-up.
    pollfd fd{static_cast<int>(socket->socketDescriptor()), POLLOUT, 0};
    return fd.fd >= 0 && ::poll(&fd, 1, 0) == 1 && (fd.revents & POLLHUP) != 0;
}

void MessagePort::Reply(QLocalSocket* socket, const std::string& line) {
    if (socket->state() != QLocalSocket::ConnectedState) return;
    socket->write(line.data(), static_cast<qint64>(line.size()));
    socket->flush();  // into the socket's own buffer; what is left there is what the client leaves
                      // unread
    if (socket->bytesToWrite() > port::kMaxUnreadReplyBytes) {
        auto it = connections_.find(socket);
        if (it != connections_.end() && !it->second->closing) {
            it->second->closing = true;
            Drop(QStringLiteral("unread: client leaves its replies unread, connection closed"));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Client

SendOutcome SendRegisteredMessage(std::string_view name, std::uint64_t wParam, std::int64_t lParam,
                                  int timeoutMs, const QString& portPath,
                                  std::int64_t expectedPeerUid) {
    const RegisteredMessage* message = ResolveRegisteredMessage(name);
    if (!message) return {SendResult::Refused, QStringLiteral("unknown message")};
    if (!message->acceptedFromOutside)
        return {SendResult::Refused,
                QStringLiteral("the running instance does not take this message")};

    const QString path = portPath.isEmpty() ? MessagePortPath() : portPath;
    if (path.isEmpty())
        return {SendResult::NoPort,
                QStringLiteral("no private run-time folder, so no message port")};
    QDeadlineTimer deadline(timeoutMs < 0 ? 0 : timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        switch (socket.error()) {
            case QLocalSocket::ServerNotFoundError:
            case QLocalSocket::ConnectionRefusedError:
                return {SendResult::NoInstance,
                        QStringLiteral("no instance is running (%1)").arg(path)};
            default:
                return {SendResult::Error, socket.errorString()};
        }
    }

    const uid_t trusted = expectedPeerUid < 0 ? ::geteuid() : static_cast<uid_t>(expectedPeerUid);
    const std::optional<uid_t> peer = PeerUid(socket.socketDescriptor());
    if (!peer || *peer != trusted) {
        socket.abort();
        return {SendResult::Refused,
                peer ? QStringLiteral("the port %1 is held by user %2, not by you: nothing sent")
                           .arg(path)
                           .arg(*peer)
                     : QStringLiteral("the user holding the port %1 cannot be told: nothing sent")
                           .arg(path)};
    }

    const std::string request = port::FormatRequest(message->number, wParam, lParam);
    socket.write(request.data(), static_cast<qint64>(request.size()));
    socket.flush();
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (reply.size() >= port::kMaxRequestBytes)
            return {SendResult::Error,
                    QStringLiteral("the instance answered with an overlong line")};
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
            socket.bytesAvailable() == 0) {
            if (deadline.hasExpired())
                return {SendResult::Error,
                        QStringLiteral("the instance did not answer in %1 ms").arg(timeoutMs)};
            return {SendResult::Error,
                    QStringLiteral("the instance closed the connection without an answer")};
        }
        reply += socket.read(port::kMaxRequestBytes - reply.size());
    }
    socket.disconnectFromServer();

    const QByteArray answer = reply.left(reply.indexOf('\n'));
    if (answer.startsWith("OK ") || answer == "OK") return {SendResult::Delivered, QString()};
    const QString text = QString::fromUtf8(answer);
    if (answer.startsWith("ERR unknown ") || answer.startsWith("ERR refused "))
        return {SendResult::Refused, text};
    return {SendResult::Error, text};
}

}  // namespace platform
