#include "update/update_versions.h"

#include <cstdio>

namespace update {
namespace {

constexpr int kMaxNumberDigits = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<AppVersion> ParseDottedVersion(std::string_view text) {
    if (!text.empty() && (text.front() == 'V' || text.front() == 'v')) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    AppVersion version;
    std::size_t pos = 0;
    while (true) {
        if (version.count == static_cast<int>(version.parts.size())) return std::nullopt;
        std::uint32_t number = 0;
        int digits = 0;
        while (pos < text.size() && IsDigit(text[pos])) {
            if (++digits > kMaxNumberDigits) return std::nullopt;
            number = number * 10 + static_cast<std::uint32_t>(text[pos] - '0');
            ++pos;
        }
        if (digits == 0) return std::nullopt;
        version.parts[static_cast<std::size_t>(version.count++)] = number;
        if (pos == text.size()) return version;
        if (text[pos] != '.') return std::nullopt;
        ++pos;
    }
}

std::string ShowApplicationVersion(const AppVersion& version) {
    std::string text = "V";
    for (int i = 0; i < version.count; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(version.parts[static_cast<std::size_t>(i)]);
    }
    return text;
}

std::string DotlessVersion(const AppVersion& version) {
    std::string digits;
    for (int i = 0; i < version.count; ++i)
        digits += std::to_string(version.parts[static_cast<std::size_t>(i)]);
    // Read as one decimal number, as the server has always been sent it: no leading zeros.
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : digits.substr(first);
}

std::string ShowFirmwareVersion(std::uint16_t version) {
    char text[8];
    std::snprintf(text, sizeof text, "V%04x", static_cast<unsigned>(version));
    return text;
}

std::string FirmwareVersionField(std::uint16_t version) {
    char text[8];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(version));
    return text;
}

std::optional<std::uint16_t> ParseFirmwareVersion(std::string_view answer) {
    answer = TrimSpaces(answer);
    if (answer.size() >= 2 && answer[0] == '0' && (answer[1] == 'x' || answer[1] == 'X'))
        answer.remove_prefix(2);
    if (answer.empty() || answer.size() > 4) return std::nullopt;
    unsigned number = 0;
    for (char c : answer) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        number = number * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(number);
}

Comparison CompareFirmware(std::string_view answer, std::uint16_t current) {
    const std::optional<std::uint16_t> offered = ParseFirmwareVersion(answer);
    if (!offered) return Comparison::Unusable;
    return *offered > current ? Comparison::Newer : Comparison::NotNewer;
}

Comparison CompareApplication(std::string_view answer, const AppVersion& current) {
    answer = TrimSpaces(answer);
    if (answer.empty()) return Comparison::Unusable;
    const bool dotted = answer.find('.') != std::string_view::npos || answer.front() == 'V' ||
                        answer.front() == 'v';
    if (dotted) {
        const std::optional<AppVersion> offered = ParseDottedVersion(answer);
        if (!offered) return Comparison::Unusable;
        return offered->parts > current.parts ? Comparison::Newer : Comparison::NotNewer;
    }
    // Plain digits: the dot-less number the server was sent, compared as numbers.
    for (char c : answer) {
        if (!IsDigit(c)) return Comparison::Unusable;
    }
    const std::size_t first = answer.find_first_not_of('0');
    const std::string_view offered =
        first == std::string_view::npos ? std::string_view("0") : answer.substr(first);
    const std::string mine = DotlessVersion(current);
    if (offered.size() != mine.size())
        return offered.size() > mine.size() ? Comparison::Newer : Comparison::NotNewer;
    return offered > std::string_view(mine) ? Comparison::Newer : Comparison::NotNewer;
}

}  // namespace update
