#pragma once
// CBackdropWatch: tells the key buttons that hold a picture of a widget's painting (their
// backdrop) when that picture may be stale. One watch per widget, whatever the number of
// buttons over it: a keyboard page has 126 keys over the same few panels, and a filter per
// key would run 126 times for every event those panels get.
#include <QObject>

class QWidget;

class CBackdropWatch : public QObject {
    Q_OBJECT
  public:
    // The widget's watch, made on first use (a child of the widget, gone with it).
    static CBackdropWatch* Of(QWidget* widget);

  signals:
    // Its look changed (style, palette, enabled state, a property, its size or parent).
    void lookChanged();
    // It moved within its parent.
    void moved();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit CBackdropWatch(QWidget* widget);
};
