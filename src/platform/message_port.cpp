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
    case RequestStatus::Ok: return "ok";
    case RequestStatus::Malformed: return "malformed";
    case RequestStatus::Version: return "version";
    case RequestStatus::Unknown: return "unknown";
    case RequestStatus::Refused: return "refused";
    }
    return "malformed";
}

ParsedRequest ParseRequest(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (unsigned char c : line)
        if (c < 0x20 || c == 0x7F) return Fail(RequestStatus::Malformed, "control character in request");

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
    if (!lParam) return Fail(RequestStatus::Malformed, "lParam is not a number from -2^63 to 2^63-1");
    if (rest.empty()) return Fail(RequestStatus::Malformed, "no message name");

    const RegisteredMessage* message = ResolveRegisteredMessage(rest);
    if (!message) return Fail(RequestStatus::Unknown, "no registered message by that name or number");
    if (!message->acceptedFromOutside)
        return Fail(RequestStatus::Refused, "message is not taken from other processes");

    r.status = RequestStatus::Ok;
    r.message = message;
    r.wParam = *wParam;
    r.lParam = *lParam;
    return r;
}

namespace {
struct KindWord {
    std::string_view word;
    RequestKind kind;
    bool takesText;
};
constexpr KindWord kKindWords[] = {
    {"SKSUB", RequestKind::Subscribe, false},
    {"SKTOKEN", RequestKind::Token, true},
    {"SKUI", RequestKind::Ui, true},
    {"SKQUIT", RequestKind::Quit, false},
};
}  // namespace

Request ParseAnyRequest(std::string_view line) {
    Request r;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view first = line.substr(0, line.find(' '));
    for (const KindWord& k : kKindWords) {
        if (first != k.word) continue;
        r.kind = k.kind;
        for (unsigned char c : line) {
            if (c < 0x20 || c == 0x7F) {
                r.message = Fail(RequestStatus::Malformed, "control character in request");
                return r;
            }
        }
        std::string_view rest = line.substr(first.size());
        std::string_view version = rest.empty() ? rest : rest.substr(1);
        std::string_view text;
        if (const auto space = version.find(' '); space != std::string_view::npos) {
            text = version.substr(space + 1);
            version = version.substr(0, space);
        }
        const auto v = ParseUnsigned(version);
        if (!v) {
            r.message = Fail(RequestStatus::Malformed, "no version number");
            return r;
        }
        if (*v != kVersion) {
            r.message = Fail(RequestStatus::Version, "only version 1 is understood");
            return r;
        }
        if (k.takesText == text.empty() ||
            (!k.takesText && version.size() + first.size() + 1 != line.size())) {
            r.message = Fail(RequestStatus::Malformed,
                             k.takesText ? "expected: " + std::string(k.word) + " 1 TEXT"
                                         : "expected: " + std::string(k.word) + " 1");
            return r;
        }
        r.text = std::string(text);
        r.message.status = RequestStatus::Ok;
        return r;
    }
    r.message = ParseRequest(line);
    return r;
}

std::string FormatKindRequest(RequestKind kind, std::string_view text) {
    for (const KindWord& k : kKindWords) {
        if (k.kind != kind) continue;
        std::string line = std::string(k.word) + ' ' + std::to_string(kVersion);
        if (k.takesText) line += ' ' + std::string(text);
        return line + '\n';
    }
    return {};
}

std::string FormatBroadcast(const RegisteredMessage& message, std::uint64_t wParam,
                            std::int64_t lParam) {
    return "BCAST " + std::to_string(wParam) + ' ' + std::to_string(lParam) + ' ' +
           std::string(message.name) + '\n';
}

std::string FormatRequest(std::uint32_t number, std::uint64_t wParam, std::int64_t lParam) {
    return std::string(kMagic) + ' ' + std::to_string(kVersion) + ' ' + std::to_string(wParam) + ' ' +
           std::to_string(lParam) + " #" + std::to_string(number) + '\n';
}

}  // namespace port

// ---------------------------------------------------------------------------------------------
// Server

