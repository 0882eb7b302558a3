#pragma once
// Background colours and images of controls. Layouts give them as dynamic properties:
//   "bkcolor"        ARGB colour, "#AARRGGBB" or "#RRGGBB" (or an unsigned number)
//   "bkimage"        image string drawn over the whole control
//   "normalimage", "hotimage", "pushedimage", "selectedimage", "selectedhotimage",
//   "disabledimage"  the status images of buttons and options
//   "textcolor"      ARGB text colour
// RefreshLook turns them into the control's own style sheet (on top of the style sheet the
// layout gives it); the setters below change one property and refresh.
#include <QString>
#include <QVariant>
#include <optional>

class QWidget;

namespace ui {
// Parses "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB" or a number. Pure.
std::optional<quint32> ParseArgb(const QVariant& value);
// "rgba(r, g, b, a)" for a style sheet. Pure.
QString ArgbToCss(quint32 argb);

void RefreshLook(QWidget* control);

void SetBkColor(QWidget* control, quint32 argb);
// 0 when none is set.
quint32 GetBkColor(const QWidget* control);
void SetBkImage(QWidget* control, const QString& image);
QString GetBkImage(const QWidget* control);
// Any of the image properties above ("normalimage", ...).
void SetImage(QWidget* control, const char* property, const QString& image);
}  // namespace ui
