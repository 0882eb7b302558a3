#include "app/automation.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTextEdit>

#include "app/device_manager.h"
#include "app/main_wnd.h"
#include "devices/device_option.h"
#include "devices/skelmora_usb_device.h"
#include "platform/log_categories.h"
#include "tables/device_tables.h"
#include "ui/paint_manager.h"

namespace {

using Result = platform::MessagePort::UiResult;

Result Ok(std::string text = "ok") { return {true, std::move(text)}; }
Result Fail(const QString& text) { return {false, text.toStdString()}; }

struct KindName {
    const char* name;
    int kind;
};
constexpr KindName kKinds[] = {
    {"keyboard", kKindKeyboard},
    {"mouse", kKindMouse},
    {"mousepad", kKindMousePad},
    {"headset", kKindHeadset},
};

struct TabName {
    const char* name;
    const char* option;
};
constexpr TabName kTabs[] = {
    {"light", "deng_Op_tab"},    {"keys", "key_Op_tab"},
    {"macros", "macro_Op_tab"},  {"system", "system_Op_tab"},
    {"cursor", "cursor_Op_tab"}, {"voice", "6533_voice_Op_tab"},
    {"magic", "magic_Op_tab"},   {"surround", "Virtual7.1_Op_tab"},
};

bool SameKind(int deviceKind, int wanted) {
    if (deviceKind == wanted) return true;
    return (wanted == kKindMouse && deviceKind == kKindMouseReceiver) ||
           (wanted == kKindKeyboard && deviceKind == kKindKeyboardReceiver);
}

// Runs after the reply: the notification is queued, not handled, when the request answers.
template <class F>
void Later(QWidget* control, F action) {
    QMetaObject::invokeMethod(control, std::move(action), Qt::QueuedConnection);
}

bool Usable(QWidget* control) { return control->isVisible() && control->isEnabled(); }

// The device whose page holds the control; none outside the pages.
CSkelmoraUSBDevice* PageDeviceOf(QWidget* control) {
    for (QWidget* w = control; w; w = w->parentWidget())
        if (auto* device = qobject_cast<CSkelmoraUSBDevice*>(w)) return device;
    return nullptr;
}

const char* KindNameOf(int deviceKind) {
    for (const KindName& k : kKinds)
        if (SameKind(deviceKind, k.kind)) return k.name;
    return "device";
}

QWidget* FindIn(QWidget* root, const QString& name) {
    if (!root) return nullptr;
    if (root->objectName() == name) return root;
    return root->findChild<QWidget*>(name);
}

std::optional<int> Number(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

}  // namespace

QWidget* CAutomation::Find(const QString& name) const {
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &window_) {
        if (QWidget* control = FindIn(modal, name)) return control;
    }
    auto* pages = qobject_cast<QStackedWidget*>(window_.FindControl("device_switch"));
    for (QWidget* control : window_.findChildren<QWidget*>(name)) {
        if (!pages || !pages->isAncestorOf(control)) return control;
        QWidget* shown = pages->currentWidget();
        if (shown && (shown == control || shown->isAncestorOf(control))) return control;
    }
    return nullptr;
}

Result CAutomation::Show(const QString& what) {
    const QString kindText = what.section(u':', 0, 0);
    const QString tabText = what.contains(u':') ? what.section(u':', 1) : QString();
    const KindName* kind = nullptr;
    for (const KindName& k : kKinds)
        if (kindText == QLatin1String(k.name)) kind = &k;
    if (!kind) return Fail(QStringLiteral("no device kind \"%1\"").arg(kindText));
    const TabName* tab = nullptr;
    if (!tabText.isEmpty()) {
        for (const TabName& t : kTabs)
            if (tabText == QLatin1String(t.name)) tab = &t;
        if (!tab) return Fail(QStringLiteral("no tab \"%1\"").arg(tabText));
    }
    CDeviceManager* devices = window_.Devices();
    if (!devices) return Fail(QStringLiteral("the window has no devices yet"));
    for (int i = 0; i < devices->ItemCount(); ++i) {
        CSkelmoraUSBDevice* device = devices->DeviceOfItem(i);
        CDeviceOptionUI* item = devices->Item(i);
        if (!device || !item || !item->IsShown() || !SameKind(device->GetKind(), kind->kind))
            continue;
        devices->ShowDeviceItem(i, true, true);
        if (tab) {
            QWidget* option = FindIn(device, QLatin1String(tab->option));
            auto* button = qobject_cast<QAbstractButton*>(option);
            if (!button || !button->isVisibleTo(device) || !button->isEnabled())
                return Fail(QStringLiteral("the %1 page has no %2 tab").arg(kindText, tabText));
            Later(button, [button] {
                if (!button->isChecked()) button->click();
            });
        }
        return Ok();
    }
    return Fail(QStringLiteral("no %1 is shown").arg(kindText));
}

