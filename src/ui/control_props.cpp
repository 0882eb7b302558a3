#include "ui/control_props.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

#include "ui/control_wiring.h"
#include "ui/dpi_scale.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace ui {
namespace {
constexpr char kResText[] = "restext";
constexpr char kTextId[] = "textid";
constexpr char kProgrammatic[] = "_programmatic_select";
constexpr int kUserDataRole = Qt::UserRole;
constexpr int kTextIdRole = Qt::UserRole + 1;

void showText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(w))
        rich->setPlainText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        plain->setPlainText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
}

QString shownText(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
    if (auto* rich = qobject_cast<const QTextEdit*>(w)) return rich->toPlainText();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return plain->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    return {};
}

int dpiOf(const QWidget* w) {
    const CPaintManagerUI* manager = CPaintManagerUI::FromControl(w);
    return manager ? manager->GetDPI() : CPaintManagerUI::kDefaultDpi;
}
}  // namespace

void SetText(QWidget* control, const QString& text) {
    if (!control) return;
    if (IsResourceText(control)) {
        control->setProperty(kTextId, text);
        showText(control, CResourceManager::GetInstance().GetText(text));
    } else {
        showText(control, text);
    }
}

QString GetText(const QWidget* control) { return control ? shownText(control) : QString(); }

void SetResourceText(QWidget* control, bool on) {
    if (!control || IsResourceText(control) == on) return;
    if (on) {
        const QString id = shownText(control);
        control->setProperty(kResText, true);
        SetText(control, id);
    } else {
        const QString id = control->property(kTextId).toString();
        control->setProperty(kResText, false);
        control->setProperty(kTextId, QVariant());
        showText(control, id);
    }
}

bool IsResourceText(const QWidget* control) {
    return control && control->property(kResText).toBool();
}

void RetranslateControl(QWidget* control) {
    if (!control) return;
    const CResourceManager& texts = CResourceManager::GetInstance();
    if (IsResourceText(control) && control->property(kTextId).isValid())
        showText(control, texts.GetText(control->property(kTextId).toString()));
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        for (int i = 0; i < combo->count(); ++i) {
            const QVariant id = combo->itemData(i, kTextIdRole);
            if (id.isValid()) combo->setItemText(i, texts.GetText(id.toString()));
        }
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        for (int i = 0; i < list->count(); ++i) {
            const QVariant id = list->item(i)->data(kTextIdRole);
            if (id.isValid()) list->item(i)->setText(texts.GetText(id.toString()));
        }
    }
}

void SetUserData(QWidget* control, const QString& data) {
    if (control) control->setProperty("userdata", data);
}

QString GetUserData(const QWidget* control) {
    return control ? control->property("userdata").toString() : QString();
}

void SetToolTip(QWidget* control, const QString& text) {
    if (control) control->setToolTip(text);
}

void SetVisible(QWidget* control, bool visible) {
    if (control) control->setVisible(visible);
}

bool IsVisible(const QWidget* control) { return control && !control->isHidden(); }

void SetEnabled(QWidget* control, bool enabled) {
    if (control) control->setEnabled(enabled);
}

void SetFixedHeight(QWidget* control, int height) {
    if (!control) return;
    QSize min = control->property("_dpi_base_min").isValid()
                    ? control->property("_dpi_base_min").toSize()
                    : control->minimumSize();
    QSize max = control->property("_dpi_base_max").isValid()
                    ? control->property("_dpi_base_max").toSize()
                    : control->maximumSize();
    min.setHeight(height);
    max.setHeight(height);
    control->setProperty("_dpi_base_min", min);
    control->setProperty("_dpi_base_max", max);
    control->setFixedHeight(ScaleByDpi(height, dpiOf(control)));
}

int GetFixedHeight(const QWidget* control) {
    if (!control) return 0;
    const QVariant base = control->property("_dpi_base_max");
    const int h = base.isValid() ? base.toSize().height() : control->maximumHeight();
    return h >= QWIDGETSIZE_MAX ? 0 : h;
}

