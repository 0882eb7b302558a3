// The skin: observer rules, the skin frame's choices and "main.ini", and the shipped skin
// files (every layout builds, both languages hold the same identifiers, icons exist).
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTest>

#include "app/skin_frame.h"
#include "app/skin_observer.h"
#include "app_shell/shell_fixture.h"
#include "controls/picture_controls.h"
#include "ui/control_factory.h"
#include "ui/control_look.h"
#include "ui/layout_loader.h"
#include "ui/skin_resources.h"

namespace {
struct CountingReceiver : SkinChangedReceiver {
    std::vector<SkinChangedParam> got;
    int OnPublish(SkinChangedParam param) override {
        got.push_back(param);
        return 1;
    }
};

TEST(SkinObserver, SubscribeTwiceGetsTwiceAndUnsubscribeRemovesTheFirstEntryOnly) {
    SkinChangedObserver observer;
    CountingReceiver a, b;
    observer.Subscribe(&a);
    observer.Subscribe(&b);
    observer.Subscribe(&a);
    observer.Subscribe(nullptr);
    EXPECT_EQ(observer.Publish({true, 0xFF112233u, {}}), 0);
    EXPECT_EQ(a.got.size(), 2u);
    EXPECT_EQ(b.got.size(), 1u);

    observer.Unsubscribe(&a);
    observer.Unsubscribe(nullptr);
    EXPECT_EQ(observer.SubscriptionCount(), 2);
    observer.Publish({false, 0, "x.png"});
    EXPECT_EQ(a.got.size(), 3u);
    EXPECT_EQ(a.got.back().bgimage, "x.png");
}

TEST(SkinObserver, AReceiverThatGoesAwayLeavesNoEntryBehind) {
    SkinChangedObserver observer;
    CountingReceiver stays;
    observer.Subscribe(&stays);
    {
        CountingReceiver leaves;
        observer.Subscribe(&leaves);
        observer.Subscribe(&leaves);
    }
    EXPECT_EQ(observer.SubscriptionCount(), 1);
    observer.Publish({});
    EXPECT_EQ(stays.got.size(), 1u);
    EXPECT_EQ(&GetSkinObserver(), &GetSkinObserver());
}

TEST(SkinObserver, ColourClearsThePictureAndPictureClearsTheColour) {
    uitest::app();
    QWidget root;
    EXPECT_EQ(ApplySkinChange(nullptr, {}), 0);
    ui::SetBkImage(&root, "common/background.png");
    EXPECT_EQ(ApplySkinChange(&root, {true, 0xFF202830u, {}}), 1);
    EXPECT_EQ(ui::GetBkColor(&root), 0xFF202830u);
    EXPECT_EQ(ui::GetBkImage(&root), "");
    ApplySkinChange(&root, {false, 0, "skin/bg_2.png"});
    EXPECT_EQ(ui::GetBkColor(&root), 0u);
    EXPECT_EQ(ui::GetBkImage(&root), "skin/bg_2.png");
    // A user's file name is data, not style sheet syntax.
    const QString odd = QStringLiteral("/tmp/a \") } QWidget { color: red; /b.png");
    ApplySkinChange(&root, {false, 0, odd});
    EXPECT_EQ(ui::GetBkImage(&root), odd);
    EXPECT_TRUE(root.styleSheet().contains("/tmp/a \\\") } QWidget"));
}

class SkinFrameTest : public shelltest::ShellFixture {
  protected:
    SkinFrameTest() {
        QFile::remove(CSkinFrame::MainIniPath());
        GetSkinObserver().Subscribe(&receiver);
    }
    ~SkinFrameTest() override { GetSkinObserver().Unsubscribe(&receiver); }

    void Click(QWidget* control) {
        QTest::mouseClick(qobject_cast<QPushButton*>(control), Qt::LeftButton);
    }
    QWidget* First(const char* name) { return frame.PaintManager().FindControl(name); }
    static QStringList Ini() {
        QSettings ini(CSkinFrame::MainIniPath(), QSettings::IniFormat);
        return {ini.value("SKINIMAGE/FLAGS").toString(), ini.value("SKINIMAGE/IMAGE").toString()};
    }

