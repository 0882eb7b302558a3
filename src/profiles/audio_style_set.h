#pragma once
// The music window's four colour styles and "AudioFile.json", whose member "Device" is the
// main window's audio document; in it, "AudioLightInfo" holds the set:
//   "nAudioStyle"                    the selected style, 0..3
//   "nStyleName1" .. "nStyleName4"   the four names (UTF-8)
//   "nStyleR0", "nStyleG0", "nStyleB0" .. "nStyleR3", "nStyleG3", "nStyleB3"   colours, 0..9
// Reading is forgiving: a selected style outside 0..3 or not a number reads 0, colours are
// clamped to 0..9 (not a number: 0), a name that is not text is empty, and a missing
// "AudioLightInfo" reads as style 0 with empty names and black. Writing replaces those keys
// and keeps every other member. Plain C++ over jsoncpp.
#include <json/json.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace profiles {

inline constexpr int kAudioStyles = 4;
inline constexpr int kStyleChannelTop = 9;
// Names longer than this many characters are shown shortened.
inline constexpr std::size_t kShownStyleNameLength = 32;

struct AudioStyleSet {
    uint8_t selected = 0;
    std::array<std::string, kAudioStyles> names;
    // Red, green, blue of each style, 0..9.
    std::array<std::array<uint8_t, 3>, kAudioStyles> colours{};
    friend bool operator==(const AudioStyleSet&, const AudioStyleSet&) = default;
};

// From the audio document (the file's "Device" member).
AudioStyleSet ReadAudioStyleSet(const Json::Value& device);
// Into the audio document's "AudioLightInfo"; the document becomes an object if it is not one.
void WriteAudioStyleSet(const AudioStyleSet& set, Json::Value& device);

// The name as the music window shows it: at most 32 characters (UTF-8 aware), an ellipsis
// after a shortened one.
std::string ShownStyleName(const std::string& name);
// The name a style gets when its edit is left empty: "第一组" .. "第四组" for styles 0..3.
std::string DefaultStyleName(int style);

// ---- "AudioFile.json" ----
// The user's file and the shipped default ("AudioFile" + ".json" in the default data folder).
struct AudioFilePaths {
    std::filesystem::path user;
    std::filesystem::path shipped;
};

struct AudioFileLoad {
    Json::Value device;     // the audio document (null when even the default is unreadable)
    bool replaced = false;  // the default was written over the user's file
    bool written = true;    // false when that write failed (the document is still used)
};

// LoadAudioStyles: the user's file's "Device"; when the file is missing, or is not a JSON
// object with a "Device" object, the shipped default is written over it (a file that exists
// but cannot be read is kept aside first, as every JSON file is) and its "Device" is used.
AudioFileLoad LoadAudioFile(const AudioFilePaths& paths);
// ResetAudioFile: the shipped default over the user's file, its "Device" returned.
AudioFileLoad ResetAudioFile(const AudioFilePaths& paths);
// The save of the music window: the user's file read again, its "Device" replaced by the
// document, every other member kept, written through a temporary file.
bool SaveAudioFile(const AudioFilePaths& paths, const Json::Value& device);

}  // namespace profiles
