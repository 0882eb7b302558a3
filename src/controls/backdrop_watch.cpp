#include "controls/backdrop_watch.h"

#include <QEvent>
#include <QWidget>

namespace {
constexpr char kWatchName[] = "skelmora_backdrop_watch";
}

CBackdropWatch::CBackdropWatch(QWidget* widget) : QObject(widget) {
    setObjectName(QString::fromLatin1(kWatchName));
    widget->installEventFilter(this);
}

CBackdropWatch* CBackdropWatch::Of(QWidget* widget) {
    if (!widget) return nullptr;
    auto* watch = widget->findChild<CBackdropWatch*>(QString::fromLatin1(kWatchName),
                                                     Qt::FindDirectChildrenOnly);
    return watch ? watch : new CBackdropWatch(widget);
}

bool CBackdropWatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        switch (event->type()) {
            case QEvent::StyleChange:
            case QEvent::PaletteChange:
            case QEvent::Resize:
            case QEvent::DynamicPropertyChange:
            case QEvent::EnabledChange:
            case QEvent::ParentChange:
                emit lookChanged();
                break;
            case QEvent::Move:
                emit moved();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}
