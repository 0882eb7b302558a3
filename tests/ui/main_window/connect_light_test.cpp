// The lighting panel shows the light a device holds once it has connected, and the light of a
// profile switched to: the connect reads the device back (the headset's lighting) or loads the
// profile, and the panel must not keep showing what it showed before.
#include <gtest/gtest.h>

#include <ostream>

#include "early_page.h"
#include "panels/profile_switch.h"

namespace {

struct ConnectCase {
    const char* kind;
    int connectedMode;  // the mode the device has after its connect
};
void PrintTo(const ConnectCase& c, std::ostream* out) { *out << c.kind; }

class LightAtConnect : public uitest::EarlyPage,
                       public ::testing::WithParamInterface<ConnectCase> {
  protected:
    // A profile beside the user's holding the default profile with another light mode.
    QString WriteProfileWithMode(const QString& identifier, int mode) {
        profiles::CBasicProfiledata data = ProfileOf(device_->GetDefaultProfileFile());
        profiles::LightInfo light = data.ReadLightInfo();
        light.mode = static_cast<uint8_t>(mode);
        data.WriteLightInfo(light);
        const QString path = device_->GetUserDataFolder() + identifier + QStringLiteral(".Json");
        data.SetProfilePath(path.toStdString());
        EXPECT_TRUE(data.Save().ok()) << path.toStdString();
        return path;
    }
};

TEST_P(LightAtConnect, ThePanelShowsTheConnectedLightAndThenASwitchedProfilesLight) {
    StartBeforeConnect(GetParam().kind);
    if (HasFatalFailure()) return;
    WaitForConnect();
    if (HasFatalFailure()) return;
    EXPECT_EQ(device_->GetLightSettingsCopy().mode, GetParam().connectedMode);
    EXPECT_EQ(panel_->GetLightMode(), GetParam().connectedMode) << "after the connect";

    const int other = GetParam().connectedMode == 4 ? 2 : 4;
    WriteProfileWithMode(QStringLiteral("other"), other);
    profile_switch::SwitchDevice(*device_, QStringLiteral("other"), {},
                                 [](const profile_switch::SwitchMessage&) {});
    EXPECT_EQ(device_->GetLightSettingsCopy().mode, other);
    EXPECT_EQ(panel_->GetLightMode(), other) << "after the profile switch";
}

// The emulated headset's bank 0 holds a steady light (code 3: mode 3) and the emulated keyboard's
// active record mode 5; the mouse and the pad take their default profile's mode.
INSTANTIATE_TEST_SUITE_P(Devices, LightAtConnect,
                         ::testing::Values(ConnectCase{"headset", 3}, ConnectCase{"mousepad", 0},
                                           ConnectCase{"mouse", 0}, ConnectCase{"keyboard", 5}),
                         [](const auto& info) { return std::string(info.param.kind); });

}  // namespace
