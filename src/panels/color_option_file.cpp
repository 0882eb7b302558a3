#include "panels/color_option_file.h"

#include <QString>
#include <cstdio>

#include "platform/log_categories.h"
#include "profiles/json_access.h"

namespace color_options {
namespace {

constexpr char kRoot[] = "coloroptioninfo";
constexpr char kFixed[] = "palletDialogcoloroption";
constexpr char kFixedChosen[] = "palletDialogcoloroption_selectitem";
constexpr char kCollected[] = "palletDialogcollectcoloroption";
constexpr char kCollectedChosen[] = "palletDialogcollectcoloroption_selectitem";
constexpr int kColourDigits = 8;

using profiles::json::Item;
using profiles::json::ItemForWrite;
using profiles::json::Member;
using profiles::json::MemberForWrite;

bool IsSwatchDocument(const Json::Value& root) { return root.isObject(); }

profiles::JsonFile SwatchFile() {
    profiles::JsonFile file;
    file.SetShapeCheck(&IsSwatchDocument);
    return file;
}

// The user's document for a change: what is there, or an empty object when nothing readable is.
Json::Value DocumentForWrite(const std::filesystem::path& userFile) {
    Json::Value document = SwatchFile().ReadDocument(userFile);
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    return document;
}

}  // namespace

std::string ColourText(uint32_t argb) {
    char text[kColourDigits + 1];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(argb));
    return text;
}

std::optional<uint32_t> ParseColourText(const std::string& text) {
    if (text.size() != static_cast<size_t>(kColourDigits)) return std::nullopt;
    uint32_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

Json::Value ReadOrRestore(const std::filesystem::path& userFile,
                          const std::filesystem::path& shippedFile) {
    const profiles::JsonFile file = SwatchFile();
    Json::Value document = file.ReadDocument(userFile);
    if (document.isObject()) return document;
    qCDebug(lcUi) << "the swatch file" << userFile.c_str()
                  << "cannot be read; the shipped one replaces it";
    document = file.ReadDocument(shippedFile);
    if (!document.isObject()) {
        qCWarning(lcUi) << "the shipped swatch file" << shippedFile.c_str() << "cannot be read";
        return Json::Value();
    }
    std::error_code ignored;
    std::filesystem::create_directories(userFile.parent_path(), ignored);
    if (!file.WriteDocument(document, userFile).ok())
        qCWarning(lcUi) << "the swatch file" << userFile.c_str() << "could not be written";
    return document;
}

std::vector<CollectedSwatch> CollectedSwatches(const Json::Value& document) {
    std::vector<CollectedSwatch> swatches(kSwatchCount);
    const Json::Value& list = Member(Member(document, kRoot), kCollected);
    for (int i = 0; i < kSwatchCount; ++i) {
        const Json::Value& entry = Item(list, static_cast<Json::ArrayIndex>(i));
        const Json::Value& colour = Member(entry, "color");
        if (colour.isNull()) continue;
        CollectedSwatch& swatch = swatches[static_cast<size_t>(i)];
        swatch.present = true;
        swatch.colour = ParseColourText(profiles::json::ToString(colour));
        if (!swatch.colour)
            qCWarning(lcUi) << "collected swatch" << i << "has no colour of eight hex digits:"
                            << QString::fromStdString(colour.toStyledString()).trimmed();
        swatch.userData = profiles::json::ToString(Member(entry, "UserData"));
    }
    return swatches;
}

profiles::WriteResult SaveFixed(const std::filesystem::path& userFile,
                                const std::vector<std::optional<uint32_t>>& colours, int chosen) {
    Json::Value document = DocumentForWrite(userFile);
    Json::Value& root = MemberForWrite(document, kRoot);
    Json::Value& list = MemberForWrite(root, kFixed);
    for (size_t i = 0; i < colours.size() && i < static_cast<size_t>(kSwatchCount); ++i) {
        if (!colours[i]) continue;
        MemberForWrite(ItemForWrite(list, static_cast<Json::ArrayIndex>(i)), "color") =
            ColourText(*colours[i]);
    }
    root[kFixedChosen] = chosen;
    return SwatchFile().WriteDocument(document, userFile);
}

profiles::WriteResult SaveCollected(const std::filesystem::path& userFile,
                                    const std::vector<CollectedSave>& swatches, int chosen) {
    Json::Value document = DocumentForWrite(userFile);
    Json::Value& root = MemberForWrite(document, kRoot);
    Json::Value& list = MemberForWrite(root, kCollected);
    for (size_t i = 0; i < swatches.size() && i < static_cast<size_t>(kSwatchCount); ++i) {
        if (!swatches[i].colour) continue;
        Json::Value& entry = ItemForWrite(list, static_cast<Json::ArrayIndex>(i));
        MemberForWrite(entry, "color") = ColourText(*swatches[i].colour);
        MemberForWrite(entry, "UserData") = swatches[i].userData;
    }
    root[kCollectedChosen] = chosen;
    return SwatchFile().WriteDocument(document, userFile);
}

}  // namespace color_options
