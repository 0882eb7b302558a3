#pragma once
// Painting an LED preview (a "light_N" key button) with an LED's colour and brightness: the
// button fills the colour, with the brightness as its opacity, under its own look (its
// "bkcolor" property tells the colour), and its light overlay is switched on at that
// brightness. The colour value the device classes read back
// is red + (blue << 8) + (green << 16), kept in the property "lightcolor".
#include <cstdint>

#include "devices/light_effects.h"

class CDeviceKeyButtonUI;

namespace light {

inline constexpr char kLightColourProperty[] = "lightcolor";  // read from the button
// Restyles the button only when its look changes (frames come every few milliseconds).
void PaintLightControl(CDeviceKeyButtonUI* control, Rgb colour, uint8_t brightness);

}  // namespace light
