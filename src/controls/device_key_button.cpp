#include "controls/device_key_button.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>

#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/skin_resources.h"

namespace {
void drawImage(QPainter& painter, const QRect& rect, const QString& image, qreal opacity = 1.0) {
    const QPixmap pixmap = ui::LoadSkinImage(image);
    if (pixmap.isNull()) return;
    painter.setOpacity(opacity);
    painter.drawPixmap(rect, pixmap);
    painter.setOpacity(1.0);
}
}  // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {}

void CDeviceKeyButtonUI::SetLightImage(const QString& image) {
    m_lightImage = image;
    update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
    m_keySetImage = image;
    update();
}

void CDeviceKeyButtonUI::SetKeyUnsetImage(const QString& image) {
    m_keyUnsetImage = image;
    update();
}

void CDeviceKeyButtonUI::SetGmNameTextColor(const QString& colour) {
    // Accepted for the layouts that carry it ("#" then hexadecimal); it changes nothing.
    m_gmNameTextColor = colour;
}

void CDeviceKeyButtonUI::SetLightOverlay(bool on, int colour, int level) {
    m_lightOn = on;
    m_lightColour = colour;
    m_lightLevel = level;
}

void CDeviceKeyButtonUI::SetKeySetHidden(bool hidden) {
    if (m_keySetHidden == hidden) return;
    m_keySetHidden = hidden;
    update();
}

void CDeviceKeyButtonUI::SetKeyUnsetHidden(bool hidden) {
    if (m_keyUnsetHidden == hidden) return;
    m_keyUnsetHidden = hidden;
    update();
}

void CDeviceKeyButtonUI::SetSelected(bool selected) { m_selected = selected; }

void CDeviceKeyButtonUI::SetLightFill(quint32 argb) {
    if (m_lightFill == argb) return;
    m_lightFill = argb;
    update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (qAlpha(m_lightFill) != 0)
        painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor::fromRgba(m_lightFill));
    painter.drawPixmap(0, 0, OwnLook());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_lightOn)
        drawImage(painter, rect(), m_lightImage, std::clamp(m_lightColour, 0, 255) / 255.0);
    if (!m_keyUnsetHidden) drawImage(painter, rect(), m_keyUnsetImage);
    if (!m_keySetHidden) drawImage(painter, rect(), m_keySetImage);
}

const QPixmap& CDeviceKeyButtonUI::OwnLook() {
    QStyleOptionButton option;
    initStyleOption(&option);
    const LookKey key{option.state, size(), devicePixelRatioF(), option.text};
    if (m_lookValid && key == m_lookKey) return m_look;
    m_look = QPixmap(size() * key.pixelRatio);
    m_look.setDevicePixelRatio(key.pixelRatio);
    m_look.fill(Qt::transparent);
    QPainter painter(&m_look);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    painter.end();
    m_lookKey = key;
    m_lookValid = true;
    return m_look;
}

void CDeviceKeyButtonUI::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
        case QEvent::FontChange:
            m_lookValid = false;
            break;
        default:
            break;
    }
    QPushButton::changeEvent(event);
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!isEnabled() || !rect().contains(event->position().toPoint())) {
        QPushButton::mouseDoubleClickEvent(event);
        return;
    }
    setDown(true);
    ui::SendNotify(this, QString::fromLatin1(notify_type::kDoubleClick));
    update();
}
