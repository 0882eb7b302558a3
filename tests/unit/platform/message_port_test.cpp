// The message port over a real local socket in the temporary run-time folder: what other
// processes send arrives unchanged, and what is wrong is answered, dropped and never crashes.
#include "platform/message_port.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime_paths.h"
#include "temp_home.h"

using platform::MessagePort;
using platform::SendOutcome;
using platform::SendResult;
using platform::port::ParseRequest;
using platform::port::RequestStatus;

namespace {

struct Received {
    std::uint32_t number;
    std::uint64_t wParam;
    std::int64_t lParam;
    bool operator==(const Received&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Received& r) {
    return os << "{0x" << std::hex << r.number << std::dec << ", " << r.wParam << ", " << r.lParam << "}";
}

// Sends from another thread, as another process would, while this thread runs the port.
SendOutcome SendBeside(std::string_view name, std::uint64_t w, std::int64_t l, const QString& path) {
    std::atomic<bool> done{false};
    SendOutcome outcome;
    const std::string nameCopy(name);
    std::thread sender([&] {
        outcome = platform::SendRegisteredMessage(nameCopy, w, l, 5000, path);
        done = true;
    });
    EXPECT_TRUE(temp_home::SpinUntil([&] { return done.load(); }));
    sender.join();
    return outcome;
}

// A client on this thread that writes raw bytes and collects the reply lines.
class RawClient {
public:
    explicit RawClient(const QString& path) {
        QObject::connect(&socket_, &QLocalSocket::connected, [this] { connected_ = true; });
        QObject::connect(&socket_, &QLocalSocket::disconnected, [this] { closed_ = true; });
        QObject::connect(&socket_, &QLocalSocket::errorOccurred, [this] { failed_ = true; });
        socket_.connectToServer(path);
        temp_home::SpinUntil([this] { return connected_ || closed_ || failed_; });
    }
    bool connected() const { return connected_; }
    void Write(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.flush();
    }
    // Waits for count reply lines (or the close of the connection) and returns all lines so far.
    std::vector<std::string> Replies(size_t count) {
        temp_home::SpinUntil([&] {
            Collect();
            return lines_.size() >= count || closed_;
        });
        Collect();
        return lines_;
    }
    bool WaitClosed() {
        return temp_home::SpinUntil([&] {
            Collect();
            return closed_;
        });
    }
    bool closed() const { return closed_; }

private:
    void Collect() {
        buffer_ += socket_.readAll();
        qsizetype lf;
        while ((lf = buffer_.indexOf('\n')) >= 0) {
            lines_.push_back(buffer_.left(lf).toStdString());
            buffer_.remove(0, lf + 1);
        }
    }
    QLocalSocket socket_;
    QByteArray buffer_;
    std::vector<std::string> lines_;
    bool connected_ = false;
    bool closed_ = false;
    bool failed_ = false;
};

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

class MessagePortTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int next = 0;
        path_ = temp_home::RuntimeDir() + QStringLiteral("/port-%1.sock").arg(next++);
        port_ = std::make_unique<MessagePort>();
        port_->SetHandler([this](const platform::RegisteredMessage& m, std::uint64_t w, std::int64_t l) {
            received_.push_back({m.number, w, l});
        });
        QObject::connect(port_.get(), &MessagePort::messageReceived,
                         [this](quint32 n, quint64 w, qint64 l) { signalled_.push_back({n, w, l}); });
        ASSERT_TRUE(port_->Listen(path_)) << port_->ErrorString().toStdString();
    }
    void TearDown() override {
        port_.reset();
        EXPECT_FALSE(QFileInfo::exists(path_)) << "the socket file stays behind";
    }

    QString path_;
    std::unique_ptr<MessagePort> port_;
    std::vector<Received> received_;
    std::vector<Received> signalled_;
};

}  // namespace

