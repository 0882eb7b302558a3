#include "ui/menu_wnd.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "platform/log_categories.h"
#include "ui/layout_loader.h"
#include "ui/resource_manager.h"

QMenu* CMenuWnd::Build(const QString& nameOrFile, QWidget* parent, ItemHandler onItem) {
    BuildResult built = CDialogBuilder::Create(nameOrFile);
    if (!built) return nullptr;
    QList<QAction*> actions = built.root->actions();
    if (actions.isEmpty()) {
        qCWarning(lcUi) << "menu layout" << nameOrFile << "lists no item";
        delete built.root;
        return nullptr;
    }
    auto* menu = new QMenu(parent);
    menu->setObjectName(built.root->objectName());
    for (QAction* source : actions) {
        if (source->isSeparator()) {
            menu->addSeparator();
            continue;
        }
        const QString name = source->objectName();
        QString text = source->text();
        if (source->property("restext").toBool())
            text = CResourceManager::GetInstance().GetText(text);
        QAction* item = menu->addAction(source->icon(), text);
        item->setObjectName(name);
        item->setEnabled(source->isEnabled());
        QObject::connect(item, &QAction::triggered, menu, [onItem, name] {
            if (onItem) onItem(name);
        });
    }
    delete built.root;
    return menu;
}

QMenu* CMenuWnd::Popup(const QString& nameOrFile, QWidget* parent, QPoint globalPos,
                       ItemHandler onItem) {
    static QPointer<QMenu> open;
    if (open) open->close();
    QMenu* menu = Build(nameOrFile, parent, std::move(onItem));
    if (!menu) return nullptr;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    open = menu;
    menu->popup(globalPos);  // QMenu keeps itself on the screen that holds the point
    return menu;
}
