#include "devices/light_preview.h"

#include <QVariant>

#include "controls/device_key_button.h"
#include "ui/control_look.h"

namespace light {

uint32_t PreviewColourValue(Rgb colour) {
    return colour.red + (colour.blue << 8) + (colour.green << 16);
}

void PaintLightControl(CDeviceKeyButtonUI* control, Rgb colour, uint8_t brightness) {
    if (!control) return;
    const quint32 argb = (static_cast<quint32>(brightness) << 24) | (colour.red << 16) |
                         (colour.green << 8) | colour.blue;
    control->setProperty(kLightColourProperty, QVariant::fromValue(PreviewColourValue(colour)));
    if (!control->IsLightOverlayOn() || control->GetLightOverlayColour() != brightness) {
        control->SetLightOverlay(true, brightness, brightness);
        control->update();
    }
    // The colour is kept as the control's background colour for its readers, and painted by
    // the button itself: restyling 170 buttons per frame would cost milliseconds.
    if (control->GetLightFill() != argb) {
        control->setProperty(
            "bkcolor",
            argb == 0 ? QVariant() : QVariant(QStringLiteral("#%1").arg(argb, 8, 16, QChar('0'))));
        control->SetLightFill(argb);
    }
}

}  // namespace light
