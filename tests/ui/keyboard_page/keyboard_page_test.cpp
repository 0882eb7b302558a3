// The keyboard's page: its 126 keys in the select panel, the keyboard's binding rule (name or
// user data, split at the last "_") and the settings controls it carries.
#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "keyboard_page_fixture.h"
#include "ui/control_props.h"

namespace {

using kbtest::KeyboardPage;

TEST_F(KeyboardPage, Its126KeysAreKeyAndLightButtonsOfTheSelectPanel) {
    auto* panel = Control<CSelectPanelUI>("device_key_light");
    ASSERT_NE(panel, nullptr);
    const auto buttons =
        panel->findChildren<CDeviceKeyButtonUI*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(buttons.size(), 126);
    for (int n = 0; n < 126; ++n) {
        CDeviceKeyButtonUI* key = device_->GetKeyButton(n);
        ASSERT_NE(key, nullptr) << n;
        EXPECT_EQ(key->objectName(), QStringLiteral("key_%1").arg(n));
        EXPECT_EQ(ui::GetUserData(key), QStringLiteral("light_%1").arg(n));
        EXPECT_EQ(device_->GetLightControl(n), key) << n;
        EXPECT_EQ(key->parentWidget(), panel);
        EXPECT_TRUE(QRect(QPoint(0, 0), panel->minimumSize()).contains(key->geometry())) << n;
    }
    for (int n = 126; n < 170; ++n) {
        EXPECT_EQ(device_->GetKeyButton(n), nullptr);
        EXPECT_EQ(device_->GetLightControl(n), nullptr);
    }
    for (int a = 0; a < 126; ++a) {
        for (int b = a + 1; b < 126; ++b) {
            EXPECT_FALSE(device_->GetKeyButton(a)->geometry().intersects(
                device_->GetKeyButton(b)->geometry()))
                << "keys " << a << " and " << b << " overlap";
        }
    }
    // The wave runs from Escape's column on the left to the number pad's on the right.
    EXPECT_LT(device_->KeyColumn(0), device_->KeyColumn(12));
    EXPECT_LT(device_->KeyColumn(12), device_->KeyColumn(41));
}

TEST_F(KeyboardPage, TheSettingsControlsAreOnThePage) {
    for (const char* name : {"repeat_rate_slider", "repeat_delay_check_0", "repeat_delay_check_3",
                             "repeat_delay_time_label1", "6flag_option", "wflag_option",
                             "winlockflag_option", "polling_rate_option_0", "polling_rate_option_3",
                             "repeat_input_richedit", "reset_repeat_btn", "text_test"}) {
        EXPECT_NE(Control(name), nullptr) << name;
    }
    EXPECT_FALSE(Control("text_test")->isVisible());
}

class KeyboardBinding : public devtest::WithApplication {
  protected:
    CDeviceKeyButtonUI* Add(QWidget* parent, const QString& name, const QString& userData = {}) {
        auto* button = new CDeviceKeyButtonUI(parent);
        button->setObjectName(name);
        if (!userData.isEmpty()) ui::SetUserData(button, userData);
        return button;
    }
    CSkelmoraKeyboardDevice device_;
};

TEST_F(KeyboardBinding, NameOrUserDataSplitAtTheLastUnderscore) {
    device_.SetPageLayoutPath(kbtest::kPage);
    device_.SetCounts(170, 170);
    auto* other = new CSelectPanelUI(&device_);
    other->setObjectName("another_panel");
    Add(other, "key_1");
    auto* panel = new CSelectPanelUI(&device_);
    panel->setObjectName("device_key_light");
    const struct {
        const char* name;
        const char* userData;
        int key;    // -1: not a key button
        int light;  // -1: not a light button
    } cases[] = {
        {"key_3", "light_3", 3, 3},
        {"key_4", "", 4, -1},
        {"light_5", "", -1, 5},
        {"lamp", "light_6", -1, 6},
        {"big_key_7", "", -1, -1},
        {"key_x_8", "", -1, -1},
        {"key_169", "light_169", 169, 169},
        {"key_170", "light_170", -1, -1},
        {"key_", "light_", -1, -1},
        {"my_light_9", "", -1, -1},
    };
    std::vector<CDeviceKeyButtonUI*> buttons;
    for (const auto& c : cases) buttons.push_back(Add(panel, c.name, c.userData));
    Add(&device_, "key_2");  // outside any panel
    device_.BindPageControls();

    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        if (c.key >= 0) {
            EXPECT_EQ(device_.GetKeyButton(c.key), buttons[i]) << c.name;
        }
        if (c.light >= 0) {
            EXPECT_EQ(device_.GetLightControl(c.light), buttons[i]) << c.name;
        }
    }
    for (int n : {1, 2, 7, 8, 9}) {
        EXPECT_EQ(device_.GetKeyButton(n), nullptr) << n;
        EXPECT_EQ(device_.GetLightControl(n), nullptr) << n;
    }
    EXPECT_EQ(device_.GetLightControl(4), nullptr);
    EXPECT_EQ(device_.GetKeyButton(5), nullptr);
}

}  // namespace
