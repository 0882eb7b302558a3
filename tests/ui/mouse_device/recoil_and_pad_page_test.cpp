// The recoil editor on the mouse page (its controls, bullet and gun selection with their
// limits, storing a bullet from the edits, reset, import, export and save through the page's
// notifications, the file filter) and the mouse pad page (its LEDs, and a lighting panel not
// built yet standing in as an empty container).
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <fstream>
#include <sstream>

#include "controls/device_key_button.h"
#include "devices/mouse/shoot_files.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "emulator/device_catalog.h"
#include "emulator/emulated_bus.h"
#include "mouse_device/mouse_page_fixture.h"
#include "panels/shoot_control_ui.h"
#include "support/program_controls.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"
#include "ui/resource_manager.h"

namespace {

namespace fs = std::filesystem;

// The language file's text, or the identifier when no language is loaded.
QString Translated(const char* id) {
    const QString text = CResourceManager::GetInstance().GetText(QLatin1String(id));
    return text.isEmpty() ? QLatin1String(id) : text;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class RecoilPage : public mousetest::MousePageFixture {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(BuildPage());
        panel_ = mouse_->findChild<CShootControlUI*>(QLatin1String(CShootControlUI::kItemName));
        ASSERT_NE(panel_, nullptr);
        // As the main window wires it.
        panel_->SetFolder(mouse_->GetUserDataFolder());
        panel_->SetDefaultFolder(mouse_->GetDefaultDataFolder());
        panel_->SetMessageHandler([this](const QString& text, int) {
            messages_ << text;
            return 1;
        });
        panel_->SetFileChooser([this](bool) { return chosen_; });
        mouse_->AddPanel(panel_);
        folder_ = mouse_->GetUserDataFolder().toStdString();
    }
    QWidget* Named(const QString& name) const { return mouse_->findChild<QWidget*>(name); }
    // A notification from a control of the page, as the main window routes it.
    void Send(const QString& name, const char* type) {
        QWidget* control = Named(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        TNotifyUI msg;
        msg.pSender = control;
        msg.sType = QLatin1String(type);
        mouse_->Notify(msg);
    }
    void Select(const QString& name) {
        ui::SetSelected(Named(name), true);
        Send(name, notify_type::kSelectChanged);
    }
    void Edit(const char* name, const QString& text) {
        ui::SetText(Named(QLatin1String(name)), text);
        Send(QLatin1String(name), notify_type::kKillFocus);
    }
    QString Text(const char* name) const { return ui::GetText(Named(QLatin1String(name))); }

    CShootControlUI* panel_ = nullptr;
    QStringList messages_;
    QString chosen_;
    fs::path folder_;
};

TEST_F(RecoilPage, FindsItsControlsAndGivesMissingGunsTheirFactoryPattern) {
    EXPECT_TRUE(panel_->InitShootPanel());
    for (int g = 0; g < 4; ++g)
        EXPECT_EQ(ReadAll(shoot::GunFile(folder_, g)),
                  ReadAll(shoot::GunFile(SKELMORA_SOURCE_ROOT "/DefaultData", g)));
    EXPECT_EQ(panel_->SelectedBullet(), -1);
}

// A fresh profile: after the page's load no bullet is chosen and the edits are blank (the
// bullet number too, so the page does not claim to show bullet 1); the first bullet chosen
// shows the factory pattern that the load copied for each gun without a file.
TEST_F(RecoilPage, AFreshProfileShowsTheFactoryPatternOnceABulletIsChosen) {
    ASSERT_TRUE(panel_->InitShootPanel());
    for (const char* name :
         {"bullet_select_index", "bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"})
        EXPECT_TRUE(Text(name).isEmpty()) << name;

    const fs::path factory = SKELMORA_SOURCE_ROOT "/DefaultData";
    const struct { int gun, bullet; } cases[] = {{0, 0}, {0, 29}, {1, 0}, {2, 7}, {3, 0}};
    for (const auto& c : cases) {
        Select(QStringLiteral("shoot_gun_op_%1").arg(c.gun));
        Select(QStringLiteral("bullet_op_%1").arg(c.bullet));
        const shoot::GunRead read = shoot::ReadGun(shoot::GunFile(factory, c.gun));
        ASSERT_TRUE(read.present && read.error.empty()) << c.gun << read.error;
        const shoot::Bullet expected = shoot::ReadBullet(read.events, c.bullet);
        EXPECT_NE(expected, shoot::Bullet{}) << "the factory bullet is all zero: " << c.gun;
        EXPECT_EQ(Text("bullet_select_index"), QString::number(c.bullet + 1));
        EXPECT_EQ(Text("bullet_x_eidt"), QString::number(expected.horizontal)) << c.gun;
        EXPECT_EQ(Text("bullet_y_eidt"), QString::number(expected.vertical)) << c.gun;
        EXPECT_EQ(Text("bullet_delay_eidt"), QString::number(expected.delay)) << c.gun;
        EXPECT_EQ(ui::IsSelected(Named(QStringLiteral("bullet_x_check"))), expected.left);
        EXPECT_EQ(ui::IsSelected(Named(QStringLiteral("bullet_y_check"))), expected.up);
    }
    // Gun 1's first bullet as shipped: 4 counts down after 85 ms.
    Select(QStringLiteral("shoot_gun_op_0"));
    Select(QStringLiteral("bullet_op_0"));
    EXPECT_EQ(Text("bullet_y_eidt"), QStringLiteral("4"));
    EXPECT_EQ(Text("bullet_delay_eidt"), QStringLiteral("85"));
}

// Without a factory file the gun keeps no events: its bullets show zero moves, not blanks.
TEST_F(RecoilPage, AGunWithoutAFactoryFileShowsZeroMoves) {
    panel_->SetDefaultFolder(home_.path() + QStringLiteral("/no-factory"));
    ASSERT_TRUE(panel_->InitShootPanel());
    EXPECT_FALSE(fs::exists(shoot::GunFile(folder_, 2)));
    Select(QStringLiteral("shoot_gun_op_2"));
    Select(QStringLiteral("bullet_op_3"));
    for (const char* name : {"bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"})
        EXPECT_EQ(Text(name), QStringLiteral("0")) << name;
}

TEST_F(RecoilPage, GunAndBulletSelectionsAreLimited) {
    ASSERT_TRUE(panel_->InitShootPanel());
    const struct { int asked, selected; } bullets[] = {{30, 29}, {-1, 0}, {12, 12}, {1000, 29}};
    for (const auto& c : bullets) {
        panel_->SelectBullet(c.asked);
        EXPECT_EQ(panel_->SelectedBullet(), c.selected) << c.asked;
        EXPECT_EQ(Text("bullet_select_index"), QString::number(c.selected + 1));
        EXPECT_TRUE(ui::IsSelected(Named(QStringLiteral("bullet_op_%1").arg(c.selected))));
    }
    panel_->SelectBullet(0);
    Send(QStringLiteral("bullet_selected_prev"), notify_type::kClick);
    EXPECT_EQ(panel_->SelectedBullet(), 0);
    Send(QStringLiteral("bullet_selected_next"), notify_type::kClick);
    EXPECT_EQ(panel_->SelectedBullet(), 1);
    for (const auto& [asked, selected] : {std::pair{7, 3}, {-2, 0}, {2, 2}}) {
        panel_->SelectGun(asked);
        EXPECT_EQ(panel_->SelectedGun(), selected);
        EXPECT_EQ(
            qobject_cast<QStackedWidget*>(Named("shoot_image_display_switch"))->currentIndex(),
            selected);
    }
    Select(QStringLiteral("shoot_gun_op_1"));
    EXPECT_EQ(panel_->SelectedGun(), 1);
    Select(QStringLiteral("bullet_op_5"));
    EXPECT_EQ(panel_->SelectedBullet(), 5);
}

TEST_F(RecoilPage, EditsAreStoredAsTheyAreShown) {
    ASSERT_TRUE(panel_->InitShootPanel());
    Select(QStringLiteral("shoot_gun_op_2"));
    Select(QStringLiteral("bullet_op_4"));
    ui::SetSelected(Named("bullet_x_check"), true);   // left
    ui::SetSelected(Named("bullet_y_check"), false);  // down
    const struct {
        const char* edit;
        const char* typed;
        const char* shown;
    } edits[] = {
        {"bullet_x_eidt", "3", "3"},
        {"bullet_y_eidt", "12", "12"},
        {"bullet_delay_eidt", "90", "90"},
        {"bullet_x_eidt", "", "0"},
        {"bullet_x_eidt", "abc", "0"},
        {"bullet_y_eidt", "999", "255"},
        {"bullet_delay_eidt", "99999", "65535"},
        {"bullet_x_eidt", "3", "3"},
        {"bullet_y_eidt", "12", "12"},
        {"bullet_delay_eidt", "90", "90"},
    };
    for (const auto& e : edits) {
        Edit(e.edit, QLatin1String(e.typed));
        EXPECT_EQ(Text(e.edit), QLatin1String(e.shown)) << e.edit << " " << e.typed;
    }
    EXPECT_EQ(Text("bullet_x_check"), Translated("mouse_move_to_left_text"));
    EXPECT_EQ(Text("bullet_y_check"), Translated("mouse_move_to_down_text"));
    const shoot::GunRead read = shoot::ReadGun(shoot::GunFile(folder_, 2));
    ASSERT_EQ(read.events.size(), 180u);
    // Entries 24..29: the bullet of 3 left, 12 down, 90 ms.
    const char* expected[] = {
        R"({"Action":"down","Button":1,"Delay":10,"Type":1})",
        R"({"Action":"up","Button":1,"Delay":0,"Type":1})",
        R"({"Action":"down","Button":3,"Delay":5,"Type":4})",
        R"({"Action":"up","Button":12,"Delay":90,"Type":5})",
        R"({"Action":"down","Button":0,"Delay":0,"Type":4})",
        R"({"Action":"up","Button":0,"Delay":0,"Type":5})",
    };
    for (Json::ArrayIndex i = 0; i < 6; ++i) {
        Json::Value want;
        Json::Reader().parse(expected[i], want);
        EXPECT_EQ(read.events[24 + i], want) << "entry " << 24 + i;
    }
    // Changing a check stores too, and the check's text follows.
    ui::SetSelected(Named("bullet_y_check"), true);
    Send(QStringLiteral("bullet_y_check"), notify_type::kSelectChanged);
    EXPECT_EQ(Text("bullet_y_check"), Translated("mouse_move_to_up_text"));
    EXPECT_TRUE(shoot::ReadBullet(shoot::ReadGun(shoot::GunFile(folder_, 2)).events, 4).up);
}

TEST_F(RecoilPage, ACutFileShowsZeroMovesAndStoringCompletesWholeBullets) {
    ASSERT_TRUE(panel_->InitShootPanel());
    {
        std::ofstream(shoot::GunFile(folder_, 0))
            << R"({"Events":[{"Action":"down","Button":1,"Delay":10,"Type":1},)"
            << R"({"Action":"up","Button":1,"Delay":0,"Type":1},)"
            << R"({"Action":"down","Button":7,"Delay":5,"Type":4}]})";
    }
    // Cut after three entries: shown as far as it goes, the rest as zero moves.
    Select(QStringLiteral("shoot_gun_op_0"));
    panel_->SelectBullet(0);
    EXPECT_EQ(Text("bullet_x_eidt"), QStringLiteral("7"));
    EXPECT_EQ(Text("bullet_y_eidt"), QStringLiteral("0"));
    panel_->SelectBullet(3);
    EXPECT_EQ(Text("bullet_delay_eidt"), QStringLiteral("0"));
    // Storing bullet 3 completes bullet 0 and writes whole bullets up to 3.
    Edit("bullet_x_eidt", QStringLiteral("9"));
    EXPECT_TRUE(messages_.isEmpty());
    const shoot::GunRead read = shoot::ReadGun(shoot::GunFile(folder_, 0));
    ASSERT_TRUE(read.error.empty()) << read.error;
    ASSERT_EQ(read.events.size(), 24u);
    EXPECT_EQ(shoot::ReadBullet(read.events, 0).horizontal, 7);
    EXPECT_EQ(shoot::ReadBullet(read.events, 3).horizontal, 9);
    EXPECT_EQ(shoot::ReadBullet(read.events, 1), shoot::Bullet{});
    // A file that is not JSON is not written over, and the user is told.
    { std::ofstream(shoot::GunFile(folder_, 0)) << "garbage"; }
    Edit("bullet_x_eidt", QStringLiteral("5"));
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(ReadAll(shoot::GunFile(folder_, 0)), "garbage");
}

TEST_F(RecoilPage, ResetImportExportAndSaveThroughTheButtons) {
    ASSERT_TRUE(panel_->InitShootPanel());
    const fs::path gun1 = shoot::GunFile(folder_, 1);
    const fs::path factory1 = shoot::GunFile(SKELMORA_SOURCE_ROOT "/DefaultData", 1);
    Select(QStringLiteral("shoot_gun_op_1"));
    panel_->SelectBullet(0);
    Edit("bullet_x_eidt", QStringLiteral("44"));
    ASSERT_NE(ReadAll(gun1), ReadAll(factory1));
    Send(QStringLiteral("shootdate_reset_btn"), notify_type::kClick);
    EXPECT_EQ(ReadAll(gun1), ReadAll(factory1));
    EXPECT_NE(Text("bullet_x_eidt"), QStringLiteral("44"));

    // A refused import changes nothing and says so.
    const fs::path bad = fs::path(home_.path().toStdString()) / "bad.Shoot";
    { std::ofstream(bad) << R"({"Events":[{"Action":"up","Button":0,"Delay":0,"Type":10}]})"; }
    chosen_ = QString::fromStdString(bad.string());
    Send(QStringLiteral("shootdate_import_btn"), notify_type::kClick);
    EXPECT_EQ(ReadAll(gun1), ReadAll(factory1));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains(QStringLiteral("bad.Shoot"))) << messages_[0].toStdString();

    chosen_ =
        QString::fromStdString(shoot::GunFile(SKELMORA_SOURCE_ROOT "/DefaultData", 3).string());
    Send(QStringLiteral("shootdate_import_btn"), notify_type::kClick);
    EXPECT_EQ(ReadAll(gun1), ReadAll(shoot::GunFile(SKELMORA_SOURCE_ROOT "/DefaultData", 3)));
    const fs::path out = fs::path(home_.path().toStdString()) / "out.Shoot";
    chosen_ = QString::fromStdString(out.string());
    Send(QStringLiteral("shootdate_export_btn"), notify_type::kClick);
    EXPECT_EQ(ReadAll(out), ReadAll(gun1));
    chosen_.clear();  // cancelled: nothing happens
    Send(QStringLiteral("shootdate_export_btn"), notify_type::kClick);
    EXPECT_EQ(messages_.size(), 1);

    // Save: the four guns go to the mouse (channel closed first: failure shown).
    Send(QStringLiteral("shootdate_save_btn"), notify_type::kClick);
    ASSERT_TRUE(panel_->LastUpload().has_value());
    EXPECT_FALSE(panel_->LastUpload()->ok());
    EXPECT_EQ(messages_.size(), 2);
    const std::string path = devtest::PathOf(bus_, devtest::kVendorPage);
    {
        CCommandChannel& channel = mouse_->CommandChannel();
        std::lock_guard lock(channel.ExchangeLock());
        ASSERT_TRUE(channel.WiredConnection().Open(path, true, true, true, false));
        channel.SetOpened(true);
        channel.SetMode(1);
    }
    Send(QStringLiteral("shootdate_save_btn"), notify_type::kClick);
    EXPECT_TRUE(panel_->LastUpload()->ok());
    const shoot::ShootImage image = shoot::BuildImageFromFolder(folder_);
    const std::vector<uint8_t> area = *firmware_->Dump(emu::AreaId::Shoot);
    EXPECT_EQ(
        std::vector<uint8_t>(area.begin(), area.begin() + static_cast<long>(image.bytes.size())),
        image.bytes);
}

TEST_F(RecoilPage, TheFileFilterListsTheShippedShootFiles) {
    QFileDialog dialog;
    CShootControlUI::ConfigureFileDialog(dialog, false);
    EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("Shoot Files(*.shoot)")});
    EXPECT_FALSE(dialog.filter().testFlag(QDir::CaseSensitive));
    // The dialog's filter flags over the shipped folder: the four ".Shoot" files.
    const QStringList listed =
        QDir(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData"), QStringLiteral("*.shoot"),
             QDir::Name, (dialog.filter() | QDir::Files) & ~QDir::CaseSensitive)
            .entryList();
    EXPECT_EQ(listed, (QStringList{"ShootData_0.Shoot", "ShootData_1.Shoot", "ShootData_2.Shoot",
                                   "ShootData_3.Shoot"}));
}

