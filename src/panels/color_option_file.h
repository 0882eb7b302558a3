#pragma once
// The swatch file of the colour palette dialog ("color_option_info.config"): the colours of
// the twenty fixed and twenty collected swatches and which of each was chosen last.
//
//   "coloroptioninfo": {
//     "palletDialogcoloroption": [{"color": "FF0099FF"}, ...],          fixed swatches
//     "palletDialogcoloroption_selectitem": 3,
//     "palletDialogcollectcoloroption": [{"color": "FFFFFFFF", "UserData": "1"}, ...],
//     "palletDialogcollectcoloroption_selectitem": -1 }
//
// Colours are eight upper-case hexadecimal digits, alpha first. The user's copy lives in the
// product's data folder; when it is missing or unreadable the shipped copy replaces it. Every
// write is atomic (JsonFile). Plain C++ over JSON, no widgets.
#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "profiles/json_file.h"

namespace color_options {

inline constexpr char kFileName[] = "color_option_info.config";
inline constexpr int kSwatchCount = 20;

// "FF0099FF" for 0xFF0099FF. Pure.
std::string ColourText(uint32_t argb);
// Exactly eight hexadecimal digits (either case); anything else is nothing. Pure.
std::optional<uint32_t> ParseColourText(const std::string& text);

struct CollectedSwatch {
    bool present = false;            // the file has a "color" entry for it
    std::optional<uint32_t> colour;  // none: the entry is not eight hexadecimal digits
    std::string userData;            // "1": the swatch holds a colour
};

// The user's document; when it cannot be read (missing, unreadable, not an object) the
// shipped document is read and written over the user's file. Null when neither can be read.
Json::Value ReadOrRestore(const std::filesystem::path& userFile,
                          const std::filesystem::path& shippedFile);

// Collected swatches 0..kSwatchCount-1 of a document; entries past them are left alone.
std::vector<CollectedSwatch> CollectedSwatches(const Json::Value& document);

// Writes the fixed swatches' colours and the chosen index into the user file (read first, so
// everything else in it is kept).
profiles::WriteResult SaveFixed(const std::filesystem::path& userFile,
                                const std::vector<std::optional<uint32_t>>& colours, int chosen);
// The same for the collected swatches: colour and user data of each, and the chosen index.
struct CollectedSave {
    std::optional<uint32_t> colour;  // none: the swatch does not exist, its entry is kept
    std::string userData;
};
profiles::WriteResult SaveCollected(const std::filesystem::path& userFile,
                                    const std::vector<CollectedSave>& swatches, int chosen);

}  // namespace color_options
