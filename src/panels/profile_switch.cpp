#include "panels/profile_switch.h"

#include <QGuiApplication>
#include <QScreen>

#include "devices/skelmora_usb_device.h"

namespace profile_switch {

std::optional<SwitchMessage> MessageFor(const WriteOutcome& macros) {
    if (macros.excess > 0)
        return SwitchMessage{QStringLiteral("message_text_16"), static_cast<int>(macros.excess)};
    if (!macros.ok()) return SwitchMessage{QStringLiteral("message_text_7"), 0};
    return std::nullopt;
}

QString ComposeMessage(const QString& translated, int number) {
    QString text = translated;
    const qsizetype at = text.indexOf(QStringLiteral("%d"));
    if (at >= 0) text.replace(at, 2, QString::number(number));
    return text;
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
