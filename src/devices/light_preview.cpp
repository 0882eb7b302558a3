#include "devices/light_preview.h"

#include "controls/device_key_button.h"

namespace light {

void PaintLightControl(CDeviceKeyButtonUI* control, Rgb colour, uint8_t brightness) {
    if (!control) return;
    const quint32 argb = (static_cast<quint32>(brightness) << 24) | (colour.red << 16) |
                         (colour.green << 8) | colour.blue;
    if (!control->IsLightOverlayOn() || control->GetLightOverlayColour() != brightness) {
        control->SetLightOverlay(true, brightness, brightness);
        control->update();
    }
    // The button paints the fill (colour with the brightness as opacity) and tells it through
    // its "bkcolor" and "lightcolor" properties.
    control->SetLightFill(argb);
}

}  // namespace light
