#pragma once
// Starting with the desktop session: the XDG autostart desktop entry
// "$XDG_CONFIG_HOME/autostart/org.skelmora.Skelmora.desktop" (the config folder defaults to
// ~/.config), which starts the program with --minimized. It is written through a temporary
// file and a rename, so a session never finds half an entry, and removed on switching off.
#include <filesystem>
#include <string>

namespace platform {

inline constexpr char kAutostartFileName[] = "org.skelmora.Skelmora.desktop";

// The entry's path; empty when neither XDG_CONFIG_HOME (absolute) nor HOME gives a folder.
std::filesystem::path AutostartEntryPath();
// The entry's text for the program at this path (quoted for the Exec key as needed).
std::string AutostartEntryText(const std::string& program);
// An entry of ours is there and not switched off ("Hidden=true" or
// "X-GNOME-Autostart-enabled=false").
bool IsAutostartEnabled();
// Writes (on) or removes (off) the entry; false with the reason in error. Removing an entry
// that is not there succeeds.
bool SetAutostart(bool on, const std::string& program, std::string& error);

}  // namespace platform
