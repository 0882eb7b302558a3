// Recoil patterns: a bullet's six file entries, reading bullets from whole and cut patterns,
// storing bullets, the pattern check and the shoot image (layout, offsets, the 16-bit limit).
#include "devices/mouse/shoot_codec.h"

#include <gtest/gtest.h>
#include <json/json.h>

namespace {

Json::Value Parse(const std::string& text) {
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

Json::Value Event(const char* action, int button, int delay, int type) {
    Json::Value e(Json::objectValue);
    e["Action"] = action;
    e["Button"] = button;
    e["Delay"] = delay;
    e["Type"] = type;
    return e;
}

Json::Value Pattern(int bullets) {
    Json::Value events(Json::arrayValue);
    for (int b = 0; b < bullets; ++b) {
        for (const Json::Value& e : shoot::BulletEntries(
                 {static_cast<uint8_t>(b), b % 2 == 0, static_cast<uint8_t>(b + 1), false, 80}))
            events.append(e);
    }
    return events;
}

TEST(ShootBullet, ThreeLeftTwelveDownDelay90IsTheSixEntriesOfTheTable) {
    const Json::Value entries = shoot::BulletEntries({3, true, 12, false, 90});
    const Json::Value expected[] = {
        Event("down", 1, 10, 1), Event("up", 1, 0, 1),   Event("down", 3, 5, 4),
        Event("up", 12, 90, 5),  Event("down", 0, 0, 4), Event("up", 0, 0, 5),
    };
    ASSERT_EQ(entries.size(), 6u);
    for (Json::ArrayIndex i = 0; i < 6; ++i) EXPECT_EQ(entries[i], expected[i]) << "entry " << i;
}

TEST(ShootBullet, ReadsBackWhatWasStoredAndZeroWhereThePatternIsCutOrMalformed) {
    Json::Value events = Pattern(2);
    const shoot::Bullet stored{200, false, 7, true, 65535};
    ASSERT_TRUE(shoot::StoreBullet(events, 1, stored));
    EXPECT_EQ(shoot::ReadBullet(events, 1), stored);
    EXPECT_EQ(shoot::ReadBullet(events, 0), (shoot::Bullet{0, true, 1, false, 80}));

    // Cut in the middle of bullet 1: entry 8 (its horizontal move) exists, entry 9 not.
    Json::Value cut = Pattern(2);
    cut.resize(9);
    EXPECT_EQ(shoot::ReadBullet(cut, 1), (shoot::Bullet{1, false, 0, false, 0}));
    const struct {
        const char* events;
        int bullet;
    } zero[] = {
        {"[]", 0},
        {"null", 3},
        {"[1,2,\"x\",{\"Button\":-3,\"Action\":7},5,6]", 0},
        {"[{},{},{\"Button\":999},{\"Button\":\"12\",\"Delay\":\"abc\"}]", 0},
    };
    for (const auto& c : zero)
        EXPECT_EQ(shoot::ReadBullet(Parse(c.events), c.bullet), shoot::Bullet{}) << c.events;
    EXPECT_EQ(shoot::ReadBullet(Pattern(30), 30), shoot::Bullet{});
    EXPECT_EQ(shoot::ReadBullet(Pattern(30), -1), shoot::Bullet{});
    // Delays written by the macro editor as text still read.
    EXPECT_EQ(
        shoot::ReadBullet(Parse(R"([{},{},{},{"Action":"up","Button":4,"Delay":"90"}])"), 0).delay,
        90);
}

TEST(ShootBullet, StoringPastTheEndWritesWholeBulletsUpToIt) {
    Json::Value events(Json::arrayValue);
    ASSERT_TRUE(shoot::StoreBullet(events, 2, {5, true, 6, true, 70}));
    ASSERT_EQ(events.size(), 18u);
    EXPECT_EQ(events[0], Event("down", 1, 10, 1));
    EXPECT_EQ(events[2], Event("up", 0, 5, 4));
    EXPECT_EQ(events[15], Event("down", 6, 70, 5));
    EXPECT_TRUE(shoot::CheckPattern([&] {
                    Json::Value root;
                    root["Events"] = events;
                    return root;
                }())
                    .empty());

    // A pattern cut after 8 entries: bullet 0 stored, bullet 1 completed with zero moves.
    Json::Value cut = Pattern(2);
    cut.resize(8);
    ASSERT_TRUE(shoot::StoreBullet(cut, 0, {1, false, 2, false, 3}));
    ASSERT_EQ(cut.size(), 12u);
    EXPECT_EQ(cut[7], Event("up", 1, 0, 1));
    EXPECT_EQ(cut[8], Event("up", 0, 5, 4));

    Json::Value untouched = Pattern(1);
    EXPECT_FALSE(shoot::StoreBullet(untouched, 30, {}));
    EXPECT_FALSE(shoot::StoreBullet(untouched, -1, {}));
    EXPECT_EQ(untouched, Pattern(1));
    Json::Value notArray(Json::objectValue);
    EXPECT_FALSE(shoot::StoreBullet(notArray, 0, {}));
}

TEST(ShootPattern, CheckRefusesWhatIsNotAPattern) {
    const auto withEvents = [](int entries, const char* replaceLast) {
        Json::Value root;
        root["Events"] = Pattern(30);
        root["Events"].resize(static_cast<Json::ArrayIndex>(entries));
        if (replaceLast) root["Events"][entries - 1] = Parse(replaceLast);
        return root;
    };
    const struct {
        Json::Value root;
        const char* reason;  // nullptr: accepted
    } cases[] = {
        {withEvents(180, nullptr), nullptr},
        {withEvents(6, R"({"Action":"up","Button":0,"Delay":"90","Type":5})"), nullptr},
        {Parse(R"({"Events":[]})"), nullptr},
        {withEvents(179, nullptr), "whole number"},
        {[&] {
             Json::Value r = withEvents(180, nullptr);
             for (int i = 0; i < 6; ++i) r["Events"].append(Event("up", 0, 0, 4));
             return r;
         }(),
         "more than 180"},
        {withEvents(6, R"({"Action":"up","Button":0,"Delay":-1,"Type":5})"), "Delay"},
        {withEvents(6, R"({"Action":"up","Button":0,"Delay":1e9,"Type":5})"), "Delay"},
        {withEvents(6, R"({"Action":"up","Button":0,"Delay":"9x","Type":5})"), "Delay"},
        {withEvents(6, R"({"Action":"up","Button":0,"Delay":0,"Type":10})"), "Type"},
        {withEvents(6, R"({"Action":"up","Button":-3,"Delay":0,"Type":5})"), "Button"},
        {withEvents(6, R"({"Action":"press","Button":0,"Delay":0,"Type":5})"), "Action"},
        {withEvents(6, R"([1])"), "not an object"},
        {Parse(R"({"Events":{}})"), "Events"},
        {Parse(R"([1,2])"), "object"},
    };
    for (const auto& c : cases) {
        const std::string why = shoot::CheckPattern(c.root);
        if (!c.reason) {
            EXPECT_EQ(why, "") << c.root.toStyledString();
        } else {
            EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        }
    }
}

TEST(ShootImage, FourFullPatternsGive2920BytesWithTheirOffsets) {
    const std::array<Json::Value, 4> guns{Pattern(30), Pattern(30), Pattern(30), Pattern(30)};
    const shoot::ShootImage image = shoot::BuildShootImage(guns);
    ASSERT_TRUE(image.ok()) << image.error;
    ASSERT_EQ(image.bytes.size(), 2920u);
    const std::vector<uint8_t> header(image.bytes.begin(), image.bytes.begin() + 24);
    // 0x55AA, 2920 = 0x0B68, 4 patterns, ten reserved, offsets 24, 748, 1472, 2196.
    EXPECT_EQ(header, (std::vector<uint8_t>{0xAA, 0x55, 0x68, 0x0B, 0x04, 0x00, 0,    0,
                                            0,    0,    0,    0,    0,    0,    0,    0,
                                            0x18, 0x00, 0xEC, 0x02, 0xC0, 0x05, 0x94, 0x08}));
    for (size_t at : {24u, 748u, 1472u, 2196u}) {
        // 180 events, two reserved bytes, then the first bullet's press: delay 10, type 1
        // pressed, button 1; its release; the horizontal move of bullet 0 (left, 0, delay 5).
        const std::vector<uint8_t> gun(image.bytes.begin() + static_cast<long>(at),
                                       image.bytes.begin() + static_cast<long>(at) + 16);
        EXPECT_EQ(gun, (std::vector<uint8_t>{0xB4, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x81, 0x01, 0x00,
                                             0x00, 0x01, 0x01, 0x05, 0x00, 0x84, 0x00}))
            << "gun at " << at;
    }
}

TEST(ShootImage, GunsWithoutEventsAndTheSixteenBitLimit) {
    const shoot::ShootImage empty = shoot::BuildShootImage({});
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.bytes,
              (std::vector<uint8_t>{0xAA, 0x55, 0x28, 0x00, 0x04, 0x00, 0,    0,    0,    0,
                                    0,    0,    0,    0,    0,    0,    0x18, 0x00, 0x1C, 0x00,
                                    0x20, 0x00, 0x24, 0x00, 0,    0,    0,    0,    0,    0,
                                    0,    0,    0,    0,    0,    0,    0,    0,    0,    0}));
    // 40 + 4 x 16,373 = 65,532 bytes fit; one event more (65,536) does not.
    const auto events = [](int n) {
        Json::Value list(Json::arrayValue);
        for (int i = 0; i < n; ++i) list.append(Event("up", 0, 0, 4));
        return list;
    };
    const shoot::ShootImage fits =
        shoot::BuildShootImage({events(16373), Json::Value(), Json::Value(), Json::Value()});
    ASSERT_TRUE(fits.ok()) << fits.error;
    EXPECT_EQ(fits.bytes.size(), 65532u);
    EXPECT_EQ(fits.bytes[2] | (fits.bytes[3] << 8), 65532);
    const shoot::ShootImage refused =
        shoot::BuildShootImage({events(4094), events(4094), events(4093), events(4093)});
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.bytes.empty());
    EXPECT_NE(refused.error.find("65536"), std::string::npos) << refused.error;
}

}  // namespace
