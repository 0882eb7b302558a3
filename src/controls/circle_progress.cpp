#include "controls/circle_progress.h"

#include <QPainter>
#include <algorithm>

#include "ui/control_look.h"

namespace ui {
double RingSweepDegrees(int value, int minimum, int maximum) {
    const double span = static_cast<double>(maximum) - minimum;
    if (span == 0) return 0;
    return std::clamp(static_cast<double>(value) * 360.0 / span, 0.0, 360.0);
}
}  // namespace ui

namespace {
QColor colourOf(const QWidget* w, const char* property, QRgb fallback) {
    return QColor::fromRgba(ui::ParseArgb(w->property(property)).value_or(fallback));
}
}  // namespace

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
}

void CCircleProgressUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF outer = QRectF(rect());
    painter.setBrush(colourOf(this, "bkcolor", 0xFF3A3F4B));
    painter.drawEllipse(outer);
    // Qt counts angles counter-clockwise from three o'clock in 1/16 degree: start at the
    // bottom (-90) and sweep clockwise (negative span).
    const double sweep = ui::RingSweepDegrees(value(), minimum(), maximum());
    painter.setBrush(colourOf(this, "forecolor", 0xFF2EC4B6));
    if (sweep >= 360.0)
        painter.drawEllipse(outer);
    else if (sweep > 0)
        painter.drawPie(outer, -90 * 16, -static_cast<int>(sweep * 16));
    const QRectF inner = outer.adjusted(10, 10, -10, -10);
    if (inner.width() > 0 && inner.height() > 0) {
        painter.setBrush(colourOf(this, "innercolor", 0xFFFFFFFF));
        painter.drawEllipse(inner);
    }
}