    CountingReceiver receiver;
    QWidget mainWindow;
    CSkinFrame frame{&mainWindow, nullptr, false};
};

TEST_F(SkinFrameTest, PictureColourAndResetPublishAndRememberAsTheyShould) {
    ASSERT_TRUE(frame.IsCreated());
    Click(First("skin_image_btn"));
    ASSERT_EQ(receiver.got.size(), 1u);
    EXPECT_FALSE(receiver.got[0].bColor);
    EXPECT_EQ(receiver.got[0].bgimage, "skin/bg_1.png");
    EXPECT_EQ(Ini(), (QStringList{"1", "skin/bg_1.png"}));

    Click(First("skin_color"));
    EXPECT_EQ(qobject_cast<QStackedWidget*>(First("skin_tab"))->currentIndex(), 1);
    Click(First("skin_color_btn"));
    ASSERT_EQ(receiver.got.size(), 2u);
    EXPECT_TRUE(receiver.got[1].bColor);
    EXPECT_EQ(receiver.got[1].bkcolor, 0xFF14171Du);
    EXPECT_EQ(Ini(), (QStringList{"1", "skin/bg_1.png"}));  // colours are not remembered

    Click(First("skin_reset"));
    EXPECT_EQ(receiver.got.back().bgimage, "common/background.png");
    EXPECT_EQ(Ini(), (QStringList{"0", "common/background.png"}));
}

TEST_F(SkinFrameTest, CustomPictureIsPublishedButNotRememberedAndCancelChangesNothing) {
    QString answer;
    frame.pickPicture = [&answer](QWidget*) { return answer; };
    Click(First("skin_Custom"));
    EXPECT_TRUE(receiver.got.empty());
    answer = "/home/someone/My \"Pictures\"/wall.png";
    Click(First("skin_Custom"));
    ASSERT_EQ(receiver.got.size(), 1u);
    EXPECT_EQ(receiver.got[0].bgimage, answer);
    EXPECT_FALSE(QFile::exists(CSkinFrame::MainIniPath()));
}

TEST_F(SkinFrameTest, FrameHangsUnderItsAnchorRightAligned) {
    mainWindow.resize(600, 400);
    auto* anchor = new QPushButton(&mainWindow);
    anchor->setGeometry(500, 10, 32, 32);
    mainWindow.show();
    CSkinFrame placed(&mainWindow, anchor, false);
    const QPoint anchorBottomRight = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
    EXPECT_EQ(placed.pos(), QPoint(anchorBottomRight.x() - placed.width(), anchorBottomRight.y()));
}

TEST_F(SkinFrameTest, AShownFrameDeletesItselfWhenItCloses) {
    QPointer<CSkinFrame> shown = new CSkinFrame(&mainWindow, nullptr);
    ASSERT_TRUE(shown->isVisible());
    shown->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());
}

class ShippedSkinTest : public shelltest::ShellFixture {};

TEST_F(ShippedSkinTest, EveryLayoutBuildsWithTheControlsThePartsName) {
    controls::RegisterPictureControls(CControlFactory::GetInstance());
    const struct {
        const char* layout;
        QStringList names;
    } cases[] = {
        {"XML_MAIN",
         {"root", "closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "smarteyesbtn", "setbtn",
          "device_select_layout", "device_power_switch", "device_switch", "No_device_Link",
          "setting_progress", "control_light_status", "nodevice_ok_btn", "device_select_prev",
          "text_test", "device_select_next"}},
        {"XML_MSG", {"MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn"}},
        {"skin.xml",
         {"skin_tab", "skin_image", "skin_color", "skin_image_btn", "skin_color_btn", "skin_reset",
          "skin_Custom"}},
    };
    for (const auto& c : cases) {
        BuildResult built = CDialogBuilder::Create(c.layout);
        ASSERT_TRUE(built) << c.layout << ": " << built.error.toStdString();
        std::unique_ptr<QWidget> root(built.root);
        for (const QString& name : c.names)
            EXPECT_TRUE(root->objectName() == name || root->findChild<QWidget*>(name))
                << c.layout << " lacks " << name.toStdString();
    }
}

