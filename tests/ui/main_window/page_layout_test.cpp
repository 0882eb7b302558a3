// Device pages in the window at its size of 1000 x 640: each part shows whole, without
// overlapping another, and a page has one row of tabs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "devices/device_option.h"
#include "devices/skelmora_usb_device.h"
#include "one_device_window.h"
#include "panels/device_profile_ui.h"
#include "panels/light_control_ui.h"
#include "ui/control_props.h"
#include "ui/control_timers.h"
#include "ui/notify.h"
#include "ui/skin_resources.h"

namespace {

class PageLayout : public uitest::OneDeviceWindow {
  protected:
    void TearDown() override {
        OneDeviceWindow::TearDown();
        qApp->setStyleSheet(QString());
    }
    // Shows the device's page at the window's size, in the program's style, connected, laid
    // out.
    QWidget* ShowPage(const char* kind) {
        uitest::UseProgramSkinAndControls();
        EXPECT_TRUE(ui::ApplySkinStyleSheet());
        Start(kind);
        if (HasFatalFailure()) return nullptr;
        window_->resize(1000, 640);
        CDeviceOptionUI* item = Devices().Item(Devices().SelectedItem());
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return item && ui::IsTimerActive(item, CDeviceOptionUI::kFrameTimer); }, 5000))
            << "the device did not connect";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return Devices().DeviceOfItem(Devices().SelectedItem());
    }
    static QWidget* Child(QWidget* page, const char* name) {
        auto* child = page->findChild<QWidget*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    // A child's rectangle in the page's coordinates.
    static QRect Place(QWidget* page, QWidget* child) {
        return QRect(child->mapTo(page, QPoint(0, 0)), child->size());
    }
    // The children show on the page, whole.
    static void ExpectWhole(QWidget* page, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            QWidget* child = Child(page, name);
            if (!child) continue;
            EXPECT_TRUE(child->isVisibleTo(page)) << name;
            EXPECT_TRUE(page->rect().contains(Place(page, child))) << name << " is cut";
            EXPECT_GE(child->height(), child->minimumHeight()) << name << " is squeezed";
            EXPECT_GE(child->width(), child->minimumWidth()) << name << " is squeezed";
        }
    }
};

TEST_F(PageLayout, ThePadPageShowsItsPictureAndItsWholeLightingPanel) {
    QWidget* page = ShowPage("mousepad");
    ASSERT_NE(page, nullptr);
    ExpectWhole(page, {"mousepad_device_key_light", "LightControlItem", "light_combo_modeSelect",
                       "deng_speed_slider", "deng_FXR_check", "deng_edit_B", "color_option_0",
                       "color_option_7", "deng_Color_Pallet"});
    QWidget* picture = Child(page, "mousepad_device_key_light");
    QWidget* lighting = Child(page, "LightControlItem");
    ASSERT_TRUE(picture && lighting);
    EXPECT_LE(Place(page, picture).bottom(), Place(page, lighting).top())
        << "the lighting panel covers the picture";
    // The page's width puts the palette beside the colour entries.
    EXPECT_GT(Place(page, Child(page, "deng_Color_Pallet")).left(),
              Place(page, Child(page, "color_option_7")).right());
}

TEST_F(PageLayout, TheHeadsetPageHasThePaletteUnderTheEntriesBesideItsPicture) {
    QWidget* page = ShowPage("headset");
    ASSERT_NE(page, nullptr);
    ExpectWhole(page,
                {"light_combo_modeSelect", "deng_edit_B", "color_option_7", "deng_Color_Pallet"});
    EXPECT_GT(Place(page, Child(page, "deng_Color_Pallet")).top(),
              Place(page, Child(page, "color_option_7")).bottom());
}

TEST_F(PageLayout, TheMousePageHasOneRowOfTabs) {
    QWidget* page = ShowPage("mouse");
    ASSERT_NE(page, nullptr);
    for (const char* tab : CDeviceProfileUI::kTabNames)
        EXPECT_FALSE(Child(page, tab)->isVisibleTo(page)) << tab;
    for (const char* tab : {"mouse_device_seting_option_0", "mouse_device_seting_option_5"})
        EXPECT_TRUE(Child(page, tab)->isVisibleTo(page)) << tab;
}

// ---- The lighting panel in the window, by device and mode ----

