// The device page: binding the picture's controls, function pages, data folders and the
// control factory registration.
#include <QStackedWidget>
#include <QTemporaryDir>

#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "device_test_support.h"
#include "devices/device_registration.h"
#include "devices/light_preview.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"
#include "ui/control_factory.h"
#include "ui/control_look.h"

namespace {

CDeviceKeyButtonUI* AddButton(QWidget* parent, const QString& name) {
    auto* button = new CDeviceKeyButtonUI(parent);
    button->setObjectName(name);
    return button;
}

class DevicePage : public devtest::WithApplication {
  protected:
    // A keyboard page: 170 keys and 170 LEDs, the picture's buttons in a "SelectPanel".
    void BuildKeyboardPage(bool withPanel) {
        device_.SetPageLayoutPath("XML/DeviceXml/keyboarddevice.xml");
        device_.SetCounts(170, 170);
        QWidget* panel = withPanel ? new CSelectPanelUI(&device_) : new QWidget(&device_);
        panel->setObjectName("device_picture");
        for (const char* name : {"key_0", "key_169", "key_170", "light_0", "light_169", "light_170",
                                 "light_", "lamp_3"}) {
            AddButton(panel, name);
        }
        AddButton(&device_, "light_5");  // outside the panel
    }

    CDeviceKeyButtonUI* Named(const QString& name) {
        return device_.findChild<CDeviceKeyButtonUI*>(name);
    }

    CSkelmoraKeyboardDevice device_;
};

bool PaintedWhite(CDeviceKeyButtonUI* button) {
    return ui::GetBkColor(button) == 0xFFFFFFFFu && button->IsLightOverlayOn() &&
           button->GetLightOverlayColour() == 255 &&
           button->property(light::kLightColourProperty).toUInt() == 0xFFFFFFu;
}

}  // namespace

TEST_F(DevicePage, BindsKeyAndLightButtonsOfTheSelectPanelWithinTheCounts) {
    BuildKeyboardPage(true);
    device_.BindPageControls();

    EXPECT_EQ(device_.GetKeyButton(0), Named("key_0"));
    EXPECT_EQ(device_.GetKeyButton(169), Named("key_169"));
    EXPECT_EQ(device_.GetKeyButton(170), nullptr);
    EXPECT_EQ(device_.GetLightControl(0), Named("light_0"));
    EXPECT_EQ(device_.GetLightControl(169), Named("light_169"));
    EXPECT_EQ(device_.GetLightControl(5), nullptr);  // not inside the panel

    EXPECT_TRUE(PaintedWhite(Named("light_169")));
    EXPECT_TRUE(PaintedWhite(Named("light_0")));
    EXPECT_FALSE(PaintedWhite(Named("light_170")));
    EXPECT_FALSE(PaintedWhite(Named("light_5")));
    EXPECT_FALSE(PaintedWhite(Named("key_0")));
}

TEST_F(DevicePage, APageWithoutASelectPanelBindsNothing) {
    BuildKeyboardPage(false);
    device_.BindPageControls();
    for (int i = 0; i < 170; ++i) {
        EXPECT_EQ(device_.GetKeyButton(i), nullptr);
        EXPECT_EQ(device_.GetLightControl(i), nullptr);
    }
    EXPECT_FALSE(PaintedWhite(Named("light_0")));
}

TEST_F(DevicePage, WithoutAPageLayoutTheTablesAreEmptied) {
    BuildKeyboardPage(true);
    device_.SetPageLayoutPath({});
    device_.BindPageControls();
    EXPECT_EQ(device_.GetKeyCount(), 0);
    EXPECT_EQ(device_.GetLedCount(), 0);
    EXPECT_EQ(device_.GetLightControl(0), nullptr);
    EXPECT_TRUE(device_.GetLedsCopy().empty());
}

