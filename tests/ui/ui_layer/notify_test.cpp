// Notifications from real widget interactions, and what programmatic changes do not send.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include "support/ui_fixture.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"

using namespace uitest;

namespace {
QString option(const QString& name, int y, const QString& group, const QString& extra = {}) {
    return Child("QPushButton", name, {0, y, 80, 20},
                 BoolProp("checkable", true, false) + StringProp("group", group) + extra);
}

class NotifyTest : public AppFixture {
  protected:
    void SetUp() override {
        app();
        const QString pages =
            "<widget class=\"QStackedWidget\" name=\"pages\">"
            "<property "
            "name=\"geometry\"><rect><x>200</x><y>0</y><width>100</width><height>50</height></"
            "rect></property>"
            "<widget class=\"QWidget\" name=\"page0\"/><widget class=\"QWidget\" "
            "name=\"page1\"/></widget>";
        skin.Write(
            "XML/all.xml",
            MakeUi(Child("QPushButton", "plain_btn", {0, 0, 80, 20}) +
                       option("opt_a", 30, "tabs",
                              StringProp("bindtablayoutname", "pages") +
                                  NumberProp("bindtabindex", 0)) +
                       option("opt_b", 60, "tabs",
                              StringProp("bindtablayoutname", "pages") +
                                  NumberProp("bindtabindex", 1)) +
                       option("check_c", 90, "") + pages +
                       Child("QSlider", "slider", {0, 120, 200, 24},
                             "<property name=\"orientation\"><enum>Qt::Horizontal</enum></property>"
                             "<property name=\"maximum\"><number>100</number></property>") +
                       Child("QComboBox", "combo", {0, 150, 100, 24}) +
                       Child("QListWidget", "list", {0, 180, 100, 60}) +
                       Child("QLineEdit", "edit", {120, 150, 100, 24}) +
                       Child("QLineEdit", "other", {120, 180, 100, 24}),
                   400, 260));
        window = std::make_unique<TestWindow>("XML/all.xml");
        ASSERT_TRUE(window->Create(nullptr, "notify"));
        window->PaintManager().AddNotifier(&recorder);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        recorder.Clear();
    }
    template <typename T>
    T* find(const char* name) const {
        return qobject_cast<T*>(window->FindControl(name));
    }
    TempSkin skin;
    std::unique_ptr<TestWindow> window;
    Recorder recorder;
};

TEST_F(NotifyTest, ButtonClickAndWindowInitCarryTypeAndSender) {
    QTest::mouseClick(find<QPushButton>("plain_btn"), Qt::LeftButton);
    EXPECT_EQ(recorder.Seen(), QStringList{"click:plain_btn"});

    TestWindow second("XML/all.xml");
    ASSERT_TRUE(second.Create(nullptr, "second"));
    Recorder other;
    second.PaintManager().AddNotifier(&other);
    second.show();
    second.hide();
    second.show();
    EXPECT_EQ(other.Seen(true), QStringList{"windowinit:root"});
}

TEST_F(NotifyTest, OptionGroupSwitchesLikeRadioButtonsAndDrivesTheBoundTab) {
    auto* a = find<QPushButton>("opt_a");
    auto* b = find<QPushButton>("opt_b");
    auto* pages = find<QStackedWidget>("pages");
    QTest::mouseClick(a, Qt::LeftButton);
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(recorder.Seen(), (QStringList{"click:opt_a", "selectchanged:opt_a", "click:opt_b",
                                            "selectchanged:opt_b"}));
    EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(b->isChecked());
    EXPECT_EQ(pages->currentIndex(), 1);

    recorder.Clear();
    QTest::mouseClick(b, Qt::LeftButton);  // the selected option of a group stays selected
    EXPECT_TRUE(b->isChecked());
    EXPECT_EQ(recorder.Seen(), QStringList{"click:opt_b"});

    recorder.Clear();
    ui::SetSelected(a, true);  // from code: group and tab follow, nothing is notified
    EXPECT_FALSE(b->isChecked());
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_TRUE(recorder.Seen().isEmpty());
    ui::SetSelected(b, true, true);
    EXPECT_EQ(recorder.Seen(), QStringList{"selectchanged:opt_b"});
}

TEST_F(NotifyTest, UngroupedOptionTogglesBothWays) {
    auto* c = find<QPushButton>("check_c");
    QTest::mouseClick(c, Qt::LeftButton);
    QTest::mouseClick(c, Qt::LeftButton);
    EXPECT_FALSE(c->isChecked());
    EXPECT_EQ(recorder.Seen(), (QStringList{"click:check_c", "selectchanged:check_c",
                                            "click:check_c", "selectchanged:check_c"}));
}

TEST_F(NotifyTest, SliderDragNotifiesMovesThenTheReleasedValue) {
    auto* slider = find<QSlider>("slider");
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.orientation = Qt::Horizontal;
    opt.minimum = slider->minimum();
    opt.maximum = slider->maximum();
    opt.sliderPosition = slider->value();
    opt.sliderValue = slider->value();
    opt.subControls = QStyle::SC_All;
    const QPoint handle =
        slider->style()
            ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider)
            .center();
    SendMouse(slider, QEvent::MouseButtonPress, handle, Qt::LeftButton, Qt::LeftButton);
    SendMouse(slider, QEvent::MouseMove, handle + QPoint(40, 0), Qt::NoButton, Qt::LeftButton);
    SendMouse(slider, QEvent::MouseMove, handle + QPoint(80, 0), Qt::NoButton, Qt::LeftButton);
    SendMouse(slider, QEvent::MouseButtonRelease, handle + QPoint(80, 0), Qt::LeftButton,
              Qt::NoButton);
    const QStringList seen = recorder.Seen();
    ASSERT_GE(seen.size(), 2);
    EXPECT_EQ(seen.count("movevaluechanged:slider"), seen.size() - 1);
    EXPECT_EQ(seen.last(), "valuechanged:slider");
    EXPECT_GT(slider->value(), 0);
    EXPECT_EQ(recorder.log.back().wParam, slider->value());

