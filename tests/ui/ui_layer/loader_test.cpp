// Building widget trees from layout files: the factory, composites, the resource list and
// every way a layout can be broken.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/dpi_scale.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_list.h"

using namespace uitest;

namespace {
class Marker : public QLabel {
  public:
    using QLabel::QLabel;
};

class LoaderTest : public AppFixture {
  protected:
    void SetUp() override {
        app();
        CControlFactory::GetInstance().RegistControl("MarkerControl",
                                                     [](QWidget* p) { return new Marker(p); });
        CControlFactory::GetInstance().RegistComposite("PanelUI", "XML/CustomControlXML/Panel.xml");
        CControlFactory::GetInstance().RegistComposite("LoopUI", "XML/loop.xml");
        CControlFactory::GetInstance().RegistComposite("BrokenUI", "XML/missing.xml");
    }
    void TearDown() override {
        for (const char* name : {"MarkerControl", "PanelUI", "LoopUI", "BrokenUI"})
            CControlFactory::GetInstance().Unregister(name);
    }
    TempSkin skin;
};

TEST_F(LoaderTest, BuildsCustomClassesAndCompositesCaseInsensitively) {
    skin.Write("XML/CustomControlXML/Panel.xml",
               MakeUi(Child("QPushButton", "inner_btn", {0, 0, 50, 20}), 120, 40));
    skin.Write("XML/main.xml", MakeUi(Child("markercontrol", "marker", {0, 0, 10, 10}) +
                                      Child("PanelUI", "panel", {0, 20, 120, 40})));
    skin.Write("res.xml",
               "<Resources><Resource name=\"XML_MAIN\" file=\"XML/main.xml\"/></Resources>");
    ASSERT_TRUE(CResourceList::GetInstance().Load());

    BuildResult built = CDialogBuilder::Create("XML_MAIN");
    ASSERT_TRUE(built) << built.error.toStdString();
    std::unique_ptr<QWidget> root(built.root);
    EXPECT_NE(dynamic_cast<Marker*>(CPaintManagerUI::FindSubControlByName(root.get(), "marker")),
              nullptr);
    QWidget* panel = CPaintManagerUI::FindSubControlByName(root.get(), "panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(CPaintManagerUI::FindSubControlByName(panel, "inner_btn"), nullptr);
}

TEST_F(LoaderTest, BrokenLayoutsFailCleanly) {
    skin.Write("XML/truncated.xml", MakeUi(Child("QPushButton", "b", {0, 0, 5, 5})).left(120));
    skin.Write("XML/notui.xml", "<Window><Button/></Window>");
    skin.Write("XML/unknown.xml", MakeUi(Child("NoSuchControl", "x", {0, 0, 5, 5})));
    skin.Write("XML/brokencomposite.xml", MakeUi(Child("BrokenUI", "x", {0, 0, 5, 5})));
    skin.Write("XML/loop.xml", MakeUi(Child("LoopUI", "again", {0, 0, 5, 5})));
    skin.Write("XML/empty.xml", "");
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"XML/absent.xml", "cannot be read"},
        {"XML/truncated.xml", "malformed"},
        {"XML/notui.xml", "not <ui>"},
        {"XML/unknown.xml", "unknown control class NoSuchControl"},
        {"XML/brokencomposite.xml", "BrokenUI"},
        {"XML/loop.xml", "nests deeper"},
        {"XML/empty.xml", "malformed"},
    };
    for (const auto& c : cases) {
        BuildResult built = CDialogBuilder::Create(c.file);
        EXPECT_FALSE(built) << c.file;
        EXPECT_TRUE(built.error.contains(c.reason)) << c.file << ": " << built.error.toStdString();
    }
}

TEST_F(LoaderTest, ResourceListRejectsMalformedFilesAndKeepsTheOldList) {
    skin.Write("res.xml",
               "<Resources><Resource name=\"XML_MSG\" file=\"XML/msg.xml\"/></Resources>");
    ASSERT_TRUE(CResourceList::GetInstance().Load());
    skin.Write("res.xml", "<Resources><Resource name=\"XML_MSG\"");
    EXPECT_FALSE(CResourceList::GetInstance().Load());
    EXPECT_EQ(CResourceList::GetInstance().Resolve("XML_MSG"), "XML/msg.xml");
    EXPECT_EQ(CResourceList::GetInstance().Resolve("XML/other.xml"), "XML/other.xml");
}

