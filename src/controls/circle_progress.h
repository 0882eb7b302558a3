#pragma once
// CCircleProgressUI ("CircleProgress"): a progress control drawn as a ring. A full disc in
// the background colour, a pie from the bottom sweeping clockwise value * 360 / (maximum -
// minimum) degrees in the foreground colour, and an inner disc inset by 10 pixels, all
// anti-aliased. Colours come from the dynamic properties "bkcolor", "forecolor" and
// "innercolor" (ARGB; white inner disc by default).
#include <QProgressBar>

class CCircleProgressUI : public QProgressBar {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "CircleProgress";

    explicit CCircleProgressUI(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

namespace ui {
// Degrees of the foreground pie: value * 360 / (maximum - minimum), within 0..360; 0 when
// maximum equals minimum. Pure.
double RingSweepDegrees(int value, int minimum, int maximum);
}  // namespace ui