TEST(MessagePortProtocol, RequestLines) {
    struct Case {
        std::string line;
        RequestStatus status;
        std::uint32_t number = 0;
        std::uint64_t w = 0;
        std::int64_t l = 0;
    };
    const Case cases[] = {
        // Names may hold spaces: the name is the rest of the line.
        {"SKMSG 1 0 1 TELMA QX-418GRY Device", RequestStatus::Ok, 0xC000, 0, 1},
        {"SKMSG 1 1 0 {4695579F-999A-41d4-9FAF-EFFCE93EBF17}\r", RequestStatus::Ok, 0xC003, 1, 0},
        {"SKMSG 1 2 -7 Game_Death", RequestStatus::Ok, 0xC033, 2, -7},
        {"SKMSG 1 0xFFFFFFFFFFFFFFFF -9223372036854775808 #0xC030", RequestStatus::Ok, 0xC030,
         0xFFFFFFFFFFFFFFFFull, INT64_MIN},
        {"SKMSG 1 0 9223372036854775807 #49201", RequestStatus::Ok, 0xC031, 0, INT64_MAX},
        {"SKMSG 01 0 0 Game_Kill", RequestStatus::Ok, 0xC032, 0, 0},

        {"", RequestStatus::Malformed},
        {"hello", RequestStatus::Malformed},
        {"skmsg 1 0 0 Game_Start", RequestStatus::Malformed},
        {"SKMSG", RequestStatus::Malformed},
        {"SKMSG 1", RequestStatus::Malformed},
        {"SKMSG 1 0 0", RequestStatus::Malformed},
        {"SKMSG 1 0 0 ", RequestStatus::Malformed},
        {"SKMSG 1  0 0 Game_Start", RequestStatus::Malformed},
        {"SKMSG 1 -1 0 Game_Start", RequestStatus::Malformed},
        {"SKMSG 1 18446744073709551616 0 Game_Start", RequestStatus::Malformed},
        {"SKMSG 1 0 9223372036854775808 Game_Start", RequestStatus::Malformed},
        {"SKMSG 1 0x 0 Game_Start", RequestStatus::Malformed},
        {"SKMSG 1 0 zero Game_Start", RequestStatus::Malformed},
        {"SKMSG one 0 0 Game_Start", RequestStatus::Malformed},
        {"SKMSG 1 0 0 Game_Start\r\r", RequestStatus::Malformed},
        {"SKMSG 1 0 0 Game\tStart", RequestStatus::Malformed},
        {std::string("SKMSG 1 0 0 Game_Start\0x", 25), RequestStatus::Malformed},
        {"SKMSG 1 0 0 Game_Start\x7f", RequestStatus::Malformed},

        {"SKMSG 2 0 0 Game_Start", RequestStatus::Version},
        {"SKMSG 0 0 0 Game_Start", RequestStatus::Version},

        {"SKMSG 1 0 0 Game_Begin", RequestStatus::Unknown},
        {"SKMSG 1 0 0 game_start", RequestStatus::Unknown},
        {"SKMSG 1 0 0 Game_Start ", RequestStatus::Unknown},
        {"SKMSG 1 0 0 #99999", RequestStatus::Unknown},
        {"SKMSG 1 0 0 #", RequestStatus::Unknown},
        {"SKMSG 1 0 0 \xc3\xa9", RequestStatus::Unknown},

        // Hook messages carry pointers into the sending process; the recorder's message only goes out.
        {"SKMSG 1 256 0 WM_HOOK_KEY_SINGLEKEY_MSG", RequestStatus::Refused},
        {"SKMSG 1 0 0 UWM_MOUSEMOVE_USER_MSG", RequestStatus::Refused},
        {"SKMSG 1 0 0 #0xC010", RequestStatus::Refused},
        {"SKMSG 1 6 100 {4695579F-999A-41d4-9FAF-EFFCE93EBE19}", RequestStatus::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto r = ParseRequest(c.line);
        EXPECT_EQ(r.status, c.status) << r.detail;
        if (c.status != RequestStatus::Ok) {
            EXPECT_EQ(r.message, nullptr);
            EXPECT_FALSE(r.detail.empty());
            continue;
        }
        ASSERT_NE(r.message, nullptr);
        EXPECT_EQ(r.message->number, c.number);
        EXPECT_EQ(r.wParam, c.w);
        EXPECT_EQ(r.lParam, c.l);
    }
}

TEST(MessagePortProtocol, FormattedRequestsParseBack) {
    const Received cases[] = {
        {0xC000, 0, 1}, {0xC003, 1, 0}, {0xC030, 0xFFFFFFFFFFFFFFFFull, INT64_MIN}, {0xC033, 2, INT64_MAX}};
    for (const auto& c : cases) {
        const std::string line = platform::port::FormatRequest(c.number, c.wParam, c.lParam);
        SCOPED_TRACE(line);
        ASSERT_EQ(line.back(), '\n');
        ASSERT_LE(line.size(), static_cast<size_t>(platform::port::kMaxRequestBytes));
        const auto r = ParseRequest(std::string_view(line).substr(0, line.size() - 1));
        ASSERT_EQ(r.status, RequestStatus::Ok) << r.detail;
        EXPECT_EQ((Received{r.message->number, r.wParam, r.lParam}), c);
    }
}

TEST_F(MessagePortTest, MessagesFromAnotherThreadArriveUnchanged) {
    struct Case {
        const char* name;
        std::uint64_t w;
        std::int64_t l;
        Received expected;
    };
    const Case cases[] = {
        {"TELMA QX-418GRY Device", 0, 1, {0xC000, 0, 1}},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", 1, 0, {0xC003, 1, 0}},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", 1, 1, {0xC003, 1, 1}},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", 7, 8, {0xC001, 7, 8}},
        {"Game_Start", 0, 5, {0xC030, 0, 5}},
        {"Game_Death", 0xFFFFFFFFFFFFFFFFull, INT64_MIN, {0xC033, 0xFFFFFFFFFFFFFFFFull, INT64_MIN}},
        {"#0xC031", 1, -1, {0xC031, 1, -1}},
    };
    std::vector<Received> expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SendOutcome out = SendBeside(c.name, c.w, c.l, path_);
        EXPECT_EQ(out.result, SendResult::Delivered) << out.detail.toStdString();
        expected.push_back(c.expected);
    }
    EXPECT_EQ(received_, expected);
    EXPECT_EQ(signalled_, expected);
    EXPECT_EQ(port_->DeliveredCount(), expected.size());
    EXPECT_EQ(port_->DroppedCount(), 0u);
}