namespace {

// A request as it may go to the log: printable ASCII kept, everything else escaped, shortened.
QString Printable(std::string_view bytes) {
    QString out;
    for (unsigned char c : bytes.substr(0, 80)) {
        if (c >= 0x20 && c < 0x7F && c != '\\') out += QLatin1Char(static_cast<char>(c));
        else out += QStringLiteral("\\x%1").arg(static_cast<uint>(c), 2, 16, QLatin1Char('0'));
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
    bool subscriber = false;  // takes broadcasts until it closes; never idle
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
            Drop(QStringLiteral("idle: no complete request in %1 ms, connection closed").arg(idleTimeoutMs_));
            CloseConnection(socket);
        });
        conn->idle->start();
        connections_.emplace(socket, std::move(conn));
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { CloseConnection(socket); });
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
                this, [this, guard = QPointer<QLocalSocket>(socket)] { if (guard) OnReadable(guard); },
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
        if (!conn->subscriber) conn->idle->start();
    }
    conn->busy = false;
    if (conn->closing) Forget(socket);
}

void MessagePort::HandleLine(QLocalSocket* socket, std::string_view line) {
    const port::Request request = port::ParseAnyRequest(line);
    if (request.message.status != port::RequestStatus::Ok) {
        const std::string code(port::ErrorCode(request.message.status));
        Reply(socket, "ERR " + code + ' ' + request.message.detail + '\n');
        Drop(QStringLiteral("%1: %2: \"%3\"")
                 .arg(QString::fromStdString(code), QString::fromStdString(request.message.detail),
                      Printable(line)));
        return;
    }
    if (PeerHasGone(socket)) {
        Drop(QStringLiteral(
                 "gave-up: the sender closed its connection before its request was handled: \"%1\"")
                 .arg(Printable(line)));
        return;
    }
    if (request.kind == port::RequestKind::Message) {
        HandleMessage(socket, line, request.message);
    } else {
        HandleOtherKind(socket, line, request);
    }
}

void MessagePort::HandleMessage(QLocalSocket* socket, std::string_view,
                                const port::ParsedRequest& request) {
    const RegisteredMessage& m = *request.message;
    qCDebug(lcPlatform).noquote() << "message port: received"
                                  << QString::fromUtf8(m.name.data(), static_cast<qsizetype>(m.name.size()))
                                  << request.wParam << request.lParam;
    ++delivered_;
    QPointer<QLocalSocket> guard(socket);
    std::string data;
    if (replyHandler_) {
        data = replyHandler_(m, request.wParam, request.lParam);
    } else if (handler_) {
        handler_(m, request.wParam, request.lParam);
    }
    emit messageReceived(m.number, request.wParam, request.lParam);
    if (guard)
        Reply(socket, "OK " + std::to_string(m.number) + (data.empty() ? "" : " " + data) + '\n');
}

void MessagePort::HandleOtherKind(QLocalSocket* socket, std::string_view line,
                                  const port::Request& request) {
    auto refuse = [&](const char* code, const std::string& text) {
        Reply(socket, std::string("ERR ") + code + ' ' + text + '\n');
        Drop(QStringLiteral("%1: %2: \"%3\"")
                 .arg(QLatin1String(code), QString::fromStdString(text), Printable(line)));
    };
    QPointer<QLocalSocket> guard(socket);
    switch (request.kind) {
        case port::RequestKind::Subscribe: {
            auto it = connections_.find(socket);
            if (it == connections_.end()) return;
            it->second->subscriber = true;
            it->second->idle->stop();
            ++delivered_;
            Reply(socket, "OK subscribed\n");
            return;
        }
        case port::RequestKind::Token:
            ++delivered_;
            if (tokenHandler_)
                tokenHandler_(QString::fromUtf8(request.text.data(),
                                                static_cast<qsizetype>(request.text.size())));
            if (guard) Reply(socket, "OK token\n");
            return;
        case port::RequestKind::Quit:
            if (!quitHandler_) return refuse("refused", "this instance takes no quit request");
            ++delivered_;
            Reply(socket, "OK quit\n");
            // After the reply: the handler closes the window and with it this port.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (quitHandler_) quitHandler_();
                },
                Qt::QueuedConnection);
            return;
        case port::RequestKind::Ui: {
            if (!uiHandler_)
                return refuse("refused", "automation is off: start the instance with --automation");
            const UiResult result = uiHandler_(request.text);
            if (!guard) return;
            if (!result.ok) return refuse("ui", result.text);
            ++delivered_;
            Reply(socket, "OK " + result.text + '\n');
            return;
        }
        case port::RequestKind::Message:
            return;
    }
}

