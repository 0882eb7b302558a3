// The language choice in the settings store of a temporary XDG_CONFIG_HOME.
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <filesystem>
#include <optional>

#include "temp_home.h"

namespace {

constexpr char kShippedList[] = R"({"Language": [
    {"Language_ID": 2052, "Language_file": "lan_cn.xml"},
    {"Language_ID": 1033, "Language_file": "lan_en.xml"}]})";
constexpr char kListWith208[] = R"({"Language": [
    {"Language_ID": 2052}, {"Language_ID": 1033}, {"Language_ID": 520}]})";

QString WriteList(const char* text) {
    static int next = 0;
    const QString path = temp_home::Root() + QStringLiteral("/Language-%1.config").arg(next++);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

// Writes the settings file by hand. Each write gets its own time stamp, so that no cached
// copy of an earlier content is taken for it.
void WriteStore(const std::optional<QByteArray>& text) {
    static int next = 0;
    const QString path = platform::SettingsFilePath();
    QFile::remove(path);
    if (!text) return;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*text);
    ASSERT_TRUE(file.flush());  // written before the time stamp is set, so closing keeps it
    file.setFileTime(QDateTime::currentDateTime().addSecs(-10000 + ++next), QFileDevice::FileModificationTime);
}

}  // namespace

TEST(SettingsStore, KeptUnderTheProductStringInTheUsersConfigFolder) {
    EXPECT_EQ(platform::SettingsFilePath(), temp_home::ConfigDir() + "/TELMA QX-418GRY Device.conf");
}

