#include "devices/mouse/shoot_files.h"

#include <system_error>

#include "devices/macro_files.h"
#include "profiles/json_file.h"

namespace shoot {
namespace {

bool ValidGun(int gun) { return gun >= 0 && gun < kGunCount; }

// The parsed file, or why it is not a pattern. A missing or empty file is no error: present
// stays false.
GunRead ReadChecked(const std::filesystem::path& file, bool whole = true) {
    GunRead read;
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error) return read;  // missing: no events
    if (size == 0) return read;
    read.present = true;
    if (size > kMaxFileBytes) {
        read.error = file.filename().string() + " is larger than 1 MiB";
        return read;
    }
    const profiles::DocumentReadResult document = profiles::JsonFile().ReadDocumentChecked(file);
    if (document.status == profiles::ReadStatus::Empty) {
        read.present = false;
        return read;
    }
    if (document.status != profiles::ReadStatus::Ok) {
        read.error = file.filename().string() + " cannot be read as JSON";
        return read;
    }
    const std::string why = whole ? CheckPattern(document.value)
                            : !document.value.isObject() || !document.value["Events"].isArray()
                                ? "no \"Events\" array"
                                : std::string();
    if (!why.empty()) {
        read.error = file.filename().string() + ": " + why;
        return read;
    }
    read.events = document.value["Events"];
    return read;
}

}  // namespace

std::filesystem::path GunFile(const std::filesystem::path& folder, int gun) {
    return folder / ("ShootData_" + std::to_string(gun) + ".Shoot");
}

GunRead ReadGun(const std::filesystem::path& file) { return ReadChecked(file); }

GunRead ReadGunForEditing(const std::filesystem::path& file) { return ReadChecked(file, false); }

std::string CheckShootFile(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return file.string() + " is not a file";
    const GunRead read = ReadChecked(file);
    if (!read.error.empty()) return read.error;
    if (!read.present) return file.filename().string() + " is empty";
    return {};
}

std::string WriteGun(const std::filesystem::path& file, const Json::Value& events) {
    Json::Value root(Json::objectValue);
    root["Events"] = events.isArray() ? events : Json::Value(Json::arrayValue);
    const profiles::WriteResult written = profiles::JsonFile().WriteDocument(root, file);
    if (written.ok()) return {};
    return "cannot write " + file.string() + " (error " + std::to_string(written.error_code) + ")";
}

std::string ResetGun(const std::filesystem::path& profileFolder,
                     const std::filesystem::path& defaultFolder, int gun) {
    if (!ValidGun(gun)) return "no gun " + std::to_string(gun);
    const std::filesystem::path factory = GunFile(defaultFolder, gun);
    std::error_code error;
    if (!std::filesystem::is_regular_file(factory, error))
        return "no factory pattern " + factory.string();
    return macro_codec::CopyFileAtomically(factory, GunFile(profileFolder, gun));
}

int InitGunFiles(const std::filesystem::path& profileFolder,
                 const std::filesystem::path& defaultFolder) {
    int reset = 0;
    for (int g = 0; g < kGunCount; ++g) {
        std::error_code error;
        const auto size = std::filesystem::file_size(GunFile(profileFolder, g), error);
        if ((error || size == 0) && ResetGun(profileFolder, defaultFolder, g).empty()) ++reset;
    }
    return reset;
}

std::string ImportGun(const std::filesystem::path& source,
                      const std::filesystem::path& profileFolder, int gun) {
    if (!ValidGun(gun)) return "no gun " + std::to_string(gun);
    if (std::string why = CheckShootFile(source); !why.empty()) return why;
    return macro_codec::CopyFileAtomically(source, GunFile(profileFolder, gun));
}

std::string ExportGun(const std::filesystem::path& profileFolder, int gun,
                      const std::filesystem::path& target) {
    if (!ValidGun(gun)) return "no gun " + std::to_string(gun);
    return macro_codec::CopyFileAtomically(GunFile(profileFolder, gun), target);
}

ShootImage BuildImageFromFolder(const std::filesystem::path& profileFolder) {
    std::array<Json::Value, kGunCount> guns;
    for (int g = 0; g < kGunCount; ++g) {
        GunRead read = ReadChecked(GunFile(profileFolder, g));
        if (!read.error.empty()) {
            ShootImage refused;
            refused.error = read.error;
            return refused;
        }
        guns[static_cast<size_t>(g)] = std::move(read.events);
    }
    return BuildShootImage(guns);
}

}  // namespace shoot
