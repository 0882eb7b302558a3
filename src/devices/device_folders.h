#pragma once
// The data folders of the devices. The default data folder holds the shipped defaults
// beside the program; the user data folder holds the profile, macro and light files of one
// kind ("mouse", "keyboard", "MousePad", "HD") under the user's data location.
#include <QString>

namespace device_folders {

inline constexpr char kProductFolder[] = "TELMA QX-418GRY Device";

// The data folder (platform/data_paths.h) + "/DefaultData/".
QString ProgramDefaultDataFolder();
// folder + kind name + ".Json".
QString DefaultProfileFile(const QString& defaultDataFolder, const QString& kindName);
// GenericDataLocation + "/TELMA QX-418GRY Device/" + kind name + "/", created when missing.
// Empty when the folder cannot be created.
QString UserDataFolder(const QString& kindName);

}  // namespace device_folders