TEST(SettingsStore, LanguageIndex) {
    // With no stored choice the desktop's locale decides: Chinese there, English elsewhere.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QLocale c = QLocale::c();
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Case {
        const char* what;
        std::optional<QByteArray> store;  // nullopt: no store at all
        const char* list;                 // nullptr: no list file
        std::optional<std::uint32_t> storedId;
        QLocale desktop;
        int index;
    };
    const Case cases[] = {
        {"no store, English desktop", std::nullopt, kShippedList, std::nullopt, english, 1},
        {"no store, C locale", std::nullopt, kShippedList, std::nullopt, c, 1},
        {"no store, German desktop", std::nullopt, kShippedList, std::nullopt, german, 1},
        {"no store, Chinese desktop", std::nullopt, kShippedList, std::nullopt, chinese, 0},
        {"store without the value follows the desktop", "[General]\nOTHER=1\n", kListWith208, 0x208,
         english, 1},
        {"store without the value, Chinese desktop", "[General]\nOTHER=1\n", kListWith208, 0x208,
         chinese, 0},
        {"English stored, Chinese desktop", "[General]\nLANGUAGE=1033\n", kShippedList, 1033,
         chinese, 1},
        {"Chinese stored, English desktop", "[General]\nLANGUAGE=2052\n", kShippedList, 2052,
         english, 0},
        {"no such language", "[General]\nLANGUAGE=9999\n", kShippedList, 9999, english, 0},
        {"first of equal ids", "[General]\nLANGUAGE=7\n",
         R"({"Language":[{"Language_ID":1},{"Language_ID":7},{"Language_ID":7}]})", 7, english, 1},
        {"entries that are not objects are passed over", "[General]\nLANGUAGE=7\n",
         R"({"Language":[3, "x", null, {"Language_ID":7}]})", 7, english, 3},
        {"an id given as text is no match", "[General]\nLANGUAGE=1033\n",
         R"({"Language":[{"Language_ID":2052},{"Language_ID":"1033"}]})", 1033, english, 0},
        {"not a number follows the desktop", "[General]\nLANGUAGE=English\n", kListWith208, 0x208,
         english, 1},
        {"beyond 32 bits follows the desktop", "[General]\nLANGUAGE=4294967296\n", kListWith208,
         0x208, chinese, 0},
        {"largest 32-bit id", "[General]\nLANGUAGE=4294967295\n",
         R"({"Language":[{"Language_ID":1},{"Language_ID":4294967295}]})", 0xFFFFFFFFu, english, 1},
        {"negative id follows the desktop", "[General]\nLANGUAGE=-1\n", kListWith208, 0x208,
         english, 1},
        {"list not JSON", "[General]\nLANGUAGE=1033\n", "{\"Language\": [", 1033, english, 0},
        {"list without Language", "[General]\nLANGUAGE=1033\n",
         R"({"Languages":[{"Language_ID":1033}]})", 1033, english, 0},
        {"Language not an array", "[General]\nLANGUAGE=1033\n",
         R"({"Language":{"Language_ID":1033}})", 1033, english, 0},
        {"list is an array", "[General]\nLANGUAGE=1033\n", R"([{"Language_ID":1033}])", 1033,
         english, 0},
        {"no list file", "[General]\nLANGUAGE=1033\n", nullptr, 1033, english, 0},
        {"empty list file", "[General]\nLANGUAGE=1033\n", "", 1033, english, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteStore(c.store);
        const QString list = c.list ? WriteList(c.list) : temp_home::Root() + "/missing.config";
        EXPECT_EQ(platform::StoredLanguageId(), c.storedId);
        EXPECT_EQ(platform::GetLanguageIndex(list, c.desktop), c.index);
    }
    EXPECT_EQ(platform::LanguageIdForLocale(QLocale(QLocale::Chinese, QLocale::Taiwan)), 2052u);
}

TEST(SettingsStore, SavedLanguageIsReadBackAndCreatesTheStore) {
    WriteStore(std::nullopt);
    const QString list = WriteList(kShippedList);
    // Nothing stored: a Chinese desktop gets Chinese, until the user chooses.
    ASSERT_EQ(platform::GetLanguageIndex(list, QLocale(QLocale::Chinese)), 0);

    ASSERT_TRUE(platform::SaveLanguage(1033));
    EXPECT_TRUE(QFile::exists(platform::SettingsFilePath()));
    EXPECT_EQ(platform::StoredLanguageId(), 1033u);
    EXPECT_EQ(platform::GetLanguageIndex(list), 1);

    ASSERT_TRUE(platform::SaveLanguage(2052));
    EXPECT_EQ(platform::GetLanguageIndex(list), 0);
    ASSERT_TRUE(platform::SaveLanguage(0xFFFFFFFFu));
    EXPECT_EQ(platform::StoredLanguageId(), 0xFFFFFFFFu);

    // The file is what the native settings of the product read: other values are kept.
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "TELMA QX-418GRY Device");
        settings.setValue("OTHER", 5);
    }
    ASSERT_TRUE(platform::SaveLanguage(1033));
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "TELMA QX-418GRY Device");
    EXPECT_EQ(settings.value("LANGUAGE").toUInt(), 1033u);
    EXPECT_EQ(settings.value("OTHER").toInt(), 5);
}

