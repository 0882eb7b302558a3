#include "ui/dpi_scale.h"

#include <QLayout>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ui/font_table.h"

namespace ui {
namespace {
constexpr char kSeen[] = "_dpi_seen";
constexpr char kBaseMin[] = "_dpi_base_min";
constexpr char kBaseMax[] = "_dpi_base_max";
constexpr char kBaseGeometry[] = "_dpi_base_geometry";
constexpr char kBaseMargins[] = "_dpi_base_margins";
constexpr char kBaseSpacing[] = "_dpi_base_spacing";

int scaleLimit(int value, int dpi) {
    return value >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : ScaleByDpi(value, dpi);
}

QSize scaleSize(QSize size, int dpi) {
    return {scaleLimit(size.width(), dpi), scaleLimit(size.height(), dpi)};
}

void scaleLayout(QLayout* layout, int dpi) {
    if (!layout) return;
    if (!layout->property(kBaseMargins).isValid()) {
        const QMargins m = layout->contentsMargins();
        layout->setProperty(kBaseMargins,
                            QVariant::fromValue(QRect(m.left(), m.top(), m.right(), m.bottom())));
        layout->setProperty(kBaseSpacing, layout->spacing());
    }
    const QRect m = layout->property(kBaseMargins).toRect();
    layout->setContentsMargins(ScaleByDpi(m.x(), dpi), ScaleByDpi(m.y(), dpi),
                               ScaleByDpi(m.width(), dpi), ScaleByDpi(m.height(), dpi));
    const int spacing = layout->property(kBaseSpacing).toInt();
    if (spacing >= 0) layout->setSpacing(ScaleByDpi(spacing, dpi));
    for (int i = 0; i < layout->count(); ++i) scaleLayout(layout->itemAt(i)->layout(), dpi);
}

void scaleWidget(QWidget* w, bool isRoot, int dpi) {
    if (!w->property(kSeen).toBool()) {
        w->setProperty(kSeen, true);
        // SetFixedHeight may have recorded the base sizes already.
        if (!w->property(kBaseMin).isValid()) {
            w->setProperty(kBaseMin, w->minimumSize());
            w->setProperty(kBaseMax, w->maximumSize());
        }
        if (!isRoot && w->parentWidget() && !w->parentWidget()->layout())
            w->setProperty(kBaseGeometry, w->geometry());
    }
    w->setMinimumSize(scaleSize(w->property(kBaseMin).toSize(), dpi));
    w->setMaximumSize(scaleSize(w->property(kBaseMax).toSize(), dpi));
    const QVariant geometry = w->property(kBaseGeometry);
    if (geometry.isValid()) {
        const QRect g = geometry.toRect();
        w->setGeometry(ScaleByDpi(g.x(), dpi), ScaleByDpi(g.y(), dpi), ScaleByDpi(g.width(), dpi),
                       ScaleByDpi(g.height(), dpi));
    }
    const QVariant fontId = w->property("fontid");
    if (fontId.isValid())
        w->setFont(CFontTable::Font(fontId.toInt(), dpi));
    else
        // Set on every control rather than inherited from the root: a style sheet rule that
        // touches a font (font-weight) would otherwise fall back to the application font.
        w->setFont(CFontTable::DefaultFont(dpi));
    scaleLayout(w->layout(), dpi);
}
}  // namespace

int ClampDpi(int dpi) { return std::clamp(dpi, 48, 192); }

int ScaleByDpi(int value, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(value) * dpi / 96.0));
}

void ApplyDpi(QWidget* root, int dpi) {
    if (!root) return;
    dpi = ClampDpi(dpi);
    scaleWidget(root, true, dpi);
    for (QWidget* child : root->findChildren<QWidget*>()) scaleWidget(child, false, dpi);
}
}  // namespace ui
