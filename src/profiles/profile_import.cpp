#include "profiles/profile_import.h"

#include <json/reader.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

namespace profiles {

ImportCheck CheckImportDocument(const Json::Value& document) {
    if (!document.isObject()) return ImportCheck::NotObject;
    const Json::Value& name = document["profilename"];
    if (!name.isString() || name.asString().empty()) return ImportCheck::BadName;
    if (!document["profileUUID"].isString()) return ImportCheck::BadIdentifier;
    if (document.isMember("Device")) {
        const Json::Value& device = document["Device"];
        if (!device.isArray()) return ImportCheck::BadDevice;
        for (const Json::Value& element : device) {
            if (!element.isObject() && !element.isNull()) return ImportCheck::BadDevice;
        }
    }
    return ImportCheck::Ok;
}

ImportFile ReadImportFile(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return {ImportCheck::Missing, {}};
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return {ImportCheck::Unreadable, {}};
    // The size is checked before a byte is read, so a huge file costs nothing.
    if (size > kMaxImportFileSize) return {ImportCheck::TooLarge, {}};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {ImportCheck::Unreadable, {}};
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || text.size() > kMaxImportFileSize) return {ImportCheck::Unreadable, {}};
    if (text.empty()) return {ImportCheck::NotJson, {}};

    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = false;
    builder["stackLimit"] = 256;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value document;
    std::string ignored;
    if (!reader->parse(text.data(), text.data() + text.size(), &document, &ignored))
        return {ImportCheck::NotJson, {}};
    const ImportCheck check = CheckImportDocument(document);
    if (check != ImportCheck::Ok) return {check, {}};
    return {ImportCheck::Ok, std::move(document)};
}

const char* ImportCheckText(ImportCheck check) {
    switch (check) {
        case ImportCheck::Ok:
            return "ok";
        case ImportCheck::Missing:
            return "no such file";
        case ImportCheck::TooLarge:
            return "larger than 1 MiB";
        case ImportCheck::Unreadable:
            return "cannot be read";
        case ImportCheck::NotJson:
            return "not a JSON document";
        case ImportCheck::NotObject:
            return "not a JSON object";
        case ImportCheck::BadName:
            return "\"profilename\" is not a non-empty string";
        case ImportCheck::BadIdentifier:
            return "\"profileUUID\" is not a string";
        case ImportCheck::BadDevice:
            return "\"Device\" is not an array of objects";
    }
    return "refused";
}

}  // namespace profiles
