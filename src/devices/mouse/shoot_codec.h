#pragma once
// Recoil patterns ("shoot" files) and the shoot image the mouse stores them as. Pure: no Qt,
// no I/O.
//
// A gun's pattern is the "Events" array of its ".Shoot" file, six event objects per bullet,
// bullet b at entries 6b .. 6b + 5: a left press (10 ms), its release, the horizontal move
// ("down" = left, delay 5), the vertical move ("down" = up, the bullet's delay) and two zero
// moves repeating the directions. "Delay" is a JSON integer in these files.
//
// The image: u16 little-endian 0x55AA, the total size, the pattern count 4, ten reserved bytes,
// four u16 offsets from byte 16; then per gun its event count (u16), two reserved bytes and its
// events in their 4-byte device form. Size = 16 + 4 x 6 + 4 x all events. The size and offset
// fields are 16 bits wide, so an image above 65,535 bytes cannot be described and is refused.
#include <json/value.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace shoot {

inline constexpr int kGunCount = 4;
inline constexpr int kBulletsPerGun = 30;
inline constexpr int kEntriesPerBullet = 6;
inline constexpr int kMaxEntries = kBulletsPerGun * kEntriesPerBullet;  // 180
inline constexpr uint16_t kImageMagic = 0x55AA;
inline constexpr size_t kImageHeaderBytes = 16;  // magic, size, count, ten reserved bytes
inline constexpr size_t kOffsetBytes = 2;        // per gun, in the table from byte 16
inline constexpr size_t kGunHeaderBytes = 4;     // event count, two reserved bytes
inline constexpr size_t kMaxImageBytes = 65535;
inline constexpr uint16_t kMaxDelay = 65535;

// One bullet as the editor shows it.
struct Bullet {
    uint8_t horizontal = 0;  // distance, 0..255
    bool left = false;       // the horizontal move goes left
    uint8_t vertical = 0;
    bool up = false;  // the vertical move goes up
    uint16_t delay = 0;
    friend bool operator==(const Bullet&, const Bullet&) = default;
};

// The six entries of a bullet, in file order.
Json::Value BulletEntries(const Bullet& bullet);

// Bullet b of events (an "Events" array): distances, directions and delay from entries 6b + 2
// and 6b + 3. Entries that are missing or malformed read as zero moves; b outside 0..29 reads
// as a zero bullet.
Bullet ReadBullet(const Json::Value& events, int b);

// Writes bullet b (0..29) into events. A pattern that ends before bullet b, or in the middle of
// a bullet, is first completed with zero bullets, so the array always holds whole bullets up
// to b. Returns false (events unchanged) for b outside 0..29 or events that is not an array.
bool StoreBullet(Json::Value& events, int b, const Bullet& bullet);

// Why a parsed shoot file is not a pattern: empty when it is one. A pattern is an object whose
// "Events" is an array of at most 180 entries, a multiple of six, each an event object with
// "Action" "down" or "up", "Button" 0..255, "Type" 1, 4 or 5 and "Delay" 0..65,535 (an integer,
// or a decimal string as macro files write it).
std::string CheckPattern(const Json::Value& root);

struct ShootImage {
    std::vector<uint8_t> bytes;  // empty when refused
    std::string error;           // why nothing is to be sent
    bool ok() const { return error.empty(); }
};

// The image of the four guns' "Events" arrays (a gun without events: a null or empty value).
// Refused above 65,535 bytes.
ShootImage BuildShootImage(const std::array<Json::Value, kGunCount>& guns);

// Bytes of the image for these event counts (16 + 24 + 4 x the sum).
size_t ImageSize(const std::array<size_t, kGunCount>& eventCounts);

}  // namespace shoot
