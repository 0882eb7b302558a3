// The headset page from its layout: LED buttons bound, tabs, panels, and the previews' pace.
#include <QStackedWidget>

#include "controls/device_key_button.h"
#include "headset_fixture.h"
#include "support/program_controls.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"

namespace {

using headset_test::HeadsetFixture;

class HeadsetPage : public HeadsetFixture {};

TEST_F(HeadsetPage, TheLayoutBuildsAndBindsLight0ToLight12AndThePanels) {
    uitest::UseProgramSkinAndControls();
    const BuildResult built =
        CDialogBuilder::Create(QStringLiteral("XML/DeviceXml/hs6533device.xml"));
    ASSERT_TRUE(built) << built.error.toStdString();
    auto* page = qobject_cast<CSkelmoraHS6533Device*>(built.root);
    ASSERT_NE(page, nullptr);
    std::unique_ptr<QWidget> owner(built.root);
    page->SetPageLayoutPath(QStringLiteral("XML/DeviceXml/hs6533device.xml"));
    page->SetCounts(0, 13);
    page->BindPageControls();
    for (int i = 0; i < 13; ++i) EXPECT_NE(page->GetLightControl(i), nullptr) << "light_" << i;
    EXPECT_NE(page->GetLightControlItem(), nullptr);
    EXPECT_NE(page->GetVoiceControlItem(), nullptr);
    EXPECT_NE(page->GetMagicControlItem(), nullptr);
    for (const char* name : {"DeviceProfileItem", "VirtualSetControlUI"})
        EXPECT_NE(page->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    // The voice and voice-changer panels are built from their own layouts, controls and all.
    EXPECT_NE(page->GetVoiceControlItem()->findChild<QWidget*>(QStringLiteral("6533_eq_option_3")),
              nullptr);
    EXPECT_NE(
        page->GetMagicControlItem()->findChild<QWidget*>(QStringLiteral("magic_enable_option")),
        nullptr);
    // The profile panel's tabs: light 1, voice 6, voice changer 7, surround 8.
    auto* functions = page->findChild<QStackedWidget*>(QStringLiteral("device_function_switch"));
    auto* panels = page->findChild<QStackedWidget*>(QStringLiteral("device_key_function_switch"));
    ASSERT_NE(functions, nullptr);
    ASSERT_NE(panels, nullptr);
    struct Case {
        int type;
        int function;
        QWidget* shown;
    };
    for (const Case c :
         {Case{6, 0, page->GetVoiceControlItem()}, Case{7, 0, page->GetMagicControlItem()},
          Case{8, 1, page->findChild<QWidget*>(QStringLiteral("VirtualSetControlUI"))},
          Case{1, 0, page->GetLightControlItem()}}) {
        page->SetFunctionPage(c.type);
        EXPECT_EQ(functions->currentIndex(), c.function) << "type " << c.type;
        if (c.function == 0) {
            EXPECT_EQ(panels->currentWidget(), c.shown) << "type " << c.type;
        } else {
            EXPECT_EQ(functions->currentWidget(), c.shown);
        }
    }
}

TEST_F(HeadsetPage, PreviewsArePacedOnlyWhileShownAndAnLedChanged) {
    QWidget window;
    headset_->setParent(&window);
    window.show();
    Attach();
    EXPECT_EQ(headset_->GetFrameNeed(), CSkelmoraUSBDevice::FrameNeed::Preview);
    headset_->SendLightFrame();
    EXPECT_EQ(headset_->GetFrameNeed(), CSkelmoraUSBDevice::FrameNeed::Nothing);
    headset_->SetLed(1, 0xFF00FF00u, 0);
    headset_->AfterLightPass();
    EXPECT_EQ(headset_->GetFrameNeed(), CSkelmoraUSBDevice::FrameNeed::Preview);
    headset_->SendLightFrame();
    headset_->AfterLightPass();
    EXPECT_EQ(headset_->GetFrameNeed(), CSkelmoraUSBDevice::FrameNeed::Nothing);
    window.hide();
    headset_->SetLed(1, 0xFF0000FFu, 0);
    headset_->AfterLightPass();
    EXPECT_EQ(headset_->GetFrameNeed(), CSkelmoraUSBDevice::FrameNeed::Nothing);
    headset_->setParent(nullptr);
}

}  // namespace