TEST_F(LoaderTest, LayoutPropertiesBecomeControlState) {
    skin.Write("XML/props.xml",
               MakeUi(Child("QLineEdit", "digits", {0, 0, 80, 20},
                            BoolProp("numberonly", true) + NumberProp("maxLength", 4, false)) +
                      Child("QLabel", "tinted", {0, 30, 80, 20},
                            StringProp("bkcolor", "#FF102030") + StringProp("userdata", "42"))));
    BuildResult built = CDialogBuilder::Create("XML/props.xml");
    ASSERT_TRUE(built) << built.error.toStdString();
    std::unique_ptr<QWidget> root(built.root);
    auto* edit = root->findChild<QLineEdit*>("digits");
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "12ab345");
    EXPECT_EQ(edit->text(), "1234");  // letters refused, typing stops at the maximum length
    QWidget* tinted = root->findChild<QWidget*>("tinted");
    EXPECT_EQ(ui::GetBkColor(tinted), 0xFF102030u);
    EXPECT_EQ(ui::GetUserData(tinted), "42");
}

TEST(ControlLook, ParsesColourSpellings) {
    const struct {
        QVariant in;
        std::optional<quint32> out;
    } cases[] = {
        {"#FF102030", 0xFF102030u},           {"#102030", 0xFF102030u}, {"0x80FFFFFF", 0x80FFFFFFu},
        {QVariant(0x11223344u), 0x11223344u}, {"#12345", std::nullopt}, {"#GG102030", std::nullopt},
        {QVariant(), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::ParseArgb(c.in), c.out) << c.in.toString().toStdString();
}

TEST(DpiScale, ScalesFromTheRemembered96DpiSizes) {
    app();
    QWidget root;
    auto* child = new QPushButton(&root);
    child->setGeometry(10, 20, 40, 30);
    ui::SetFixedHeight(child, 30);
    ui::ApplyDpi(&root, 144);
    EXPECT_EQ(child->height(), 45);
    EXPECT_EQ(child->geometry().topLeft(), QPoint(15, 30));
    ui::ApplyDpi(&root, 96);
    EXPECT_EQ(child->height(), 30);
    EXPECT_EQ(child->geometry().topLeft(), QPoint(10, 20));
    ui::ApplyDpi(&root, 400);  // clamped to 192
    EXPECT_EQ(child->height(), 60);
}
}  // namespace

namespace {
// A name that matches nothing gives no control; every helper takes that in its stride.
TEST(ControlProps, EveryHelperAcceptsNoControl) {
    app();
    QWidget* none = nullptr;
    ui::SetText(none, "x");
    ui::SetResourceText(none, true);
    ui::SetUserData(none, "x");
    ui::SetVisible(none, false);
    ui::SetEnabled(none, false);
    ui::SetFixedHeight(none, 10);
    ui::SetSelected(none, true);
    ui::SetGroup(none, "g");
    ui::BindTabLayout(none, "t", 1);
    ui::SelectTabItem(none, 1);
    ui::SetRange(none, 0, 1);
    ui::SetValue(none, 1);
    ui::RemoveAllItems(none);
    ui::SetNumberOnly(none, true);
    ui::SetMaxChar(none, 3);
    ui::SetTipText(none, "x");
    ui::SetBkColor(none, 1);
    ui::SetBkImage(none, "x");
    EXPECT_EQ(ui::AddLabelItem(none, "x"), -1);
    EXPECT_FALSE(ui::SelectItem(none, 0));
    EXPECT_EQ(ui::GetText(none), "");
    EXPECT_EQ(ui::GetCount(none), 0);
    EXPECT_EQ(ui::GetCurSel(none), -1);
    EXPECT_EQ(ui::GetBindTabIndex(none), -1);
    EXPECT_FALSE(ui::IsSelected(none));
}
}  // namespace
