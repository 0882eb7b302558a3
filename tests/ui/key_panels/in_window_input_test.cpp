// The input hook's in-window source on real widgets, offscreen: a key is recorded at the
// first control it reaches, before that control can use it, so Space on a focused button is
// a recorded key and not a click, and a letter on a focused edit types nothing.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "platform/input_hook.h"
#include "support/ui_fixture.h"

namespace {

class InWindowInputTest : public uitest::AppFixture {
  protected:
    void SetUp() override { qputenv("SKELMORA_INPUT", "window"); }
    void TearDown() override { qunsetenv("SKELMORA_INPUT"); }
};

TEST_F(InWindowInputTest, KeysAreTakenBeforeTheFocusedControlUsesThem) {
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Stop"), &window);
    auto* edit = new QLineEdit(&window);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window.show();

    platform::InputHook hook({});
    std::vector<std::string> got;
    QObject::connect(&hook, &platform::InputHook::InputReceived,
                     [&](const platform::InputEvent& e) {
                         got.push_back(std::to_string(e.code) +
                                       (e.state == platform::KeyState::Released ? " up" : " down"));
                     });
    ASSERT_EQ(hook.Start(platform::HookMode::Record), platform::HookSource::InWindow);

    // The native scan code of a key event is the evdev code + 8: Space 57, A 30.
    struct Case {
        QWidget* target;
        int key;
        quint32 nativeScanCode;
        const char* text;
    };
    const Case cases[] = {
        {button, Qt::Key_Space, 57 + 8, " "},
        {edit, Qt::Key_A, 30 + 8, "a"},
    };
    for (const Case& c : cases) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, c.key, Qt::NoModifier, c.nativeScanCode, 0, 0,
                            QString::fromLatin1(c.text));
            QApplication::sendEvent(c.target, &event);
        }
    }
    hook.Stop();
    EXPECT_EQ(got, (std::vector<std::string>{"57 down", "57 up", "30 down", "30 up"}));
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(edit->text().isEmpty());
}

}  // namespace
