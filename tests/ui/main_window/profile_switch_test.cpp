// A profile switch on each device page, over the emulated firmware: by the profile combo or by
// a program link, the device gets what it keeps of a profile (a pad or a headset its light and
// parameter block, a keyboard or a mouse also its key table and macros) and the user is told
// nothing; when the write the device does keep fails, the user is told.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "early_page.h"
#include "emulator/command_firmware.h"
#include "hid/command_report.h"
#include "panels/device_profile_ui.h"
#include "panels/profile_link_follower.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {

enum class Way { Combo, Link };

struct SwitchCase {
    const char* name;
    const char* kind;
    Way way;
    std::vector<uint8_t> writes;  // the write commands that reach the device, in order
};
void PrintTo(const SwitchCase& c, std::ostream* out) { *out << c.name; }

constexpr uint8_t kParams = hid::kCmdWriteParameters;
constexpr uint8_t kKeys = hid::kCmdWriteKeyTable;

// The profiles hold no macros: the keyboard and the mouse get no macro write either.
const SwitchCase kSwitchCases[] = {
    {"KeyboardByCombo", "keyboard", Way::Combo, {kParams, kKeys}},
    {"MouseByCombo", "mouse", Way::Combo, {kParams, kKeys}},
    {"PadByCombo", "mousepad", Way::Combo, {kParams}},
    {"PadByLink", "mousepad", Way::Link, {kParams}},
    {"HeadsetByCombo", "headset", Way::Combo, {kParams}},
    {"HeadsetByLink", "headset", Way::Link, {kParams}},
};

class ProfileSwitch : public uitest::EarlyPage, public ::testing::WithParamInterface<SwitchCase> {
  protected:
    emu::CommandFirmware& Firmware() const { return bus_->Device(GetParam().kind)->Firmware(); }
    CDeviceProfileUI* Panel() const {
        return device_->findChild<CDeviceProfileUI*>(QLatin1String(CDeviceProfileUI::kItemName));
    }

    // The page connected, with a second profile linked to a program.
    void Open() {
        StartBeforeConnect(GetParam().kind);
        if (HasFatalFailure()) return;
        WaitForConnect();
        if (HasFatalFailure()) return;
        panel_ = Panel();
        ASSERT_NE(panel_, nullptr);
        panel_->SetMessageHandler([this](const QString& text, int) {
            messages_.push_back(text.toStdString());
            return 1;
        });
        ASSERT_TRUE(panel_->AddProfile());
        ui::SelectItem(Combo(), 1, false);
        ASSERT_TRUE(panel_->LinkProfile(QStringLiteral("game.exe")));
        ui::SelectItem(Combo(), 0, false);
        messages_.clear();
    }
    QWidget* Combo() const {
        return CPaintManagerUI::FindSubControlByName(device_,
                                                     QStringLiteral("device_profile_combo"));
    }

    // Switches to entry index the case's way and waits until the panel has switched.
    void SwitchTo(int index) {
        Firmware().ClearRequestLog();
        const std::string target = panel_->List()->Entries()[index].identifier;
        if (GetParam().way == Way::Combo) {
            ui::SelectItem(Combo(), index, false);
            TNotifyUI msg;
            msg.sType = QString::fromLatin1(notify_type::kItemSelect);
            msg.pSender = Combo();
            device_->Notify(msg);
        } else {
            auto* follower = panel_->findChild<CProfileLinkFollower*>();
            ASSERT_NE(follower, nullptr);
            follower->OnForeground(index == 1 ? QStringLiteral("game.exe")
                                              : QStringLiteral("editor.exe"));
            follower->RunPendingSwitch();
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return panel_->GetActiveIdentifier().toStdString() == target; }, 3000))
            << "no switch to entry " << index;
    }

    // The write commands of the requests since the log was cleared, each run of chunks once.
    std::vector<uint8_t> Writes() const {
        std::vector<uint8_t> writes;
        for (const hid::Report& r : Firmware().RequestLog()) {
            const uint8_t command = r[3];
            const bool write =
                command == hid::kCmdWriteParameters || command == hid::kCmdWriteKeyTable ||
                command == hid::kCmdWriteMacroData || command == hid::kCmdWriteShootData ||
                command == hid::kCmdWriteIndexedBlock;
            if (write && (writes.empty() || writes.back() != command)) writes.push_back(command);
        }
        return writes;
    }

    CDeviceProfileUI* panel_ = nullptr;
    std::vector<std::string> messages_;
};

TEST_P(ProfileSwitch, WritesWhatTheDeviceKeepsAndTellsOnlyAFailure) {
    const SwitchCase& c = GetParam();
    Open();
    if (HasFatalFailure()) return;
    const uint64_t refusedBefore = Firmware().Counters().bad;

    SwitchTo(1);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_EQ(Writes(), c.writes);
    EXPECT_EQ(Firmware().Counters().bad, refusedBefore) << "the device refused a request";
    EXPECT_EQ(Firmware().OpenSettingsSequences(), 0);

    // The device refuses the parameter write every device keeps: the user is told, once.
    Firmware().AddFault({kParams, -1, emu::FaultKind::StatusFF, -1});
    SwitchTo(0);
    Firmware().ClearFaults();
    if (HasFatalFailure()) return;
    const QString failed =
        CResourceManager::GetInstance().GetText(QStringLiteral("message_text_7"));
    EXPECT_EQ(messages_, std::vector<std::string>{failed.toStdString()});
    EXPECT_EQ(Writes().front(), kParams);

    // And a switch that goes through again tells nothing.
    messages_.clear();
    SwitchTo(1);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_EQ(Writes(), c.writes);
}

INSTANTIATE_TEST_SUITE_P(Devices, ProfileSwitch, ::testing::ValuesIn(kSwitchCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
