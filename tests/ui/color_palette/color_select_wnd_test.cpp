// The colour palette dialog, opened as the program opens it (modal, from PickColour) in a
// temporary data home: what it shows, what it returns, and what it keeps in its swatch file.
#include "panels/color_select_wnd.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>

#include "controls/color_palette.h"
#include "controls/picture_controls.h"
#include "panels/color_option_file.h"
#include "profiles/json_file.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"
#include "ui/resource_list.h"
#include "ui/resource_manager.h"

namespace {

using Action = std::function<void(CColorSelectWnd&)>;

class PaletteDialog : public uitest::AppFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        saved_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home_.path().toUtf8());
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        controls::RegisterPictureControls(CControlFactory::GetInstance());
        ASSERT_TRUE(CResourceList::GetInstance().Load());
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage("lan_en.xml"));
    }
    void TearDown() override {
        CColorSelectWnd::SetMainWindow(nullptr, {});
        ui::SetResourcePath(QString());
        if (saved_.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", saved_);
    }

    // Opens the dialog with initial and runs act inside its modal loop; act ends it.
    std::optional<uint32_t> Pick(uint32_t initial, const Action& act, QWidget* opener = nullptr) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            CColorSelectWnd* dialog = CColorSelectWnd::OpenDialog();
            ASSERT_NE(dialog, nullptr);
            ran = true;
            act(*dialog);
            // Whatever act did, the loop must end.
            if (CColorSelectWnd::OpenDialog()) CColorSelectWnd::OpenDialog()->close();
        });
        const std::optional<uint32_t> result = CColorSelectWnd::PickColour(opener, initial);
        EXPECT_TRUE(ran);
        return result;
    }

    static void Click(CColorSelectWnd& dialog, const char* name) {
        QWidget* control = dialog.FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        QTest::mouseClick(control, Qt::LeftButton);
    }
    static QString Text(CColorSelectWnd& dialog, const char* name) {
        return ui::GetText(dialog.FindControl(name));
    }
    // Types text into an edit and leaves it.
    static void Type(CColorSelectWnd& dialog, const char* name, const QString& text) {
        QWidget* edit = dialog.FindControl(name);
        ASSERT_NE(edit, nullptr) << name;
        ui::SetText(edit, text);
        ui::SendNotify(edit, QString::fromLatin1(notify_type::kKillFocus));
    }
    std::filesystem::path UserFile() const {
        return std::filesystem::path(CColorSelectWnd::UserSwatchFile().toStdString());
    }
    Json::Value UserDocument() const { return profiles::JsonFile().ReadDocument(UserFile()); }
    void WriteUserDocument(const Json::Value& document) const {
        std::filesystem::create_directories(UserFile().parent_path());
        ASSERT_TRUE(profiles::JsonFile().WriteDocument(document, UserFile()).ok());
    }
    void WriteUserFile(const std::string& text) const {
        std::filesystem::create_directories(UserFile().parent_path());
        std::ofstream(UserFile()) << text;
    }

    QTemporaryDir home_;
    QByteArray saved_;
};

constexpr uint32_t kInitial = 0xFF0099FFu;

TEST_F(PaletteDialog, OpensOnTheInitialColourAndConfirmingUntouchedReturnsIt) {
    const auto result = Pick(kInitial, [](CColorSelectWnd& dialog) {
        EXPECT_EQ(Text(dialog, "color_edit_r"), "0");
        EXPECT_EQ(Text(dialog, "color_edit_g"), "153");
        EXPECT_EQ(Text(dialog, "color_edit_b"), "255");
        auto* palette = qobject_cast<CColorPaletteUI*>(dialog.FindControl("Pallet"));
        ASSERT_NE(palette, nullptr);
        EXPECT_EQ(palette->GetSelectColor(), kInitial);
        EXPECT_EQ(ui::GetBkColor(dialog.FindControl("color_show_btn")), kInitial);
        // The opener of this system never offers the seven-colour mode.
        EXPECT_FALSE(dialog.FindControl("7color_layout")->isVisible());
        EXPECT_EQ(dialog.GetCollectedIndex(), -1);
        Click(dialog, "okbtn");
    });
    EXPECT_EQ(result, kInitial);
}

TEST_F(PaletteDialog, TypedComponentsAreClampedAndRewritten) {
    const auto result = Pick(kInitial, [](CColorSelectWnd& dialog) {
        Type(dialog, "color_edit_r", "300");
        EXPECT_EQ(Text(dialog, "color_edit_r"), "255");
        EXPECT_EQ(dialog.GetColour(), 0xFFFF99FFu);
        Type(dialog, "color_edit_g", "");
        EXPECT_EQ(Text(dialog, "color_edit_g"), "0");
        EXPECT_EQ(dialog.GetColour(), 0xFFFF00FFu);  // red and blue as they were
        Type(dialog, "color_edit_b", "12abc");
        EXPECT_EQ(Text(dialog, "color_edit_b"), "12");
        EXPECT_EQ(dialog.GetColour(), 0xFFFF000Cu);
        Click(dialog, "okbtn");
    });
    EXPECT_EQ(result, 0xFFFF000Cu);
}

