// Applying languages: the list file, the stored choice, fonts and texts.
#include "app/language.h"

#include <QLabel>
#include <vector>

#include "app_shell/shell_fixture.h"
#include "ui/control_props.h"
#include "ui/font_table.h"
#include "ui/paint_manager.h"

namespace {
QByteArray configOf(const QList<std::pair<int, QString>>& languages) {
    QString items;
    for (const auto& [id, file] : languages)
        items += QStringLiteral(
                     "%1{\"Language_name\":\"n%2\",\"Language_file\":\"%3\",\"Language_ID\":%2,"
                     "\"Language_text\":\"t%2\"}")
                     .arg(items.isEmpty() ? "" : ",")
                     .arg(id)
                     .arg(file);
    return ("{\"Language\":[" + items + "]}").toUtf8();
}

class LanguageTest : public shelltest::ShellFixture {
  protected:
    LanguageTest() {
        // Sixteen languages, so that indices 2 and 15 exist; odd ones are Chinese.
        QList<std::pair<int, QString>> list;
        for (int i = 0; i < 16; ++i) list.append({1000 + i, i % 2 ? "lan_cn.xml" : "lan_en.xml"});
        config.Write("Language.config", configOf(list));
        hooks.setFonts = [this](const QString& face) { fontFaces << face; };
        hooks.saveLanguage = [this](int id) { saved << id; };
        hooks.refreshWindows = [this] { ++refreshes; };
        probe->setProperty("restext", true);
        ui::SetText(probe, "confirm_text");
    }
    ~LanguageTest() override {
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
    }
    QString configPath() const { return config.path() + "/Language.config"; }

    uitest::TempSkin config;  // a folder for the list; the skin folder is set back below
    CLanguageSwitcher::Hooks hooks;
    QStringList fontFaces;
    QList<int> saved;
    int refreshes = 0;
    // A label inside a window, as texts are reloaded window by window.
    QWidget host;
    CPaintManagerUI manager{&host};
    QLabel* probe = new QLabel(&host);
};

TEST_F(LanguageTest, FontRebuildRule) {
    const struct {
        int current, next;
        bool rebuild;
    } cases[] = {{-1, 5, true}, {-1, 0, true}, {0, 5, true},  {5, 2, true},
                 {15, 4, true}, {5, 15, true}, {4, 5, false}, {3, 1, false}};
    for (const auto& c : cases)
        EXPECT_EQ(CLanguageSwitcher::NeedsFontRebuild(c.current, c.next), c.rebuild)
            << c.current << "->" << c.next;
}

TEST_F(LanguageTest, ApplyingTranslatesSavesAndRebuildsFontsOnlyWhenNeeded) {
    ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
    CLanguageSwitcher switcher(configPath(), hooks);
    EXPECT_EQ(switcher.CurrentIndex(), -1);

    EXPECT_TRUE(switcher.ApplyLanguage(3));  // first apply: fonts rebuilt
    EXPECT_EQ(fontFaces, QStringList{kFontFace});
    EXPECT_EQ(saved, QList<int>{1003});
    EXPECT_EQ(ui::GetText(probe), "确定");
    EXPECT_EQ(CResourceManager::GetInstance().GetLanguage(), "n1003");

    ui::SetText(probe, "cancel_text");
    EXPECT_FALSE(switcher.ApplyLanguage(3));  // same index: nothing at all
    EXPECT_EQ(fontFaces.size(), 1);
    EXPECT_EQ(saved.size(), 1);
    EXPECT_EQ(refreshes, 1);

    EXPECT_TRUE(switcher.ApplyLanguage(4));  // 3 -> 4: texts change, fonts stay
    EXPECT_EQ(fontFaces.size(), 1);
    EXPECT_EQ(ui::GetText(probe), "Cancel");
    EXPECT_TRUE(switcher.ApplyLanguage(2));
    EXPECT_EQ(fontFaces.size(), 2);
    EXPECT_EQ(saved, (QList<int>{1003, 1004, 1002}));
}

TEST_F(LanguageTest, IndexPastTheListStoresIdZeroAndKeepsTheTexts) {
    ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
    CLanguageSwitcher switcher(configPath(), hooks);
    switcher.ApplyLanguage(0);
    EXPECT_TRUE(switcher.ApplyLanguage(40));
    EXPECT_EQ(saved.last(), 0);
    EXPECT_EQ(CResourceManager::GetInstance().GetLanguage(), "");
    EXPECT_EQ(ui::GetText(probe), "OK");
}

TEST_F(LanguageTest, StoredChoiceSelectsTheIndex) {
    config.Write("bad.config", "{\"Language\": [");
    config.Write("none.config", configOf({{7, "a"}, {8, "b"}}));
    platform::SaveLanguage(1005);
    EXPECT_EQ(platform::StoredLanguageId(), 1005u);
    EXPECT_EQ(platform::GetLanguageIndex(configPath()), 5);
    EXPECT_EQ(platform::GetLanguageIndex(config.path() + "/none.config"), 0);
    EXPECT_EQ(platform::GetLanguageIndex(config.path() + "/bad.config"), 0);
    EXPECT_EQ(platform::GetLanguageIndex(config.path() + "/absent.config"), 0);
}

TEST_F(LanguageTest, ConfigShapesThatAreNotALanguageList) {
    const struct {
        const char* content;
        bool ok;
        size_t count;
    } cases[] = {
        {"[1,2]", false, 0},
        {"{\"Language\": {}}", false, 0},
        {"{\"Language\": [5, {\"Language_ID\": \"x\", \"Language_file\": 3}]}", true, 2},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        const LanguageConfig parsed = ParseLanguageConfig(c.content);
        EXPECT_EQ(parsed.ok(), c.ok) << c.content;
        EXPECT_EQ(parsed.languages.size(), c.count) << c.content;
        for (const LanguageEntry& e : parsed.languages) {
            EXPECT_EQ(e.id, 0);
            EXPECT_TRUE(e.file.isEmpty());
        }
    }
}

TEST_F(LanguageTest, SetFontsBuildsTheWholeTable) {
    SetFonts(QString::fromLatin1(kFontFace));
    for (int id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 50})
        EXPECT_TRUE(ui::CFontTable::HasFont(id)) << id;
    EXPECT_FALSE(ui::CFontTable::HasFont(12));
    EXPECT_EQ(ui::CFontTable::Font(50, 96).pixelSize(), 18);
    EXPECT_TRUE(ui::CFontTable::Font(50, 96).bold());
    EXPECT_TRUE(ui::CFontTable::Font(1, 96).underline());
    EXPECT_EQ(ui::CFontTable::Font(3, 144).pixelSize(), 45);
    EXPECT_EQ(ui::CFontTable::DefaultFont(96).pixelSize(), 14);
}
}  // namespace

