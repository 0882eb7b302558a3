#include "panels/profile_switch.h"

#include <QGuiApplication>
#include <QScreen>

#include "devices/skelmora_usb_device.h"
#include "panels/key_assign_codec.h"

namespace profile_switch {

std::optional<SwitchMessage> MessageFor(const WriteOutcome& macros) {
    const key_assign::WriteMessage message = key_assign::MessageForOutcome(macros);
    if (message.text_id.empty()) return std::nullopt;
    return SwitchMessage{QString::fromStdString(message.text_id),
                         static_cast<int>(message.number.value_or(0)), message.number.has_value()};
}

QString ComposeMessage(const QString& translated, int number) {
    return QString::fromStdString(key_assign::FormatNumberText(translated.toStdString(), number));
}

ParameterWrite SwitchParameters() {
    ParameterWrite values;
    values.slot = 0;
    values.firstByte = 0;
    values.flag = 1;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        values.screenWidth = size.width();
        values.screenHeight = size.height();
    }
    return values;
}

void SwitchDevice(CSkelmoraUSBDevice& device, const QString& identifier, Steps steps,
                  const std::function<void(const SwitchMessage&)>& message) {
    if (!identifier.isEmpty()) device.SetProfileBaseName(identifier);
    device.LoadProfile();
    if (steps.reloadLists) device.ReloadLists();
    device.RefreshPage();
    device.WriteParameters(SwitchParameters());
    if (!steps.writeKeys) return;
    const WriteOutcome macros = device.WriteMacros(device.BuildMacroList());
    const std::optional<SwitchMessage> text = MessageFor(macros);
    if (text && message) message(*text);
    // Macros that do not fit were not sent: the key table would name macros the device lacks.
    if (macros.excess > 0) return;
    device.WriteCurrentKeyTable(nullptr);
}

}  // namespace profile_switch
