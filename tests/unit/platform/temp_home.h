#pragma once
// The whole test program runs in a temporary home: XDG_RUNTIME_DIR, XDG_CONFIG_HOME,
// XDG_DATA_HOME and HOME point into a fresh folder, set before any Qt object reads them, and
// a QCoreApplication exists for event loops. Everything is removed at the end.
#include <QString>

#include <functional>

namespace temp_home {

// The temporary home and its folders.
QString Root();
QString RuntimeDir();
QString ConfigDir();

// Runs the event loop until done() is true or timeoutMs passed; returns done().
bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 10000);

}  // namespace temp_home
