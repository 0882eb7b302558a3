#pragma once
// The steps that make a device use another profile, shared by the profile panel (a combo
// selection, deleting the active profile, resetting it) and by program links:
//   profile base name := identifier, LoadProfile, ReloadLists, RefreshPage,
//   WriteParameters (0, 0, 1, screen size), and on a device that keeps keys and macros
//   (HoldsKeysAndMacros) BuildMacroList, WriteMacros, and WriteCurrentKeyTable unless the
//   macros did not fit. A pad or a headset gets its parameters and light only.
// The first failed parameter or macro write becomes the message the user sees, as for a key
// assignment; a switch whose writes went through tells nothing.
#include <QString>
#include <functional>
#include <optional>

#include "devices/skelmora_usb_device.h"
#include "devices/write_outcome.h"

namespace profile_switch {

struct SwitchMessage {
    QString textId;          // "message_text_7" or "message_text_16"
    int number = 0;          // the macro excess substituted into "message_text_16"
    bool hasNumber = false;  // only "message_text_16" carries one
};

// None for a success; "message_text_7" for any failure; "message_text_16" with the excess.
std::optional<SwitchMessage> MessageFor(const WriteOutcome& macros);
// The translated text with number put in place of its one "%d", or appended when it has none
// (the text is never used as a format).
QString ComposeMessage(const QString& translated, int number);

// The screen size in physical pixels (logical size × device pixel ratio); 0 × 0 offscreen
// without a screen.
ParameterWrite SwitchParameters();

struct Steps {
    bool reloadLists = true;  // a reset keeps the lists
};

// Runs the steps on device and returns the outcome of its writes; message receives the text
// identifier and its number when a write needs telling.
WriteOutcome SwitchDevice(CSkelmoraUSBDevice& device, const QString& identifier, Steps steps,
                          const std::function<void(const SwitchMessage&)>& message);

}  // namespace profile_switch