void SetSelected(QWidget* option, bool selected, bool notify) {
    auto* button = qobject_cast<QAbstractButton*>(option);
    if (!button || !button->isCheckable()) return;
    const bool changed = button->isChecked() != selected;
    button->setChecked(selected);
    if (selected) ApplyOptionSelection(button);
    if (changed && notify) SendNotify(button, QStringLiteral("selectchanged"));
}

bool IsSelected(const QWidget* option) {
    auto* button = qobject_cast<const QAbstractButton*>(option);
    return button && button->isChecked();
}

void SetGroup(QWidget* option, const QString& group) {
    if (!option) return;
    option->setProperty("group", group.isEmpty() ? QVariant() : QVariant(group));
    if (IsSelected(option)) ApplyOptionSelection(option);
}

QString GetGroup(const QWidget* option) {
    return option ? option->property("group").toString() : QString();
}

void BindTabLayout(QWidget* option, const QString& tabLayout, int index) {
    if (!option) return;
    option->setProperty("bindtablayoutname", tabLayout);
    option->setProperty("bindtabindex", index);
}

int GetBindTabIndex(const QWidget* option) {
    if (!option) return -1;
    bool ok = false;
    const int index = option->property("bindtabindex").toInt(&ok);
    return ok ? index : -1;
}

QString GetBindTabLayoutName(const QWidget* option) {
    return option ? option->property("bindtablayoutname").toString() : QString();
}

void SelectTabItem(QWidget* tabLayout, int index) {
    if (auto* stack = qobject_cast<QStackedWidget*>(tabLayout)) {
        if (index >= 0 && index < stack->count()) stack->setCurrentIndex(index);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(tabLayout)) {
        if (index >= 0 && index < tabs->count()) tabs->setCurrentIndex(index);
    }
}

int GetCurSel(const QWidget* control) {
    if (auto* stack = qobject_cast<const QStackedWidget*>(control)) return stack->currentIndex();
    if (auto* tabs = qobject_cast<const QTabWidget*>(control)) return tabs->currentIndex();
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentIndex();
    if (auto* list = qobject_cast<const QListWidget*>(control)) return list->currentRow();
    return -1;
}

void SetRange(QWidget* control, int minimum, int maximum) {
    if (auto* slider = qobject_cast<QAbstractSlider*>(control))
        slider->setRange(minimum, maximum);
    else if (auto* progress = qobject_cast<QProgressBar*>(control))
        progress->setRange(minimum, maximum);
}

void SetValue(QWidget* control, int value) {
    if (auto* slider = qobject_cast<QAbstractSlider*>(control))
        slider->setValue(value);
    else if (auto* progress = qobject_cast<QProgressBar*>(control))
        progress->setValue(value);
}

int GetValue(const QWidget* control) {
    if (auto* slider = qobject_cast<const QAbstractSlider*>(control)) return slider->value();
    if (auto* progress = qobject_cast<const QProgressBar*>(control)) return progress->value();
    return 0;
}

int GetMinValue(const QWidget* control) {
    if (auto* slider = qobject_cast<const QAbstractSlider*>(control)) return slider->minimum();
    if (auto* progress = qobject_cast<const QProgressBar*>(control)) return progress->minimum();
    return 0;
}

int GetMaxValue(const QWidget* control) {
    if (auto* slider = qobject_cast<const QAbstractSlider*>(control)) return slider->maximum();
    if (auto* progress = qobject_cast<const QProgressBar*>(control)) return progress->maximum();
    return 0;
}