TEST(PadPage, BuildsWithItsLedsAndAPlaceholderForTheLightingPanel) {
    uitest::app();
    uitest::UseProgramSkinAndControls();
    BuildResult page = CDialogBuilder::Create(QStringLiteral("XML/DeviceXml/mousepaddevice.xml"));
    ASSERT_TRUE(page) << page.error.toStdString();
    std::unique_ptr<CSkelmoraMousePadDevice> pad(qobject_cast<CSkelmoraMousePadDevice*>(page.root));
    ASSERT_NE(pad, nullptr);
    pad->SetPageLayoutPath(QStringLiteral("XML/DeviceXml/mousepaddevice.xml"));
    pad->SetCounts(0, 15);
    pad->BindPageControls();
    for (int n = 0; n < 15; ++n) {
        CDeviceKeyButtonUI* led = pad->GetLightControl(n);
        ASSERT_NE(led, nullptr) << n;
        EXPECT_EQ(led->objectName(), QStringLiteral("light_%1").arg(n));
    }
    EXPECT_NE(pad->findChild<QWidget*>(QStringLiteral("DeviceProfileItem")), nullptr);
    QWidget* light = pad->findChild<QWidget*>(QStringLiteral("LightControlItem"));
    ASSERT_NE(light, nullptr);
    if (!CControlFactory::GetInstance()
             .CompositeLayout(QStringLiteral("LightSetControlUI"))
             .isEmpty() &&
        light->property("placeholder").isValid()) {
        EXPECT_EQ(light->property("placeholder").toString(), QStringLiteral("LightSetControlUI"));
    }
}

