#pragma once
// The program's skin and every control class its layouts name, registered as the program
// does at start (once per test program): for tests that build real pages.
#include <QString>

#include "controls/composite_controls.h"
#include "controls/picture_controls.h"
#include "devices/device_registration.h"
#include "panels/device_profile_ui.h"
#include "panels/key_set_control_ui.h"
#include "panels/keyboard_settings_panel.h"
#include "panels/light_control_ui.h"
#include "panels/macro_control_ui.h"
#include "panels/magic_control_ui.h"
#include "panels/mouse_settings_ui.h"
#include "panels/shoot_control_ui.h"
#include "panels/voice6533_control_ui.h"
#include "ui/control_factory.h"
#include "ui/resource_list.h"
#include "ui/skin_resources.h"

namespace uitest {

inline void UseProgramSkinAndControls() {
    ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
    CResourceList::GetInstance().Load();
    static bool registered = false;
    if (registered) return;
    controls::RegisterPictureControls(CControlFactory::GetInstance());
    RegisterDeviceControls();
    controls::RegisterCompositeControls(CControlFactory::GetInstance());
    RegisterProfilePanel();
    panels::RegisterKeyboardSettingsPanel();
    RegisterMouseSettingsPanel();
    RegisterKeySetControl();
    RegisterMacroControl();
    RegisterShootPanel();
    RegisterLightControl();
    RegisterVoice6533Control();
    RegisterMagicControl();
    registered = true;
}

}  // namespace uitest
