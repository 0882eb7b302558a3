#include "update/update_answer.h"

#include <json/json.h>

#include <memory>

namespace update {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// Counts UTF-8 characters (continuation bytes are not counted).
std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return true;
    }
    return false;
}

// A text member: missing gives "", a present one must be a clean short text.
bool ReadText(const Json::Value& root, const char* key, std::string& out) {
    const Json::Value* member = root.find(key, key + std::char_traits<char>::length(key));
    if (!member) return true;
    if (!member->isString()) return false;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!member->getString(&begin, &end)) return false;
    const std::string_view text(begin, static_cast<std::size_t>(end - begin));
    if (CharacterCount(text) > kMaxAnswerTextLength || HasControlCharacter(text)) return false;
    out.assign(text);
    return true;
}

}  // namespace

bool IsHttpUrl(std::string_view text) {
    std::size_t schemeLength = 0;
    if (StartsWithNoCase(text, "https://")) {
        schemeLength = 8;
    } else if (StartsWithNoCase(text, "http://")) {
        schemeLength = 7;
    } else {
        return false;
    }
    const std::string_view rest = text.substr(schemeLength);
    return !rest.empty() && rest.front() != '/' && !HasControlCharacter(text) &&
           text.find(' ') == std::string_view::npos;
}

std::optional<UpdateAnswer> ParseUpdateAnswer(std::string_view bytes) {
    if (bytes.empty()) return std::nullopt;
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["failIfExtra"] = true;
    builder["stackLimit"] = kMaxAnswerNesting;
    builder["rejectDupKeys"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors))
            return std::nullopt;
    } catch (const std::exception&) {  // jsoncpp throws when the nesting limit is passed
        return std::nullopt;
    }
    if (!root.isObject()) return std::nullopt;
    UpdateAnswer answer;
    if (!ReadText(root, "name", answer.name) || answer.name.empty()) return std::nullopt;
    std::string path;
    if (!ReadText(root, "path", path) || !ReadText(root, "version_name", answer.versionName) ||
        !ReadText(root, "version", answer.version))
        return std::nullopt;
    if (IsHttpUrl(path)) answer.path = path;
    const Json::Value& id = root["device_id"];
    if (id.isInt64()) answer.deviceId = id.asInt64();
    return answer;
}

}  // namespace update