TEST(PlaceholderControls, StandInUntilTheRealClassIsThereWhicheverComesFirst) {
    uitest::app();
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistPlaceholder(QStringLiteral("LaterPanelUI"));
    std::unique_ptr<QWidget> standIn(
        factory.CreateControl(QStringLiteral("laterpanelui"), nullptr));
    ASSERT_NE(standIn, nullptr);
    EXPECT_EQ(standIn->property("placeholder").toString().toLower(),
              QStringLiteral("laterpanelui"));
    factory.RegistControl(QStringLiteral("LaterPanelUI"), [](QWidget* parent) {
        auto* w = new QLabel(parent);
        w->setObjectName(QStringLiteral("real"));
        return w;
    });
    std::unique_ptr<QWidget> real(factory.CreateControl(QStringLiteral("LaterPanelUI"), nullptr));
    EXPECT_NE(qobject_cast<QLabel*>(real.get()), nullptr);
    factory.RegistPlaceholder(QStringLiteral("LaterPanelUI"));  // registered again after
    real.reset(factory.CreateControl(QStringLiteral("LaterPanelUI"), nullptr));
    EXPECT_NE(qobject_cast<QLabel*>(real.get()), nullptr);
    factory.Unregister(QStringLiteral("LaterPanelUI"));
    EXPECT_FALSE(factory.HasControl(QStringLiteral("LaterPanelUI")));
}

}  // namespace

