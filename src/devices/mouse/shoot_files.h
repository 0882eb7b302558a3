#pragma once
// The recoil pattern files of the mouse's profile folder: gun g (0..3) in "ShootData_" + g +
// ".Shoot", the factory patterns under the same names in the default data folder. Every file
// read is checked (size, JSON, pattern shape); every file written goes through a temporary
// file in the target folder and a rename, so a failed copy or save leaves the old file whole.
// No Qt.
#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "devices/mouse/shoot_codec.h"

namespace shoot {

inline constexpr std::uintmax_t kMaxFileBytes = 1024 * 1024;

// folder / "ShootData_<g>.Shoot".
std::filesystem::path GunFile(const std::filesystem::path& folder, int gun);

struct GunRead {
    Json::Value events{Json::arrayValue};  // always an array; empty for a missing or empty file
    bool present = false;                  // the file exists and is not empty
    std::string error;                     // the file exists but is not a pattern
};
// A missing or empty file is a gun without events; one that is too large, not JSON or not a
// pattern gives an error (and no events).
GunRead ReadGun(const std::filesystem::path& file);

// The editor's read: as ReadGun, but a file cut short or written by hand (not a whole number of
// bullets, odd entries) still gives its "Events" array, so its bullets can be shown (missing
// ones as zero moves) and stored. Only a file that is too large, not JSON or without an
// "Events" array gives an error.
GunRead ReadGunForEditing(const std::filesystem::path& file);

// Why a file offered for import is refused: empty when it is a pattern of at most 1 MiB.
std::string CheckShootFile(const std::filesystem::path& file);

// {"Events": events}, replacing file atomically. Empty reason on success.
std::string WriteGun(const std::filesystem::path& file, const Json::Value& events);

// The factory file of the gun over the profile folder's file. A missing factory file changes
// nothing and says so.
std::string ResetGun(const std::filesystem::path& profileFolder,
                     const std::filesystem::path& defaultFolder, int gun);
// Every gun whose file is missing or empty gets ResetGun (as the recoil editor does when the
// mouse page is built); a gun without a factory file keeps no events. Returns the guns reset.
int InitGunFiles(const std::filesystem::path& profileFolder,
                 const std::filesystem::path& defaultFolder);
// A checked copy of source over the gun's file; a refused file changes nothing.
std::string ImportGun(const std::filesystem::path& source,
                      const std::filesystem::path& profileFolder, int gun);
// The gun's file to target (byte for byte, through a temporary file beside target).
std::string ExportGun(const std::filesystem::path& profileFolder, int gun,
                      const std::filesystem::path& target);

// The image of the four guns of the folder; refused when a gun file is not a pattern or the
// image does not fit its size field.
ShootImage BuildImageFromFolder(const std::filesystem::path& profileFolder);

}  // namespace shoot
