#pragma once
// Shared helpers of the offscreen UI tests: a temporary skin folder, a notification
// recorder, a window over an in-memory layout and synthetic mouse input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <vector>

#include "ui/notify.h"
#include "ui/skin_resources.h"
#include "ui/window_impl.h"

namespace uitest {

// One QApplication for the whole test program.
inline QApplication& app() {
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// Fixtures derive from this so the application exists before any widget member.
class AppFixture : public ::testing::Test {
  protected:
    AppFixture() { app(); }
};

// A layout document whose root is a QWidget named "root" of the given size.
inline QByteArray MakeUi(const QString& body, int width = 400, int height = 300) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n"
               "<class>root</class>\n<widget class=\"QWidget\" name=\"root\">\n"
               "<property "
               "name=\"geometry\"><rect><x>0</x><y>0</y><width>%1</width><height>%2</height></"
               "rect></property>\n"
               "%3\n</widget>\n</ui>\n")
        .arg(width)
        .arg(height)
        .arg(body)
        .toUtf8();
}

// A child widget element placed absolutely.
inline QString Child(const QString& cls, const QString& name, QRect g, const QString& props = {}) {
    return QStringLiteral(
               "<widget class=\"%1\" name=\"%2\"><property "
               "name=\"geometry\"><rect><x>%3</x><y>%4</y>"
               "<width>%5</width><height>%6</height></rect></property>%7</widget>\n")
        .arg(cls, name)
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height())
        .arg(props);
}

inline QString StringProp(const QString& name, const QString& value, bool dynamic = true) {
    return QStringLiteral("<property name=\"%1\"%2><string>%3</string></property>")
        .arg(name, dynamic ? QStringLiteral(" stdset=\"0\"") : QString(), value.toHtmlEscaped());
}

inline QString BoolProp(const QString& name, bool value, bool dynamic = true) {
    return QStringLiteral("<property name=\"%1\"%2><bool>%3</bool></property>")
        .arg(name, dynamic ? QStringLiteral(" stdset=\"0\"") : QString(), value ? "true" : "false");
}

inline QString NumberProp(const QString& name, int value, bool dynamic = true) {
    return QStringLiteral("<property name=\"%1\"%2><number>%3</number></property>")
        .arg(name, dynamic ? QStringLiteral(" stdset=\"0\"") : QString())
        .arg(value);
}

// A skin folder of its own; becomes the layer's resource path while it lives.
class TempSkin {
  public:
    TempSkin() { ui::SetResourcePath(m_dir.path()); }
    ~TempSkin() { ui::SetResourcePath(QString()); }
    QString path() const { return m_dir.path(); }
    void Write(const QString& relative, const QByteArray& content) const {
        const QString file = m_dir.path() + '/' + relative;
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

  private:
    QTemporaryDir m_dir;
};

struct Recorder : INotifyUI {
    struct Entry {
        QString type;
        QString sender;
        qintptr wParam;
    };
    std::vector<Entry> log;
    void Notify(TNotifyUI& msg) override {
        log.push_back({msg.sType, msg.pSender ? msg.pSender->objectName() : QString(), msg.wParam});
    }
    // "type:sender" of every notification, skipping hover and focus noise unless asked.
    QStringList Seen(bool all = false) const {
        QStringList out;
        for (const Entry& e : log) {
            if (!all && (e.type == "msenter" || e.type == "msleave" || e.type == "windowinit"))
                continue;
            out << e.type + ':' + e.sender;
        }
        return out;
    }
    void Clear() { log.clear(); }
};

// A window over a layout file of the current skin folder.
class TestWindow : public WindowImplBase {
  public:
    explicit TestWindow(QString file) : m_file(std::move(file)) {}
    QString GetSkinFile() const override { return m_file; }
    QString GetWindowClassName() const override { return QStringLiteral("TestWnd"); }
    void Notify(TNotifyUI& msg) override {
        if (onNotify)
            onNotify(msg);
        else
            WindowImplBase::Notify(msg);
    }
    std::function<void(TNotifyUI&)> onNotify;

  private:
    QString m_file;
};

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

}  // namespace uitest
