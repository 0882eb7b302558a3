#pragma once
// The message port: how other processes reach the running instance. A second instance sends
// the product-string message to wake the first; game software sends "Game_Start" and its
// siblings; the host-light-control message switches host control of the lighting.
//
// The running instance listens on a local socket named after the product string in the user's
// run-time folder (MessagePortPath()). Each request is one text line naming a registered
// message (or giving its number) with wParam and lParam; the reply line says whether it was
// delivered, and carries data where the message has some (the tool report). Other request
// lines subscribe to broadcasts, hand over an activation token, ask the instance to quit or
// carry an automation request. The protocol is written down in docs/message-port.md.
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
// One reply line, its line feed included: the longest is the tool report's (OK, the number
// and 2048 hexadecimal digits).
inline constexpr int kMaxReplyBytes = 4096;
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

// The other request kinds of version 1 (docs/message-port.md):
//   SKSUB 1            subscribe to the broadcasts
//   SKTOKEN 1 TOKEN    the activation token of a second start
//   SKUI 1 REQUEST     an automation request ("show keyboard:light", "click closebtn", ...)
//   SKQUIT 1           close the instance as the tray menu's "exit" does
enum class RequestKind { Message, Subscribe, Token, Ui, Quit };
struct Request {
    RequestKind kind = RequestKind::Message;
    ParsedRequest message;  // the parse of a Message line, or the error of any line
    std::string text;       // the token, or the automation request
};
Request ParseAnyRequest(std::string_view line);
// The request line of a kind other than Message, its line feed included.
std::string FormatKindRequest(RequestKind kind, std::string_view text = {});
// A broadcast line, its line feed included: "BCAST WPARAM LPARAM NAME".
std::string FormatBroadcast(const RegisteredMessage& message, std::uint64_t wParam,
                            std::int64_t lParam);
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

    // Called instead of Handler when set: returns the reply's data (empty: none), which goes
    // after "OK <number> ".
    using ReplyHandler = std::function<std::string(const RegisteredMessage& message,
                                                   std::uint64_t wParam, std::int64_t lParam)>;
    // An automation request: ok and the reply text (the value, or "ok"), or the error.
    struct UiResult {
        bool ok = false;
        std::string text;
    };
    using UiHandler = std::function<UiResult(const std::string& request)>;

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
    void SetReplyHandler(ReplyHandler handler) { replyHandler_ = std::move(handler); }
    // Automation requests are refused while there is no handler (no --automation).
    void SetUiHandler(UiHandler handler) { uiHandler_ = std::move(handler); }
    // The quit request runs this after its reply has gone out; refused while there is none.
    void SetQuitHandler(std::function<void()> handler) { quitHandler_ = std::move(handler); }
    // The activation token of a second start, before its product-string message.
    void SetTokenHandler(std::function<void(const QString& token)> handler) {
        tokenHandler_ = std::move(handler);
    }
    // Writes a broadcast line to every subscriber.
    void Broadcast(std::uint32_t number, std::uint64_t wParam, std::int64_t lParam);
    int SubscriberCount() const;
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
    void HandleMessage(QLocalSocket* socket, std::string_view line,
                       const port::ParsedRequest& request);
    void HandleOtherKind(QLocalSocket* socket, std::string_view line, const port::Request& request);
    void Reply(QLocalSocket* socket, const std::string& line);
    void Drop(const QString& reason);
    void CloseConnection(QLocalSocket* socket);
    void Forget(QLocalSocket* socket);
    static bool PeerHasGone(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
    QString path_;
    QString error_;
    Handler handler_;
    ReplyHandler replyHandler_;
    UiHandler uiHandler_;
    std::function<void()> quitHandler_;
    std::function<void(const QString&)> tokenHandler_;
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
    QString data;    // what the reply carries after "OK <number> " ("OK " for other kinds)
};

// Sends one request line of another kind (port::FormatKindRequest) and waits for its reply;
// the same checks and results as SendRegisteredMessage. "ERR refused" and "ERR ui" are
// Refused.
SendOutcome SendRequestLine(const std::string& line, int timeoutMs = 2000,
                            const QString& portPath = QString(), std::int64_t expectedPeerUid = -1);

// Subscribes and calls onBroadcast with each broadcast (name, wParam, lParam) until
// durationMs have passed. Delivered when the subscription was taken.
SendOutcome ListenForBroadcasts(int durationMs,
                                const std::function<void(const QString& name, std::uint64_t wParam,
                                                         std::int64_t lParam)>& onBroadcast,
                                const QString& portPath = QString(),
                                std::int64_t expectedPeerUid = -1);

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