struct LightCase {
    const char* kind;
    const char* tab;  // the tab option that shows the lighting panel; none: always shown
    int mode;
    bool chinese = false;  // the window in Chinese (index 0 of the language list)
};

void PrintTo(const LightCase& c, std::ostream* out) {
    *out << c.kind << " mode " << c.mode << (c.chinese ? " in Chinese" : "");
}

// A panel of a page in the window: what of its controls the window shows.
class PanelInTheWindow : public PageLayout {
  protected:
    // The notification the control sends when the user changes it.
    void Send(QWidget* control, const char* type) {
        TNotifyUI msg{QLatin1String(type), control};
        window_->Notify(msg);
    }
    static std::string Text(const QRect& r) {
        return r.isEmpty() ? std::string("nothing")
                           : QStringLiteral("%1 x %2 at (%3, %4)")
                                 .arg(r.width())
                                 .arg(r.height())
                                 .arg(r.left())
                                 .arg(r.top())
                                 .toStdString();
    }
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QCoreApplication::processEvents();
        }
    }
    // What of the control the user can see: its rectangle in the window's coordinates, cut
    // by every widget that holds it and by the window.
    QRect SeenPart(const QWidget* control) const {
        QRect seen(control->mapTo(window_.get(), QPoint(0, 0)), control->size());
        for (const QWidget* holder = control->parentWidget(); holder && holder != window_.get();
             holder = holder->parentWidget())
            seen &= QRect(holder->mapTo(window_.get(), QPoint(0, 0)), holder->size());
        return seen & window_->rect();
    }
    // The controls the panel shows, not the boxes that only hold others.
    std::vector<QWidget*> ShownControls(const QWidget* panel) const {
        std::vector<QWidget*> shown;
        for (QWidget* control : panel->findChildren<QWidget*>()) {
            if (control->objectName().isEmpty() || !control->isVisibleTo(window_.get())) continue;
            const bool holdsControls = std::any_of(
                control->children().cbegin(), control->children().cend(), [&](QObject* child) {
                    auto* widget = qobject_cast<QWidget*>(child);
                    return widget && !widget->objectName().isEmpty() &&
                           widget->isVisibleTo(window_.get());
                });
            if (!holdsControls) shown.push_back(control);
        }
        return shown;
    }
    // Each control the panel shows lies whole in the window, at its full height; the shown
    // controls are returned.
    std::vector<QWidget*> ExpectControlsWhole(const QWidget* panel) const {
        const std::vector<QWidget*> shown = ShownControls(panel);
        for (QWidget* control : shown) {
            const QRect whole(control->mapTo(window_.get(), QPoint(0, 0)), control->size());
            const QRect seen = SeenPart(control);
            EXPECT_TRUE(seen == whole) << control->objectName().toStdString() << " is cut: of "
                                       << Text(whole) << " the window shows " << Text(seen);
            // A layout short of room squeezes its rows into each other before it cuts them.
            const int needed = control->hasHeightForWidth()
                                   ? control->heightForWidth(control->width())
                                   : std::min(control->maximumHeight(),
                                              std::max(control->minimumHeight(),
                                                       control->minimumSizeHint().height()));
            EXPECT_GE(control->height(), needed)
                << control->objectName().toStdString() << " is squeezed";
        }
        return shown;
    }
};

class LightingPanelInTheWindow : public PanelInTheWindow,
                                 public ::testing::WithParamInterface<LightCase> {};

// Every control the panel shows (not the boxes that only hold others) lies whole in the window
// at 1000 x 640, at its full height: the keyboard in its music modes (29 adds the sound mode and the sound colours,
// 30 keeps the brightness), its custom effect and a plain one; each other kind in one mode.
TEST_P(LightingPanelInTheWindow, EveryControlOfThePanelCanBeReached) {
    const LightCase& c = GetParam();
    QWidget* page = ShowPage(c.kind);
    ASSERT_NE(page, nullptr);
    CLightControlUI* panel = CLightControlUI::OfPage(page);
    ASSERT_NE(panel, nullptr);
    if (c.chinese) window_->ApplyLanguage(0);
    if (c.tab) {
        QWidget* tab = Child(page, c.tab);
        ASSERT_NE(tab, nullptr) << c.tab;
        ui::SetSelected(tab, true, false);
        Send(tab, notify_type::kSelectChanged);
    }
    QWidget* modes = Child(panel, "light_combo_modeSelect");
    ASSERT_NE(modes, nullptr);
    ui::SelectItem(modes, c.mode, false);
    Send(modes, notify_type::kItemSelect);
    // The audio page at its tallest: it says that no sound reaches the music modes.
    panel->ShowSoundInput(false);
    Settle();
    ASSERT_EQ(panel->GetLightMode(), c.mode);
    ASSERT_EQ(window_->size(), QSize(1000, 640)) << "the page made the window grow";
    ASSERT_TRUE(panel->isVisibleTo(window_.get()));
    if (const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(window_->grab().save(
            QStringLiteral("%1/page-%2-light-%3%4.png")
                .arg(folder)
                .arg(c.kind)
                .arg(c.mode)
                .arg(c.chinese ? "-zh" : "")));
    }
    EXPECT_GT(ExpectControlsWhole(panel).size(), 5u) << "the panel shows next to nothing";
}

