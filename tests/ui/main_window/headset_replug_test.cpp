// The headset unplugged and plugged again in the main window over the emulated bus, with the
// fake sound card and equaliser the emulator gets: its equaliser and card are given back the
// moment it goes (not when the sound server notices), the profile keeps the user's equaliser,
// and the same page takes both again when it comes back. At the end nothing stays running.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "app/device_manager.h"
#include "app/main_wnd.h"
#include "devices/audio/fake_audio_bridge.h"
#include "devices/audio/host_equalizer.h"
#include "devices/skelmora_hs6533_device.h"
#include "emulator/emulated_bus.h"
#include "support/program_controls.h"
#include "support/ui_fixture.h"
#include "ui/control_props.h"
#include "ui/notify.h"

namespace {

// Preset 3's gains, as its table gives them.
constexpr audio::EqGains kPresetThree = {10, 4, 0, -3, -4, -3, -2, -1, 0, 0};

class HeadsetReplugTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        uitest::UseProgramSkinAndControls();
        std::string error;
        ASSERT_TRUE(bus_->Plug("headset", error)) << error;
        window_ = std::make_unique<CMainWnd>(bus_);
        ASSERT_TRUE(window_->Create(nullptr, "test"));
        window_->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->FirstPassDone(); }, 5000));
        const auto headsets = window_->Devices()->DevicesOfKind(kKindHeadset);
        ASSERT_EQ(headsets.size(), 1u);
        headset_ = qobject_cast<CSkelmoraHS6533Device*>(headsets.front());
        ASSERT_NE(headset_, nullptr);
        bridge_ = dynamic_cast<audio::CFakeAudioBridge*>(headset_->AudioBridge());
        eq_ = dynamic_cast<audio::CFakeHostEqualizer*>(headset_->HostEqualizer());
        ASSERT_TRUE(bridge_ && eq_) << "the emulated headset gets the fake card and equaliser";
        ASSERT_TRUE(QTest::qWaitFor([&] { return bridge_->ConnectedCalls() == 1; }, 5000));
    }
    void TearDown() override { window_.reset(); }

    // What the user does on the voice panel: preset p chosen.
    void ChoosePreset(int p) {
        const QString name = QStringLiteral("6533_eq_option_%1").arg(p);
        auto* option = headset_->findChild<QWidget*>(name);
        ASSERT_NE(option, nullptr) << name.toStdString();
        ui::SetSelected(option, true);
        TNotifyUI msg{QLatin1String(notify_type::kSelectChanged), option};
        headset_->Notify(msg);
    }
    int VisibleItems() { return window_->Devices()->VisibleItemCount(); }

    QTemporaryDir home_;
    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    std::unique_ptr<CMainWnd> window_;
    CSkelmoraHS6533Device* headset_ = nullptr;
    audio::CFakeAudioBridge* bridge_ = nullptr;
    audio::CFakeHostEqualizer* eq_ = nullptr;
};

TEST_F(HeadsetReplugTest, UnplugGivesEqualiserAndCardBackAndAReplugTakesThemAgain) {
    EXPECT_TRUE(bridge_->Connected());
    EXPECT_EQ(bridge_->Position().bus, 0) << "the emulated bus gives no USB position";
    ChoosePreset(3);
    ASSERT_TRUE(eq_->IsOn());
    ASSERT_EQ(eq_->Gains(), kPresetThree);

    std::string error;
    const int offCalls = eq_->offCalls;
    ASSERT_TRUE(bus_->Unplug("headset", error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return VisibleItems() == 0; }, 5000));
    EXPECT_FALSE(eq_->IsOn()) << "the filter goes with the headset, at once";
    EXPECT_EQ(eq_->offCalls, offCalls + 1);
    EXPECT_FALSE(bridge_->Connected());
    EXPECT_EQ(bridge_->GoneCalls(), 1);
    EXPECT_EQ(headset_->Profiledata().ReadSystemSetStages().eq_type, 3)
        << "the profile keeps the user's equaliser";

    const int onCalls = eq_->onCalls;
    ASSERT_TRUE(bus_->Plug("headset", error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return bridge_->ConnectedCalls() == 2; }, 5000));
    EXPECT_EQ(window_->Devices()->DevicesOfKind(kKindHeadset).size(), 1u) << "the same page";
    EXPECT_EQ(VisibleItems(), 1);
    EXPECT_TRUE(bridge_->Connected()) << "the card is taken again";
    EXPECT_TRUE(eq_->IsOn()) << "the profile's equaliser runs again";
    EXPECT_EQ(eq_->onCalls, onCalls + 1);
    EXPECT_EQ(eq_->Gains(), kPresetThree);
    EXPECT_EQ(eq_->card, bridge_->CardNumber()) << "in front of the card taken again";

    // The program ends: nothing of the equaliser stays in the desktop's sound setup.
    window_->Devices()->StopAll();
    EXPECT_FALSE(eq_->IsOn());
    EXPECT_FALSE(bridge_->Connected());
}

}  // namespace
