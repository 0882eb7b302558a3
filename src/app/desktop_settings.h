#pragma once
// The desktop's own mouse and keyboard settings ("windowdeviceset_"), best effort: a small
// table of commands per desktop, chosen by XDG_CURRENT_DESKTOP (a colon-separated list), the
// first whose program is found in PATH. Started detached with a fixed argument list, never
// through a shell.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct DesktopCommand {
    QString program;
    QStringList arguments;
};

// The command for the mouse (mouse true) or keyboard settings under the desktops named in
// `currentDesktop`; `found` says whether a program is in PATH. Pure apart from `found`.
std::optional<DesktopCommand> ChooseDesktopSettingsCommand(
    const QString& currentDesktop, bool mouse, const std::function<bool(const QString&)>& found);

// Chooses with the environment and starts the command detached; false when none was found
// or it could not be started.
bool OpenDesktopSettings(bool mouse);