namespace {
TEST(PadPage, TheWaveFramePaintsTheLedsOfThePicture) {
    uitest::app();
    uitest::UseProgramSkinAndControls();
    BuildResult page = CDialogBuilder::Create(QStringLiteral("XML/DeviceXml/mousepaddevice.xml"));
    ASSERT_TRUE(page) << page.error.toStdString();
    std::unique_ptr<CSkelmoraMousePadDevice> pad(qobject_cast<CSkelmoraMousePadDevice*>(page.root));
    pad->SetPageLayoutPath(QStringLiteral("XML/DeviceXml/mousepaddevice.xml"));
    pad->SetCounts(0, 15);
    pad->BindPageControls();
    light::LightSettings settings;
    settings.multicolour = 1;
    pad->SetLightSettings(light::ToWords(settings));
    pad->ClassEffectA();
    pad->SendLightFrame();
    const std::vector<light::LedEntry> leds = pad->GetLedsCopy();
    for (int n = 0; n < 15; ++n) {
        const light::LedEntry& led = leds[static_cast<size_t>(n)];
        EXPECT_EQ(pad->GetLightControl(n)->GetLightFill() & 0xFFFFFF,
                  (quint32{led.red} << 16) | (quint32{led.green} << 8) | led.blue)
            << n;
        EXPECT_GT(led.brightness, 0) << n;
    }
}
}  // namespace
