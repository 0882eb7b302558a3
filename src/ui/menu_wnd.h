#pragma once
// Pop-up menus built from layout files ("menu.xml"). The layout's root widget holds actions
// (Qt Designer's action editor), listed on the root with <addaction> in menu order:
//   - the action's objectName is the item name handed to the callback ("exit", "about_menu");
//   - its text is shown; with the dynamic property "restext" true it is a text identifier;
//   - <addaction name="separator"/> gives a separator.
#include <QPoint>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

class CMenuWnd {
  public:
    using ItemHandler = std::function<void(const QString& itemName)>;

    // The menu, owned by `parent`, or none (logged) when the layout fails or holds no item.
    static QMenu* Build(const QString& nameOrFile, QWidget* parent, ItemHandler onItem);
    // Builds and opens the menu at a screen point, kept on screen; a menu opened earlier by
    // Popup and still open is closed first. The menu deletes itself when it closes.
    static QMenu* Popup(const QString& nameOrFile, QWidget* parent, QPoint globalPos,
                        ItemHandler onItem);
};