TEST_F(MessagePortTest, SocketIsForItsUserOnly) {
    const QFileInfo info(path_);
    ASSERT_TRUE(info.exists());
    EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
}

TEST_F(MessagePortTest, SenderRefusesUnknownAndInProcessNamesWithoutSending) {
    const char* names[] = {"Game_Begin", "game_start", "", "#0", "WM_HOOK_KEY_KBMACRO_MSG",
                           "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(SendBeside(name, 0, 0, path_).result, SendResult::Refused);
    }
    EXPECT_TRUE(received_.empty());
    EXPECT_EQ(port_->DroppedCount(), 0u) << "a refused name still went out";
}

TEST_F(MessagePortTest, BadLinesAreAnsweredAndDroppedAndTheConnectionGoesOn) {
    RawClient client(path_);
    ASSERT_TRUE(client.connected());
    static const char kLines[] =
        "hello\n"
        "SKMSG 2 0 0 Game_Start\n"
        "SKMSG 1 0 0 Game_Begin\n"
        "SKMSG 1 0 0 WM_HOOK_KEY_SINGLEKEY_MSG\n"
        "SKMSG 1 -1 0 Game_Start\n"
        "SKMSG 1 0 0 Game_Start\0x\n"
        "\n"
        "SKMSG 1 0 3 Game_End\r\n";
    client.Write(QByteArray(kLines, sizeof kLines - 1));
    const auto replies = client.Replies(8);
    ASSERT_EQ(replies.size(), 8u);
    const char* expected[] = {"ERR malformed ", "ERR version ", "ERR unknown ", "ERR refused ",
                              "ERR malformed ", "ERR malformed ", "ERR malformed ", "OK 49201"};
    for (size_t i = 0; i < 8; ++i) EXPECT_TRUE(StartsWith(replies[i], expected[i])) << i << ": " << replies[i];
    EXPECT_EQ(received_, (std::vector<Received>{{0xC031, 0, 3}}));
    EXPECT_EQ(port_->DroppedCount(), 7u);
    EXPECT_FALSE(client.closed());
}

TEST_F(MessagePortTest, ScriptThatClosesItsSendingSideStillGetsItsReply) {
    // As `printf ... | socat - UNIX-CONNECT:...` does: write, shut down writing, read.
    std::atomic<bool> done{false};
    std::string reply;
    const QByteArray path = QFile::encodeName(path_);
    std::thread script([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            const char request[] = "SKMSG 1 0 1 TELMA QX-418GRY Device\nSKMSG 1 0 0 Game_End";
            if (::write(fd, request, sizeof request - 1) == static_cast<ssize_t>(sizeof request - 1)) {
                ::shutdown(fd, SHUT_WR);
                char buffer[256];
                ssize_t n;
                while ((n = ::read(fd, buffer, sizeof buffer)) > 0) reply.append(buffer, static_cast<size_t>(n));
            }
        }
        if (fd >= 0) ::close(fd);
        done = true;
    });
    EXPECT_TRUE(temp_home::SpinUntil([&] { return done.load(); }));
    script.join();
    EXPECT_EQ(reply, "OK 49152\n");
    EXPECT_EQ(received_, (std::vector<Received>{{0xC000, 0, 1}}));
    EXPECT_EQ(port_->DroppedCount(), 1u) << "the unfinished second line is dropped";
}

TEST_F(MessagePortTest, RequestArrivingByteByByteIsDelivered) {
    RawClient client(path_);
    ASSERT_TRUE(client.connected());
    const QByteArray request = "SKMSG 1 2 4 TELMA QX-418GRY Device\n";
    for (char c : request) {
        client.Write(QByteArray(1, c));
        QCoreApplication::processEvents();
    }
    const auto replies = client.Replies(1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], "OK 49152");
    EXPECT_EQ(received_, (std::vector<Received>{{0xC000, 2, 4}}));
}

