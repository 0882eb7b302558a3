#pragma once
// Version numbers of the update check. Firmware versions are 16-bit numbers shown "V%04x";
// the application's is the build's dotted version (up to four numbers). Pure.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace update {

struct AppVersion {
    std::array<std::uint32_t, 4> parts{};  // missing numbers are 0
    int count = 0;                         // how many numbers were written
    bool operator==(const AppVersion&) const = default;
};

// "1.0.2.5" (a leading "V" or "v" is allowed): one to four decimal numbers of at most nine
// digits separated by single dots; nothing else.
std::optional<AppVersion> ParseDottedVersion(std::string_view text);
// "V1.0.2.5": the numbers as written.
std::string ShowApplicationVersion(const AppVersion& version);
// The numbers without their dots, read as one decimal number ("1025" for 1.0.2.5): the form
// the server has always been sent.
std::string DotlessVersion(const AppVersion& version);
// "V0105".
std::string ShowFirmwareVersion(std::uint16_t version);
// "105".
std::string FirmwareVersionField(std::uint16_t version);

enum class Comparison {
    Newer,     // the answer names a newer version
    NotNewer,  // the same or an older one
    Unusable,  // the answer's version cannot be read
};

// A firmware answer's version: 1 to 4 hexadecimal digits, optionally after "0x" or "0X",
// spaces around them trimmed.
std::optional<std::uint16_t> ParseFirmwareVersion(std::string_view answer);
// A firmware answer: 1 to 4 hexadecimal digits, optionally after "0x" or "0X", spaces around
// them trimmed.
Comparison CompareFirmware(std::string_view answer, std::uint16_t current);
// An application answer: a dotted version (with a dot or a leading "V") compared number by
// number; plain digits compared with the dot-less form of the current version.
Comparison CompareApplication(std::string_view answer, const AppVersion& current);

}  // namespace update
