#pragma once
// CDeviceKeyButtonUI ("DeviceKeyButton"): one key, button or LED on a device picture.
// Under the button's own look it fills the light preview's colour (SetLightFill); over the
// button's own status images it draws, in this order, the light image (while the
// light overlay is on), the key-unset image and the key-set image (each while not hidden).
// Layout attributes: "lightimage", "keysetimage", "keyunsetimage" (image strings) and
// "gmnametextcolor" (accepted, no effect).
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVariant>
#include <vector>

namespace ui {
// Whether every pixel of the image is opaque (a null image is not). Pure.
bool IsFullyOpaque(const QImage& image);
// Whether a visible sibling painted before the widget (below it) overlaps the rect, in the
// parent's coordinates.
bool HasSiblingBelow(const QWidget& widget, const QRect& rect);
}  // namespace ui

class CDeviceKeyButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString lightimage READ GetLightImage WRITE SetLightImage)
    Q_PROPERTY(QString keysetimage READ GetKeySetImage WRITE SetKeySetImage)
    Q_PROPERTY(QString keyunsetimage READ GetKeyUnsetImage WRITE SetKeyUnsetImage)
    Q_PROPERTY(QString gmnametextcolor READ GetGmNameTextColor WRITE SetGmNameTextColor)
    // The light preview's colour for its readers, made from the fill when read: a preview
    // sets the fill of 126 keys 30 times a second, and a property set by name costs a lookup
    // and an event each time. "lightcolor" is red + (blue << 8) + (green << 16); "bkcolor"
    // is the fill as "#AARRGGBB" while there is one, else what a layout or caller set.
    Q_PROPERTY(uint lightcolor READ GetLightColourValue)
    Q_PROPERTY(QVariant bkcolor READ GetBkColorProperty WRITE SetBkColorProperty)
  public:
    static constexpr char kClassName[] = "DeviceKeyButton";

    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

    QString GetLightImage() const { return m_lightImage; }
    void SetLightImage(const QString& image);
    QString GetKeySetImage() const { return m_keySetImage; }
    void SetKeySetImage(const QString& image);
    QString GetKeyUnsetImage() const { return m_keyUnsetImage; }
    void SetKeyUnsetImage(const QString& image);
    QString GetGmNameTextColor() const { return m_gmNameTextColor; }
    void SetGmNameTextColor(const QString& colour);

    // colour: the fade the light image is drawn with (0 transparent .. 255 opaque);
    // level: kept for the device classes, not used in drawing.
    void SetLightOverlay(bool on, int colour, int level);
    bool IsLightOverlayOn() const { return m_lightOn; }
    int GetLightOverlayColour() const { return m_lightColour; }
    int GetLightOverlayLevel() const { return m_lightLevel; }

    // The light preview's fill (ARGB; alpha 0: none), painted under the button's own look.
    // Cheaper than a style sheet change: previews change every few milliseconds.
    void SetLightFill(quint32 argb);
    quint32 GetLightFill() const { return m_lightFill; }
    uint GetLightColourValue() const;
    QVariant GetBkColorProperty() const;
    void SetBkColorProperty(const QVariant& colour) { m_bkColor = colour; }

    void SetKeySetHidden(bool hidden);
    bool IsKeySetHidden() const { return m_keySetHidden; }
    void SetKeyUnsetHidden(bool hidden);
    bool IsKeyUnsetHidden() const { return m_keyUnsetHidden; }

    void SetSelected(bool selected);
    bool IsSelected() const { return m_selected; }

    // What lies under the button, taken once: the painting of its parent and of the widgets
    // above it there (a device picture, the panels, the window's background), up to the first
    // that covers it opaquely. The button paints it first and counts as opaque, so a preview
    // repaint of the button repaints nothing under it. A move, a resize, a change of the look
    // of any of those widgets or of the screen's pixel ratio drops it (taken again at the
    // next preview); where a widget below one of them would show through, or nothing covers
    // it opaquely, the button stays see-through.
    void TakeBackdrop();
    bool HasBackdrop() const { return !m_backdrop.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // The button's own look (its style sheet in its state) drawn once and reused while its
    // state, size and text stay: a light preview repaints its buttons many times a second.
    struct LookKey {
        unsigned state = 0;  // what the style draws the button by (StateBits)
        QSize size;
        qreal pixelRatio = 1.0;
        QString text;
        bool operator==(const LookKey&) const = default;
    };
    const QPixmap& OwnLook();
    // The button's states its style option is made of, read without building the option (that
    // asks the style sheet for the icon size on every paint).
    unsigned StateBits() const;

    void DropBackdrop();

    enum class Backdrop { NotTaken, Taken, SeeThrough };
    Backdrop m_backdropState = Backdrop::NotTaken;
    QPixmap m_backdrop;
    std::vector<QMetaObject::Connection> m_backdropWatches;  // of the widgets it holds
    LookKey m_lookKey{};
    QPixmap m_look;
    bool m_lookValid = false;
    QString m_lightImage;
    QString m_keySetImage;
    QString m_keyUnsetImage;
    QString m_gmNameTextColor;
    bool m_keySetHidden = true;
    bool m_keyUnsetHidden = true;
    bool m_lightOn = false;
    int m_lightColour = 255;
    int m_lightLevel = 200;
    bool m_selected = false;
    quint32 m_lightFill = 0;
    QVariant m_bkColor;
};
