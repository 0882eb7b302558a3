// Feeds arbitrary bytes as a profile file (and as the default and light configuration files)
// through ReadDocument, Load and every section read and write of every profile data class,
// then checks that what Save wrote back is a well-formed profile document.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/hs6533_profiledata.h"
#include "profiles/json_access.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "profiles/text_convert.h"

namespace {

std::filesystem::path g_folder;

void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Require(bool condition) {
    if (!condition) std::abort();
}

// What Save leaves behind must parse as {"Device": [ {...}, ... ]}.
void RequireWellFormed(const std::filesystem::path& path) {
    const auto read = profiles::JsonFile().ReadDocumentChecked(path);
    if (read.status == profiles::ReadStatus::Missing) return;
    Require(read.status == profiles::ReadStatus::Ok);
    Require(read.value.isObject());
    Require(read.value["Device"].isArray());
    // Every save below follows a section write, so this device's element is an object.
    Require(read.value["Device"][0].isObject());
}

void Exercise(const std::filesystem::path& profile, const std::filesystem::path& defaults) {
    profiles::CKeyboardProfiledata keyboard;
    keyboard.SetProfilePath(profile);
    keyboard.SetDefaultPath(defaults);
    keyboard.Load(profile);
    keyboard.LoadSecondary(profile);
    keyboard.LoadLightConfig(defaults);
    keyboard.WriteLightInfo(keyboard.ReadLightInfo());
    keyboard.ReadCustomLightEffect();
    keyboard.WriteAudioLightInfo(keyboard.ReadAudioLightInfo());
    keyboard.ReadLightList();
    keyboard.WriteKeyList(keyboard.ReadKeyList());
    keyboard.WriteSecondaryKeyList(keyboard.ReadSecondaryKeyList());
    keyboard.WriteSystemStages(keyboard.ReadSystemStages());
    const std::int32_t group = keyboard.GetCustomLightGroup();
    keyboard.WriteCustomLightColors(keyboard.ReadCustomLightColors(group & 7, 8), group & 7);
    keyboard.SetCustomLightGroup(group);
    keyboard.Save();
    RequireWellFormed(profile);
    keyboard.SaveSecondary(profile);
    RequireWellFormed(profile);

    profiles::CMouseProfiledata mouse;
    mouse.SetProfilePath(profile);
    mouse.SetDefaultPath(defaults);
    mouse.Load(profile);
    mouse.WriteDPIStages(mouse.ReadDPIStages());
    mouse.SetStageActive(mouse.GetStageActive());
    mouse.WriteMouseSystemStages(mouse.ReadMouseSystemStages());
    for (const auto& entry : mouse.ReadCorrectInfo()) profiles::WideToUtf8(entry.name);
    mouse.Save();
    RequireWellFormed(profile);

    profiles::CHs6533Profiledata headset;
    headset.SetProfilePath(profile);
    headset.SetDefaultPath(defaults);
    headset.Load(profile);
    const auto stages = headset.ReadSystemSetStages();
    headset.WriteSystemSetStages(stages);
    for (std::int32_t type : {stages.eq_type, 0, 13}) {
        const auto bands = headset.ReadEqValues(type);
        profiles::EqBands copy{};
        std::copy_n(bands.begin(), std::min(bands.size(), copy.size()), copy.begin());
        headset.WriteEqValues(type, copy);
    }
    const auto curve = headset.ReadCustomEqValues(stages.custom_eq_select_index & 31);
    profiles::EqBands copy{};
    std::copy_n(curve.begin(), std::min(curve.size(), copy.size()), copy.begin());
    headset.WriteCustomEqValues(stages.custom_eq_select_index & 31, copy);
    headset.WriteCustomEqNames(headset.ReadCustomEqNames());
    headset.Save();
    RequireWellFormed(profile);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_LOGGING_RULES", "skelmora.*=false", 1);
    // Every run writes and syncs several files: a memory file system keeps that fast.
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "skelmora-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    g_folder = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The UTF-8 conversion round-trips whatever it makes of the bytes.
    const std::wstring wide = profiles::Utf8ToWide(text);
    Require(profiles::Utf8ToWide(profiles::WideToUtf8(wide)) == wide);

    const auto profile = g_folder / "profile.Json";
    const auto defaults = g_folder / "default.Json";
    profiles::JsonFile().ReadDocument(profile);

    // The input as the profile file, with no default file.
    std::filesystem::remove(defaults);
    WriteFile(profile, data, size);
    Exercise(profile, defaults);

    // The input as the default file of a missing profile file.
    WriteFile(defaults, data, size);
    std::filesystem::remove(profile);
    Exercise(profile, defaults);
    return 0;
}
