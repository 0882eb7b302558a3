#include "devices/mouse/shoot_codec.h"

#include <algorithm>

#include "devices/macro_event_codec.h"

namespace shoot {
namespace {

constexpr int kLeftButton = 1;
constexpr int kClickType = 1;
constexpr int kHorizontalType = 4;
constexpr int kVerticalType = 5;
constexpr int kPressDelay = 10;
constexpr int kHorizontalDelay = 5;

Json::Value Entry(bool down, int button, int delay, int type) {
    Json::Value entry(Json::objectValue);
    entry["Action"] = down ? "down" : "up";
    entry["Button"] = button;
    entry["Delay"] = delay;
    entry["Type"] = type;
    return entry;
}

// A JSON integer 0..maximum (not a bool, not a fraction).
bool IntegerIn(const Json::Value& value, int64_t maximum) {
    return value.isIntegral() && !value.isBool() && value.isInt64() && value.asInt64() >= 0 &&
           value.asInt64() <= maximum;
}

// "Delay": an integer, or a string of decimal digits, 0..65,535.
bool DelayValid(const Json::Value& value) {
    if (IntegerIn(value, kMaxDelay)) return true;
    if (!value.isString()) return false;
    const std::string text = value.asString();
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return std::stol(text) <= kMaxDelay;
}

bool Down(const Json::Value& entry) {
    return entry.isObject() && entry["Action"].isString() && entry["Action"].asString() == "down";
}

// A "Button" read as a distance: 0..255, anything else 0.
uint8_t Distance(const Json::Value& entry) {
    if (!entry.isObject() || !IntegerIn(entry["Button"], 255)) return 0;
    return static_cast<uint8_t>(entry["Button"].asInt());
}

void PutU16(std::vector<uint8_t>& bytes, size_t at, size_t value) {
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

size_t EventCount(const Json::Value& events) { return events.isArray() ? events.size() : 0; }

}  // namespace

Json::Value BulletEntries(const Bullet& bullet) {
    Json::Value entries(Json::arrayValue);
    entries.append(Entry(true, kLeftButton, kPressDelay, kClickType));
    entries.append(Entry(false, kLeftButton, 0, kClickType));
    entries.append(Entry(bullet.left, bullet.horizontal, kHorizontalDelay, kHorizontalType));
    entries.append(Entry(bullet.up, bullet.vertical, bullet.delay, kVerticalType));
    entries.append(Entry(bullet.left, 0, 0, kHorizontalType));
    entries.append(Entry(bullet.up, 0, 0, kVerticalType));
    return entries;
}

Bullet ReadBullet(const Json::Value& events, int b) {
    Bullet bullet;
    if (!events.isArray() || b < 0 || b >= kBulletsPerGun) return bullet;
    const auto index = static_cast<Json::ArrayIndex>(b * kEntriesPerBullet);
    if (index + 2 < events.size()) {
        const Json::Value& horizontal = events[index + 2];
        bullet.horizontal = Distance(horizontal);
        bullet.left = Down(horizontal);
    }
    if (index + 3 < events.size()) {
        const Json::Value& vertical = events[index + 3];
        bullet.vertical = Distance(vertical);
        bullet.up = Down(vertical);
        if (vertical.isObject()) bullet.delay = macro_codec::ReadDelay(vertical["Delay"]).delay;
    }
    return bullet;
}

bool StoreBullet(Json::Value& events, int b, const Bullet& bullet) {
    if (b < 0 || b >= kBulletsPerGun) return false;
    if (events.isNull()) events = Json::Value(Json::arrayValue);
    if (!events.isArray()) return false;
    // Whole bullets up to b: a short or cut pattern is completed with zero bullets.
    const Json::Value zero = BulletEntries(Bullet{});
    const size_t whole = (events.size() + kEntriesPerBullet - 1) / kEntriesPerBullet;
    const size_t bullets = std::max<size_t>(whole, static_cast<size_t>(b) + 1);
    for (auto i = events.size(); i < bullets * kEntriesPerBullet; ++i)
        events.append(zero[static_cast<Json::ArrayIndex>(i % kEntriesPerBullet)]);
    const Json::Value entries = BulletEntries(bullet);
    const auto first = static_cast<Json::ArrayIndex>(b * kEntriesPerBullet);
    for (Json::ArrayIndex i = 0; i < static_cast<Json::ArrayIndex>(kEntriesPerBullet); ++i)
        events[first + i] = entries[i];
    return true;
}

std::string CheckPattern(const Json::Value& root) {
    if (!root.isObject()) return "not a JSON object";
    const Json::Value& events = root["Events"];
    if (!events.isArray()) return "no \"Events\" array";
    if (events.size() > static_cast<Json::ArrayIndex>(kMaxEntries))
        return "more than 180 events (30 bullets)";
    if (events.size() % kEntriesPerBullet != 0) return "not a whole number of bullets";
    for (const Json::Value& event : events) {
        if (!event.isObject()) return "an event is not an object";
        const Json::Value& action = event["Action"];
        if (!action.isString() || (action.asString() != "down" && action.asString() != "up"))
            return "an event's Action is not \"down\" or \"up\"";
        if (!IntegerIn(event["Button"], 255)) return "an event's Button is not 0 to 255";
        const Json::Value& type = event["Type"];
        if (!IntegerIn(type, 255) ||
            (type.asInt() != kClickType && type.asInt() != kHorizontalType &&
             type.asInt() != kVerticalType))
            return "an event's Type is not 1, 4 or 5";
        if (!DelayValid(event["Delay"])) return "an event's Delay is not a number 0 to 65535";
    }
    return {};
}

size_t ImageSize(const std::array<size_t, kGunCount>& eventCounts) {
    size_t events = 0;
    for (size_t count : eventCounts) events += count;
    return kImageHeaderBytes + kGunCount * (kOffsetBytes + kGunHeaderBytes) + 4 * events;
}

ShootImage BuildShootImage(const std::array<Json::Value, kGunCount>& guns) {
    ShootImage image;
    std::array<size_t, kGunCount> counts{};
    for (size_t g = 0; g < guns.size(); ++g) counts[g] = EventCount(guns[g]);
    const size_t size = ImageSize(counts);
    if (size > kMaxImageBytes) {
        image.error = "the shoot image would be " + std::to_string(size) +
                      " bytes, more than its 16-bit size field can hold (65535)";
        return image;
    }
    std::vector<uint8_t> bytes(size, 0);
    PutU16(bytes, 0, kImageMagic);
    PutU16(bytes, 2, size);
    PutU16(bytes, 4, kGunCount);
    size_t at = kImageHeaderBytes + kGunCount * kOffsetBytes;
    for (size_t g = 0; g < guns.size(); ++g) {
        PutU16(bytes, kImageHeaderBytes + kOffsetBytes * g, at);
        PutU16(bytes, at, counts[g]);
        at += kGunHeaderBytes;
        for (Json::ArrayIndex e = 0; e < counts[g]; ++e) {
            const auto device =
                macro_codec::EncodeDeviceEvent(macro_codec::ReadMacroEvent(guns[g][e]));
            std::copy(device.begin(), device.end(), bytes.begin() + static_cast<long>(at));
            at += device.size();
        }
    }
    image.bytes = std::move(bytes);
    return image;
}

}  // namespace shoot
