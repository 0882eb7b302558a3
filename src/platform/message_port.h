#pragma once
// The message port: how other processes reach the running instance. A second instance sends
// the product-string message to wake the first; game software sends "Game_Start" and its
// siblings; the host-light-control message switches host control of the lighting.
//
// The running instance listens on a local socket named after the product string in the user's
// run-time folder (MessagePortPath()). Each request is one text line naming a registered
// message (or giving its number) with wParam and lParam; the reply line says whether it was
// delivered. The protocol is written down in docs/message-port.md.
//
// Everything that arrives is checked. A line that is too long, malformed, of another protocol
// version, names an unknown message or one that is not taken from other processes is logged,
// answered with an error line and dropped; it never reaches the handler.
#include <sys/types.h>

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/registered_messages.h"

class QLocalServer;
class QLocalSocket;

namespace platform {

namespace port {

inline constexpr std::string_view kMagic = "SKMSG";
inline constexpr unsigned kVersion = 1;
// One request line, its line feed included.
inline constexpr int kMaxRequestBytes = 256;
// Connections open at once; one more is answered "ERR busy" and closed.
inline constexpr int kMaxConnections = 8;
// A connection that sends no complete request for this long is closed.
inline constexpr int kIdleTimeoutMs = 5000;
// Replies a client leaves unread before its connection is closed.
inline constexpr int kMaxUnreadReplyBytes = 4096;

enum class RequestStatus { Ok, Malformed, Version, Unknown, Refused };

struct ParsedRequest {
    RequestStatus status = RequestStatus::Malformed;
    const RegisteredMessage* message = nullptr;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    std::string detail;  // what was wrong, for the error reply and the log
};

// Parses one request line without its line feed (a trailing carriage return is allowed).
ParsedRequest ParseRequest(std::string_view line);
// The request line for a message, its line feed included.
std::string FormatRequest(std::uint32_t number, std::uint64_t wParam, std::int64_t lParam);
// The reply code of a status: "malformed", "version", "unknown", "refused".
std::string_view ErrorCode(RequestStatus status);

}  // namespace port

// The user of the process at the other end of a connected local socket (SO_PEERCRED).
std::optional<uid_t> PeerUid(qintptr socketDescriptor);

// What is at a socket path before listening on it: empty when nothing is there or only a socket
// of uid (then *removable is true: a socket left by an instance that ended); else what is there
// (a folder, a file that is not a socket, a socket of another user), which is left alone.
QString SocketPathProblem(const QString& path, uid_t uid, bool* removable);

class MessagePort : public QObject {
    Q_OBJECT
  public:
    // Called on the thread that owns the port, before the reply "OK" goes out.
    using Handler = std::function<void(const RegisteredMessage& message, std::uint64_t wParam,
                                       std::int64_t lParam)>;

    explicit MessagePort(QObject* parent = nullptr);
    ~MessagePort() override;

    // Starts listening on path (empty: MessagePortPath(); false when there is no private
    // run-time folder). Hold the instance lock first: a socket file of this user left behind
    // by a dead instance is replaced, but a port that answers is not, nor anything that is not
    // a socket of this user.
    bool Listen(const QString& path = QString());
    void Close();
    bool IsListening() const;
    QString Path() const { return path_; }
    QString ErrorString() const { return error_; }

    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    // How long a connection may stay without a complete request (port::kIdleTimeoutMs).
    void SetIdleTimeout(int ms) { idleTimeoutMs_ = ms; }
    // Connections are taken only from processes of this user (the effective user by default).
    // Tests set another to see a foreign peer refused.
    void SetExpectedPeerUid(uid_t uid) { expectedPeerUid_ = uid; }

    quint64 DeliveredCount() const { return delivered_; }
    quint64 DroppedCount() const { return dropped_; }

  signals:
    void messageReceived(quint32 number, quint64 wParam, qint64 lParam);
    // A request or a connection was refused; reason is the error reply's text.
    void requestDropped(const QString& reason);

  private:
    struct Connection;
    void OnNewConnection();
    void OnReadable(QLocalSocket* socket);
    void HandleLine(QLocalSocket* socket, std::string_view line);
    void Reply(QLocalSocket* socket, const std::string& line);
    void Drop(const QString& reason);
    void CloseConnection(QLocalSocket* socket);
    void Forget(QLocalSocket* socket);
    static bool PeerHasGone(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
    QString path_;
    QString error_;
    Handler handler_;
    std::unordered_map<QLocalSocket*, std::unique_ptr<Connection>> connections_;
    int idleTimeoutMs_ = port::kIdleTimeoutMs;
    uid_t expectedPeerUid_;
    quint64 delivered_ = 0;
    quint64 dropped_ = 0;
};

enum class SendResult {
    Delivered,   // the running instance took the message and handled it
    NoInstance,  // no instance listens
    NoPort,      // there is no private run-time folder, so no message port
    Refused,     // unknown message, one not taken from other processes, or a port of another user
    Error,       // the instance did not answer in time, or answered with an error
};

struct SendOutcome {
    SendResult result = SendResult::Error;
    QString detail;  // the reason, for the user
};

// Sends a registered message (its name, or "#" and its number) to the running instance and
// waits up to timeoutMs for its reply. Blocks the calling thread; never call it on the thread
// that owns a MessagePort listening on the same path. portPath empty: MessagePortPath().
// Nothing is sent to a port held by a process of another user than expectedPeerUid (-1: the
// effective user of this process). A sender that gives up closes its connection, and the
// instance then drops the request instead of acting on it.
SendOutcome SendRegisteredMessage(std::string_view name, std::uint64_t wParam, std::int64_t lParam,
                                  int timeoutMs = 2000, const QString& portPath = QString(),
                                  std::int64_t expectedPeerUid = -1);

}  // namespace platform
