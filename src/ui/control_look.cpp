#include "ui/control_look.h"

#include <QAbstractButton>
#include <QSlider>
#include <QStringList>
#include <QWidget>
#include <atomic>

#include "ui/skin_resources.h"

namespace ui {
namespace {
constexpr char kLookId[] = "skinLookId";
constexpr char kBaseSheet[] = "_base_stylesheet";
constexpr char kSheetOwned[] = "_look_sheet";

QString cssUrl(const QString& imageString) {
    QString file = ImageFileOf(imageString);
    file.replace('\\', "\\\\").replace('"', "\\\"");
    return QStringLiteral("border-image: url(\"%1\") 0 0 0 0 stretch stretch;").arg(file);
}

// A slider thumb is drawn by "image" (the skin's style sheet draws thumbs that way too, and
// an "image" left from it would cover a border image).
QString thumbRule(const QWidget* w, const char* property) {
    QString file = ImageFileOf(w->property(property).toString());
    if (file.isEmpty()) return {};
    file.replace('\\', "\\\\").replace('"', "\\\"");
    return QStringLiteral("image: url(\"%1\");").arg(file);
}

QString imageRule(const QWidget* w, const char* property) {
    const QString image = w->property(property).toString();
    return image.isEmpty() ? QString() : cssUrl(image);
}
}  // namespace

std::optional<quint32> ParseArgb(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return std::nullopt;
    if (value.typeId() != QMetaType::QString) {
        bool ok = false;
        const qulonglong n = value.toULongLong(&ok);
        if (ok && n <= 0xFFFFFFFFull) return static_cast<quint32>(n);
        return std::nullopt;
    }
    QString text = value.toString().trimmed();
    if (text.startsWith('#'))
        text = text.mid(1);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.size() != 6 && text.size() != 8) return std::nullopt;
    bool ok = false;
    quint32 n = text.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    if (text.size() == 6) n |= 0xFF000000u;
    return n;
}

QString ArgbToCss(quint32 argb) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg(argb >> 24);
}

void RefreshLook(QWidget* w) {
    if (!w) return;
    static std::atomic<int> nextId{1};
    if (!w->property(kLookId).isValid()) {
        w->setProperty(kLookId, nextId++);
        w->setProperty(kBaseSheet, w->styleSheet());
    } else if (w->styleSheet() != w->property(kSheetOwned).toString()) {
        // The style sheet was changed from outside since the last refresh: keep it as the base.
        w->setProperty(kBaseSheet, w->styleSheet());
    }
    const QString selector =
        QStringLiteral("*[%1=\"%2\"]").arg(kLookId).arg(w->property(kLookId).toInt());
    QString base;
    if (const auto colour = ParseArgb(w->property("bkcolor")))
        base += QStringLiteral("background-color: %1;").arg(ArgbToCss(*colour));
    if (const auto colour = ParseArgb(w->property("textcolor")))
        base += QStringLiteral("color: %1;").arg(ArgbToCss(*colour));
    QString normal = imageRule(w, "normalimage");
    if (normal.isEmpty()) normal = imageRule(w, "bkimage");
    base += normal;

    QStringList rules;
    if (!base.isEmpty()) rules << selector + " { " + base + " }";
    const struct {
        const char* property;
        const char* state;
    } states[] = {{"hotimage", ":hover"},
                  {"pushedimage", ":pressed"},
                  {"selectedimage", ":checked"},
                  {"selectedhotimage", ":checked:hover"},
                  {"disabledimage", ":disabled"}};
    for (const auto& s : states) {
        const QString rule = imageRule(w, s.property);
        if (!rule.isEmpty()) rules << selector + s.state + " { " + rule + " }";
    }
    // A slider's "foreimage" fills the groove up to the thumb; its thumb images follow the
    // thumb's states. A style sheet that draws one part of a slider must draw the groove too.
    if (qobject_cast<QSlider*>(w)) {
        const QString fore = imageRule(w, "foreimage");
        const QString thumb = thumbRule(w, "thumbimage");
        if (!fore.isEmpty() || !thumb.isEmpty()) {
            rules << selector +
                         "::groove:horizontal { height: 6px; background: #3a3f4b; "
                         "border-radius: 3px; }";
            if (!fore.isEmpty()) rules << selector + "::sub-page:horizontal { " + fore + " }";
            if (!thumb.isEmpty())
                rules << selector + "::handle:horizontal { width: 14px; margin: -5px 0; " + thumb +
                             " }";
            const struct {
                const char* property;
                const char* state;
            } thumbStates[] = {{"thumbhotimage", ":hover"}, {"thumbpushedimage", ":pressed"}};
            for (const auto& s : thumbStates) {
                const QString rule = thumbRule(w, s.property);
                if (!rule.isEmpty())
                    rules << selector + "::handle:horizontal" + s.state + " { " + rule + " }";
            }
        }
    }
    if (!base.isEmpty() && !qobject_cast<QAbstractButton*>(w))
        w->setAttribute(Qt::WA_StyledBackground);
    const QString baseSheet = w->property(kBaseSheet).toString();
    const QString sheet = rules.isEmpty() ? baseSheet : baseSheet + '\n' + rules.join('\n');
    w->setProperty(kSheetOwned, sheet);
    if (w->styleSheet() != sheet) w->setStyleSheet(sheet);
}

void SetBkColor(QWidget* control, quint32 argb) {
    if (!control) return;
    control->setProperty(
        "bkcolor",
        argb == 0 ? QVariant() : QVariant(QStringLiteral("#%1").arg(argb, 8, 16, QChar('0'))));
    RefreshLook(control);
    control->update();
}

quint32 GetBkColor(const QWidget* control) {
    if (!control) return 0;
    return ParseArgb(control->property("bkcolor")).value_or(0);
}

void SetBkImage(QWidget* control, const QString& image) { SetImage(control, "bkimage", image); }

QString GetBkImage(const QWidget* control) {
    return control ? control->property("bkimage").toString() : QString();
}

void SetImage(QWidget* control, const char* property, const QString& image) {
    if (!control) return;
    control->setProperty(property, image.isEmpty() ? QVariant() : QVariant(image));
    RefreshLook(control);
    control->update();
}
}  // namespace ui
