#include "main/shoot_commands.h"

#include "devices/device_folders.h"
#include "devices/mouse/shoot_files.h"
#include "platform/single_instance.h"

int RunShootImport(const ShootImport& import, std::FILE* out, std::FILE* err) {
    platform::SingleInstance instance;
    if (instance.TryAcquire() == platform::SingleInstance::Result::HeldByOther) {
        const auto reason = platform::InstanceRunsReason("--import-shoot", "the profile folder");
        std::fprintf(err, "skelmora: %s\n",
                     reason ? reason->c_str() : "the program is running: it owns the files");
        return kShootCommandInstanceRuns;
    }
    const QString folder = device_folders::UserDataFolder(QStringLiteral("mouse"));
    if (folder.isEmpty()) {
        std::fprintf(err, "skelmora: the mouse's data folder cannot be created\n");
        return kShootCommandRefused;
    }
    const std::filesystem::path profile(folder.toStdString());
    const std::string why = shoot::ImportGun(import.file, profile, import.gun);
    if (!why.empty()) {
        std::fprintf(err, "skelmora: %s not imported: %s\n", import.file.c_str(), why.c_str());
        return kShootCommandRefused;
    }
    std::fprintf(out, "imported gun %d %s\n", import.gun,
                 shoot::GunFile(profile, import.gun).string().c_str());
    return kShootCommandOk;
}
