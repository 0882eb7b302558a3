#include "panels/keyboard_settings_panel.h"

#include "ui/control_props.h"
#include "ui/paint_manager.h"

namespace panels {

namespace {
constexpr char kRepeatRateSlider[] = "repeat_rate_slider";
constexpr char kRepeatDelayPrefix[] = "repeat_delay_check_";
constexpr char kRepeatDelayLabel[] = "repeat_delay_time_label1";
constexpr char kKey6Flag[] = "6flag_option";
constexpr char kWFlag[] = "wflag_option";
constexpr char kWinLockFlag[] = "winlockflag_option";
constexpr char kPollingPrefix[] = "polling_rate_option_";
constexpr char kRepeatTest[] = "repeat_input_richedit";
constexpr char kResetRepeat[] = "reset_repeat_btn";
constexpr char kTextTest[] = "text_test";
constexpr char kRepeatDelayText[] = "Repeat_Delay_Time";
constexpr char kRepeatTipText[] = "Repeat_input_text";

// Selects option `chosen` of a row and clears the others, without notifying.
template <size_t N>
void SelectOnly(const std::array<QPointer<QWidget>, N>& options, int chosen) {
    for (size_t i = 0; i < N; ++i) ui::SetSelected(options[i], static_cast<int>(i) == chosen);
}
}  // namespace

void CKeyboardSettingsPanel::Bind(QWidget* page) {
    if (bound_ || !page) return;
    bound_ = true;
    const auto find = [page](const QString& name) {
        return QPointer<QWidget>(CPaintManagerUI::FindSubControlByName(page, name));
    };
    repeatRateSlider_ = find(kRepeatRateSlider);
    for (int i = 0; i < kRepeatDelayOptions; ++i)
        repeatDelayOptions_[i] = find(ui::ComposeName(kRepeatDelayPrefix, i));
    repeatDelayLabel_ = find(kRepeatDelayLabel);
    key6Flag_ = find(kKey6Flag);
    wFlag_ = find(kWFlag);
    winLockFlag_ = find(kWinLockFlag);
    for (int i = 0; i < kPollingRateOptions; ++i)
        pollingOptions_[i] = find(ui::ComposeName(kPollingPrefix, i));
    repeatTest_ = find(kRepeatTest);
    resetRepeat_ = find(kResetRepeat);
    textTest_ = find(kTextTest);
}

void CKeyboardSettingsPanel::ShowSystemStages(const profiles::KeyboardSystemStages& stages) {
    ui::SetSelected(winLockFlag_, stages.win_flag != 0);
    ui::SetSelected(wFlag_, stages.w_flag != 0);
    ui::SetSelected(key6Flag_, stages.key6_flag != 0);
    ui::SetValue(repeatRateSlider_, stages.repeat_rate);
    SelectRepeatDelay(stages.repeat_delay);
    ClearRepeatTest();
    SetRepeatTestTip();
    SelectPollingRate(stages.polling_rate);
}

void CKeyboardSettingsPanel::SelectRepeatDelay(int delay) {
    SelectOnly(repeatDelayOptions_, RepeatDelayOption(delay));
    ShowRepeatDelayLabel(delay);
}

void CKeyboardSettingsPanel::ShowRepeatDelayLabel(int delay) {
    if (!repeatDelayLabel_) return;
    ui::SetText(repeatDelayLabel_, DisplayText(kRepeatDelayText) +
                                       QString::asprintf("%d", RepeatDelayMs(delay)) +
                                       QStringLiteral("ms"));
}

void CKeyboardSettingsPanel::SelectPollingRate(int rate) {
    SelectOnly(pollingOptions_, PollingRateOption(rate));
}

void CKeyboardSettingsPanel::ClearRepeatTest() { ui::SetText(repeatTest_, QString()); }

void CKeyboardSettingsPanel::SetRepeatTestTip() {
    ui::SetTipText(repeatTest_, DisplayText(kRepeatTipText));
}

bool CKeyboardSettingsPanel::IsKey6FlagSelected() const { return ui::IsSelected(key6Flag_); }
bool CKeyboardSettingsPanel::IsWFlagSelected() const { return ui::IsSelected(wFlag_); }
bool CKeyboardSettingsPanel::IsWinLockFlagSelected() const { return ui::IsSelected(winLockFlag_); }
int CKeyboardSettingsPanel::GetRepeatRate() const { return ui::GetValue(repeatRateSlider_); }

QString CKeyboardSettingsPanel::DisplayText(const QString& id) const {
    if (!textTest_) return id;
    ui::SetText(textTest_, id);
    return ui::GetText(textTest_);
}

int CKeyboardSettingsPanel::NumberAfter(const QString& name, const QString& prefix) {
    if (!name.startsWith(prefix)) return -1;
    bool ok = false;
    const int number = name.mid(prefix.size()).toInt(&ok);
    return ok ? number : -1;
}

void CKeyboardSettingsPanel::ChangeStages(
    const Owner& owner, const std::function<void(profiles::KeyboardSystemStages&)>& change) {
    profiles::CKeyboardProfiledata& profile = owner.profile();
    profiles::KeyboardSystemStages stages = profile.ReadSystemStages();
    change(stages);
    profile.WriteSystemStages(stages);
    profile.Save();
}

bool CKeyboardSettingsPanel::Notify(const TNotifyUI& msg, const Owner& owner) {
    QWidget* sender = msg.pSender;
    if (!sender || !owner.profile) return false;
    const QString name = sender->objectName();
    const auto toDevice = [&owner] {
        if (owner.writeParameters) owner.writeParameters();
    };

    if (msg.sType == notify_type::kClick) {
        const uint16_t selected = ui::IsSelected(sender) ? 1 : 0;
        if (name == kKey6Flag) {
            ChangeStages(owner, [selected](auto& s) { s.key6_flag = selected; });
        } else if (name == kWFlag) {
            ChangeStages(owner, [selected](auto& s) { s.w_flag = selected; });
        } else if (name == kWinLockFlag) {
            ChangeStages(owner, [selected](auto& s) { s.win_flag = selected; });
        } else if (name == kResetRepeat) {
            ClearRepeatTest();
            return true;
        } else {
            return false;
        }
        toDevice();
        return true;
    }
    if (msg.sType == notify_type::kSelectChanged) {
        if (const int rate = NumberAfter(name, kPollingPrefix);
            rate >= 0 && rate < kPollingRateOptions) {
            SelectPollingRate(rate);
            ChangeStages(owner, [rate](auto& s) { s.polling_rate = static_cast<uint16_t>(rate); });
            toDevice();
            return true;
        }
        if (const int delay = NumberAfter(name, kRepeatDelayPrefix);
            delay >= 0 && delay < kRepeatDelayOptions) {
            SelectRepeatDelay(delay);
            ChangeStages(owner,
                         [delay](auto& s) { s.repeat_delay = static_cast<uint16_t>(delay); });
            return true;
        }
        return false;
    }
    if (msg.sType == notify_type::kValueChanged && name == kRepeatRateSlider) {
        const int value = ui::GetValue(sender);
        ChangeStages(owner, [value](auto& s) { s.repeat_rate = static_cast<uint16_t>(value); });
        return true;
    }
    return false;
}

void RegisterKeyboardSettingsPanel() {
    SetKeyboardSettingsViewMaker([] { return std::make_unique<CKeyboardSettingsPanel>(); });
}

}  // namespace panels
