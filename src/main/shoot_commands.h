#pragma once
// --import-shoot GUN FILE: FILE replaces the recoil pattern of gun GUN (0 to 3) in the mouse's
// profile folder, as the recoil editor's import button does: the file is checked first (at
// most 1 MiB, a pattern of whole bullets) and copied through a temporary file and a rename.
// Exit codes: 0 done, 1 the file was refused or could not be copied (nothing changed),
// 3 an instance of the program runs (it owns the profile folder).
#include <charconv>
#include <cstdio>
#include <string>

inline constexpr int kShootCommandOk = 0;
inline constexpr int kShootCommandRefused = 1;
inline constexpr int kShootCommandInstanceRuns = 3;

struct ShootImport {
    int gun = -1;  // -1: not asked for
    std::string file;
    explicit operator bool() const { return gun >= 0; }
};

// GUN as given on the command line: a decimal 0..3, else false (gun unchanged).
inline bool ParseGun(const std::string& text, int& gun) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 3)
        return false;
    gun = value;
    return true;
}

int RunShootImport(const ShootImport& import, std::FILE* out, std::FILE* err);