TEST_F(PaletteDialog, TheEditRuleTakesLeadingDigitsUpTo255) {
    struct Case {
        const char* text;
        int value;
        const char* rewrite;  // nullptr: the text stays
    };
    const Case cases[] = {{"0", 0, nullptr},   {"255", 255, nullptr}, {"256", 255, "255"},
                          {"300", 255, "255"}, {"", 0, "0"},          {"-1", 0, "0"},
                          {"12abc", 12, "12"}, {"007", 7, "7"},       {"99999999999", 255, "255"}};
    for (const Case& c : cases) {
        const color_options::ComponentEntry entry = color_options::ReadComponent(c.text);
        EXPECT_EQ(entry.value, c.value) << c.text;
        EXPECT_EQ(entry.rewrite.has_value(), c.rewrite != nullptr) << c.text;
        if (c.rewrite && entry.rewrite) {
            EXPECT_EQ(*entry.rewrite, c.rewrite) << c.text;
        }
    }
}

TEST_F(PaletteDialog, TheChosenEmptyCollectedSwatchTakesThePalettesColourAndIsSaved) {
    uint32_t picked = 0;
    const auto result = Pick(kInitial, [&](CColorSelectWnd& dialog) {
        Click(dialog, "collect_color_option_3");
        EXPECT_EQ(dialog.GetCollectedIndex(), 3);
        auto* palette = qobject_cast<CColorPaletteUI*>(dialog.FindControl("Pallet"));
        const QPoint at = palette->FieldRect().center();
        uitest::SendMouse(palette, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        uitest::SendMouse(palette, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        picked = palette->GetSelectColor();
        QWidget* swatch = dialog.FindControl("collect_color_option_3");
        EXPECT_EQ(ui::GetBkColor(swatch), picked);
        EXPECT_EQ(ui::GetUserData(swatch), "1");
        EXPECT_TRUE(ui::IsSelected(swatch));
        EXPECT_EQ(ui::GetBkColor(dialog.FindControl("color_show_btn")), picked);
        Click(dialog, "okbtn");
    });
    ASSERT_NE(picked, kInitial);
    EXPECT_EQ(result, picked);
    const Json::Value info = UserDocument()["coloroptioninfo"];
    EXPECT_EQ(info["palletDialogcollectcoloroption"][3]["color"].asString(),
              color_options::ColourText(picked));
    EXPECT_EQ(info["palletDialogcollectcoloroption"][3]["UserData"].asString(), "1");
    EXPECT_EQ(info["palletDialogcollectcoloroption"][2]["UserData"].asString(), "");
    EXPECT_EQ(info["palletDialogcollectcoloroption_selectitem"].asInt(), 3);

    // The next opening shows it, and choosing it makes it the colour.
    const auto again = Pick(0xFF000000u, [&](CColorSelectWnd& dialog) {
        EXPECT_EQ(ui::GetBkColor(dialog.FindControl("collect_color_option_3")), picked);
        Click(dialog, "collect_color_option_3");
        EXPECT_EQ(dialog.GetColour(), picked);
        Click(dialog, "okbtn");
    });
    EXPECT_EQ(again, picked);
}

TEST_F(PaletteDialog, AFixedSwatchGivesItsLayoutColourAndIsRemembered) {
    const auto result = Pick(0xFF000000u, [](CColorSelectWnd& dialog) {
        Click(dialog, "color_option_8");
        EXPECT_EQ(Text(dialog, "color_edit_g"), "153");
        Click(dialog, "okbtn");
    });
    EXPECT_EQ(result, kInitial);  // swatch 8 of the layout is FF0099FF
    const Json::Value info = UserDocument()["coloroptioninfo"];
    EXPECT_EQ(info["palletDialogcoloroption_selectitem"].asInt(), 8);
    EXPECT_EQ(info["palletDialogcoloroption"][8]["color"].asString(), "FF0099FF");
    EXPECT_EQ(info["palletDialogcoloroption"][0]["color"].asString(), "FFFF0000");
}

TEST_F(PaletteDialog, AMissingOrUnreadableUserFileIsReplacedByTheShippedOne) {
    const Json::Value shipped = profiles::JsonFile().ReadDocument(
        std::filesystem::path(CColorSelectWnd::ShippedSwatchFile().toStdString()));
    ASSERT_TRUE(shipped.isObject());
    for (const char* start : {"", "{ not json"}) {
        std::error_code ignored;
        std::filesystem::remove(UserFile(), ignored);
        if (*start) WriteUserFile(start);
        Pick(kInitial, [](CColorSelectWnd& dialog) { Click(dialog, "closebtn"); });
        EXPECT_EQ(UserDocument(), shipped) << start;
    }
}

TEST_F(PaletteDialog, BadSwatchEntriesStayWhiteAndLongListsAreKept) {
    Json::Value document;
    Json::Value& list = document["coloroptioninfo"]["palletDialogcollectcoloroption"];
    for (Json::ArrayIndex i = 0; i < 300; ++i) {
        list[i]["color"] = "FF112233";
        list[i]["UserData"] = "1";
    }
    list[0]["color"] = "ZZZZZZZZ";
    list[1]["color"] = "FF11223";  // seven digits
    list[2]["color"] = 12;
    WriteUserDocument(document);
    Pick(kInitial, [](CColorSelectWnd& dialog) {
        for (const char* name :
             {"collect_color_option_0", "collect_color_option_1", "collect_color_option_2"}) {
            EXPECT_EQ(ui::GetBkColor(dialog.FindControl(name)), 0xFFFFFFFFu) << name;
            EXPECT_EQ(ui::GetUserData(dialog.FindControl(name)), "") << name;
        }
        EXPECT_EQ(ui::GetBkColor(dialog.FindControl("collect_color_option_19")), 0xFF112233u);
        // Filling swatch 0 saves the collection.
        Click(dialog, "collect_color_option_0");
        Type(dialog, "color_edit_r", "1");
        Click(dialog, "closebtn");
    });
    const Json::Value saved = UserDocument()["coloroptioninfo"]["palletDialogcollectcoloroption"];
    EXPECT_EQ(saved.size(), 300u);
    EXPECT_EQ(saved[0]["color"].asString(), "FF0199FF");
    EXPECT_EQ(saved[1]["color"].asString(), "FFFFFFFF");
    EXPECT_EQ(saved[1]["UserData"].asString(), "");
    EXPECT_EQ(saved[299]["color"].asString(), "FF112233");
}

TEST_F(PaletteDialog, EveryWayOutButConfirmingCancels) {
    for (const char* button : {"closebtn", "laterbtn"}) {
        EXPECT_EQ(Pick(kInitial, [&](CColorSelectWnd& dialog) { Click(dialog, button); }),
                  std::nullopt)
            << button;
    }
    // Without a palette, "okbtn" closes with 2, which is no confirmation.
    EXPECT_EQ(Pick(kInitial,
                   [](CColorSelectWnd& dialog) {
                       delete dialog.FindControl("Pallet");
                       Click(dialog, "okbtn");
                       EXPECT_EQ(dialog.GetResult(), CColorSelectWnd::kNoPalette);
                   }),
              std::nullopt);
}

TEST_F(PaletteDialog, ClosingFromTheWindowManagerCancelsAndTheProgramKeepsRunning) {
    QWidget main;
    main.resize(800, 572);
    main.show();
    bool quitting = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quitting = true; });
    CColorSelectWnd* seen = nullptr;
    CColorSelectWnd::SetMainWindow(&main, [&](CColorSelectWnd* dialog) {
        if (dialog) seen = dialog;
    });
    const auto result = Pick(kInitial, [](CColorSelectWnd& dialog) {
        Type(dialog, "color_edit_r", "7");
        QCloseEvent close;
        QApplication::sendEvent(&dialog, &close);  // what the window manager's close does
    });
    EXPECT_EQ(result, std::nullopt);
    EXPECT_NE(seen, nullptr);
    QTest::qWait(50);
    EXPECT_FALSE(quitting);
    EXPECT_TRUE(main.isVisible());
    // And the next dialog opens.
    EXPECT_EQ(Pick(kInitial, [](CColorSelectWnd& dialog) { Click(dialog, "okbtn"); }), kInitial);
}

