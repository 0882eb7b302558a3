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

namespace {

// The device's writes of a switch, in order; the outcome is the first of the parameter and
// macro writes that failed. A write that fails does not hold back the next ones, except that
// the key table is not sent when the macros did not fit (it would name macros the device
// lacks). The key table's own outcome is logged by the device, not told (a keyboard reset
// before its read-back has no table to start from).
WriteOutcome WriteProfile(CSkelmoraUSBDevice& device) {
    WriteOutcome first = WriteOutcome::Ok();
    const auto keep = [&first](const WriteOutcome& outcome) {
        if (first.ok() && !outcome.ok()) first = outcome;
        return outcome;
    };
    if (const int written = device.WriteParameters(SwitchParameters()); written != hid::kResultOk)
        keep(WriteOutcome::Failed("parameters", written));
    if (!device.HoldsKeysAndMacros()) return first;
    if (keep(device.WriteMacros(device.BuildMacroList())).excess > 0) return first;
    device.WriteCurrentKeyTable(nullptr);
    return first;
}

}  // namespace

WriteOutcome SwitchDevice(CSkelmoraUSBDevice& device, const QString& identifier, Steps steps,
                          const std::function<void(const SwitchMessage&)>& message) {
    if (!identifier.isEmpty()) device.SetProfileBaseName(identifier);
    device.LoadProfile();
    if (steps.reloadLists) device.ReloadLists();
    device.RefreshPage();
    const WriteOutcome outcome = WriteProfile(device);
    const std::optional<SwitchMessage> text = MessageFor(outcome);
    if (text && message) message(*text);
    return outcome;
}

}  // namespace profile_switch
