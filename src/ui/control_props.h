#pragma once
// The control properties pages and panels read and set, for every control kind of the layer.
// Layouts give the same as properties ("text", "toolTip", "visible", "enabled", and the
// dynamic properties "restext", "userdata", "numberonly", "fontid"); see docs/ui-layer.md.
//
// Programmatic changes made here never send notifications unless a function says so.
#include <QString>
#include <QVariant>

class QWidget;

namespace ui {
// Text of labels, buttons, options, edits, rich edits and combos. On a control that shows a
// resource text ("restext" true) the text is a text identifier: it is remembered and the
// translation is shown. GetText returns what is shown, so setting an identifier on a hidden
// resource-text label "text_test" and reading it back translates it.
void SetText(QWidget* control, const QString& text);
QString GetText(const QWidget* control);
// Marks a control as showing a resource text (and translates its current text).
void SetResourceText(QWidget* control, bool on);
bool IsResourceText(const QWidget* control);
// Shows the current translation again (used by CResourceManager::ReloadText).
void RetranslateControl(QWidget* control);

void SetUserData(QWidget* control, const QString& data);
QString GetUserData(const QWidget* control);
void SetToolTip(QWidget* control, const QString& text);
void SetVisible(QWidget* control, bool visible);
bool IsVisible(const QWidget* control);
void SetEnabled(QWidget* control, bool enabled);
// Fixed height at 96 DPI; scaled by the window's DPI.
void SetFixedHeight(QWidget* control, int height);
int GetFixedHeight(const QWidget* control);

// Options (any checkable button). SetSelected switches the option (and its group and bound
// tab) and notifies "selectchanged" only when notify is true.
void SetSelected(QWidget* option, bool selected, bool notify = false);
bool IsSelected(const QWidget* option);
void SetGroup(QWidget* option, const QString& group);
QString GetGroup(const QWidget* option);
// Selecting the option shows page `index` of the tab layout (QStackedWidget or QTabWidget)
// named `tabLayout` in the same window.
void BindTabLayout(QWidget* option, const QString& tabLayout, int index);
int GetBindTabIndex(const QWidget* option);
QString GetBindTabLayoutName(const QWidget* option);
// Tab layouts: the page shown.
void SelectTabItem(QWidget* tabLayout, int index);
int GetCurSel(const QWidget* control);

// Sliders and progress bars.
void SetRange(QWidget* control, int minimum, int maximum);
void SetValue(QWidget* control, int value);
int GetValue(const QWidget* control);
int GetMinValue(const QWidget* control);
int GetMaxValue(const QWidget* control);

// Combos and lists of label items. An item has a text, user data and, when resourceText is
// true, a text identifier translated like a resource-text control. A fixed height of 0
// keeps the default.
int AddLabelItem(QWidget* comboOrList, const QString& text, const QString& userData = {},
                 bool resourceText = false, int fixedHeight = 0);
void RemoveAllItems(QWidget* comboOrList);
int GetCount(const QWidget* comboOrList);
QString GetItemUserData(const QWidget* comboOrList, int index);
QString GetItemText(const QWidget* comboOrList, int index);
// Selects an item (-1: none); sends "itemselect" only when notify is true.
bool SelectItem(QWidget* comboOrList, int index, bool notify = false);

// Edits: digits only, maximum length in characters (0 = no limit).
void SetNumberOnly(QWidget* edit, bool on);
void SetMaxChar(QWidget* edit, int length);
// Rich edits: the tip text shown while empty.
void SetTipText(QWidget* richEdit, const QString& text);
}  // namespace ui
