#pragma once
// The update server's answer: a JSON object with the texts "name", "path", "version_name",
// "version" and the integer "device_id". Pure; never throws.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace update {

inline constexpr std::size_t kMaxAnswerTextLength = 1024;  // characters per text member
inline constexpr int kMaxAnswerNesting = 64;

struct UpdateAnswer {
    std::string name;         // never empty
    std::string path;         // an http or https address, else empty
    std::string versionName;  // "version_name"
    std::string version;
    std::int64_t deviceId = 0;  // 0 when missing or not an integer
};

// The answer, or nothing when the bytes are not one JSON object (comments allowed, nothing
// after it, at most 64 levels deep) with a non-empty text "name" and, where present, texts
// of at most 1,024 characters without control characters for the other text members.
std::optional<UpdateAnswer> ParseUpdateAnswer(std::string_view bytes);

// True for "http://..." and "https://..." with a host (scheme compared without regard to case).
bool IsHttpUrl(std::string_view text);

}  // namespace update
