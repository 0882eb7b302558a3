#pragma once
// What the keyboard asks of its page's system settings panel. The panel itself lives with the
// other panels (panels/keyboard_settings_panel.h), which come after the devices: it registers
// its maker at start-up (RegisterKeyboardSettingsPanel), and a keyboard page built before that,
// or without it, simply has no settings panel.
#include <QWidget>
#include <functional>
#include <memory>

#include "profiles/keyboard_profiledata.h"
#include "ui/notify.h"

class IKeyboardSettingsView {
  public:
    // What a handler needs from the keyboard: its profile and its parameter write.
    struct Owner {
        std::function<profiles::CKeyboardProfiledata&()> profile;
        std::function<void()> writeParameters;
    };

    virtual ~IKeyboardSettingsView() = default;

    // Finds the controls under page (once; later calls keep what was found).
    virtual void Bind(QWidget* page) = 0;
    // In this order: the Windows-key, W and 6-key flags, the repeat rate, the repeat delay
    // options and label, the test box emptied with its tip, the polling option.
    virtual void ShowSystemStages(const profiles::KeyboardSystemStages& stages) = 0;
    virtual void SelectRepeatDelay(int delay) = 0;
    virtual void ShowRepeatDelayLabel(int delay) = 0;
    virtual void SelectPollingRate(int rate) = 0;
    virtual void ClearRepeatTest() = 0;
    virtual void SetRepeatTestTip() = 0;
    virtual int GetRepeatRate() const = 0;
    // Handles the panel's notifications; false for anything else.
    virtual bool Notify(const TNotifyUI& msg, const Owner& owner) = 0;
};

using KeyboardSettingsViewMaker = std::function<std::unique_ptr<IKeyboardSettingsView>()>;
void SetKeyboardSettingsViewMaker(KeyboardSettingsViewMaker maker);
// A new panel from the registered maker; null when none is registered.
std::unique_ptr<IKeyboardSettingsView> MakeKeyboardSettingsView();
