#pragma once
// Where the per-user run-time objects of the program live: the instance lock and the socket
// of the message port, both named after the product string.
//
// They live only in a folder that is private to the user: $XDG_RUNTIME_DIR when it is one,
// else <temporary folder>/skelmora-UID, created with mode 0700 and checked (a folder, not a
// symbolic link, owned by the user, mode 0700). When neither can be had, there is no message
// port, and the instance lock goes to the user's cache folder; that is said once in the log.
#include <sys/types.h>

#include <QString>

namespace platform {

// The product string made safe for a file or socket name: every character other than
// A-Z, a-z, 0-9, '.', '-' and '_' becomes '_' ("TELMA_QX-418GRY_Device").
QString SanitisedProductName();

// What the choice of the run-time folder looks at; the real environment by default.
struct RuntimeEnvironment {
    QString xdgRuntimeDir;  // $XDG_RUNTIME_DIR, empty when not set
    QString tempFolder;     // where skelmora-UID is made (the temporary folder)
    QString cacheFolder;    // the user's cache folder, for the lock when nothing is private
    uid_t uid = 0;          // the user the folders must belong to

    static RuntimeEnvironment Current();
};

struct RuntimePlace {
    QString folder;    // the private folder; empty when there is none
    QString lockPath;  // the instance lock (in the cache folder when there is no folder)
    QString portPath;  // the message port; empty when there is no private folder
    QString problem;   // why there is no private folder (empty when there is one)
};

// Why a folder cannot serve as the private run-time folder of uid, or empty when it can
// (a folder, not a symbolic link, owned by uid, no access for group and others).
QString PrivateFolderProblem(const QString& folder, uid_t uid);

// Chooses the folder, creating <tempFolder>/skelmora-UID when needed. Pure apart from that.
RuntimePlace ChooseRuntimePlace(const RuntimeEnvironment& environment);

// ChooseRuntimePlace(RuntimeEnvironment::Current()); the first time it finds no private
// folder, it logs a warning saying so.
RuntimePlace CurrentRuntimePlace();

// The private run-time folder, or empty.
QString RuntimeFolder();
// <run-time folder>/TELMA_QX-418GRY_Device.lock (or in the cache folder)
QString InstanceLockPath();
// <run-time folder>/TELMA_QX-418GRY_Device.sock; empty when there is no private folder.
QString MessagePortPath();

}  // namespace platform