namespace {

// What the stored choice sees: a start applies without storing; a user's choice from a list
// that cannot be read stores nothing either.
TEST_F(LanguageTest, OnlyAUsersChoiceFromAReadableListIsStored) {
    ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
    config.Write("broken.config", "{\"Language\": [ {\"Language_ID\": 1003,");
    const struct {
        const char* what;
        QString list;
        CLanguageSwitcher::LanguageOrigin origin;
        std::vector<int> saved;
    } cases[] = {
        {"start", configPath(), CLanguageSwitcher::LanguageOrigin::Start, {}},
        {"user", configPath(), CLanguageSwitcher::LanguageOrigin::User, {1003}},
        {"user, damaged list",
         config.path() + "/broken.config",
         CLanguageSwitcher::LanguageOrigin::User,
         {}},
        {"start, damaged list",
         config.path() + "/broken.config",
         CLanguageSwitcher::LanguageOrigin::Start,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        saved.clear();
        CLanguageSwitcher switcher(c.list, hooks);
        EXPECT_TRUE(switcher.ApplyLanguage(3, c.origin));
        // Compared as a std::vector: comparing empty QLists trips the undefined-behaviour check.
        EXPECT_EQ(std::vector<int>(saved.begin(), saved.end()), c.saved);
    }
}

TEST_F(LanguageTest, LanguageFileMustBeAPlainNameInTheSkinFolder) {
    const struct {
        const char* file;
        bool kept;
    } cases[] = {{"lan_en.xml", true},   {"../lan_en.xml", false},
                 {"/etc/passwd", false}, {"sub/lan_en.xml", false},
                 {"..", false},          {"a\\\\b.xml", false},
                 {"..lan.xml", true}};
    for (const auto& c : cases) {
        const QByteArray content =
            QByteArray("{\"Language\":[{\"Language_ID\":1,\"Language_file\":\"") + c.file + "\"}]}";
        const LanguageConfig parsed = ParseLanguageConfig(content);
        ASSERT_EQ(parsed.languages.size(), 1u) << c.file;
        EXPECT_EQ(parsed.languages[0].file.isEmpty(), !c.kept) << c.file;
        EXPECT_EQ(parsed.refusedFiles.size(), c.kept ? 0 : 1) << c.file;
    }
}

}  // namespace
