#pragma once
// CColorPaletteUI ("ColorPalette"): picks one colour. A field of hue (across) and saturation
// (down to grey), a bar of value (down to black) beside it, and a strip under both that shows
// the colour being picked.
//
// Pointer: pressing in the field or the bar and dragging moves the colour; the strip follows
// every move, and "colorchanged" is sent once when the pointer is released (when the colour
// changed). Keyboard: Left/Right move the hue, Up/Down the saturation, Page Up/Page Down the
// value; "colorchanged" is sent when the key is released, so a held key sends once. A change
// sent on every move would save the profile and write the device dozens of times a second.
//
// SetSelectColor never notifies; GetSelectColor returns exactly what was set until the user
// moves the colour.
#include <QColor>
#include <QRect>
#include <QWidget>
#include <cstdint>

class CColorPaletteUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "ColorPalette";
    static constexpr int kBarWidth = 16;
    static constexpr int kGap = 6;
    static constexpr int kStripHeight = 14;
    static constexpr int kMarkerRoom = 6;         // the field's marker ring reaches this far out
    static constexpr double kHueKeyStep = 2.0;    // degrees per key press
    static constexpr double kLevelKeyStep = 4.0;  // of 255, saturation and value

    explicit CColorPaletteUI(QWidget* parent = nullptr);

    void SetSelectColor(uint32_t argb);
    uint32_t GetSelectColor() const { return m_argb; }

    // Hue 0..360 (degrees), saturation and value 0..1 of the colour picked.
    double Hue() const { return m_hue; }
    double Saturation() const { return m_saturation; }
    double Value() const { return m_value; }

    // The field, the value bar and the preview strip, in widget coordinates.
    QRect FieldRect() const;
    QRect BarRect() const;
    QRect StripRect() const;

    QSize sizeHint() const override { return {240, 180}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    enum class Drag { None, Field, Bar };
    void MoveTo(QPoint pos);
    void SetHsv(double hue, double saturation, double value);
    void NotifyIfChanged();

    double m_hue = 0.0;
    double m_saturation = 0.0;
    double m_value = 0.0;
    uint32_t m_argb = 0xFF000000u;
    uint32_t m_notified = 0xFF000000u;  // the colour of the last "colorchanged" (or set)
    Drag m_drag = Drag::None;
};

namespace ui {
// The opaque ARGB colour of hue (degrees, wrapped into 0..360), saturation and value (0..1,
// clamped). Pure.
uint32_t ArgbFromHsv(double hue, double saturation, double value);
// Where a point of a field of the given size puts hue and saturation (clamped to the field).
// Pure.
void HueSaturationAt(QPoint pos, const QRect& field, double& hue, double& saturation);
}  // namespace ui