TEST_F(DevicePage, LedsOutsideTheListAreIgnoredAndReadAsZero) {
    device_.SetCounts(0, 15);
    device_.SetLed(3, 0x80112233u, 7);
    device_.SetLed(15, 0xFFFFFFFFu, 1);
    device_.SetLed(-1, 0xFFFFFFFFu, 1);
    EXPECT_EQ(device_.GetLed(3), (std::pair<uint32_t, uint32_t>{0x80112233u, 7}));
    EXPECT_EQ(device_.GetLed(15), (std::pair<uint32_t, uint32_t>{0, 0}));
    EXPECT_EQ(device_.GetLed(-1), (std::pair<uint32_t, uint32_t>{0, 0}));
}

TEST_F(DevicePage, FunctionPagesSwitchBothSwitchesByTypeAndKind) {
    auto* first = new QStackedWidget(&device_);
    first->setObjectName("device_function_switch");
    auto* second = new QStackedWidget(&device_);
    second->setObjectName("device_key_function_switch");
    for (int i = 0; i < 4; ++i) {
        first->addWidget(new QWidget);
        second->addWidget(new QWidget);
    }
    const struct {
        int type;
        int kind;
        int firstPage;
        int secondPage;  // -1: left as it was
    } cases[] = {
        {3, 1, 1, -1}, {8, 2, 1, -1}, {5, 1, 2, -1}, {4, 1, 3, -1}, {4, 2, 3, -1}, {4, 7, 0, 2},
        {2, 1, 0, 1},  {6, 3, 0, 1},  {7, 1, 0, 2},  {1, 1, 0, 0},  {0, 2, 0, 0},  {99, 7, 0, 0},
    };
    for (const auto& c : cases) {
        device_.SetKind(c.kind);
        second->setCurrentIndex(3);
        device_.SetFunctionPage(c.type);
        EXPECT_EQ(device_.GetFunctionPage(), c.type);
        EXPECT_EQ(first->currentIndex(), c.firstPage) << c.type << " kind " << c.kind;
        EXPECT_EQ(second->currentIndex(), c.secondPage < 0 ? 3 : c.secondPage)
            << c.type << " kind " << c.kind;
    }
}

TEST_F(DevicePage, WithASwitchMissingTheFunctionPageIsOnlyStored) {
    auto* first = new QStackedWidget(&device_);
    first->setObjectName("device_function_switch");
    first->addWidget(new QWidget);
    first->addWidget(new QWidget);
    device_.SetFunctionPage(3);
    EXPECT_EQ(device_.GetFunctionPage(), 3);
    EXPECT_EQ(first->currentIndex(), 0);
}

TEST_F(DevicePage, DataFoldersFollowTheKindName) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    device_.SetKindName("keyboard");
    const QString folder = device_.GetUserDataFolder();
    EXPECT_EQ(folder, home.path() + "/TELMA QX-418GRY Device/keyboard/");
    EXPECT_TRUE(QDir(folder).exists());
    if (saved.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);

    EXPECT_TRUE(device_.GetDefaultDataFolder().endsWith("/DefaultData/"));
    device_.SetDefaultDataFolder("/tmp/defaults/");
    EXPECT_EQ(device_.GetDefaultProfileFile(), "/tmp/defaults/keyboard.Json");
}

TEST(DeviceRegistration, TheFactoryBuildsEachClassWithItsKind) {
    uitest::app();
    RegisterDeviceControls();
    const struct {
        const char* className;
        int kind;
    } cases[] = {{"SkelmoraKeyboardDevice", 1},
                 {"SkelmoraMouseDevice", 2},
                 {"SkelmoraMousePadDevice", 3},
                 {"SkelmoraHS6533Device", 7}};
    for (const auto& c : cases) {
        std::unique_ptr<QWidget> control(
            CControlFactory::GetInstance().CreateControl(c.className, nullptr));
        auto* device = qobject_cast<CSkelmoraUSBDevice*>(control.get());
        ASSERT_NE(device, nullptr) << c.className;
        EXPECT_EQ(device->GetKind(), c.kind) << c.className;
        EXPECT_TRUE(device->IsHostLightControl());
        EXPECT_TRUE(device->IsWindowActive());
        EXPECT_EQ(device->GetFunctionPage(), 1);
        EXPECT_EQ(device->GetModelIndex(), -1);
        EXPECT_EQ(device->GetSelectedLed(), -1);
    }
}
