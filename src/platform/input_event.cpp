#include "platform/input_event.h"

#include <linux/input-event-codes.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

std::optional<MouseButton> ButtonOf(uint16_t code) {
    switch (code) {
        case BTN_LEFT:
            return MouseButton::Left;
        case BTN_RIGHT:
            return MouseButton::Right;
        case BTN_MIDDLE:
            return MouseButton::Middle;
        case BTN_SIDE:
        case BTN_BACK:
            return MouseButton::Back;
        case BTN_EXTRA:
        case BTN_FORWARD:
            return MouseButton::Forward;
        default:
            return std::nullopt;
    }
}

bool IsKeyCode(uint16_t code) {
    return (code > 0 && code < BTN_MISC) || (code >= KEY_OK && code < BTN_DPAD_UP);
}

template <typename T>
bool ParseNumber(std::string_view text, T& out, int base) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return error == std::errc() && end == text.data() + text.size();
}

// "SECONDS.MICROS" as microseconds.
bool ParseTime(std::string_view text, uint64_t& out) {
    const std::size_t dot = text.find('.');
    uint64_t seconds = 0, micros = 0;
    if (dot == std::string_view::npos) {
        if (!ParseNumber(text, seconds, 10)) return false;
    } else {
        std::string_view fraction = text.substr(dot + 1);
        if (!ParseNumber(text.substr(0, dot), seconds, 10) || fraction.empty() ||
            fraction.size() > 9 || !ParseNumber(fraction, micros, 10))
            return false;
        for (std::size_t n = fraction.size(); n < 6; ++n) micros *= 10;
        for (std::size_t n = fraction.size(); n > 6; --n) micros /= 10;
    }
    if (seconds > 1'000'000'000'000ULL) return false;
    out = seconds * 1'000'000ULL + micros;
    return true;
}

}  // namespace

std::optional<InputEvent> FromRawEvent(const RawInputEvent& raw) {
    if (raw.type != EV_KEY || raw.value < 0 || raw.value > 2) return std::nullopt;
    InputEvent event;
    event.time_us = raw.time_us;
    event.state = static_cast<KeyState>(raw.value);
    if (const auto button = ButtonOf(raw.code)) {
        if (raw.value == 2) return std::nullopt;
        event.device = InputEvent::Device::Button;
        event.button = *button;
        return event;
    }
    if (!IsKeyCode(raw.code)) return std::nullopt;
    event.device = InputEvent::Device::Key;
    event.code = raw.code;
    return event;
}

EvemuRead ParseEvemuText(const std::string& text) {
    EvemuRead result;
    result.opened = true;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string tag, time, type, code, value;
        RawInputEvent raw;
        uint32_t typeNumber = 0, codeNumber = 0;
        if (!(fields >> tag >> time >> type >> code >> value) || tag != "E:" ||
            !ParseTime(time, raw.time_us) || !ParseNumber<uint32_t>(type, typeNumber, 16) ||
            !ParseNumber<uint32_t>(code, codeNumber, 16) || typeNumber > 0xFFFF ||
            codeNumber > 0xFFFF || !ParseNumber<int32_t>(value, raw.value, 10)) {
            ++result.ignored_lines;
            continue;
        }
        raw.type = static_cast<uint16_t>(typeNumber);
        raw.code = static_cast<uint16_t>(codeNumber);
        result.events.push_back(raw);
    }
    return result;
}

EvemuRead ReadEvemuFile(const std::string& path) {
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size > kMaxEvemuFileSize) {
        EvemuRead failed;
        failed.error = path + " is larger than 64 MiB";
        return failed;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        EvemuRead failed;
        failed.error = "cannot open " + path;
        return failed;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        EvemuRead failed;
        failed.error = "cannot read " + path;
        return failed;
    }
    return ParseEvemuText(text.str());
}

}  // namespace platform