TEST(SettingsStore, StoreThatCannotBeWrittenIsReported) {
    // A folder where the settings file belongs: neither readable nor writable as settings,
    // whoever runs the test.
    WriteStore(std::nullopt);
    const QString path = platform::SettingsFilePath();
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_FALSE(platform::SaveLanguage(1033));
    EXPECT_EQ(platform::StoredLanguageId(), std::nullopt);
    // Nothing could be stored: the desktop's language (Chinese here) still decides.
    EXPECT_EQ(platform::GetLanguageIndex(WriteList(kShippedList), QLocale(QLocale::Chinese)), 0);
    ASSERT_TRUE(QDir(path).removeRecursively());
}

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// A settings file with lines that cannot be read: the readable value is used, reading never
// writes, and the first save keeps the old file as NAME.bad (once) and keeps its readable lines.
TEST(SettingsStore, DamagedFileIsReadAsFarAsItCanAndKeptBeforeASave) {
    struct Case {
        const char* what;
        QByteArray content;
        std::optional<std::uint32_t> storedId;
        bool keptAsBad;        // the first save makes NAME.bad
        const char* survives;  // a line that is still in the file after the save
    };
    const Case cases[] = {
        {"one bad line", "[General]\nLANGUAGE=1033\nthis line is not a setting\nOTHER=5\n", 1033,
         true, "OTHER=5"},
        {"broken section header after the value", "[General]\nLANGUAGE=1033\n[SKIN\nX=1\n", 1033,
         true, "X=1"},
        {"binary garbage before the value",
         QByteArray("\x00\xff\xfe\x01\n[General]\nLANGUAGE=2052\n", 29), 2052, true, "[General]"},
        {"readable, with CR LF and comments", "; mine\r\n[General]\r\nLANGUAGE = 1033\r\n", 1033,
         false, "; mine"},
        {"quoted value", "[General]\nLANGUAGE=\"1033\"\n", 1033, false, "[General]"},
        {"value in another section only", "[Other]\nLANGUAGE=1033\n", platform::kUnsetLanguageId,
         false, "[Other]"},
        {"empty file", "", platform::kUnsetLanguageId, false, "[General]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteStore(c.content);
        const QString path = platform::SettingsFilePath();
        QFile::remove(path + ".bad");
        QFile::remove(path + ".bad.1");

        EXPECT_EQ(platform::StoredLanguageId(), c.storedId);
        platform::GetLanguageIndex(WriteList(kShippedList));
        EXPECT_EQ(ReadAll(path), c.content) << "reading changed the file";

        ASSERT_TRUE(platform::SaveLanguage(2052));
        EXPECT_EQ(platform::StoredLanguageId(), 2052u);
        EXPECT_EQ(QFile::exists(path + ".bad"), c.keptAsBad);
        if (c.keptAsBad) {
            EXPECT_EQ(ReadAll(path + ".bad"), c.content);
        }
        EXPECT_TRUE(ReadAll(path).contains(c.survives)) << ReadAll(path).toStdString();

        ASSERT_TRUE(platform::SaveLanguage(1033));
        EXPECT_FALSE(QFile::exists(path + ".bad.1")) << "a second save copied again";
    }

    // An earlier copy is never overwritten: the next free NAME.bad.N takes the new one.
    const QString path = platform::SettingsFilePath();
    const QByteArray damaged = "[General]\nLANGUAGE=1033\nnot a setting\n";
    for (const char* earlier : {".bad", ".bad.1"}) {
        QFile copy(path + earlier);
        ASSERT_TRUE(copy.open(QIODevice::WriteOnly | QIODevice::Truncate));
        copy.write(QByteArray("earlier ") + earlier);
    }
    QFile::remove(path + ".bad.2");
    WriteStore(damaged);
    ASSERT_TRUE(platform::SaveLanguage(2052));
    EXPECT_EQ(ReadAll(path + ".bad"), "earlier .bad");
    EXPECT_EQ(ReadAll(path + ".bad.1"), "earlier .bad.1");
    EXPECT_EQ(ReadAll(path + ".bad.2"), damaged);
    for (const char* copy : {".bad", ".bad.1", ".bad.2"}) QFile::remove(path + copy);

    // A file too large to be settings is not read and not replaced.
    WriteStore(QByteArray(2 << 20, 'x'));
    EXPECT_EQ(platform::StoredLanguageId(), std::nullopt);
    EXPECT_FALSE(platform::SaveLanguage(1033));
    EXPECT_EQ(ReadAll(platform::SettingsFilePath()).size(), 2 << 20);
    WriteStore(std::nullopt);
}

TEST(SettingsStore, FolderWhoseNameIsNotUtf8IsTheUsersOwn) {
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    const std::string folder =
        QFile::encodeName(temp_home::Root()).toStdString() + "/conf-\xff\xfe";
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder));
    EXPECT_EQ(platform::SettingsFile(),
              std::filesystem::path(folder) / "TELMA QX-418GRY Device.conf");
    ASSERT_TRUE(platform::SaveLanguage(1033));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(folder) /
                                                 "TELMA QX-418GRY Device.conf"));
    EXPECT_EQ(platform::StoredLanguageId(), 1033u);
    qputenv("XDG_CONFIG_HOME", previous);
    std::filesystem::remove_all(folder);
}
