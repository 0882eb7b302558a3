#include "app/desktop_settings.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

struct DesktopRow {
    const char* desktop;  // as XDG_CURRENT_DESKTOP names it
    const char* program;
    const char* mouseArgument;  // nullptr: its own program below
    const char* keyboardArgument;
    const char* mouseProgram;
    const char* keyboardProgram;
};

constexpr DesktopRow kDesktops[] = {
    {"GNOME", "gnome-control-center", "mouse", "keyboard", nullptr, nullptr},
    {"KDE", "systemsettings", "kcm_mouse", "kcm_keyboard", nullptr, nullptr},
    {"XFCE", nullptr, nullptr, nullptr, "xfce4-mouse-settings", "xfce4-keyboard-settings"},
    {"X-Cinnamon", "cinnamon-settings", "mouse", "keyboard", nullptr, nullptr},
    {"MATE", nullptr, nullptr, nullptr, "mate-mouse-properties", "mate-keyboard-properties"},
};

std::optional<DesktopCommand> CommandOf(const DesktopRow& row, bool mouse) {
    if (row.program)
        return DesktopCommand{
            QString::fromLatin1(row.program),
            {QString::fromLatin1(mouse ? row.mouseArgument : row.keyboardArgument)}};
    return DesktopCommand{QString::fromLatin1(mouse ? row.mouseProgram : row.keyboardProgram), {}};
}

}  // namespace

std::optional<DesktopCommand> ChooseDesktopSettingsCommand(
    const QString& currentDesktop, bool mouse, const std::function<bool(const QString&)>& found) {
    for (const QString& name : currentDesktop.split(u':', Qt::SkipEmptyParts)) {
        for (const DesktopRow& row : kDesktops) {
            if (name.compare(QLatin1String(row.desktop), Qt::CaseInsensitive) != 0) continue;
            std::optional<DesktopCommand> command = CommandOf(row, mouse);
            if (command && found(command->program)) return command;
        }
    }
    return std::nullopt;
}

bool OpenDesktopSettings(bool mouse) {
    const auto command = ChooseDesktopSettingsCommand(
        qEnvironmentVariable("XDG_CURRENT_DESKTOP"), mouse,
        [](const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); });
    if (!command) return false;
    return QProcess::startDetached(command->program, command->arguments);
}