TEST_F(MessagePortTest, ManyRequestsInOneWriteAreAllDeliveredInOrder) {
    constexpr int kCount = 500;
    QByteArray bytes;
    std::vector<Received> expected;
    for (int i = 0; i < kCount; ++i) {
        bytes += "SKMSG 1 " + QByteArray::number(i % 3) + " " + QByteArray::number(i) + " Game_Start\n";
        expected.push_back({0xC030, static_cast<std::uint64_t>(i % 3), i});
    }
    RawClient client(path_);
    ASSERT_TRUE(client.connected());
    client.Write(bytes);
    const auto replies = client.Replies(kCount);
    ASSERT_EQ(replies.size(), static_cast<size_t>(kCount));
    for (const auto& r : replies) EXPECT_EQ(r, "OK 49200");
    EXPECT_EQ(received_, expected);
    EXPECT_FALSE(client.closed());
}

TEST_F(MessagePortTest, OverlongLinesCloseTheConnectionWithoutDelivery) {
    const QByteArray cases[] = {
        QByteArray(platform::port::kMaxRequestBytes, 'A'),                       // no line feed at all
        "SKMSG 1 0 0 Game_Start" + QByteArray(300, ' ') + "\n",                  // a line feed too late
        QByteArray(100000, '\xff'),                                              // a flood
        "SKMSG 1 0 0 " + QByteArray(platform::port::kMaxRequestBytes, 'x') + "Game_Start\n",
    };
    for (const auto& bytes : cases) {
        SCOPED_TRACE(bytes.left(30).toStdString());
        RawClient client(path_);
        ASSERT_TRUE(client.connected());
        client.Write(bytes);
        const auto replies = client.Replies(1);
        ASSERT_FALSE(replies.empty());
        EXPECT_TRUE(StartsWith(replies[0], "ERR too-long ")) << replies[0];
        EXPECT_TRUE(client.WaitClosed());
    }
    EXPECT_TRUE(received_.empty());
    // The port itself carries on.
    EXPECT_EQ(SendBeside("Game_Kill", 1, 2, path_).result, SendResult::Delivered);
    EXPECT_EQ(received_, (std::vector<Received>{{0xC032, 1, 2}}));
}

TEST_F(MessagePortTest, LongestValidLineFitsTheLimit) {
    // 256 bytes with the line feed is the limit: a line of exactly that size is taken.
    std::string line = "SKMSG 1 0 0 Game_Start";
    line.insert(8, std::string(platform::port::kMaxRequestBytes - 1 - line.size(), '0'));  // leading zeros
    ASSERT_EQ(line.size() + 1, static_cast<size_t>(platform::port::kMaxRequestBytes));
    RawClient client(path_);
    ASSERT_TRUE(client.connected());
    client.Write(QByteArray::fromStdString(line + "\n"));
    const auto replies = client.Replies(1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], "OK 49200");
}