// The texts of the shipped language files by identifier.
void ReadShippedTexts(QHash<QString, QString>& en, QHash<QString, QString>& cn) {
    const QString skin = QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin/";
    QString error;
    for (auto [file, texts] : {std::pair{"lan_en.xml", &en}, std::pair{"lan_cn.xml", &cn}}) {
        QFile f(skin + file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file;
        ASSERT_TRUE(ui::ParseLanguageXml(f.readAll(), *texts, error))
            << file << error.toStdString();
    }
}

TEST_F(ShippedSkinTest, BothLanguagesHoldTheSameIdentifiersAndTheImagesExist) {
    const QString skin = QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin/";
    QHash<QString, QString> en, cn;
    ReadShippedTexts(en, cn);
    if (HasFatalFailure()) return;
    EXPECT_EQ(QSet<QString>(en.keyBegin(), en.keyEnd()), QSet<QString>(cn.keyBegin(), cn.keyEnd()));
    for (const char* id :
         {"message_text_7", "message_text_16", "kb_device_name_text", "keyboard_key_A", "wed_stop",
          "keyboard_key_COLOR", "Repeat_Delay_Time", "mouse_key_left", "UpdateFailText"})
        EXPECT_TRUE(en.contains(id)) << id;
    // The macro excess goes into "message_text_16" as its one number: a text with two, or with
    // another conversion, would show a wrong figure.
    for (const QHash<QString, QString>* texts : {&en, &cn}) {
        const QString text = texts->value(QStringLiteral("message_text_16"));
        EXPECT_EQ(text.count(QStringLiteral("%d")), 1) << text.toStdString();
        EXPECT_EQ(text.count(QLatin1Char('%')), 1) << text.toStdString();
    }
    for (const char* kind : {"kb_device", "ms_device", "hard_mp_device", "soft_mp_device",
                             "hd_device", "hub_device", "unknow_device"})
        for (const char* state :
             {"_normal.png", "_selected.png", "_synchro_selected.png", "_synchro_normal.png"})
            EXPECT_TRUE(QFile::exists(skin + "common/device_ico/" + kind + state)) << kind << state;
}

// The light mode and area names of "default_light.json" are text identifiers: each has a text
// in both languages, and the Chinese one is a translation (only names that read the same in
// both, like the key names "WASD", may stay as they are).
TEST_F(ShippedSkinTest, EveryLightModeNameHasATextInBothLanguages) {
    QFile defaults(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/DefaultData/default_light.json");
    ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
    const QJsonObject document = QJsonDocument::fromJson(defaults.readAll()).object();
    QSet<QString> names;
    for (const char* table : {"DefaultLightName", "AreaLightName"})
        for (const QJsonValue row : document.value(QLatin1String(table)).toArray())
            for (const QJsonValue entry : row.toArray())
                names.insert(entry.toObject().value(QStringLiteral("LightName")).toString());
    ASSERT_GE(names.size(), 20) << "default_light.json gave too few names";
    const QSet<QString> sameInBoth{QStringLiteral("WASD")};
    QHash<QString, QString> en, cn;
    ReadShippedTexts(en, cn);
    if (HasFatalFailure()) return;
    for (const QString& name : names) {
        EXPECT_FALSE(name.isEmpty());
        EXPECT_FALSE(en.value(name).isEmpty()) << "lan_en.xml lacks " << name.toStdString();
        EXPECT_FALSE(cn.value(name).isEmpty()) << "lan_cn.xml lacks " << name.toStdString();
        if (!sameInBoth.contains(name)) {
            EXPECT_NE(cn.value(name), en.value(name))
                << "lan_cn.xml keeps the English text of " << name.toStdString();
        }
    }
}
// The layout scales sizes and fonts by its DPI; the style sheet's indicator lengths follow, the
// rest of the sheet stays as written.
TEST(SkinStyleSheet, IndicatorLengthsScaleWithTheLayoutDpi) {
    const QString sheet = QStringLiteral(
        "QCheckBox::indicator { width: 18px; height: 18px; image: url(\"a_18px.png\"); }\n"
        "QRadioButton::indicator:checked { width: 17px; }\n"
        "QSlider::handle { width: 14px; }\nQLabel { padding: 18px; }");
    struct Case {
        int dpi;
        const char* expected;
    };
    const Case cases[] = {
        {96,
         "QCheckBox::indicator { width: 18px; height: 18px; image: url(\"a_18px.png\"); }\n"
         "QRadioButton::indicator:checked { width: 17px; }\n"
         "QSlider::handle { width: 14px; }\nQLabel { padding: 18px; }"},
        {144,
         "QCheckBox::indicator { width: 27px; height: 27px; image: url(\"a_18px.png\"); }\n"
         "QRadioButton::indicator:checked { width: 26px; }\n"
         "QSlider::handle { width: 14px; }\nQLabel { padding: 18px; }"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::ScaleIndicatorRules(sheet, c.dpi).toStdString(), c.expected) << c.dpi;
}
}  // namespace
