// The X11 focus source against a real X server (Xvfb, started here; skipped without it): the
// active window's PID, the property event that announces a change, and the server going away.
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/active_program.h"

namespace {

class XvfbTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
        // The server picks a free display and writes its number to standard output.
        server_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        ASSERT_TRUE(server_.waitForStarted(10000));
        QByteArray number;
        while (!number.contains('\n') && server_.waitForReadyRead(20000))
            number += server_.readAllStandardOutput();
        ASSERT_TRUE(number.contains('\n')) << "Xvfb gave no display number";
        display_ = ":" + number.trimmed().toStdString();
        const char* old = std::getenv("DISPLAY");
        oldDisplay_ = old ? old : "";
        hadDisplay_ = old != nullptr;
        ::setenv("DISPLAY", display_.c_str(), 1);
        client_ = xcb_connect(display_.c_str(), nullptr);
        ASSERT_EQ(xcb_connection_has_error(client_), 0);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(client_)).data->root;
    }
    void TearDown() override {
        if (client_) xcb_disconnect(client_);
        if (server_.state() != QProcess::NotRunning) {
            server_.kill();
            server_.waitForFinished(10000);
        }
        if (hadDisplay_) {
            ::setenv("DISPLAY", oldDisplay_.c_str(), 1);
        } else {
            ::unsetenv("DISPLAY");
        }
    }
    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            client_, xcb_intern_atom(client_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    }
    // A window with _NET_WM_PID pid (0: none) made the active window, as a window manager does.
    void Activate(uint32_t pid) {
        const xcb_window_t window = xcb_generate_id(client_);
        xcb_create_window(client_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (pid != 0)
            xcb_change_property(client_, XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_PID"),
                                XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_change_property(client_, XCB_PROP_MODE_REPLACE, root_, Atom("_NET_ACTIVE_WINDOW"),
                            XCB_ATOM_WINDOW, 32, 1, &window);
        Sync();
    }
    // A round trip: everything sent before it has reached the server.
    void Sync() {
        std::free(xcb_get_input_focus_reply(client_, xcb_get_input_focus(client_), nullptr));
    }
    // Waits (at most 20 s, so a broken source fails instead of hanging) for the source's
    // descriptor to become readable.
    static bool Readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 20000) == 1;
    }

    QProcess server_;
    std::string display_, oldDisplay_;
    bool hadDisplay_ = false;
    xcb_connection_t* client_ = nullptr;
    xcb_window_t root_ = 0;
};

TEST_F(XvfbTest, ActiveWindowPidFollowsPropertyEvents) {
    std::unique_ptr<platform::IFocusSource> source = platform::MakeXcbFocusSource();
    // No window manager has set an active window yet.
    platform::FocusState state = source->Current();
    EXPECT_TRUE(state.available);
    EXPECT_EQ(state.pid, 0);
    ASSERT_GE(source->EventDescriptor(), 0);

    Activate(4242);
    ASSERT_TRUE(Readable(source->EventDescriptor()));
    EXPECT_TRUE(source->DrainEvents());
    state = source->Current();
    EXPECT_TRUE(state.available);
    EXPECT_EQ(state.pid, 4242);

    // A window without a PID (as a native Wayland window seen through XWayland's root).
    Activate(0);
    ASSERT_TRUE(Readable(source->EventDescriptor()));
    EXPECT_TRUE(source->DrainEvents());
    EXPECT_EQ(source->Current().pid, 0);

    // The server goes away: the source says so, and the rule turns to /proc.
    xcb_disconnect(client_);
    client_ = nullptr;
    server_.kill();
    server_.waitForFinished(10000);
    ASSERT_TRUE(Readable(source->EventDescriptor()));
    source->DrainEvents();
    state = source->Current();
    EXPECT_FALSE(state.available);
    EXPECT_TRUE(platform::NeedsProcScan(state, false));
    EXPECT_EQ(source->EventDescriptor(), -1);
}

}  // namespace