TEST_F(MessagePortTest, SilentClientIsClosed) {
    port_->SetIdleTimeout(50);
    RawClient client(path_);
    ASSERT_TRUE(client.connected());
    client.Write("SKMSG 1 0 0 Game_St");
    const auto replies = client.Replies(1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(StartsWith(replies[0], "ERR idle ")) << replies[0];
    EXPECT_TRUE(client.WaitClosed());
    EXPECT_TRUE(received_.empty());
}

TEST_F(MessagePortTest, ConnectionsBeyondTheLimitAreTurnedAway) {
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < platform::port::kMaxConnections; ++i) {
        clients.push_back(std::make_unique<RawClient>(path_));
        ASSERT_TRUE(clients.back()->connected());
        clients.back()->Write("SKMSG 1 0 0 Game_End\n");
        ASSERT_EQ(clients.back()->Replies(1).size(), 1u);  // accepted and served
    }
    RawClient extra(path_);
    const auto replies = extra.Replies(1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(StartsWith(replies[0], "ERR busy ")) << replies[0];
    EXPECT_TRUE(extra.WaitClosed());

    // Once a client leaves, its place is free again.
    clients.pop_back();
    bool delivered = false;
    for (int attempt = 0; attempt < 1000 && !delivered; ++attempt) {
        RawClient again(path_);
        again.Write("SKMSG 1 0 0 Game_Kill\n");
        const auto r = again.Replies(1);
        delivered = !r.empty() && r[0] == "OK 49202";
    }
    EXPECT_TRUE(delivered);
}

TEST_F(MessagePortTest, HandlerThatClosesThePortIsSafe) {
    port_->SetHandler([this](const platform::RegisteredMessage& m, std::uint64_t w, std::int64_t l) {
        received_.push_back({m.number, w, l});
        port_->Close();
    });
    RawClient client(path_);
    ASSERT_TRUE(client.connected());
    client.Write("SKMSG 1 0 1 Game_Start\nSKMSG 1 0 2 Game_Start\n");
    const auto replies = client.Replies(1);
    ASSERT_GE(replies.size(), 1u);
    EXPECT_EQ(replies[0], "OK 49200");
    EXPECT_TRUE(client.WaitClosed());
    EXPECT_EQ(received_, (std::vector<Received>{{0xC030, 0, 1}}));  // nothing after the close
    EXPECT_FALSE(port_->IsListening());
    EXPECT_EQ(SendBeside("Game_Start", 0, 3, path_).result, SendResult::NoInstance);
}

TEST_F(MessagePortTest, SecondPortOnTheSamePathIsRefusedAndTheFirstKeepsWorking) {
    MessagePort second;
    EXPECT_FALSE(second.Listen(path_));
    EXPECT_FALSE(second.ErrorString().isEmpty());
    EXPECT_EQ(SendBeside("Game_Start", 0, 9, path_).result, SendResult::Delivered);
    EXPECT_EQ(received_, (std::vector<Received>{{0xC030, 0, 9}}));
}

TEST(MessagePortNoInstance, NothingListeningIsReportedAsNoInstance) {
    const QString missing = temp_home::RuntimeDir() + "/nobody.sock";
    EXPECT_EQ(SendBeside("Game_Start", 0, 0, missing).result, SendResult::NoInstance);

    // A socket file left behind by an instance that died.
    const QString stale = temp_home::RuntimeDir() + "/stale.sock";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(stale);
    ASSERT_LT(static_cast<size_t>(encoded.size()), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, encoded.constData(), static_cast<size_t>(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(stale));
    EXPECT_EQ(SendBeside("Game_Start", 0, 0, stale).result, SendResult::NoInstance);

    // A new instance takes the place over.
    MessagePort port;
    int got = 0;
    port.SetHandler([&](const platform::RegisteredMessage&, std::uint64_t, std::int64_t) { ++got; });
    ASSERT_TRUE(port.Listen(stale)) << port.ErrorString().toStdString();
    EXPECT_EQ(SendBeside("Game_Start", 0, 0, stale).result, SendResult::Delivered);
    EXPECT_EQ(got, 1);
}

// ---------------------------------------------------------------------------------------------
// skelmora-send, the real program, against a port on the default path.

namespace {

struct SendRun {
    int exitCode = -1;
    std::string err;
};

SendRun RunSender(const QStringList& args) {
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/skelmora-send", args);
    EXPECT_TRUE(process.waitForStarted(10000)) << process.errorString().toStdString();
    // The port runs on this thread, so wait by running the event loop.
    EXPECT_TRUE(temp_home::SpinUntil([&] { return process.state() == QProcess::NotRunning; }, 30000));
    SendRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = process.readAllStandardError().toStdString();
    return run;
}

}  // namespace

TEST(SkelmoraSend, ExitStatusAndWhatArrives) {
    const QString defaultPath = platform::MessagePortPath();
    ASSERT_TRUE(defaultPath.startsWith(temp_home::RuntimeDir() + "/"));
    ASSERT_TRUE(defaultPath.endsWith("/TELMA_QX-418GRY_Device.sock"));

    MessagePort port;
    std::vector<Received> received;
    port.SetHandler([&](const platform::RegisteredMessage& m, std::uint64_t w, std::int64_t l) {
        received.push_back({m.number, w, l});
    });
    ASSERT_TRUE(port.Listen()) << port.ErrorString().toStdString();

    struct Case {
        QStringList args;
        int exitCode;
        std::vector<Received> arrives;
        const char* inError = "";
    };
    const Case cases[] = {
        {{"Game_Start", "0", "5"}, 0, {{0xC030, 0, 5}}},
        {{"TELMA QX-418GRY Device", "0", "1"}, 0, {{0xC000, 0, 1}}},
        {{"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1"}, 0, {{0xC003, 1, 0}}},
        {{"Game_End"}, 0, {{0xC031, 0, 0}}},
        {{"#0xC032", "0x2", "-3"}, 0, {{0xC032, 2, -3}}},
        {{}, 2, {}, "usage"},
        {{"Game_Begin"}, 2, {}, "Game_Start"},  // the known names are listed
        {{"WM_HOOK_KEY_SINGLEKEY_MSG", "256", "0"}, 2, {}, "Game_Start"},
        {{"Game_Start", "x"}, 2, {}, "WPARAM"},
        {{"Game_Start", "-1"}, 2, {}, "WPARAM"},
        {{"Game_Start", "0", "9223372036854775808"}, 2, {}, "LPARAM"},
        {{"Game_Start", "0", "1", "2"}, 2, {}, "usage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        received.clear();
        const SendRun run = RunSender(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(received, c.arrives);
        EXPECT_NE(run.err.find(c.inError), std::string::npos) << run.err;
    }

    port.Close();
    const SendRun none = RunSender({"Game_Start", "0", "5"});
    EXPECT_EQ(none.exitCode, 1) << none.err;
}

// ---------------------------------------------------------------------------------------------
// Who is at the other end, and what is at the socket path.

TEST_F(MessagePortTest, ConnectionOfAnotherUserIsRefused) {
    // Every process of this test is of one user: the expected user is the seam.
    port_->SetExpectedPeerUid(::geteuid() + 1);
    const SendOutcome outcome = SendBeside("Game_Start", 0, 1, path_);
    EXPECT_EQ(outcome.result, SendResult::Error) << outcome.detail.toStdString();
    EXPECT_TRUE(received_.empty());
    EXPECT_EQ(port_->DroppedCount(), 1u);
}

TEST_F(MessagePortTest, SenderRefusesAPortOfAnotherUser) {
    std::atomic<bool> done{false};
    SendOutcome outcome;
    std::thread sender([&] {
        outcome = platform::SendRegisteredMessage("Game_Start", 0, 1, 5000, path_, ::geteuid() + 1);
        done = true;
    });
    EXPECT_TRUE(temp_home::SpinUntil([&] { return done.load(); }));
    sender.join();
    EXPECT_EQ(outcome.result, SendResult::Refused);
    EXPECT_NE(outcome.detail.indexOf("nothing sent"), -1) << outcome.detail.toStdString();
    temp_home::SpinUntil([] { return false; }, 100);
    EXPECT_TRUE(received_.empty());
}

TEST_F(MessagePortTest, RequestOfASenderThatGaveUpIsDropped) {
    // The sender writes its request and closes before the instance comes to it, as
    // skelmora-send does when its time is up.
    const QByteArray path = QFile::encodeName(path_);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const char request[] = "SKMSG 1 0 1 Game_Start\n";
    ASSERT_EQ(::write(fd, request, sizeof request - 1), static_cast<ssize_t>(sizeof request - 1));
    ::close(fd);
    EXPECT_TRUE(temp_home::SpinUntil([&] { return port_->DroppedCount() == 1; }));
    EXPECT_TRUE(received_.empty());
}

TEST(MessagePortSocketPath, WhatIsNotOurSocketIsLeftAloneAndNoPortIsOpened) {
    struct Case {
        const char* what;
        std::function<void(const QString& path)> make;
        const char* inError;
    };
    const Case cases[] = {
        {"a folder", [](const QString& p) { QDir().mkpath(p); }, "folder"},
        {"a regular file",
         [](const QString& p) {
             QFile file(p);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("keep me");
         },
         "not a socket"},
        {"a symbolic link", [](const QString& p) { QFile::link(temp_home::Root(), p); },
         "symbolic link"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = temp_home::RuntimeDir() + QStringLiteral("/occupied-%1.sock").arg(n++);
        c.make(path);
        MessagePort port;
        EXPECT_FALSE(port.Listen(path));
        EXPECT_NE(port.ErrorString().indexOf(c.inError), -1) << port.ErrorString().toStdString();
        EXPECT_TRUE(QFileInfo::exists(path) || QFileInfo(path).isSymLink());
    }
    {
        QFile file(temp_home::RuntimeDir() + "/occupied-1.sock");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "keep me");
    }

    // A socket left by an instance of another user is not removed either.
    const QString foreign = temp_home::RuntimeDir() + "/foreign.sock";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(foreign);
    std::memcpy(addr.sun_path, encoded.constData(), static_cast<size_t>(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    bool removable = true;
    EXPECT_NE(platform::SocketPathProblem(foreign, ::geteuid() + 1, &removable)
                  .indexOf("belongs to user"),
              -1);
    EXPECT_FALSE(removable);
    EXPECT_TRUE(platform::SocketPathProblem(foreign, ::geteuid(), &removable).isEmpty());
    EXPECT_TRUE(removable);
    if (::geteuid() == 0) {
        ASSERT_EQ(::lchown(encoded.constData(), 65534, 65534), 0);
        MessagePort port;
        EXPECT_FALSE(port.Listen(foreign));
        EXPECT_TRUE(QFileInfo::exists(foreign));
    }
}

// ---------------------------------------------------------------------------------------------
// Replies with data, subscriptions, the activation token, the quit and the automation requests.

TEST(MessagePortProtocol, OtherRequestKinds) {
    using platform::port::ParseAnyRequest;
    using platform::port::RequestKind;
    struct Case {
        const char* line;
        RequestStatus status;
        RequestKind kind;
        const char* text;
    };
    const Case cases[] = {
        {"SKSUB 1", RequestStatus::Ok, RequestKind::Subscribe, ""},
        {"SKSUB 1\r", RequestStatus::Ok, RequestKind::Subscribe, ""},
        {"SKQUIT 1", RequestStatus::Ok, RequestKind::Quit, ""},
        {"SKTOKEN 1 abc_123-x", RequestStatus::Ok, RequestKind::Token, "abc_123-x"},
        {"SKUI 1 text keyset edit with spaces", RequestStatus::Ok, RequestKind::Ui,
         "text keyset edit with spaces"},
        {"SKUI 1 get \xC3\xA4", RequestStatus::Ok, RequestKind::Ui, "get \xC3\xA4"},
        {"SKSUB 2", RequestStatus::Version, RequestKind::Subscribe, ""},
        {"SKSUB", RequestStatus::Malformed, RequestKind::Subscribe, ""},
        {"SKSUB 1 ", RequestStatus::Malformed, RequestKind::Subscribe, ""},
        {"SKSUB 1 extra", RequestStatus::Malformed, RequestKind::Subscribe, ""},
        {"SKQUIT one", RequestStatus::Malformed, RequestKind::Quit, ""},
        {"SKUI 1", RequestStatus::Malformed, RequestKind::Ui, ""},
        {"SKUI 1 ", RequestStatus::Malformed, RequestKind::Ui, ""},
        {"SKTOKEN 1 a\tb", RequestStatus::Malformed, RequestKind::Token, ""},
        {"SKMSG 1 0 5 Game_Start", RequestStatus::Ok, RequestKind::Message, ""},
        {"sksub 1", RequestStatus::Malformed, RequestKind::Message, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto r = ParseAnyRequest(c.line);
        EXPECT_EQ(r.message.status, c.status) << r.message.detail;
        EXPECT_EQ(r.kind, c.kind);
        if (c.status == RequestStatus::Ok) {
            EXPECT_EQ(r.text, c.text);
        }
    }
    EXPECT_EQ(platform::port::FormatKindRequest(RequestKind::Ui, "click closebtn"),
              "SKUI 1 click closebtn\n");
    EXPECT_EQ(platform::port::FormatKindRequest(RequestKind::Subscribe), "SKSUB 1\n");
    EXPECT_EQ(platform::port::FormatBroadcast(*platform::FindRegisteredMessage(0xC002), 1, 0),
              "BCAST 1 0 {4695579F-999A-41d4-9FAF-EFFCE93EBF16}\n");
}

TEST_F(MessagePortTest, RepliesSubscriptionsTokensQuitAndAutomation) {
    std::vector<std::string> uiRequests;
    QString token;
    int quits = 0;
    struct Case {
        const char* name;
        std::function<void()> setUp;
        QByteArray request;
        std::vector<std::string> replies;
    };
    const Case cases[] = {
        {"a reply with data follows the number",
         [&] {
             port_->SetReplyHandler(
                 [](const platform::RegisteredMessage& m, std::uint64_t, std::int64_t) {
                     return m.number == 0xC004 ? std::string("0200ff") : std::string();
                 });
         },
         "SKMSG 1 0 0 #0xC004\nSKMSG 1 0 5 Game_Start\n",
         {"OK 49156 0200ff", "OK 49200"}},
        {"automation is refused without its handler",
         [] {},
         "SKUI 1 click closebtn\n",
         {"ERR refused automation is off: start the instance with --automation"}},
        {"automation answers with the handler's text",
         [&] {
             port_->SetUiHandler([&](const std::string& request) {
                 uiRequests.push_back(request);
                 if (request == "get nothing") return MessagePort::UiResult{false, "no control"};
                 return MessagePort::UiResult{true, "ok"};
             });
         },
         "SKUI 1 click closebtn\nSKUI 1 get nothing\n",
         {"OK ok", "ERR ui no control"}},
        {"quit is refused without its handler",
         [] {},
         "SKQUIT 1\n",
         {"ERR refused this instance takes no quit request"}},
        {"quit answers before it runs",
         [&] { port_->SetQuitHandler([&] { ++quits; }); },
         "SKQUIT 1\n",
         {"OK quit"}},
        {"the token is handed on",
         [&] { port_->SetTokenHandler([&](const QString& t) { token = t; }); },
         "SKTOKEN 1 wayland-token_7\n",
         {"OK token"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setUp();
        RawClient client(path_);
        ASSERT_TRUE(client.connected());
        client.Write(c.request);
        EXPECT_EQ(client.Replies(c.replies.size()), c.replies);
    }
    EXPECT_EQ(uiRequests, (std::vector<std::string>{"click closebtn", "get nothing"}));
    EXPECT_EQ(token, "wayland-token_7");
    EXPECT_TRUE(temp_home::SpinUntil([&] { return quits == 1; }));
}

TEST_F(MessagePortTest, SubscribersGetBroadcastsUntilTheyCloseAndAreNeverIdle) {
    port_->SetIdleTimeout(50);
    RawClient subscriber(path_);
    RawClient other(path_);
    ASSERT_TRUE(subscriber.connected());
    subscriber.Write("SKSUB 1\n");
    ASSERT_EQ(subscriber.Replies(1), std::vector<std::string>{"OK subscribed"});
    ASSERT_TRUE(other.WaitClosed());  // the idle rule holds for the others
    EXPECT_FALSE(subscriber.closed());
    EXPECT_EQ(port_->SubscriberCount(), 1);

    port_->Broadcast(0xC002, 1, 0);
    port_->Broadcast(0xC002, 1, 1);
    EXPECT_EQ(subscriber.Replies(3),
              (std::vector<std::string>{"OK subscribed",
                                        "BCAST 1 0 {4695579F-999A-41d4-9FAF-EFFCE93EBF16}",
                                        "BCAST 1 1 {4695579F-999A-41d4-9FAF-EFFCE93EBF16}"}));
    port_->Broadcast(0x1234, 1, 1);  // not a registered message: nothing goes out
    EXPECT_EQ(port_->SubscriberCount(), 1);
}

TEST_F(MessagePortTest, SubscriberThatLeavesIsForgottenAndBroadcastsGoOn) {
    {
        RawClient subscriber(path_);
        subscriber.Write("SKSUB 1\n");
        ASSERT_EQ(subscriber.Replies(1).size(), 1u);
    }
    ASSERT_TRUE(temp_home::SpinUntil([&] { return port_->SubscriberCount() == 0; }));
    port_->Broadcast(0xC002, 1, 1);
    RawClient next(path_);
    next.Write("SKMSG 1 0 5 Game_Start\n");
    EXPECT_EQ(next.Replies(1), std::vector<std::string>{"OK 49200"});
}

TEST(SkelmoraSend, PrintsReplyDataAutomationValuesAndBroadcasts) {
    MessagePort port;
    port.SetReplyHandler([](const platform::RegisteredMessage& m, std::uint64_t, std::int64_t) {
        return m.number == 0xC004 ? std::string(2048, 'a') : std::string();
    });
    port.SetUiHandler([](const std::string& request) {
        if (request == "get control_light_status") return MessagePort::UiResult{true, "on"};
        return MessagePort::UiResult{false, "no control \"x\""};
    });
    ASSERT_TRUE(port.Listen()) << port.ErrorString().toStdString();

    auto run = [&](const QStringList& args, const std::function<void()>& whileRunning = {}) {
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + "/skelmora-send", args);
        EXPECT_TRUE(process.waitForStarted(10000));
        if (whileRunning) whileRunning();
        EXPECT_TRUE(
            temp_home::SpinUntil([&] { return process.state() == QProcess::NotRunning; }, 30000));
        return std::pair(process.exitCode(), process.readAllStandardOutput().toStdString());
    };
    EXPECT_EQ(run({"{4695579F-999A-41d4-9FAF-EFFCE93EBF18}"}),
              std::pair(0, std::string(2048, 'a') + "\n"));
    EXPECT_EQ(run({"Game_Start", "0", "5"}), std::pair(0, std::string()));
    EXPECT_EQ(run({"ui", "get", "control_light_status"}), std::pair(0, std::string("on\n")));
    EXPECT_EQ(run({"ui", "click", "x"}).first, 3);
    EXPECT_EQ(run({"ui"}).first, 2);
    EXPECT_EQ(run({"--listen", "x"}).first, 2);
    const auto listened = run({"--listen", "2"}, [&] {
        ASSERT_TRUE(temp_home::SpinUntil([&] { return port.SubscriberCount() == 1; }, 10000));
        port.Broadcast(0xC002, 1, 0);
    });
    EXPECT_EQ(listened, std::pair(0, std::string("{4695579F-999A-41d4-9FAF-EFFCE93EBF16} 1 0\n")));

    port.Close();
    EXPECT_EQ(run({"--listen", "1"}).first, 1);
    EXPECT_EQ(run({"ui", "get", "x"}).first, 1);
}
