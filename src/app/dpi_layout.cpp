#include "app/dpi_layout.h"

#include "ui/dpi_scale.h"

int ChooseLayoutDpi(QSize screen) {
    return screen.width() > 1500 && screen.height() > 960 ? 144 : 96;
}

QSize LayoutWindowSize(int dpi) {
    return {ui::ScaleByDpi(kLayoutWidth, dpi), ui::ScaleByDpi(kLayoutHeight, dpi)};
}