INSTANTIATE_TEST_SUITE_P(
    DevicesAndModes, LightingPanelInTheWindow,
    ::testing::Values(LightCase{"keyboard", "deng_Op_tab", 29},
                      LightCase{"keyboard", "deng_Op_tab", 29, true},
                      LightCase{"keyboard", "deng_Op_tab", 30},
                      LightCase{"keyboard", "deng_Op_tab", 21},
                      LightCase{"keyboard", "deng_Op_tab", 5},
                      LightCase{"mouse", "mouse_device_seting_option_5", 2},
                      LightCase{"mousepad", nullptr, 2},
                      LightCase{"headset", "deng_Op_tab", 2}));

// ---- The headset's voice panel in the window ----

// The parameter: the window in Chinese.
class VoicePanelInTheWindow : public PanelInTheWindow,
                              public ::testing::WithParamInterface<bool> {};

// The Voice tab at 1000 x 640 beside the headset's picture: every control lies whole in the
// window, each button and label is as wide as its text needs (a radio button or a label squeezed
// in a row cuts its text: "Prese"), each name box at least as wide as it asks, and no two
// controls overlap (a row wider than the panel draws its boxes over each other).
TEST_P(VoicePanelInTheWindow, EveryControlShowsWholeWithoutOverlapping) {
    const bool chinese = GetParam();
    QWidget* page = ShowPage("headset");
    ASSERT_NE(page, nullptr);
    if (chinese) window_->ApplyLanguage(0);
    QWidget* tab = Child(page, "6533_voice_Op_tab");
    ASSERT_NE(tab, nullptr);
    ui::SetSelected(tab, true, false);
    Send(tab, notify_type::kSelectChanged);
    Settle();
    QWidget* panel = Child(page, "Voice6533ControlItem");
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(window_->size(), QSize(1000, 640)) << "the page made the window grow";
    ASSERT_TRUE(panel->isVisibleTo(window_.get()));
    if (const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(window_->grab().save(
            QStringLiteral("%1/page-headset-voice%2.png").arg(folder).arg(chinese ? "-zh" : "")));
    }
    const std::vector<QWidget*> shown = ExpectControlsWhole(panel);
    EXPECT_GT(shown.size(), 30u) << "the panel shows next to nothing";
    for (QWidget* control : shown) {
        const std::string name = control->objectName().toStdString();
        if (qobject_cast<QAbstractButton*>(control) ||
            (qobject_cast<QLabel*>(control) && !qobject_cast<QLabel*>(control)->wordWrap())) {
            EXPECT_GE(control->width(), control->sizeHint().width()) << name << "'s text is cut";
        }
        EXPECT_GE(control->width(), control->minimumWidth()) << name << " is squeezed";
    }
    for (auto a = shown.cbegin(); a != shown.cend(); ++a) {
        for (auto b = std::next(a); b != shown.cend(); ++b) {
            const QRect ra((*a)->mapTo(window_.get(), QPoint(0, 0)), (*a)->size());
            const QRect rb((*b)->mapTo(window_.get(), QPoint(0, 0)), (*b)->size());
            EXPECT_FALSE(ra.intersects(rb))
                << (*a)->objectName().toStdString() << " (" << Text(ra) << ") overlaps "
                << (*b)->objectName().toStdString() << " (" << Text(rb) << ")";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EnglishAndChinese, VoicePanelInTheWindow, ::testing::Bool());

}  // namespace
