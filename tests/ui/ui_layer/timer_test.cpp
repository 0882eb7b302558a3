// Control timers: armed from the UI thread or a worker, delivered on the UI thread.
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <thread>

#include "support/ui_fixture.h"
#include "ui/control_timers.h"
#include "ui/paint_manager.h"

using namespace uitest;

namespace {
class TimedLabel : public QLabel, public ui::ITimerTarget {
  public:
    using QLabel::QLabel;
    void DoTimer(int id) override {
        fired.push_back(id);
        ui::KillTimer(this, id);
    }
    std::vector<int> fired;
};

class TimerTest : public AppFixture {
  protected:
    void SetUp() override {
        app();
        skin.Write("XML/t.xml", MakeUi(Child("QLabel", "clock", {0, 0, 20, 20})));
        ASSERT_TRUE(window.Create(nullptr, "timers"));
        window.PaintManager().AddNotifier(&recorder);
    }
    // Runs the event loop until `done` holds; the loop is quit by an event, not by a clock.
    template <typename Pred>
    void RunUntil(Pred done) {
        while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    TempSkin skin;
    TestWindow window{"XML/t.xml"};
    Recorder recorder;
};

TEST_F(TimerTest, ArmedFromAWorkerThreadFiresOnTheUiThreadUntilKilled) {
    QWidget* clock = window.FindControl("clock");
    Qt::HANDLE firedOn = nullptr;
    int count = 0;
    window.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType != "timer") return;
        firedOn = QThread::currentThreadId();
        EXPECT_EQ(msg.wParam, 1002);
        if (++count == 3) ui::KillTimer(clock, 1002);
    };
    window.PaintManager().RemoveNotifier(&window);
    window.PaintManager().AddNotifier(&window);
    std::thread worker([clock] { ui::SetTimer(clock, 1002, 1); });
    worker.join();
    RunUntil([&] { return count >= 3; });
    EXPECT_EQ(firedOn, QThread::currentThreadId());
    EXPECT_FALSE(ui::IsTimerActive(clock, 1002));
    EXPECT_EQ(recorder.log.front().type, "timer");
    EXPECT_EQ(recorder.log.front().sender, "clock");
}

TEST_F(TimerTest, ATimerTargetHandlesItsOwnTimersInsteadOfTheWindow) {
    auto* label = new TimedLabel(window.PaintManager().GetRoot());
    ui::SetTimer(label, 1001, 0);
    ui::SetTimer(label, 1005, 0);
    RunUntil([&] { return label->fired.size() >= 2; });
    EXPECT_EQ(label->fired.size(), 2u);
    EXPECT_TRUE(recorder.log.empty());
    EXPECT_FALSE(ui::SetTimer(nullptr, 1, 5));
    EXPECT_FALSE(ui::SetTimer(label, 1, -1));
}
}  // namespace
