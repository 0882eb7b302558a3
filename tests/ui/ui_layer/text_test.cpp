// Texts of the current language on resource-text controls, items and the "text_test" idiom.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "support/ui_fixture.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

using namespace uitest;

namespace {
QByteArray language(const QString& name, const QStringList& pairs) {
    QString body;
    for (int i = 0; i + 1 < pairs.size(); i += 2)
        body += QStringLiteral("<Text id=\"%1\">%2</Text>\n")
                    .arg(pairs[i], pairs[i + 1].toHtmlEscaped());
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language "
               "name=\"%1\">\n%2</Language>\n")
        .arg(name, body)
        .toUtf8();
}

class TextTest : public AppFixture {
  protected:
    void SetUp() override {
        app();
        skin.Write("lan_en.xml",
                   language("English", {"ok_text", "OK", "message_text_7", "Writing failed"}));
        skin.Write("lan_cn.xml",
                   language("简体中文", {"ok_text", "确定", "message_text_7", "写入失败"}));
        skin.Write(
            "XML/texts.xml",
            MakeUi(Child("QPushButton", "ok_btn", {0, 0, 60, 20},
                         StringProp("text", "ok_text", false) + BoolProp("restext", true)) +
                   Child("QLabel", "plain", {0, 30, 60, 20}, StringProp("text", "ok_text", false)) +
                   Child("QLabel", "text_test", {0, 60, 60, 20},
                         BoolProp("restext", true) + BoolProp("visible", false, false)) +
                   Child("QComboBox", "modes", {0, 90, 60, 20})));
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage("lan_en.xml"));
        ASSERT_TRUE(window.Create(nullptr, "texts"));
    }
    void TearDown() override { CResourceManager::GetInstance().SetTexts({}); }
    TempSkin skin;
    TestWindow window{"XML/texts.xml"};
};

TEST_F(TextTest, ResourceTextsFollowTheLanguageAndPlainTextsDoNot) {
    QWidget* ok = window.FindControl("ok_btn");
    QWidget* plain = window.FindControl("plain");
    QWidget* combo = window.FindControl("modes");
    ui::AddLabelItem(combo, "message_text_7", "m7", true);
    ui::AddLabelItem(combo, "message_text_7", "raw", false);
    EXPECT_EQ(ui::GetText(ok), "OK");
    EXPECT_EQ(ui::GetText(plain), "ok_text");
    EXPECT_EQ(ui::GetItemText(combo, 0), "Writing failed");

    ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage("lan_cn.xml"));
    CResourceManager::GetInstance().ReloadText();
    EXPECT_EQ(ui::GetText(ok), "确定");
    EXPECT_EQ(ui::GetText(plain), "ok_text");
    EXPECT_EQ(ui::GetItemText(combo, 0), "写入失败");
    EXPECT_EQ(ui::GetItemText(combo, 1), "message_text_7");
    EXPECT_EQ(ui::GetItemUserData(combo, 0), "m7");
}

TEST_F(TextTest, HiddenTextTestLabelTranslatesAnIdentifier) {
    QWidget* probe = window.FindControl("text_test");
    ui::SetText(probe, "message_text_7");
    EXPECT_EQ(ui::GetText(probe), "Writing failed");
    ui::SetText(probe, "no_such_identifier");  // unknown identifiers show as they stand
    EXPECT_EQ(ui::GetText(probe), "no_such_identifier");
}

TEST_F(TextTest, BrokenLanguageFilesKeepTheCurrentTexts) {
    skin.Write("lan_bad.xml", "<Language><Text id=\"ok_text\">Broken");
    skin.Write("lan_wrong.xml", "<Strings/>");
    for (const char* file : {"lan_bad.xml", "lan_wrong.xml", "lan_absent.xml", ""})
        EXPECT_FALSE(CResourceManager::GetInstance().LoadLanguage(file)) << file;
    EXPECT_EQ(CResourceManager::GetInstance().GetText("ok_text"), "OK");
}
}  // namespace
