// The selector item: image sets, page binding and power index, and the timers that drive a
// device (with shortened intervals on the test's own event loop).
#include "devices/device_option.h"

#include <QLabel>
#include <QPushButton>

#include "device_test_support.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "ui/control_props.h"

namespace {

// A keyboard that counts what its selector item calls.
class CountingKeyboard : public CSkelmoraKeyboardDevice {
  public:
    using CSkelmoraKeyboardDevice::CSkelmoraKeyboardDevice;
    int frames = 0;
    int connected = 0;
    int linkQueries = 0;
    int events = 0;
    int firstHooks = 0;
    int secondHooks = 0;
    int statusRefreshes = 0;
    bool linked = false;

    bool SendLightFrame() override {
        ++frames;
        return true;
    }
    void OnConnected() override { ++connected; }
    bool IsLinked() override {
        ++linkQueries;
        return linked;
    }
    void OnDeviceEvent() override { ++events; }
    void FirstHook() override { ++firstHooks; }
    void SecondHook() override { ++secondHooks; }
    void RefreshStatus() override { ++statusRefreshes; }
};

// An item with the children of its layout.
class SelectorItem : public devtest::WithApplication {
  protected:
    SelectorItem() {
        auto* option = new QPushButton(&item_);
        option->setObjectName("device_select");
        option->setCheckable(true);
        auto* synchro = new QPushButton(&item_);
        synchro->setObjectName("synchro_device_select");
        synchro->setCheckable(true);
        auto* name = new QLabel(&item_);
        name->setObjectName("device_select_name");
        option_ = option;

        CDeviceOptionUI::Intervals fast;
        fast.connect = 1;
        fast.linkRetry = 5;
        fast.firstLinkWatch = 5;
        fast.linkWatch = 5;
        fast.firstStatus = 1;
        fast.status = 5;
        item_.SetIntervals(fast);
        device_.SetModelIndex(2);
        item_.LinkDevice(&device_);
        item_.SetVisibilityCallback([this](int model, int show) {
            told_.emplace_back(model, show);
            item_.SetVisible(show != 0);
        });
    }

    QString Image(const char* property) { return option_->property(property).toString(); }

    CountingKeyboard device_;
    CDeviceOptionUI item_;
    QWidget* option_ = nullptr;
    std::vector<std::pair<int, int>> told_;
};

}  // namespace

TEST(SelectorImages, SetsByKindCodeAndSubKey) {
    const struct {
        int kind;
        int subKey;
        const char* prefix;  // nullptr: unchanged
    } cases[] = {
        {1, 0, "kb_device"},      {2, 5, "ms_device"},     {3, 0, "hard_mp_device"},
        {3, 1, "soft_mp_device"}, {3, 2, nullptr},         {4, 0, "hd_device"},
        {7, 0, "hd_device"},      {5, 0, "hub_device"},    {6, 0, "unknow_device"},
        {9, 0, "unknow_device"},  {0, 0, "unknow_device"},
    };
    for (const auto& c : cases) {
        const auto set = selector::ImageSetOf(c.kind, c.subKey);
        if (!c.prefix) {
            EXPECT_FALSE(set) << c.kind << "/" << c.subKey;
            continue;
        }
        ASSERT_TRUE(set) << c.kind << "/" << c.subKey;
        EXPECT_STREQ(set->prefix, c.prefix);
        EXPECT_EQ(QString(set->nameTextKey), QString(c.prefix) + "_name_text");
    }
}

TEST_F(SelectorItem, AppliesTheImageSetAndTheSynchronisedPair) {
    item_.SetDeviceType(1, 0);
    EXPECT_EQ(Image("normalimage"), "common/device_ico/kb_device_normal.png");
    EXPECT_EQ(Image("selectedimage"), "common/device_ico/kb_device_selected.png");
    EXPECT_EQ(ui::GetText(option_), "kb_device_name_text");
    item_.SetSynchro(true);
    EXPECT_TRUE(item_.IsSynchro());
    EXPECT_EQ(Image("normalimage"), "common/device_ico/kb_device_synchro_normal.png");
    EXPECT_EQ(Image("selectedimage"), "common/device_ico/kb_device_synchro_selected.png");
    item_.SetSynchro(false);
    EXPECT_EQ(Image("normalimage"), "common/device_ico/kb_device_normal.png");
}

TEST_F(SelectorItem, AMousePadOfAnUnknownSubKeyKeepsTheUnknownImages) {
    item_.SetDeviceType(3, 2);
    EXPECT_EQ(item_.GetNormalImage(), "common/device_ico/unknow_device_normal.png");
    EXPECT_EQ(item_.GetSelectedImage(), "common/device_ico/unknow_device_selected.png");
    EXPECT_EQ(item_.GetSynchroNormalImage(), "common/device_ico/unknow_device_synchro_normal.png");
    EXPECT_EQ(item_.GetSynchroSelectedImage(),
              "common/device_ico/unknow_device_synchro_selected.png");
    EXPECT_EQ(item_.GetKindCode(), 3);
    EXPECT_EQ(item_.GetSubKey(), 2);
}

