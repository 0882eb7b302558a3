#pragma once
// The keyboard's system settings on its page: key repeat rate and delay (kept in the profile
// only), the 6-key, W-key and Windows-key flags and the polling rate (also sent to the
// keyboard in its parameter record), and a test box for trying the repeat. The controls are
// found by name once (Bind); a missing control is skipped. The panel keeps no state: every
// handler reads the stages from the profile, changes one field, writes them back and saves
// the profile before anything is sent, so a choice survives an unreachable keyboard.
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

#include "devices/keyboard_settings_view.h"
#include "profiles/keyboard_profiledata.h"
#include "ui/notify.h"

namespace panels {

inline constexpr int kRepeatDelayOptions = 4;
inline constexpr int kPollingRateOptions = 4;
inline constexpr int kRepeatDelayStepMs = 250;

// Option numbers outside 0..3 count as 0.
constexpr int RepeatDelayOption(int delay) {
    return delay < 0 || delay >= kRepeatDelayOptions ? 0 : delay;
}
constexpr int PollingRateOption(int rate) {
    return rate < 0 || rate >= kPollingRateOptions ? 0 : rate;
}
// Repeat delay option d stands for (d + 1) × 250 ms.
constexpr int RepeatDelayMs(int delay) {
    return RepeatDelayOption(delay) * kRepeatDelayStepMs + kRepeatDelayStepMs;
}

class CKeyboardSettingsPanel : public IKeyboardSettingsView {
  public:
    void Bind(QWidget* page) override;
    bool IsBound() const { return bound_; }

    void ShowSystemStages(const profiles::KeyboardSystemStages& stages) override;
    void SelectRepeatDelay(int delay) override;
    void ShowRepeatDelayLabel(int delay) override;
    void SelectPollingRate(int rate) override;
    void ClearRepeatTest() override;
    void SetRepeatTestTip() override;

    bool IsKey6FlagSelected() const;
    bool IsWFlagSelected() const;
    bool IsWinLockFlagSelected() const;
    int GetRepeatRate() const override;

    bool Notify(const TNotifyUI& msg, const Owner& owner) override;

  private:
    // The display text of a text identifier, through the page's hidden "text_test" label.
    QString DisplayText(const QString& id) const;
    // Reads the stages, lets change set one field, writes them back and saves the profile.
    static void ChangeStages(const Owner& owner,
                             const std::function<void(profiles::KeyboardSystemStages&)>& change);
    static int NumberAfter(const QString& name, const QString& prefix);

    bool bound_ = false;
    QPointer<QWidget> repeatRateSlider_;
    std::array<QPointer<QWidget>, kRepeatDelayOptions> repeatDelayOptions_;
    QPointer<QWidget> repeatDelayLabel_;
    QPointer<QWidget> key6Flag_;
    QPointer<QWidget> wFlag_;
    QPointer<QWidget> winLockFlag_;
    std::array<QPointer<QWidget>, kPollingRateOptions> pollingOptions_;
    QPointer<QWidget> repeatTest_;
    QPointer<QWidget> resetRepeat_;
    QPointer<QWidget> textTest_;
};

// The keyboards' pages take this panel from now on.
void RegisterKeyboardSettingsPanel();

}  // namespace panels
