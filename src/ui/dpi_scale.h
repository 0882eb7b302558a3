#pragma once
// Layout scaling by the layer's DPI value. Qt already scales by the screen's pixel ratio;
// this applies the user's DPI on top, as a ratio to 96, and never twice: the 96-DPI sizes of
// every widget are remembered the first time and each new DPI is applied to those.
class QWidget;

namespace ui {
// value * dpi / 96, rounded to the nearest pixel. Pure.
int ScaleByDpi(int value, int dpi);
// Clamps a DPI value into 48..192.
int ClampDpi(int dpi);
// Scales sizes, fixed heights, absolute geometries, layout margins and spacing, and fonts
// (font table ids, see font_table.h; the default font where none is given) of the whole
// subtree.
void ApplyDpi(QWidget* root, int dpi);
}  // namespace ui