TEST_F(PaletteDialog, ItIsAToolWindowOfTheMainWindowCountedWhileOpen) {
    QWidget main;
    CPaintManagerUI manager(&main);
    manager.SetDPI(144);
    main.show();
    std::vector<CColorSelectWnd*> hook;
    CColorSelectWnd::SetMainWindow(&main, [&](CColorSelectWnd* dialog) { hook.push_back(dialog); });
    Pick(kInitial, [&](CColorSelectWnd& dialog) {
        EXPECT_EQ(dialog.parentWidget(), &main);
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::Tool));
        EXPECT_EQ(dialog.windowTitle(), "PalletDialog");
        EXPECT_EQ(dialog.objectName(), "ColorSelectWnd");
        EXPECT_EQ(dialog.PaintManager().GetDPI(), 144);
        EXPECT_EQ(dialog.size(), QSize(800 * 144 / 96, 572 * 144 / 96));
        // One dialog at a time: a second opening gives nothing at once.
        EXPECT_EQ(CColorSelectWnd::PickColour(nullptr, 0xFF000000u), std::nullopt);
        dialog.HandleMessage(CColorSelectWnd::kLanguageMessage);
        Click(dialog, "okbtn");
    });
    ASSERT_EQ(hook.size(), 2u);
    EXPECT_NE(hook[0], nullptr);
    EXPECT_EQ(hook[1], nullptr);
}

