#include "controls/device_key_button.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QStyleOptionButton>
#include <algorithm>

#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/skin_resources.h"

namespace ui {
bool IsFullyOpaque(const QImage& image) {
    if (image.isNull()) return false;
    if (!image.hasAlphaChannel()) return true;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255) return false;
    }
    return true;
}

bool HasSiblingBelow(const QWidget& widget) {
    const QWidget* parent = widget.parentWidget();
    if (!parent) return false;
    for (const QObject* child : parent->children()) {
        if (child == &widget) return false;  // the ones after it are painted over it
        const auto* sibling = qobject_cast<const QWidget*>(child);
        if (sibling && !sibling->isWindow() && sibling->isVisible() &&
            sibling->geometry().intersects(widget.geometry()))
            return true;
    }
    return false;
}
}  // namespace ui

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
    if (!m_backdrop.isNull()) painter.drawPixmap(0, 0, m_backdrop);
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
    const LookKey key{StateBits(), size(), devicePixelRatioF(), text()};
    if (m_lookValid && key == m_lookKey) return m_look;
    QStyleOptionButton option;
    initStyleOption(&option);
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

void CDeviceKeyButtonUI::TakeBackdrop() {
    QWidget* parent = parentWidget();
    if (m_backdropState != Backdrop::NotTaken || !parent || size().isEmpty()) return;
    // Only a parent whose background is its style sheet's (a picture) and nothing else: its
    // own painting or a palette fill is not known here.
    QPixmap backdrop;
    if (parent->testAttribute(Qt::WA_StyledBackground) && !parent->autoFillBackground() &&
        !ui::HasSiblingBelow(*this)) {
        const qreal ratio = devicePixelRatioF();
        backdrop = QPixmap(size() * ratio);
        backdrop.setDevicePixelRatio(ratio);
        backdrop.fill(Qt::transparent);
        QStyleOption option;
        option.initFrom(parent);
        QPainter painter(&backdrop);
        painter.translate(-pos());
        parent->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, parent);
    }
    if (!ui::IsFullyOpaque(backdrop.toImage())) {
        m_backdropState = Backdrop::SeeThrough;
        return;
    }
    m_backdrop = backdrop;
    m_backdropState = Backdrop::Taken;
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    // The parent's look may change (a skin, a style sheet): the backdrop is taken again.
    parent->installEventFilter(this);
}

void CDeviceKeyButtonUI::DropBackdrop() {
    if (m_backdropState == Backdrop::NotTaken) return;
    if (QWidget* parent = parentWidget()) parent->removeEventFilter(this);
    m_backdrop = QPixmap();
    m_backdropState = Backdrop::NotTaken;
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    update();
}

void CDeviceKeyButtonUI::moveEvent(QMoveEvent* event) {
    DropBackdrop();
    QPushButton::moveEvent(event);
}

void CDeviceKeyButtonUI::resizeEvent(QResizeEvent* event) {
    DropBackdrop();
    QPushButton::resizeEvent(event);
}

bool CDeviceKeyButtonUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget()) {
        switch (event->type()) {
            case QEvent::StyleChange:
            case QEvent::PaletteChange:
            case QEvent::Resize:
            case QEvent::DynamicPropertyChange:
                DropBackdrop();
                break;
            default:
                break;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

unsigned CDeviceKeyButtonUI::StateBits() const {
    const bool flags[] = {isEnabled(), hasFocus(),   underMouse(), isDown(),     isChecked(),
                          isFlat(),    isDefault(),  autoDefault(), isActiveWindow(),
                          menu() != nullptr, testAttribute(Qt::WA_Hover)};
    unsigned bits = 0;
    for (const bool flag : flags) bits = (bits << 1) | (flag ? 1u : 0u);
    return bits;
}

void CDeviceKeyButtonUI::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
        case QEvent::FontChange:
            m_lookValid = false;
            break;
        case QEvent::ParentAboutToChange:
            DropBackdrop();
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