TEST_F(SelectorItem, ANegativePowerIndexKeepsThePreviousOne) {
    EXPECT_EQ(item_.GetPowerIndex(), -1);
    item_.SetPowerIndex("device_power_switch", 2);
    item_.SetPowerIndex("device_power_switch", -1);
    EXPECT_EQ(item_.GetPowerIndex(), 2);
    EXPECT_EQ(item_.GetPowerContainer(), "device_power_switch");
}

TEST_F(SelectorItem, BindsItsOptionToTheDevicePage) {
    item_.BindPage("device_switch", 3);
    EXPECT_EQ(item_.GetPageIndex(), 3);
    EXPECT_EQ(item_.GetPageContainer(), "device_switch");
    CDeviceOptionUI bare;
    EXPECT_EQ(bare.GetPageIndex(), -1);
    EXPECT_TRUE(bare.GetPageContainer().isEmpty());
    EXPECT_FALSE(bare.IsSelected());
    item_.Select(true);
    EXPECT_TRUE(item_.IsSelected());
    EXPECT_EQ(device_.GetSelectorItem(), &item_);
}

TEST_F(SelectorItem, AWiredKeyboardStreamsWhileItsChannelIsOpenAndStopsAfterItCloses) {
    device_.CommandChannel().SetOpened(true);
    item_.StartConnect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.frames >= 5; }, 5000));
    EXPECT_EQ(device_.connected, 1);
    EXPECT_EQ(device_.linkQueries, 0);  // a wired device is not asked for its link
    EXPECT_TRUE(told_.empty());

    device_.CommandChannel().SetOpened(false);
    const int framesAtLoss = device_.frames;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !ui::IsTimerActive(&item_, CDeviceOptionUI::kFrameTimer); }, 5000));
    EXPECT_LE(device_.frames, framesAtLoss + 1);
}

TEST_F(SelectorItem, AWirelessDeviceStaysHiddenUntilItsLinkComesUpThenConnectsOnce) {
    device_.SetWireless(true);
    device_.CommandChannel().SetOpened(true);
    item_.StartConnect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.linkQueries >= 3; }, 5000));
    EXPECT_FALSE(item_.IsShown());
    EXPECT_EQ(device_.connected, 0);
    EXPECT_EQ(device_.frames, 0);
    ASSERT_FALSE(told_.empty());
    for (const auto& [model, show] : told_) {
        EXPECT_EQ(model, 2);
        EXPECT_EQ(show, 0);
    }

    device_.linked = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.connected == 1; }, 5000));
    EXPECT_EQ(told_.back(), (std::pair<int, int>{2, 1}));
    EXPECT_TRUE(item_.IsShown());
    // The link watch takes over: it keeps asking, and nobody connects again.
    const int queries = device_.linkQueries;
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.linkQueries >= queries + 3; }, 5000));
    EXPECT_EQ(device_.connected, 1);
    EXPECT_TRUE(device_.frames > 0);

    // The link drops: the watch hides the item through the callback.
    device_.linked = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !item_.IsShown(); }, 5000));
    EXPECT_EQ(told_.back(), (std::pair<int, int>{2, 0}));
}

TEST_F(SelectorItem, EventHookAndStatusTimersCallTheirOperations) {
    device_.SetHasStatusBlock(true);
    device_.CommandChannel().SetOpened(true);
    const struct {
        int timer;
        int CountingKeyboard::*counter;
    } cases[] = {
        {CDeviceOptionUI::kEventTimer, &CountingKeyboard::events},
        {CDeviceOptionUI::kFirstHookTimer, &CountingKeyboard::firstHooks},
        {CDeviceOptionUI::kSecondHookTimer, &CountingKeyboard::secondHooks},
        {CDeviceOptionUI::kStatusTimer, &CountingKeyboard::statusRefreshes},
    };
    for (const auto& c : cases) {
        ui::SetTimer(&item_, c.timer, 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return device_.*c.counter >= 1; }, 5000)) << c.timer;
    }
    // Only the status timer re-arms itself.
    EXPECT_FALSE(ui::IsTimerActive(&item_, CDeviceOptionUI::kEventTimer));
    EXPECT_TRUE(ui::IsTimerActive(&item_, CDeviceOptionUI::kStatusTimer));
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.statusRefreshes >= 3; }, 5000));
}

TEST_F(SelectorItem, AnEventReportFromTheDeviceRunsOnDeviceEventOnTheUiThread) {
    std::thread worker([this] { ui::SetTimer(&item_, CSkelmoraUSBDevice::kEventTimerId, 1); });
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return device_.events == 1; }, 5000));
}

TEST_F(SelectorItem, ActivationNeedsAnEnabledItem) {
    EXPECT_TRUE(item_.Activate());
    item_.setEnabled(false);
    EXPECT_FALSE(item_.Activate());
}
