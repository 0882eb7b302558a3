#include "controls/device_key_button.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QStyleOptionButton>
#include <algorithm>

#include "controls/backdrop_watch.h"
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

bool HasSiblingBelow(const QWidget& widget, const QRect& rect) {
    const QWidget* parent = widget.parentWidget();
    if (!parent) return false;
    for (const QObject* child : parent->children()) {
        if (child == &widget) return false;  // the ones after it are painted over it
        const auto* sibling = qobject_cast<const QWidget*>(child);
        if (sibling && !sibling->isWindow() && sibling->isVisible() &&
            sibling->geometry().intersects(rect))
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

uint CDeviceKeyButtonUI::GetLightColourValue() const {
    const uint red = (m_lightFill >> 16) & 0xFF;
    const uint green = (m_lightFill >> 8) & 0xFF;
    const uint blue = m_lightFill & 0xFF;
    return red + (blue << 8) + (green << 16);
}

QVariant CDeviceKeyButtonUI::GetBkColorProperty() const {
    if (m_lightFill == 0) return m_bkColor;
    return QStringLiteral("#%1").arg(m_lightFill, 8, 16, QChar('0'));
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

namespace {
// What the widget itself paints over the given rect of its own (its background and its own
// painting, none of its children), as Qt paints it on screen. A window is painted as a root:
// its palette's window colour first, unless it is see-through.
QPixmap PaintOfItsOwn(QWidget& widget, const QRect& rect, qreal ratio) {
    QPixmap layer(rect.size() * ratio);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    const bool asRoot = widget.isWindow() && !widget.testAttribute(Qt::WA_TranslucentBackground);
    widget.render(&layer, QPoint(), QRegion(rect),
                  asRoot ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
    return layer;
}
}  // namespace

void CDeviceKeyButtonUI::TakeBackdrop() {
    const qreal ratio = devicePixelRatioF();
    // Taken for another screen's pixel ratio: taken again, sharp.
    if (m_backdropState == Backdrop::Taken && m_backdrop.devicePixelRatio() != ratio)
        DropBackdrop();
    if (m_backdropState != Backdrop::NotTaken || !parentWidget() || size().isEmpty()) return;
    // Up from the parent, each widget's own painting under the button, until one covers it
    // opaquely (at the latest the window, painted as a root). A widget painted below any
    // member of the chain would show through: then nothing is taken.
    std::vector<QPixmap> layers;  // nearest first
    std::vector<QWidget*> chain;
    bool opaque = false;
    QWidget* child = this;
    for (QWidget* widget = parentWidget(); widget; child = widget, widget = widget->parentWidget()) {
        const QRect rect(mapTo(widget, QPoint(0, 0)), size());
        if (ui::HasSiblingBelow(*child, rect)) break;
        layers.push_back(PaintOfItsOwn(*widget, rect, ratio));
        chain.push_back(widget);
        if (ui::IsFullyOpaque(layers.back().toImage())) {
            opaque = true;
            break;
        }
        if (widget->isWindow()) break;
    }
    if (!opaque) {
        m_backdropState = Backdrop::SeeThrough;
        return;
    }
    QPixmap backdrop = layers.back();
    {
        QPainter painter(&backdrop);
        for (auto layer = std::next(layers.rbegin()); layer != layers.rend(); ++layer)
            painter.drawPixmap(0, 0, *layer);
    }
    m_backdrop = backdrop;
    m_backdropState = Backdrop::Taken;
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    // Any of them may change its look or move under the button: the backdrop is taken again.
    // Below the widget that covers it opaquely, a move shifts one painting against another;
    // that widget moving takes the button and all it holds along.
    for (QWidget* widget : chain) {
        CBackdropWatch* watch = CBackdropWatch::Of(widget);
        m_backdropWatches.push_back(
            connect(watch, &CBackdropWatch::lookChanged, this, &CDeviceKeyButtonUI::DropBackdrop));
        if (widget != chain.back())
            m_backdropWatches.push_back(
                connect(watch, &CBackdropWatch::moved, this, &CDeviceKeyButtonUI::DropBackdrop));
    }
}

void CDeviceKeyButtonUI::DropBackdrop() {
    if (m_backdropState == Backdrop::NotTaken) return;
    for (const QMetaObject::Connection& connection : m_backdropWatches) disconnect(connection);
    m_backdropWatches.clear();
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
