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
    if (!control->IsLightOverlayOn() || control->GetLightOverlayColour() != brightness) {
        control->SetLightOverlay(true, brightness, brightness);
        control->update();
    }
    // The colour is kept as the control's properties for their readers, and painted by the
    // button itself: restyling 170 buttons per frame would cost milliseconds. The fill holds
    // colour and brightness, so an unchanged fill means unchanged properties: the preview
    // repaints 50 times a second while the music modes run, and a property is set by name.
    if (control->GetLightFill() != argb) {
        control->setProperty(kLightColourProperty, QVariant::fromValue(PreviewColourValue(colour)));
        control->setProperty(
            "bkcolor",
            argb == 0 ? QVariant() : QVariant(QStringLiteral("#%1").arg(argb, 8, 16, QChar('0'))));
        control->SetLightFill(argb);
    }
}

}  // namespace light
