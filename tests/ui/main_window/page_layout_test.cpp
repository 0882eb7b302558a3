// Device pages in the window at its size of 1000 x 640: each part shows whole, without
// overlapping another, and a page has one row of tabs.
#include <gtest/gtest.h>

#include <QTest>

#include "devices/device_option.h"
#include "devices/skelmora_usb_device.h"
#include "one_device_window.h"
#include "panels/device_profile_ui.h"
#include "ui/control_timers.h"

namespace {

class PageLayout : public uitest::OneDeviceWindow {
  protected:
    // Shows the device's page at the window's size, connected, laid out.
    QWidget* ShowPage(const char* kind) {
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

}  // namespace
