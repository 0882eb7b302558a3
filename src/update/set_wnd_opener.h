#pragma once
// Opening the settings window over the main window: the rows from the connected devices and
// the build's version, the main window's DPI and language, the placement, the messages between
// the two windows; then the modal run.
#include <optional>
#include <vector>

#include "update/update_targets.h"

class CMainWnd;
class CDeviceManager;

namespace update {
// The selector's devices in item order: kind, whether the command channel is open, and the
// version number of the connection it uses (a receiver's for a mouse through its receiver).
std::vector<ConnectedDevice> ConnectedDevicesOf(const CDeviceManager& devices);
// The build's version ("0.1.0"), or nothing when the build has none.
std::optional<AppVersion> BuildApplicationVersion();
// Registers the settings window's controls; once, before any window opens.
void RegisterSetWndControls();
// Opens the window modally and returns when it closes. besideMain: from "setbtn".
void OpenSetWnd(CMainWnd& main, bool besideMain);
}  // namespace update