TEST_F(PaletteDialog, MaximisingSwapsTheMaximiseAndRestoreButtons) {
    Pick(kInitial, [](CColorSelectWnd& dialog) {
        QWidget* max = dialog.FindControl("maxbtn");
        QWidget* restore = dialog.FindControl("restorebtn");
        EXPECT_TRUE(max->isVisible());
        EXPECT_FALSE(restore->isVisible());
        Click(dialog, "maxbtn");
        EXPECT_TRUE(QTest::qWaitFor([&] { return restore->isVisible(); }, 2000));
        EXPECT_FALSE(max->isVisible());
        Click(dialog, "restorebtn");
        EXPECT_TRUE(QTest::qWaitFor([&] { return max->isVisible(); }, 2000));
        EXPECT_FALSE(restore->isVisible());
        Click(dialog, "closebtn");
    });
}

TEST_F(PaletteDialog, SevenColourShowsTheImageOnThePreview) {
    Pick(kInitial, [](CColorSelectWnd& dialog) {
        dialog.ShowSevenColour(true);
        EXPECT_TRUE(dialog.FindControl("7color_layout")->isVisible());
        dialog.SetSevenColour(true);
        EXPECT_EQ(ui::GetBkImage(dialog.FindControl("color_show_btn")), "common/base1.png");
        EXPECT_TRUE(ui::IsSelected(dialog.FindControl("7color")));
        dialog.ShowSevenColour(false);
        EXPECT_FALSE(ui::IsSelected(dialog.FindControl("7color")));
        dialog.SetColour(0xFF010203u);  // a colour drops the image
        EXPECT_EQ(ui::GetBkImage(dialog.FindControl("color_show_btn")), "");
        Click(dialog, "closebtn");
    });
}

TEST(PaletteDialogDpi, OnlyTheSevenStepsAreTakenOver) {
    uitest::app();
    const std::pair<int, int> cases[] = {{48, 48},   {72, 72},   {96, 96},   {120, 120},
                                         {144, 144}, {168, 168}, {192, 192}, {100, 96},
                                         {0, 96},    {-96, 96},  {200, 96}};
    for (const auto& [dpi, used] : cases) EXPECT_EQ(CColorSelectWnd::DialogDpi(dpi), used) << dpi;
}

TEST(SwatchColourText, EightUpperCaseDigitsAlphaFirst) {
    EXPECT_EQ(color_options::ColourText(0xFF0099FFu), "FF0099FF");
    EXPECT_EQ(color_options::ColourText(0x0000000Au), "0000000A");
    EXPECT_EQ(color_options::ParseColourText("FF0099FF"), 0xFF0099FFu);
    EXPECT_EQ(color_options::ParseColourText("ff0099ff"), 0xFF0099FFu);
    for (const char* bad : {"ZZZZZZZZ", "FF0099F", "FF0099FF0", "", " F0099FF", "0xFF0099"})
        EXPECT_EQ(color_options::ParseColourText(bad), std::nullopt) << bad;
}

// With SKELMORA_SCREENSHOT_DIR set, the dialog with a few collected colours is saved there.
TEST_F(PaletteDialog, Screenshot) {
    const QByteArray folder = qgetenv("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    ASSERT_TRUE(ui::ApplySkinStyleSheet());
    Json::Value document = profiles::JsonFile().ReadDocument(
        std::filesystem::path(CColorSelectWnd::ShippedSwatchFile().toStdString()));
    const char* kept[] = {"FF2EC4B6", "FFE63946", "FFF4A261", "FF457B9D", "FF8338EC"};
    for (Json::ArrayIndex i = 0; i < 5; ++i) {
        document["coloroptioninfo"]["palletDialogcollectcoloroption"][i]["color"] = kept[i];
        document["coloroptioninfo"]["palletDialogcollectcoloroption"][i]["UserData"] = "1";
    }
    WriteUserDocument(document);
    Pick(kInitial, [&](CColorSelectWnd& dialog) {
        Click(dialog, "color_option_8");
        QTest::qWait(50);
        dialog.grab().save(QString::fromUtf8(folder) + "/palette_dialog_en.png");
        Click(dialog, "closebtn");
    });
}

}  // namespace
