#include "app/skin_frame.h"

#include "platform/registered_messages.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QSettings>
#include <QStandardPaths>

#include "app/language.h"
#include "platform/log_categories.h"
#include "ui/control_look.h"
#include "ui/control_props.h"

CSkinFrame::CSkinFrame(QWidget* mainWindow, QWidget* anchor)
    : CSkinFrame(mainWindow, anchor, true) {}

CSkinFrame::CSkinFrame(QWidget* mainWindow, QWidget* anchor, bool show) : WindowImplBase(nullptr) {
    setAttribute(Qt::WA_DeleteOnClose, show);
    pickPicture = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QStringLiteral("*.png"),
                                            QStringLiteral("(*.png) (*.png);;(*.*) (*)"));
    };
    Create(mainWindow, QStringLiteral("skinframe"), Qt::Tool | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (anchor) placeUnder(anchor);
    if (show) {
        this->show();
        activateWindow();
    }
}

void CSkinFrame::placeUnder(QWidget* anchor) {
    const QPoint bottomRight = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
    move(bottomRight.x() - width(), bottomRight.y());
}

QString CSkinFrame::MainIniPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + '/' +
           QString::fromUtf8(platform::kProductString.data(),
                             static_cast<qsizetype>(platform::kProductString.size())) +
           "/main.ini";
}

void CSkinFrame::remember(const QString& flags, const QString& image) {
    const QString path = MainIniPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("SKINIMAGE"));
    ini.setValue(QStringLiteral("FLAGS"), flags);
    ini.setValue(QStringLiteral("IMAGE"), image);
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError) qCDebug(lcApp) << "main.ini not written:" << path;
}

void CSkinFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != QLatin1String(notify_type::kClick) || !msg.pSender) return;
    const QString name = msg.pSender->objectName();
    const auto is = [&name](const char* n) {
        return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0;
    };
    if (is("skin_image_btn")) {
        const QString image = ui::GetBkImage(msg.pSender);
        GetSkinObserver().Publish({false, 0, image});
        remember(QStringLiteral("1"), image);
    } else if (is("skin_color_btn")) {
        GetSkinObserver().Publish({true, ui::GetBkColor(msg.pSender), QString()});
    } else if (is("skin_image")) {
        ui::SelectTabItem(FindControl(QStringLiteral("skin_tab")), 0);
    } else if (is("skin_color")) {
        ui::SelectTabItem(FindControl(QStringLiteral("skin_tab")), 1);
    } else if (is("skin_reset")) {
        GetSkinObserver().Publish({false, 0, QString::fromLatin1(kDefaultBackground)});
        remember(QStringLiteral("0"), QString::fromLatin1(kDefaultBackground));
    } else if (is("skin_Custom")) {
        // The dialog takes the focus, which would close the frame under it: hold the frame
        // open until the dialog returns.
        QPointer<CSkinFrame> self(this);
        const bool deleteOnClose = testAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_DeleteOnClose, false);
        m_picking = true;
        const QString file = pickPicture ? pickPicture(parentWidget()) : QString();
        if (!self) return;
        m_picking = false;
        setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
        if (!file.isEmpty()) GetSkinObserver().Publish({false, 0, file});
    }
}

void CSkinFrame::changeEvent(QEvent* event) {
    WindowImplBase::changeEvent(event);
    // Losing the focus closes the frame, as a pop-up does.
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() && !m_picking)
        close();
}

void CSkinFrame::OnFinalMessage() {
    // Closed by any path (focus loss, a caption button): a frame that owns itself goes.
    if (testAttribute(Qt::WA_DeleteOnClose)) deleteLater();
}
