// The data folder: where it is looked for, in which order, and which folders are passed over.
#include "platform/data_paths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(DataPaths, CandidatesInOrder) {
    const struct {
        const char* programFolder;
        const char* xdgDataDirs;
        QStringList expected;
    } cases[] = {
        // Beside the program, its prefix's share/skelmora, then the XDG defaults.
        {"/opt/x/bin",
         "",
         {"/opt/x/bin", "/opt/x/share/skelmora", "/usr/local/share/skelmora",
          "/usr/share/skelmora"}},
        {"/opt/x/bin",
         "/a:/b/",
         {"/opt/x/bin", "/opt/x/share/skelmora", "/a/skelmora", "/b/skelmora"}},
        // Relative entries are ignored; only colons is as good as unset.
        {"/opt/x/bin", "rel:./here:/c", {"/opt/x/bin", "/opt/x/share/skelmora", "/c/skelmora"}},
        {"/opt/x/bin",
         ":::",
         {"/opt/x/bin", "/opt/x/share/skelmora", "/usr/local/share/skelmora",
          "/usr/share/skelmora"}},
        // An installed program under /usr: its prefix is also an XDG entry, looked at once.
        {"/usr/bin", "/usr/share", {"/usr/bin", "/usr/share/skelmora"}},
        // An unknown program folder (no application object yet) is skipped.
        {"", "/d", {"/d/skelmora"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.programFolder) + " | " + c.xdgDataDirs);
        EXPECT_EQ(platform::DataFolderCandidates(QString::fromLatin1(c.programFolder),
                                                 QString::fromLatin1(c.xdgDataDirs)),
                  c.expected);
    }
}

class DataFolderTest : public ::testing::Test {
  protected:
    // A folder under the temporary one with the given files (a trailing '/' makes a folder).
    QString Make(const QString& name, const QStringList& entries) {
        const QString folder = root_.path() + '/' + name;
        QDir().mkpath(folder);
        for (const QString& entry : entries) {
            if (entry.endsWith('/')) {
                QDir().mkpath(folder + '/' + entry);
            } else {
                QDir().mkpath(QFileInfo(folder + '/' + entry).path());
                QFile file(folder + '/' + entry);
                EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            }
        }
        return folder;
    }
    QTemporaryDir root_;
};

TEST_F(DataFolderTest, TheFirstCompleteFolderIsTaken) {
    const QString noSkin = Make("noskin", {"skin/", "DefaultData/"});
    const QString noDefaults = Make("nodefaults", {"skin/res.xml"});
    const QString complete = Make("complete", {"skin/res.xml", "DefaultData/"});
    const QString alsoComplete = Make("also", {"skin/res.xml", "DefaultData/"});
    const QString missing = root_.path() + "/missing";

    const platform::DataFolderChoice choice =
        platform::ChooseDataFolder({missing, noSkin, noDefaults, complete, alsoComplete});
    EXPECT_EQ(choice.folder, complete);
    EXPECT_EQ(choice.tried,
              (QStringList{missing + " (no such folder)", noSkin + " (no skin/res.xml)",
                           noDefaults + " (no DefaultData/)"}));
}

TEST_F(DataFolderTest, NoCompleteFolderNamesEveryOneTried) {
    const QString noSkin = Make("noskin", {"DefaultData/"});
    const platform::DataFolderChoice choice = platform::ChooseDataFolder({noSkin, "/nonexistent"});
    EXPECT_TRUE(choice.folder.isEmpty());
    EXPECT_EQ(choice.tried.size(), 2);
}

TEST(DataPaths, ThisProgramsFolderHoldsTheData) {
    // Test programs run from the build folder, where skin/ and DefaultData/ are linked in.
    EXPECT_FALSE(platform::DataFolder().isEmpty())
        << platform::MissingDataFolderMessage().toStdString();
}

}  // namespace
