#include "platform/registered_messages.h"

#include <limits>

namespace platform {

const RegisteredMessage* FindRegisteredMessage(std::string_view name) {
    for (const auto& m : kRegisteredMessages)
        if (m.name == name) return &m;
    return nullptr;
}

const RegisteredMessage* FindRegisteredMessage(std::uint32_t number) {
    for (const auto& m : kRegisteredMessages)
        if (m.number == number) return &m;
    return nullptr;
}

const RegisteredMessage* ResolveRegisteredMessage(std::string_view nameOrNumber) {
    if (!nameOrNumber.empty() && nameOrNumber.front() == '#') {
        const auto number = ParseUnsigned(nameOrNumber.substr(1));
        if (!number || *number > std::numeric_limits<std::uint32_t>::max()) return nullptr;
        return FindRegisteredMessage(static_cast<std::uint32_t>(*number));
    }
    return FindRegisteredMessage(nameOrNumber);
}

std::optional<std::uint64_t> ParseUnsigned(std::string_view text) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else return std::nullopt;
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

std::optional<std::int64_t> ParseSigned(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    const auto magnitude = ParseUnsigned(text);
    if (!magnitude) return std::nullopt;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (negative) {
        if (*magnitude > kMax + 1) return std::nullopt;
        if (*magnitude == kMax + 1) return std::numeric_limits<std::int64_t>::min();
        return -static_cast<std::int64_t>(*magnitude);
    }
    if (*magnitude > kMax) return std::nullopt;
    return static_cast<std::int64_t>(*magnitude);
}

}  // namespace platform
