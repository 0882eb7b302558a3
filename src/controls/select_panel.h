#pragma once
// CSelectPanelUI ("SelectPanel"): the container of a device picture's key buttons. A drag
// over the panel selects every CDeviceKeyButtonUI inside it that the rectangle touches and
// deselects the others, then sends "click_select_end". A click without movement selects
// nothing and sends nothing. The rectangle is not drawn.
#include <QPoint>
#include <QRect>
#include <QWidget>

class CSelectPanelUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SelectPanel";

    explicit CSelectPanelUI(QWidget* parent = nullptr);

    bool IsSelecting() const { return m_selecting; }
    // The last selection rectangle, in panel coordinates (left <= right, top <= bottom).
    QRect GetSelectionRect() const { return m_selection; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void endSelection();

    bool m_armed = false;
    bool m_selecting = false;
    QPoint m_start;
    QPoint m_end;
    QRect m_selection;
};

namespace ui {
// The rectangle spanned by two points, with left <= right and top <= bottom. Pure.
QRect SpanRect(QPoint a, QPoint b);
// Whether two rectangles share an area. Pure.
bool RectsIntersect(const QRect& a, const QRect& b);
}  // namespace ui
