#pragma once
// The main window's DPI layout rule: the window is laid out for 1000 × 640 at DPI 96, and at
// DPI 144 on a screen wider than 1500 and higher than 960 (device-independent pixels, the
// screen that holds the window). A screen of size 0 (headless) gives 96. Pure.
#include <QSize>

inline constexpr int kLayoutWidth = 1000;
inline constexpr int kLayoutHeight = 640;

int ChooseLayoutDpi(QSize screen);
// The window's size in Qt pixels for a DPI: the layout size × DPI / 96.
QSize LayoutWindowSize(int dpi);
