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
    if (ui::GetBkColor(control) != argb) ui::SetBkColor(control, argb);
}

}  // namespace light
