// Windows: modal runs and their results, DPI, menus from layout files.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support/ui_fixture.h"
#include "ui/menu_wnd.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/tray_icon.h"

using namespace uitest;

namespace {
class WindowTest : public AppFixture {
  protected:
    void SetUp() override {
        app();
        skin.Write("XML/w.xml", MakeUi(Child("QPushButton", "closebtn", {0, 0, 20, 20}) +
                                           Child("QPushButton", "ok_btn", {30, 0, 20, 20}),
                                       200, 100));
    }
    TempSkin skin;
};

TEST_F(WindowTest, ModalRunReturnsTheValueItWasClosedWith) {
    TestWindow window("XML/w.xml");
    ASSERT_TRUE(window.Create(nullptr, "modal"));
    window.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == "click" && msg.pSender->objectName() == "ok_btn") window.Close(7);
    };
    QTimer::singleShot(0, &window, [&] {
        QTest::mouseClick(qobject_cast<QPushButton*>(window.FindControl("ok_btn")), Qt::LeftButton);
    });
    EXPECT_EQ(window.ShowModal(), 7);
    EXPECT_FALSE(window.isVisible());

    window.onNotify = nullptr;  // the base handling: the close button closes with 0
    QTimer::singleShot(0, &window, [&] {
        QTest::mouseClick(qobject_cast<QPushButton*>(window.FindControl("closebtn")),
                          Qt::LeftButton);
    });
    EXPECT_EQ(window.ShowModal(), 0);
}

TEST_F(WindowTest, DpiScalesTheWindowFromItsLayoutSize) {
    TestWindow window("XML/w.xml");
    ASSERT_TRUE(window.Create(nullptr, "dpi"));
    EXPECT_EQ(window.size(), QSize(200, 100));
    window.PaintManager().SetDPI(144);
    EXPECT_EQ(window.size(), QSize(300, 150));
    EXPECT_EQ(window.FindControl("ok_btn")->geometry(), QRect(45, 0, 30, 30));
    CPaintManagerUI::SetAllDPI(96);
    EXPECT_EQ(window.size(), QSize(200, 100));
}

TEST_F(WindowTest, MissingLayoutLeavesAnEmptyWindowWithoutCrashing) {
    TestWindow window("XML/none.xml");
    EXPECT_FALSE(window.Create(nullptr, "none"));
    EXPECT_FALSE(window.IsCreated());
    EXPECT_EQ(window.FindControl("closebtn"), nullptr);
}

TEST(TrayIcon, WithoutATrayNothingIsCreated) {
    app();
    CTrayIcon tray;
    EXPECT_EQ(tray.Create(QIcon(), "TELMA QX-418GRY Device"), CTrayIcon::IsAvailable());
    tray.Delete();
    EXPECT_FALSE(tray.IsCreated());
}

TEST_F(WindowTest, MenuIsBuiltFromALayoutAndReportsItemNames) {
    skin.Write(
        "menu.xml",
        "<ui version=\"4.0\"><widget class=\"QWidget\" name=\"tray_menu\">"
        "<action name=\"about_menu\"><property name=\"text\"><string>about_text</string></property>"
        "<property name=\"restext\" stdset=\"0\"><bool>true</bool></property></action>"
        "<action name=\"exit\"><property name=\"text\"><string>Exit</string></property></action>"
        "<addaction name=\"about_menu\"/><addaction name=\"separator\"/><addaction name=\"exit\"/>"
        "</widget></ui>");
    CResourceManager::GetInstance().SetTexts({{"about_text", "About"}});
    QString chosen;
    std::unique_ptr<QMenu> menu(
        CMenuWnd::Build("menu.xml", nullptr, [&](const QString& name) { chosen = name; }));
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "About");
    EXPECT_TRUE(items[1]->isSeparator());
    items[2]->trigger();
    EXPECT_EQ(chosen, "exit");
    CResourceManager::GetInstance().SetTexts({});
    EXPECT_EQ(CMenuWnd::Build("absent.xml", nullptr, {}), nullptr);
}
}  // namespace
