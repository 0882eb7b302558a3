#pragma once
// Turns Qt signals and events of the standard controls into the layer's notifications:
//   button            "click"; "msenter"/"msleave" on hover
//   option            "click", then "selectchanged" when the user changed it (an option of a
//                     group only for the one that became selected); groups and tab binding
//   slider            "movevaluechanged" while dragging, "valuechanged" on release or on a
//                     step (keys, page clicks, wheel)
//   combo             "itemselect" when the user picks an item
//   list              "itemselect" when the current row changes, "itemclick" on a click
//   edit              "textchanged" when the user edits, "setfocus", "killfocus"
//   rich edit         "textchanged" when the user edits, "setfocus", "killfocus"
//   any control       "menu" on a context-menu request when its property "menu" is true
// The loader wires every control it builds; wire controls created in code with WireTree.
class QWidget;

namespace ui {
void WireControl(QWidget* control);
// Wires a control and all its children (skipping the inner parts of composite Qt widgets).
void WireTree(QWidget* root);
// Applies what selecting an option means for its group (the other options of the same group
// in the window are deselected) and its bound tab layout.
void ApplyOptionSelection(QWidget* option);
}  // namespace ui