Result CAutomation::Handle(const std::string& request) {
    const QString line = QString::fromUtf8(request.data(), static_cast<qsizetype>(request.size()));
    const QString verb = line.section(u' ', 0, 0);
    const QString name = line.section(u' ', 1, 1);
    const QString rest = line.section(u' ', 2);  // everything after the name
    qCDebug(lcApp).noquote() << "automation:" << line;

    if (verb == "power") {
        if (name == "suspend" && rest.isEmpty())
            window_.OnPrepareForSleep(true);
        else if (name == "resume" && rest.isEmpty())
            window_.OnPrepareForSleep(false);
        else
            return Fail(QStringLiteral("expected: power suspend | power resume"));
        return Ok();
    }
    if (verb == "show") {
        if (name.isEmpty() || !rest.isEmpty())
            return Fail(QStringLiteral("expected: show KIND[:TAB]"));
        return Show(name);
    }
    static const QStringList kVerbs{"click", "select", "unselect", "item",
                                    "value", "text",   "get",      "where"};
    if (!kVerbs.contains(verb)) return Fail(QStringLiteral("unknown request \"%1\"").arg(verb));
    if (name.isEmpty()) return Fail(QStringLiteral("no control name"));
    const bool takesArgument = verb == "item" || verb == "value" || verb == "text";
    if (takesArgument == rest.isEmpty() && verb != "text")
        return Fail(QStringLiteral("wrong number of arguments for %1").arg(verb));
    QWidget* control = Find(name);
    if (!control)
        return Fail(QStringLiteral("no control \"%1\" in the window or the shown page").arg(name));

    if (verb == "get") {
        if (auto* slider = qobject_cast<QAbstractSlider*>(control))
            return Ok(std::to_string(slider->value()));
        if (auto* combo = qobject_cast<QComboBox*>(control))
            return Ok(std::to_string(combo->currentIndex()));
        if (auto* list = qobject_cast<QListWidget*>(control))
            return Ok(std::to_string(list->currentRow()));
        if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
            return Ok(button->isChecked() ? "1" : "0");
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return Ok(button->text().toStdString());
        if (auto* label = qobject_cast<QLabel*>(control)) return Ok(label->text().toStdString());
        if (auto* edit = qobject_cast<QLineEdit*>(control)) return Ok(edit->text().toStdString());
        if (auto* edit = qobject_cast<QTextEdit*>(control))
            return Ok(edit->toPlainText().toStdString());
        if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
            return Ok(edit->toPlainText().toStdString());
        return Fail(QStringLiteral("\"%1\" has nothing to read").arg(name));
    }
    if (verb == "where") {
        // Where a pointer reaches the control: its screen rectangle, for input sent from outside.
        if (!control->isVisible()) return Fail(QStringLiteral("\"%1\" is hidden").arg(name));
        const QPoint at = control->mapToGlobal(QPoint(0, 0));
        return Ok(QStringLiteral("%1 %2 %3 %4")
                      .arg(at.x())
                      .arg(at.y())
                      .arg(control->width())
                      .arg(control->height())
                      .toStdString());
    }
    // A settings control waits for its device's connect (it is disabled until then): said so,
    // for the caller to try again.
    if (CSkelmoraUSBDevice* device = PageDeviceOf(control);
        device && device->WaitsForConnect(control))
        return Fail(QStringLiteral("\"%1\" takes no changes until the %2 has connected: try again")
                        .arg(name, QLatin1String(KindNameOf(device->GetKind()))));
    if (!Usable(control)) return Fail(QStringLiteral("\"%1\" is hidden or disabled").arg(name));

    if (verb == "click") {
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (!button) return Fail(QStringLiteral("\"%1\" is not a button").arg(name));
        Later(button, [button] { button->click(); });
        return Ok();
    }
    if (verb == "select" || verb == "unselect") {
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (!button || !button->isCheckable())
            return Fail(QStringLiteral("\"%1\" is not an option").arg(name));
        const bool want = verb == "select";
        Later(button, [button, want] {
            if (button->isChecked() != want) button->click();
        });
        return Ok();
    }
    if (verb == "item") {
        const auto row = Number(rest);
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            if (!row || *row < 0 || *row >= combo->count())
                return Fail(
                    QStringLiteral("row %1 is not in 0..%2").arg(rest).arg(combo->count() - 1));
            Later(combo, [combo, r = *row] {
                combo->setCurrentIndex(r);
                emit combo->activated(r);
            });
            return Ok();
        }
        if (auto* list = qobject_cast<QListWidget*>(control)) {
            if (!row || *row < 0 || *row >= list->count())
                return Fail(
                    QStringLiteral("row %1 is not in 0..%2").arg(rest).arg(list->count() - 1));
            Later(list, [list, r = *row] { list->setCurrentRow(r); });
            return Ok();
        }
        return Fail(QStringLiteral("\"%1\" is not a combo box or a list").arg(name));
    }
    if (verb == "value") {
        auto* slider = qobject_cast<QAbstractSlider*>(control);
        if (!slider) return Fail(QStringLiteral("\"%1\" is not a slider").arg(name));
        const auto value = Number(rest);
        if (!value || *value < slider->minimum() || *value > slider->maximum())
            return Fail(QStringLiteral("value %1 is not in %2..%3")
                            .arg(rest)
                            .arg(slider->minimum())
                            .arg(slider->maximum()));
        Later(slider, [slider, v = *value] {
            slider->setSliderDown(true);
            slider->setValue(v);
            slider->setSliderDown(false);  // released: "valuechanged"
        });
        return Ok();
    }
    // text
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (!edit || edit->isReadOnly()) return Fail(QStringLiteral("\"%1\" is not an edit").arg(name));
    Later(edit, [edit, text = rest] {
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(edit, &in);
        edit->setText(text);
        emit edit->textEdited(text);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(edit, &out);
    });
    return Ok();
}
