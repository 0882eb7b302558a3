#pragma once
// Where the program's read-only data lives: the folder that holds "skin/" (with its "res.xml")
// and "DefaultData/". Looked for, in this order:
//   1. beside the program (a build folder, where skin/ and DefaultData/ are linked in);
//   2. <program folder>/../share/skelmora (an installed tree, wherever its prefix was moved);
//   3. <each absolute entry of $XDG_DATA_DIRS>/skelmora ("/usr/local/share:/usr/share" when
//      the variable is unset or empty; relative entries are ignored, as the XDG rules say).
#include <QString>
#include <QStringList>

namespace platform {

// The folders looked at, in order, for a program in programFolder with the given value of
// $XDG_DATA_DIRS. Pure: nothing is read from the disk.
QStringList DataFolderCandidates(const QString& programFolder, const QString& xdgDataDirs);

// Why folder cannot serve as the data folder (no "skin/res.xml", no "DefaultData/"), or empty.
QString DataFolderProblem(const QString& folder);

struct DataFolderChoice {
    QString folder;     // the first candidate without a problem; empty when there is none
    QStringList tried;  // every candidate looked at, with the reason it was passed over
};

DataFolderChoice ChooseDataFolder(const QStringList& candidates);

// The data folder of this process (absolute, without a trailing '/'), chosen once from the
// program's folder and $XDG_DATA_DIRS; empty when none of the candidates holds the data.
QString DataFolder();

// One line naming the folders tried, for the message that stops a start without data.
QString MissingDataFolderMessage();

}  // namespace platform