void MessagePort::Broadcast(std::uint32_t number, std::uint64_t wParam, std::int64_t lParam) {
    const RegisteredMessage* message = FindRegisteredMessage(number);
    if (!message) return;
    const std::string line = port::FormatBroadcast(*message, wParam, lParam);
    std::vector<QLocalSocket*> subscribers;
    for (const auto& [socket, conn] : connections_)
        if (conn->subscriber && !conn->closing) subscribers.push_back(socket);
    for (QLocalSocket* socket : subscribers) Reply(socket, line);
    // Reply marks a subscriber that leaves too much unread as closing; close those now.
    for (QLocalSocket* socket : subscribers) {
        auto it = connections_.find(socket);
        if (it != connections_.end() && it->second->closing && !it->second->busy) Forget(socket);
    }
}

int MessagePort::SubscriberCount() const {
    int count = 0;
    for (const auto& [socket, conn] : connections_) count += conn->subscriber && !conn->closing;
    return count;
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
    socket->flush();  // into the socket's own buffer; what is left there is what the client leaves unread
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

namespace {

// Connects to the port and checks who holds it; the outcome is Delivered when connected.
SendOutcome ConnectToPort(QLocalSocket& socket, const QString& portPath,
                          std::int64_t expectedPeerUid, const QDeadlineTimer& deadline) {
    const QString path = portPath.isEmpty() ? MessagePortPath() : portPath;
    if (path.isEmpty())
        return {SendResult::NoPort,
                QStringLiteral("no private run-time folder, so no message port"),
                {}};
    socket.connectToServer(path);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        switch (socket.error()) {
        case QLocalSocket::ServerNotFoundError:
        case QLocalSocket::ConnectionRefusedError:
            return {SendResult::NoInstance,
                    QStringLiteral("no instance is running (%1)").arg(path),
                    {}};
        default:
            return {SendResult::Error, socket.errorString(), {}};
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
                           .arg(path),
                {}};
    }
    return {SendResult::Delivered, {}, {}};
}

// Reads one reply line (without its line feed) before the deadline; an error outcome when
// there is none or it is overlong.
std::optional<QByteArray> ReadReplyLine(QLocalSocket& socket, const QDeadlineTimer& deadline,
                                        int timeoutMs, SendOutcome& failure) {
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (reply.size() >= port::kMaxReplyBytes) {
            failure = {SendResult::Error,
                       QStringLiteral("the instance answered with an overlong line"),
                       {}};
            return std::nullopt;
        }
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
            socket.bytesAvailable() == 0) {
            failure = {SendResult::Error,
                       deadline.hasExpired()
                           ? QStringLiteral("the instance did not answer in %1 ms").arg(timeoutMs)
                           : QStringLiteral("the instance closed the connection without an answer"),
                       {}};
            return std::nullopt;
        }
        // Byte by byte up to the line feed, so that what follows stays in the socket.
        char c = 0;
        while (socket.getChar(&c)) {
            reply += c;
            if (c == '\n' || reply.size() >= port::kMaxReplyBytes) break;
        }
    }
    return reply.left(reply.indexOf('\n'));
}

SendOutcome OutcomeOfReply(const QByteArray& answer) {
    if (answer == "OK") return {SendResult::Delivered, {}, {}};
    if (answer.startsWith("OK ")) {
        // "OK <number> <data>" for messages, "OK <text>" for the other kinds.
        const QByteArray rest = answer.mid(3);
        return {SendResult::Delivered, {}, QString::fromUtf8(rest)};
    }
    const QString text = QString::fromUtf8(answer);
    if (answer.startsWith("ERR unknown ") || answer.startsWith("ERR refused ") ||
        answer.startsWith("ERR ui "))
        return {SendResult::Refused, text, {}};
    return {SendResult::Error, text, {}};
}

}  // namespace

