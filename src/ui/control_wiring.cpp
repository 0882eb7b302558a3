#include "ui/control_wiring.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

#include "ui/control_props.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"

namespace ui {
namespace {
constexpr char kWired[] = "_wired";
constexpr char kToggledSincePress[] = "_toggled_since_press";
constexpr char kSliderStep[] = "_slider_step";
constexpr char kProgrammatic[] = "_programmatic_select";

// Focus, hover and context-menu events of wired controls.
class EventNotifier : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w) return false;
        switch (event->type()) {
            case QEvent::FocusIn:
                if (isEdit(w)) SendNotify(w, notify_type::kSetFocus);
                break;
            case QEvent::FocusOut:
                if (isEdit(w)) SendNotify(w, notify_type::kKillFocus);
                break;
            case QEvent::Enter:
                if (qobject_cast<QAbstractButton*>(w)) SendNotify(w, notify_type::kMouseEnter);
                break;
            case QEvent::Leave:
                if (qobject_cast<QAbstractButton*>(w)) SendNotify(w, notify_type::kMouseLeave);
                break;
            case QEvent::ContextMenu:
                if (w->property("menu").toBool()) {
                    SendNotify(w, notify_type::kMenu);
                    return true;
                }
                break;
            default:
                break;
        }
        return false;
    }

    static bool isEdit(const QWidget* w) {
        return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
               qobject_cast<const QPlainTextEdit*>(w);
    }
};

EventNotifier* eventNotifier() {
    static EventNotifier* notifier = new EventNotifier;
    return notifier;
}

bool isGrouped(const QWidget* option) { return !option->property("group").toString().isEmpty(); }

void wireButton(QAbstractButton* button) {
    // pressed -> (toggled) -> released -> clicked is the order of every user click (mouse,
    // keyboard, click()); a toggle between pressed and clicked is the user's.
    QObject::connect(button, &QAbstractButton::pressed, button,
                     [button] { button->setProperty(kToggledSincePress, false); });
    QObject::connect(button, &QAbstractButton::toggled, button, [button](bool checked) {
        button->setProperty(kToggledSincePress, true);
        if (checked) ApplyOptionSelection(button);
    });
    QObject::connect(button, &QAbstractButton::clicked, button, [button] {
        const bool userToggled = button->property(kToggledSincePress).toBool();
        button->setProperty(kToggledSincePress, false);
        if (button->isCheckable() && userToggled && isGrouped(button) && !button->isChecked()) {
            // Radio behaviour: the selected option of a group cannot be deselected by a click.
            button->setChecked(true);
            SendNotify(button, notify_type::kClick);
            return;
        }
        SendNotify(button, notify_type::kClick);
        if (button->isCheckable() && userToggled) SendNotify(button, notify_type::kSelectChanged);
    });
}

void wireSlider(QSlider* slider) {
    // actionTriggered comes from the user only (drag, keys, page clicks, wheel) and precedes
    // the value change it causes; setValue from code triggers no action.
    QObject::connect(slider, &QAbstractSlider::actionTriggered, slider, [slider](int action) {
        if (action != QAbstractSlider::SliderNoAction) slider->setProperty(kSliderStep, true);
    });
    QObject::connect(slider, &QAbstractSlider::valueChanged, slider, [slider](int value) {
        if (!slider->property(kSliderStep).toBool()) return;
        slider->setProperty(kSliderStep, false);
        SendNotify(
            slider,
            slider->isSliderDown() ? notify_type::kMoveValueChanged : notify_type::kValueChanged,
            value);
    });
    QObject::connect(slider, &QAbstractSlider::sliderReleased, slider,
                     [slider] { SendNotify(slider, notify_type::kValueChanged, slider->value()); });
}

void wireCombo(QComboBox* combo) {
    QObject::connect(combo, &QComboBox::activated, combo,
                     [combo](int index) { SendNotify(combo, notify_type::kItemSelect, index); });
}

void wireList(QListWidget* list) {
    QObject::connect(list, &QListWidget::currentRowChanged, list, [list](int row) {
        if (!list->property(kProgrammatic).toBool())
            SendNotify(list, notify_type::kItemSelect, row);
    });
    QObject::connect(list, &QListWidget::itemClicked, list, [list](QListWidgetItem* item) {
        SendNotify(list, notify_type::kItemClick, list->row(item));
    });
}

void wireEdits(QWidget* w) {
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::textEdited, edit,
                         [edit] { SendNotify(edit, notify_type::kTextChanged); });
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        // Only the user types into a focused editor; text set from code does not notify.
        QObject::connect(rich, &QTextEdit::textChanged, rich, [rich] {
            if (rich->hasFocus()) SendNotify(rich, notify_type::kTextChanged);
        });
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        QObject::connect(plain, &QPlainTextEdit::textChanged, plain, [plain] {
            if (plain->hasFocus()) SendNotify(plain, notify_type::kTextChanged);
        });
    }
}

// Widgets that belong to a Qt composite (the line edit and popup of a combo, the viewport of
// a list) are not controls of the layout.
bool isInnerPart(const QWidget* w, const QWidget* root) {
    for (const QWidget* p = w->parentWidget(); p && p != root->parentWidget();
         p = p->parentWidget()) {
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractItemView*>(p) ||
            qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QTextEdit*>(p) ||
            qobject_cast<const QPlainTextEdit*>(p))
            return true;
        if (auto* tabs = qobject_cast<const QTabWidget*>(p); tabs && w->parentWidget() == p)
            return true;
    }
    return false;
}
}  // namespace

void WireControl(QWidget* w) {
    if (!w || w->property(kWired).toBool()) return;
    w->setProperty(kWired, true);
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        wireButton(button);
    else if (auto* slider = qobject_cast<QSlider*>(w))
        wireSlider(slider);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        wireCombo(combo);
    else if (auto* list = qobject_cast<QListWidget*>(w))
        wireList(list);
    else
        wireEdits(w);
    w->installEventFilter(eventNotifier());
}

void WireTree(QWidget* root) {
    if (!root) return;
    WireControl(root);
    for (QWidget* child : root->findChildren<QWidget*>()) {
        if (!isInnerPart(child, root)) WireControl(child);
    }
}

void ApplyOptionSelection(QWidget* option) {
    auto* button = qobject_cast<QAbstractButton*>(option);
    if (!button || !button->isChecked()) return;
    QWidget* window = button->window();
    const QString group = GetGroup(button);
    if (!group.isEmpty()) {
        for (QAbstractButton* other : window->findChildren<QAbstractButton*>()) {
            if (other != button && other->isChecked() && GetGroup(other) == group)
                other->setChecked(false);
        }
    }
    const QString tabName = GetBindTabLayoutName(button);
    const int index = GetBindTabIndex(button);
    if (!tabName.isEmpty() && index >= 0) {
        QWidget* tab =
            window->objectName() == tabName ? window : window->findChild<QWidget*>(tabName);
        SelectTabItem(tab, index);
    }
}
}  // namespace ui
