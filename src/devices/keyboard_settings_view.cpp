#include "devices/keyboard_settings_view.h"

namespace {
KeyboardSettingsViewMaker& Maker() {
    static KeyboardSettingsViewMaker maker;
    return maker;
}
}  // namespace

void SetKeyboardSettingsViewMaker(KeyboardSettingsViewMaker maker) { Maker() = std::move(maker); }

std::unique_ptr<IKeyboardSettingsView> MakeKeyboardSettingsView() {
    return Maker() ? Maker()() : nullptr;
}