SendOutcome SendRequestLine(const std::string& line, int timeoutMs, const QString& portPath,
                            std::int64_t expectedPeerUid) {
    if (line.empty() || line.size() > static_cast<std::size_t>(port::kMaxRequestBytes) ||
        line.back() != '\n')
        return {SendResult::Refused, QStringLiteral("the request is longer than 256 bytes"), {}};
    QDeadlineTimer deadline(timeoutMs < 0 ? 0 : timeoutMs);
    QLocalSocket socket;
    SendOutcome connected = ConnectToPort(socket, portPath, expectedPeerUid, deadline);
    if (connected.result != SendResult::Delivered) return connected;
    socket.write(line.data(), static_cast<qint64>(line.size()));
    socket.flush();
    SendOutcome failure;
    const std::optional<QByteArray> answer = ReadReplyLine(socket, deadline, timeoutMs, failure);
    if (!answer) return failure;
    socket.disconnectFromServer();
    return OutcomeOfReply(*answer);
}

SendOutcome SendRegisteredMessage(std::string_view name, std::uint64_t wParam, std::int64_t lParam,
                                  int timeoutMs, const QString& portPath,
                                  std::int64_t expectedPeerUid) {
    const RegisteredMessage* message = ResolveRegisteredMessage(name);
    if (!message) return {SendResult::Refused, QStringLiteral("unknown message"), {}};
    if (!message->acceptedFromOutside)
        return {SendResult::Refused,
                QStringLiteral("the running instance does not take this message"),
                {}};
    SendOutcome outcome = SendRequestLine(port::FormatRequest(message->number, wParam, lParam),
                                          timeoutMs, portPath, expectedPeerUid);
    if (outcome.result == SendResult::Delivered) {
        // The data after the number, when the reply carries some.
        const qsizetype space = outcome.data.indexOf(' ');
        outcome.data = space < 0 ? QString() : outcome.data.mid(space + 1);
    }
    return outcome;
}

SendOutcome ListenForBroadcasts(int durationMs,
                                const std::function<void(const QString& name, std::uint64_t wParam,
                                                         std::int64_t lParam)>& onBroadcast,
                                const QString& portPath, std::int64_t expectedPeerUid) {
    constexpr int kAnswerMs = 3000;
    QDeadlineTimer answerDeadline(kAnswerMs);
    QLocalSocket socket;
    SendOutcome connected = ConnectToPort(socket, portPath, expectedPeerUid, answerDeadline);
    if (connected.result != SendResult::Delivered) return connected;
    const std::string line = port::FormatKindRequest(port::RequestKind::Subscribe);
    socket.write(line.data(), static_cast<qint64>(line.size()));
    socket.flush();
    SendOutcome failure;
    std::optional<QByteArray> answer = ReadReplyLine(socket, answerDeadline, kAnswerMs, failure);
    if (!answer) return failure;
    SendOutcome outcome = OutcomeOfReply(*answer);
    if (outcome.result != SendResult::Delivered) return outcome;

    const QDeadlineTimer deadline(durationMs < 0 ? 0 : durationMs);
    while (!deadline.hasExpired()) {
        answer = ReadReplyLine(socket, deadline, durationMs, failure);
        if (!answer) {
            if (deadline.hasExpired()) break;
            return {SendResult::Error, QStringLiteral("the instance closed the subscription"), {}};
        }
        // "BCAST WPARAM LPARAM NAME"; anything else is skipped.
        const QList<QByteArray> fields = answer->split(' ');
        if (fields.size() < 4 || fields[0] != "BCAST") continue;
        const auto w = ParseUnsigned(std::string_view(fields[1].constData(), fields[1].size()));
        const auto l = ParseSigned(std::string_view(fields[2].constData(), fields[2].size()));
        if (!w || !l) continue;
        const qsizetype nameAt = fields[0].size() + fields[1].size() + fields[2].size() + 3;
        onBroadcast(QString::fromUtf8(answer->mid(nameAt)), *w, *l);
    }
    socket.disconnectFromServer();
    return {SendResult::Delivered, {}, {}};
}

}  // namespace platform
