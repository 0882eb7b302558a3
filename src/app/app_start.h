#pragma once
// The program's start-up and main loop: fonts, the single-instance lock and message port,
// the skin, the control classes, the main window; then teardown in reverse order.
#include <QString>
#include <functional>
#include <memory>

#include "hid/hid_backend.h"

struct StartOptions {
    std::shared_ptr<hid::IHidBackend> backend;
    QString screenshotFile;  // non-empty: render the main window to this PNG and quit
    int screenshotAfterMs = 1000;
    bool automation = false;  // take the message port's "ui" requests
    bool minimized = false;   // start in the tray when there is one (not with a screenshot)
    // Opens the settings window over the main window (see CMainWnd::openSettings).
    std::function<void(class CMainWnd& main, bool besideMain)> openSettings;
};

// Runs the program until its window closes; returns the exit code.
int RunApplication(const StartOptions& options);
