// The message window: button modes, results, titles, texts and its DPI rule.
#include "app/msg_wnd.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app_shell/shell_fixture.h"
#include "ui/control_props.h"

namespace {
QStringList& traces() {
    static QStringList list;
    return list;
}

void captureTrace(QtMsgType, const QMessageLogContext&, const QString& message) {
    traces() << message;
}

CMsgWnd* openMessageWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* wnd = qobject_cast<CMsgWnd*>(w); wnd && wnd->isVisible()) return wnd;
    }
    return nullptr;
}

struct Seen {
    bool cancelVisible = false;
    QString title;
    QString text;
    int dpi = 0;
    QSize size;
};

// Shows a message and, from inside its modal run, records what it shows and clicks `button`.
int ShowAndClick(const QString& title, const QString& text, int dpi, bool resource, int mode,
                 const char* button, Seen& seen) {
    QTimer::singleShot(0, [&seen, button] {
        CMsgWnd* wnd = openMessageWindow();
        ASSERT_NE(wnd, nullptr);
        seen.cancelVisible = ui::IsVisible(wnd->FindControl("cancel_btn"));
        seen.title = ui::GetText(wnd->FindControl("MessageTitle"));
        seen.text = ui::GetText(wnd->FindControl("MessageText"));
        seen.dpi = wnd->GetDPI();
        seen.size = wnd->size();
        QTest::mouseClick(qobject_cast<QPushButton*>(wnd->FindControl(button)), Qt::LeftButton);
    });
    return ShowMessage(nullptr, title, text, dpi, resource, mode);
}

class MsgWndTest : public shelltest::ShellFixture {};

TEST_F(MsgWndTest, ResultsFollowTheButtonThatClosedIt) {
    const struct {
        int mode;
        const char* button;
        int result;
        bool cancelVisible;
    } cases[] = {
        {CMsgWnd::kConfirmOnly, "confirm_btn", 1, false},
        {CMsgWnd::kConfirmOnly, "closebtn", 0, false},
        {CMsgWnd::kConfirmAndCancel, "cancel_btn", 0, true},
        {CMsgWnd::kConfirmAndCancel, "confirm_btn", 1, true},
    };
    for (const auto& c : cases) {
        Seen seen;
        EXPECT_EQ(ShowAndClick("", "message_text_7", 96, true, c.mode, c.button, seen), c.result)
            << c.button;
        EXPECT_EQ(seen.cancelVisible, c.cancelVisible) << c.button;
    }
}

TEST_F(MsgWndTest, TitleAndTextAreShownAsGiven) {
    Seen seen;
    ShowAndClick("", "message_text_7", 96, true, 0, "confirm_btn", seen);
    EXPECT_EQ(seen.title, "Message");  // an empty title keeps the layout's own
    EXPECT_EQ(seen.text, "Writing to the device failed.");
    ShowAndClick("Profiles", "message_text_7", 96, false, 0, "confirm_btn", seen);
    EXPECT_EQ(seen.title, "Profiles");
    EXPECT_EQ(seen.text, "message_text_7");  // a plain text is not translated
}

TEST_F(MsgWndTest, UnknownDpiIsTracedAndDrawnAt96) {
    traces().clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureTrace);
    Seen at100, at144;
    ShowAndClick("", "x", 100, false, 0, "confirm_btn", at100);
    ShowAndClick("", "x", 144, false, 0, "confirm_btn", at144);
    qInstallMessageHandler(previous);
    CPaintManagerUI::SetGlobalDPI(96);
    EXPECT_EQ(traces().count("MSG_WND DPI SET ERROR"), 1);
    EXPECT_EQ(at100.dpi, 96);
    EXPECT_EQ(at144.dpi, 144);
    EXPECT_EQ(at144.size, at100.size * 1.5);
}
}  // namespace
