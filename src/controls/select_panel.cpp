#include "controls/select_panel.h"

#include <QMouseEvent>
#include <algorithm>

#include "controls/device_key_button.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"

namespace ui {
QRect SpanRect(QPoint a, QPoint b) {
    // Right and bottom are exclusive edges, as the points themselves are.
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

bool RectsIntersect(const QRect& a, const QRect& b) {
    return !a.isEmpty() && !b.isEmpty() && a.intersects(b);
}
}  // namespace ui

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (!isEnabled() || event->button() != Qt::LeftButton) return;
    m_armed = true;
    m_start = event->position().toPoint();
    m_end = m_start;
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (m_armed) m_selecting = true;
    if (!m_selecting) return;
    m_end = event->position().toPoint();
    m_selection = ui::SpanRect(m_start, m_end);
    update();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    m_armed = false;
    if (!m_selecting) return;
    m_end = event->position().toPoint();
    m_selection = ui::SpanRect(m_start, m_end);
    endSelection();
}

void CSelectPanelUI::endSelection() {
    m_selecting = false;
    m_start = m_end;
    for (CDeviceKeyButtonUI* key : findChildren<CDeviceKeyButtonUI*>()) {
        const QRect keyRect(key->mapTo(this, QPoint(0, 0)), key->size());
        key->SetSelected(ui::RectsIntersect(m_selection, keyRect));
        key->update();
    }
    update();
    ui::SendNotify(this, QString::fromLatin1(notify_type::kClickSelectEnd));
}
