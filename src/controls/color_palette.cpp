#include "controls/color_palette.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/notify.h"
#include "ui/paint_manager.h"

namespace ui {

uint32_t ArgbFromHsv(double hue, double saturation, double value) {
    double h = std::fmod(hue, 360.0);
    if (h < 0) h += 360.0;
    const QColor colour = QColor::fromHsvF(static_cast<float>(h / 360.0),
                                           static_cast<float>(std::clamp(saturation, 0.0, 1.0)),
                                           static_cast<float>(std::clamp(value, 0.0, 1.0)));
    return 0xFF000000u | (colour.rgb() & 0x00FFFFFFu);
}

void HueSaturationAt(QPoint pos, const QRect& field, double& hue, double& saturation) {
    const int width = std::max(1, field.width() - 1);
    const int height = std::max(1, field.height() - 1);
    const int x = std::clamp(pos.x() - field.left(), 0, width);
    const int y = std::clamp(pos.y() - field.top(), 0, height);
    hue = 360.0 * x / width;
    if (hue >= 360.0) hue = 359.999;
    saturation = 1.0 - static_cast<double>(y) / height;
}

}  // namespace ui

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(60, 40);
}

// The field leaves room for the marker's ring at its edges.
QRect CColorPaletteUI::FieldRect() const {
    return QRect(kMarkerRoom, kMarkerRoom,
                 std::max(1, width() - kBarWidth - kGap - 2 * kMarkerRoom),
                 std::max(1, height() - kStripHeight - kGap - 2 * kMarkerRoom));
}

QRect CColorPaletteUI::BarRect() const {
    const QRect field = FieldRect();
    return QRect(field.right() + 1 + kMarkerRoom + kGap, field.top(), kBarWidth, field.height());
}

QRect CColorPaletteUI::StripRect() const {
    return QRect(0, height() - kStripHeight, width(), kStripHeight);
}

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
    const QColor colour = QColor::fromRgb(argb & 0x00FFFFFFu);
    float h = 0, s = 0, v = 0;
    colour.getHsvF(&h, &s, &v);
    // Grey has no hue and black no saturation: keep the ones the user last had.
    if (h >= 0 && s > 0 && v > 0) m_hue = h * 360.0;
    if (v > 0) m_saturation = s;
    m_value = v;
    m_argb = 0xFF000000u | (argb & 0x00FFFFFFu);
    m_notified = m_argb;
    update();
}

void CColorPaletteUI::SetHsv(double hue, double saturation, double value) {
    m_hue = std::fmod(hue, 360.0);
    if (m_hue < 0) m_hue += 360.0;
    m_saturation = std::clamp(saturation, 0.0, 1.0);
    m_value = std::clamp(value, 0.0, 1.0);
    m_argb = ui::ArgbFromHsv(m_hue, m_saturation, m_value);
    update();
}

void CColorPaletteUI::NotifyIfChanged() {
    if (m_argb == m_notified) return;
    m_notified = m_argb;
    ui::SendNotify(this, QString::fromLatin1(notify_type::kColorChanged));
}

void CColorPaletteUI::MoveTo(QPoint pos) {
    if (m_drag == Drag::Field) {
        double hue = 0, saturation = 0;
        ui::HueSaturationAt(pos, FieldRect(), hue, saturation);
        SetHsv(hue, saturation, m_value);
    } else if (m_drag == Drag::Bar) {
        const QRect bar = BarRect();
        const int span = std::max(1, bar.height() - 1);
        const int y = std::clamp(pos.y() - bar.top(), 0, span);
        SetHsv(m_hue, m_saturation, 1.0 - static_cast<double>(y) / span);
    }
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return QWidget::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    const QRect bar = BarRect().adjusted(-kGap / 2, 0, kGap / 2, 0);
    m_drag = bar.contains(pos) ? Drag::Bar : FieldRect().contains(pos) ? Drag::Field : Drag::None;
    MoveTo(pos);
    event->accept();
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag == Drag::None) return QWidget::mouseMoveEvent(event);
    MoveTo(event->position().toPoint());
    event->accept();
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag == Drag::None || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    MoveTo(event->position().toPoint());
    m_drag = Drag::None;
    NotifyIfChanged();
    event->accept();
}

void CColorPaletteUI::keyPressEvent(QKeyEvent* event) {
    const double level = kLevelKeyStep / 255.0;
    switch (event->key()) {
        case Qt::Key_Left:
            SetHsv(m_hue - kHueKeyStep, m_saturation, m_value);
            break;
        case Qt::Key_Right:
            SetHsv(m_hue + kHueKeyStep, m_saturation, m_value);
            break;
        case Qt::Key_Up:
            SetHsv(m_hue, m_saturation + level, m_value);
            break;
        case Qt::Key_Down:
            SetHsv(m_hue, m_saturation - level, m_value);
            break;
        case Qt::Key_PageUp:
            SetHsv(m_hue, m_saturation, m_value + level);
            break;
        case Qt::Key_PageDown:
            SetHsv(m_hue, m_saturation, m_value - level);
            break;
        default:
            return QWidget::keyPressEvent(event);
    }
    event->accept();
}

void CColorPaletteUI::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) NotifyIfChanged();
    QWidget::keyReleaseEvent(event);
}

void CColorPaletteUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect field = FieldRect();
    QLinearGradient hues(field.topLeft(), field.topRight());
    for (int i = 0; i <= 6; ++i)
        hues.setColorAt(i / 6.0, QColor::fromHsvF(std::min(i / 6.0f, 0.9999f), 1.0f, 1.0f));
    painter.fillRect(field, hues);
    QLinearGradient grey(field.topLeft(), field.bottomLeft());
    grey.setColorAt(0, QColor(128, 128, 128, 0));
    grey.setColorAt(1, QColor(128, 128, 128, 255));
    painter.fillRect(field, grey);

    const QRect bar = BarRect();
    QLinearGradient values(bar.topLeft(), bar.bottomLeft());
    values.setColorAt(0, QColor::fromRgb(ui::ArgbFromHsv(m_hue, m_saturation, 1.0)));
    values.setColorAt(1, Qt::black);
    painter.fillRect(bar, values);

    painter.fillRect(StripRect(), QColor::fromRgb(m_argb));

    painter.setRenderHint(QPainter::Antialiasing);
    const int x = field.left() + qRound(m_hue / 360.0 * (field.width() - 1));
    const int y = field.top() + qRound((1.0 - m_saturation) * (field.height() - 1));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawEllipse(QPoint(x, y), 5, 5);
    const int vy = bar.top() + qRound((1.0 - m_value) * (bar.height() - 1));
    painter.setPen(QPen(m_value > 0.5 ? Qt::black : Qt::white, 2));
    painter.drawLine(bar.left() - 2, vy, bar.right() + 2, vy);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