int AddLabelItem(QWidget* comboOrList, const QString& text, const QString& userData,
                 bool resourceText, int fixedHeight) {
    const QString shown = resourceText ? CResourceManager::GetInstance().GetText(text) : text;
    if (auto* combo = qobject_cast<QComboBox*>(comboOrList)) {
        combo->setProperty(kProgrammatic, true);
        combo->addItem(shown, userData);
        const int index = combo->count() - 1;
        if (resourceText) combo->setItemData(index, text, kTextIdRole);
        if (fixedHeight > 0)
            combo->setItemData(index, QSize(0, ScaleByDpi(fixedHeight, dpiOf(combo))),
                               Qt::SizeHintRole);
        combo->setProperty(kProgrammatic, false);
        return index;
    }
    if (auto* list = qobject_cast<QListWidget*>(comboOrList)) {
        auto* item = new QListWidgetItem(shown);
        item->setData(kUserDataRole, userData);
        if (resourceText) item->setData(kTextIdRole, text);
        if (fixedHeight > 0) item->setSizeHint(QSize(0, ScaleByDpi(fixedHeight, dpiOf(list))));
        list->setProperty(kProgrammatic, true);
        list->addItem(item);
        list->setProperty(kProgrammatic, false);
        return list->count() - 1;
    }
    return -1;
}

void RemoveAllItems(QWidget* comboOrList) {
    if (!comboOrList) return;
    comboOrList->setProperty(kProgrammatic, true);
    if (auto* combo = qobject_cast<QComboBox*>(comboOrList))
        combo->clear();
    else if (auto* list = qobject_cast<QListWidget*>(comboOrList))
        list->clear();
    comboOrList->setProperty(kProgrammatic, false);
}

int GetCount(const QWidget* comboOrList) {
    if (auto* combo = qobject_cast<const QComboBox*>(comboOrList)) return combo->count();
    if (auto* list = qobject_cast<const QListWidget*>(comboOrList)) return list->count();
    return 0;
}

QString GetItemUserData(const QWidget* comboOrList, int index) {
    if (auto* combo = qobject_cast<const QComboBox*>(comboOrList))
        return index >= 0 && index < combo->count()
                   ? combo->itemData(index, kUserDataRole).toString()
                   : QString();
    if (auto* list = qobject_cast<const QListWidget*>(comboOrList))
        return index >= 0 && index < list->count()
                   ? list->item(index)->data(kUserDataRole).toString()
                   : QString();
    return {};
}

QString GetItemText(const QWidget* comboOrList, int index) {
    if (auto* combo = qobject_cast<const QComboBox*>(comboOrList))
        return index >= 0 && index < combo->count() ? combo->itemText(index) : QString();
    if (auto* list = qobject_cast<const QListWidget*>(comboOrList))
        return index >= 0 && index < list->count() ? list->item(index)->text() : QString();
    return {};
}

bool SelectItem(QWidget* comboOrList, int index, bool notify) {
    if (!comboOrList || index < -1 || index >= GetCount(comboOrList)) return false;
    comboOrList->setProperty(kProgrammatic, true);
    if (auto* combo = qobject_cast<QComboBox*>(comboOrList))
        combo->setCurrentIndex(index);
    else if (auto* list = qobject_cast<QListWidget*>(comboOrList))
        list->setCurrentRow(index);
    comboOrList->setProperty(kProgrammatic, false);
    if (notify) SendNotify(comboOrList, QStringLiteral("itemselect"), index);
    return true;
}

void SetNumberOnly(QWidget* edit, bool on) {
    auto* line = qobject_cast<QLineEdit*>(edit);
    if (!line) return;
    const QValidator* previous = line->validator();
    if (on) {
        static const QRegularExpression digits(QStringLiteral("[0-9]*"));
        line->setValidator(new QRegularExpressionValidator(digits, line));
    } else {
        line->setValidator(nullptr);
    }
    if (previous && previous->parent() == line) delete previous;
    line->setProperty("numberonly", on);
}

void SetMaxChar(QWidget* edit, int length) {
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        line->setMaxLength(length > 0 ? length : 32767);
}

void SetTipText(QWidget* richEdit, const QString& text) {
    if (auto* rich = qobject_cast<QTextEdit*>(richEdit))
        rich->setPlaceholderText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(richEdit))
        plain->setPlaceholderText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(richEdit))
        line->setPlaceholderText(text);
}
}  // namespace ui