    recorder.Clear();
    QTest::keyClick(slider, Qt::Key_Right);  // a step is a finished change
    EXPECT_EQ(recorder.Seen(), QStringList{"valuechanged:slider"});

    recorder.Clear();
    ui::SetValue(slider, 10);
    EXPECT_TRUE(recorder.Seen().isEmpty());
}

TEST_F(NotifyTest, ComboAndListSelectionsByTheUserOnly) {
    auto* combo = find<QComboBox>("combo");
    auto* list = find<QListWidget>("list");
    for (QWidget* w : {static_cast<QWidget*>(combo), static_cast<QWidget*>(list)}) {
        ui::AddLabelItem(w, "zero", "u0");
        ui::AddLabelItem(w, "one", "u1", false, 30);
    }
    ui::SelectItem(combo, 0);
    ui::SelectItem(list, 0);
    EXPECT_TRUE(recorder.Seen().isEmpty());
    EXPECT_EQ(ui::GetCount(combo), 2);
    EXPECT_EQ(ui::GetItemUserData(list, 1), "u1");
    EXPECT_EQ(ui::GetItemUserData(combo, 5), "");

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(recorder.Seen(), QStringList{"itemselect:combo"});
    EXPECT_EQ(recorder.log.back().wParam, 1);

    recorder.Clear();
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(recorder.Seen(), (QStringList{"itemselect:list", "itemclick:list"}));
    EXPECT_EQ(ui::GetCurSel(list), 1);
}

TEST_F(NotifyTest, EditNotifiesTypingFocusAndFocusLoss) {
    auto* edit = find<QLineEdit>("edit");
    auto* other = find<QLineEdit>("other");
    ui::SetText(edit, "from code");
    edit->setFocus();
    QTest::keyClicks(edit, "ab");
    other->setFocus();
    EXPECT_EQ(recorder.Seen(true),
              (QStringList{"setfocus:edit", "textchanged:edit", "textchanged:edit",
                           "killfocus:edit", "setfocus:other"}));
}
}  // namespace
