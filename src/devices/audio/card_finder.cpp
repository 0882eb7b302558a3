#include "devices/audio/card_finder.h"

#include <charconv>
#include <fstream>
#include <system_error>

namespace audio {

namespace {

// The first line of a small text file, without trailing blanks; none when unreadable.
std::optional<std::string> ReadLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) return std::nullopt;
    std::string line;
    if (!std::getline(in, line) && !in.eof()) return std::nullopt;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t'))
        line.pop_back();
    if (in.bad()) return std::nullopt;
    return line;
}

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty() || value < 0) return std::nullopt;
    return value;
}

// A card id is what ALSA allows in "hw:CARD=ID": letters, digits and '_', up to 15.
bool IsCardId(std::string_view id) {
    if (id.empty() || id.size() > 15) return false;
    for (char c : id) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

std::optional<UsbPosition> ParseUsbBus(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto bus = ParseNumber(text.substr(0, slash));
    const auto device = ParseNumber(text.substr(slash + 1));
    if (!bus || !device || *bus == 0 || *device == 0) return std::nullopt;
    return UsbPosition{*bus, *device};
}

CardSearch FindHeadsetCard(const std::filesystem::path& folder, std::string_view usbid,
                           UsbPosition position) {
    CardSearch search;
    struct Match {
        SoundCard card;
        std::optional<UsbPosition> at;
    };
    std::vector<Match> matches;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) {
        search.notes.push_back(folder.string() + " cannot be read: " + ec.message());
        return search;
    }
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("card", 0) != 0) continue;
        const auto number = ParseNumber(std::string_view(name).substr(4));
        if (!number) continue;
        const auto id = ReadLine(entry.path() / "usbid");
        if (!id) continue;  // not a USB card, or unreadable
        if (*id != usbid) continue;
        const auto cardId = ReadLine(entry.path() / "id");
        if (!cardId || !IsCardId(*cardId)) {
            search.notes.push_back(name + ": no usable id");
            continue;
        }
        std::optional<UsbPosition> at;
        if (const auto bus = ReadLine(entry.path() / "usbbus")) at = ParseUsbBus(*bus);
        if (!at) search.notes.push_back(name + ": no usable usbbus");
        matches.push_back({SoundCard{*number, *cardId}, at});
    }
    if (matches.empty()) {
        search.notes.push_back("no card with usbid " + std::string(usbid));
        return search;
    }
    if (position.Known()) {
        for (const Match& m : matches) {
            if (m.at && m.at->bus == position.bus && m.at->device == position.device) {
                search.card = m.card;
                return search;
            }
        }
        search.notes.push_back("no card with usbid " + std::string(usbid) + " at usb " +
                               std::to_string(position.bus) + "/" +
                               std::to_string(position.device));
        return search;
    }
    if (matches.size() == 1) {
        search.card = matches.front().card;
        return search;
    }
    search.notes.push_back(std::to_string(matches.size()) + " cards with usbid " +
                           std::string(usbid) + " and the headset's position is unknown");
    return search;
}

}  // namespace audio
