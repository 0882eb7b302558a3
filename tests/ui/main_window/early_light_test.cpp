// A lighting change made on a device page before the device's connect has loaded its profile
// (the selector item connects the device a moment after its page appears): the change is laid
// over the loaded profile, so the profile file, the panel and the device all keep it.
#include <gtest/gtest.h>

#include <ostream>

#include "early_page.h"

namespace {

struct EarlyCase {
    const char* kind;
    int mode;  // a mode the device's default profile does not hold
};
void PrintTo(const EarlyCase& c, std::ostream* out) { *out << c.kind << " mode " << c.mode; }

class LightBeforeConnect : public uitest::EarlyPage,
                           public ::testing::WithParamInterface<EarlyCase> {};

TEST_P(LightBeforeConnect, AModeChosenBeforeTheProfileLoadsIsKept) {
    StartBeforeConnect(GetParam().kind);
    if (HasFatalFailure()) return;

    const int mode = GetParam().mode;
    ui::SelectItem(Control("light_combo_modeSelect"), mode);
    Send(notify_type::kItemSelect, "light_combo_modeSelect");

    WaitForConnect();
    if (HasFatalFailure()) return;
    ASSERT_NE(ProfileOf(device_->GetDefaultProfileFile()).ReadLightInfo().mode, mode)
        << "the default profile already holds the mode: the case shows nothing";
    EXPECT_EQ(ProfileOf(UserProfile()).ReadLightInfo().mode, mode) << UserProfile().toStdString();
    EXPECT_EQ(device_->GetLightSettingsCopy().mode, mode);
    EXPECT_EQ(panel_->GetLightMode(), mode);
}

INSTANTIATE_TEST_SUITE_P(Devices, LightBeforeConnect,
                         ::testing::Values(EarlyCase{"mousepad", 3}, EarlyCase{"mouse", 3},
                                           EarlyCase{"keyboard", 3}, EarlyCase{"headset", 3}),
                         [](const auto& info) { return std::string(info.param.kind); });

}  // namespace
