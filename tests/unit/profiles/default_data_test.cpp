// Loads every file in DefaultData through the code the program reads it with.
#include <gtest/gtest.h>

#include <set>

#include "profiles/hs6533_profiledata.h"
#include "profiles/json_access.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "tables/emulated_mouse.h"
#include "tables/key_factory_table.h"
#include "temp_folder.h"

namespace {

using namespace profiles;

const std::filesystem::path kDefaultData =
    std::filesystem::path(SKELMORA_SOURCE_ROOT) / "DefaultData";

// Model indices of the light catalogue rows.
constexpr int kMouseModel = 0, kKeyboardModel = 1, kMousePadModel = 2, kHeadsetModel = 3;

Json::Value ReadShipped(const std::string& name) {
    const auto read = JsonFile().ReadDocumentChecked(kDefaultData / name);
    EXPECT_EQ(read.status, ReadStatus::Ok) << name;
    return read.value;
}

// A profile data object whose profile is a fresh file and whose default is the shipped one, as
// on a first start: Load copies the factory element into the profile file.
template <typename Profile>
struct FirstStart {
    explicit FirstStart(const std::string& default_name) {
        data.SetDefaultPath(kDefaultData / default_name);
        data.SetProfilePath(folder / "profile.Json");
        element = data.Load(folder / "profile.Json");
        EXPECT_TRUE(element.isObject()) << default_name;
        EXPECT_TRUE(data.LastLoadWrite().ok());
    }
    TempFolder folder;
    Profile data;
    Json::Value element;
};

std::set<int> VisibleModes(int model) {
    std::set<int> visible;
    const Json::Value row = ReadShipped("default_light.json")["DefaultLightName"][model];
    for (Json::ArrayIndex i = 0; i < row.size(); ++i) {
        if (row[i]["visible"].asBool()) visible.insert(static_cast<int>(i));
    }
    return visible;
}

TEST(DefaultData, EveryFileIsWrittenAsTheProgramWritesIt) {
    const char* files[] = {"keyboard.Json",     "mouse.Json",         "MousePad.Json",
                           "HD.Json",           "default_light.json", "Language.config",
                           "AudioFile.json",    "ShootData_0.Shoot",  "ShootData_1.Shoot",
                           "ShootData_2.Shoot", "ShootData_3.Shoot"};
    for (const char* name : files) {
        const Json::Value document = ReadShipped(name);
        ASSERT_TRUE(document.isObject()) << name;
        EXPECT_EQ(StyledText(document), TempFolder::Read(kDefaultData / name)) << name;
    }
}

TEST(DefaultData, KeyboardProfile) {
    FirstStart<CKeyboardProfiledata> start("keyboard.Json");
    auto& data = start.data;
    const auto keys = data.ReadKeyList();
    ASSERT_EQ(keys.size(), tables::kKeyboardKeyCount);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const tables::DeviceKeyCode factory = tables::kFactoryKeyCodes[i];
        EXPECT_EQ(
            keys[i].default_assignment,
            (KeyAssignment{static_cast<std::uint16_t>(i), factory.kind, factory.high, factory.low}))
            << i;
        EXPECT_EQ(keys[i].current, keys[i].default_assignment) << i;
    }
    const LightInfo light = data.ReadLightInfo();
    EXPECT_TRUE(VisibleModes(kKeyboardModel).count(light.mode));
    EXPECT_LE(light.brightness, 4);
    EXPECT_LE(light.speed, 4);
    const KeyboardSystemStages stages = data.ReadSystemStages();
    EXPECT_LE(stages.repeat_delay, 3);
    EXPECT_LE(stages.polling_rate, 3);
    data.ReadAudioLightInfo();
    // The custom mode's first group holds a colour for every key: reading fills in nothing.
    EXPECT_EQ(data.GetCustomLightGroup(), 0);
    const auto colours = data.ReadCustomLightColors(0, tables::kKeyboardKeyCount);
    EXPECT_EQ(data.Element(), start.element);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const bool has_key = tables::kFactoryKeyCodes[i] != tables::kNoKey;
        EXPECT_EQ(colours[i].alpha, has_key ? 255 : 0) << i;
    }
}

TEST(DefaultData, MouseProfile) {
    FirstStart<CMouseProfiledata> start("mouse.Json");
    auto& data = start.data;
    // The factory assignment of each logical button, as the mouse's button map looks for it.
    const KeyAssignment buttons[] = {
        {0, 0x10, 0x01, 0x00}, {1, 0x10, 0x02, 0x00}, {2, 0x10, 0x04, 0x00}, {3, 0x10, 0x10, 0x00},
        {4, 0x10, 0x08, 0x00}, {5, 0x13, 0x01, 0x00}, {6, 0x13, 0x02, 0x00}, {7, 0x13, 0x03, 0x00},
        {8, 0xA0, 0x1B, 0x00}, {9, 0x16, 0x90, 0x01}, {10, 0x14, 0x78, 0x02}};
    const auto keys = data.ReadKeyList();
    ASSERT_EQ(keys.size(), std::size(buttons));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].default_assignment, buttons[i]) << i;
        EXPECT_EQ(keys[i].current, buttons[i]) << i;
    }

    const auto stages = data.ReadDPIStages();
    ASSERT_EQ(stages.size(), 5u);
    const int expected_dpi[] = {400, 800, 1600, 3200, 6400};
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        EXPECT_EQ(stages[i].dpi_x, tables::emulated_mouse::kDefaultDpiLevels[i]);
        EXPECT_EQ(tables::emulated_mouse::DpiOfLevel(stages[i].dpi_x), expected_dpi[i]);
        EXPECT_EQ(stages[i].dpi_y, stages[i].dpi_x);
        EXPECT_EQ(stages[i].active, 1);
        colours.insert(stages[i].red << 16 | stages[i].green << 8 | stages[i].blue);
    }
    EXPECT_EQ(colours.size(), 5u);
    EXPECT_GE(data.GetStageActive(), 0);
    EXPECT_LT(data.GetStageActive(), 5);

    const MouseSystemStages system = data.ReadMouseSystemStages();
    EXPECT_LE(system.report_rate_stage, 4);
    EXPECT_GT(system.wheel_scroll_lines, 0);
    for (const auto& entry : data.ReadCorrectInfo()) EXPECT_FALSE(entry.name.empty());
    EXPECT_TRUE(VisibleModes(kMouseModel).count(data.ReadLightInfo().mode));
}

TEST(DefaultData, MousePadProfile) {
    FirstStart<CMouseProfiledata> start("MousePad.Json");
    EXPECT_TRUE(VisibleModes(kMousePadModel).count(start.data.ReadLightInfo().mode));
}

TEST(DefaultData, HeadsetProfile) {
    FirstStart<CHs6533Profiledata> start("HD.Json");
    auto& data = start.data;
    const HeadsetSystemSetStages stages = data.ReadSystemSetStages();
    EXPECT_GE(stages.eq_type, 1);
    EXPECT_LE(stages.eq_type, 12);
    EXPECT_GE(stages.magic_type, 1);
    EXPECT_LE(stages.magic_type, 4);
    EXPECT_LE(stages.mic_in_value, 100);
    EXPECT_LE(stages.mic_monitor_value, 100);
    // The preset gains of the voice panel, one row per EQ type.
    const std::vector<std::int32_t> presets[] = {
        {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},   {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
        {10, 4, 0, -3, -4, -3, -2, -1, 0, 0}, {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},       {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
        {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},  {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
        {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},  {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
        {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},  {2, 1, -2, -4, -8, 4, 12, 16, 18, 15}};
    for (int type = 1; type <= 12; ++type) {
        EXPECT_EQ(data.ReadEqValues(type), presets[type - 1]) << type;
    }
    EXPECT_TRUE(data.ReadCustomEqNames().empty());
    EXPECT_EQ(data.Element(), start.element);  // no row had to be created
    EXPECT_TRUE(VisibleModes(kHeadsetModel).count(data.ReadLightInfo().mode));
}

TEST(DefaultData, LightCatalogueHasARowPerModel) {
    const Json::Value catalogue = ReadShipped("default_light.json");
    const Json::Value& rows = catalogue["DefaultLightName"];
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(catalogue["AreaLightName"].size(), 4u);
    for (const Json::Value& row : rows) {
        ASSERT_TRUE(row.isArray());
        for (const Json::Value& effect : row) {
            EXPECT_TRUE(effect["LightName"].isString());
            EXPECT_TRUE(effect["visible"].isBool());
            EXPECT_TRUE(effect["value"].isInt());
        }
    }
    for (const Json::Value& area : catalogue["AreaLightName"]) {
        for (const Json::Value& entry : area) EXPECT_TRUE(entry["LightName"].isString());
    }
    // The keyboard's codes stand for its modes: the custom per-key mode 21 and the audio
    // modes 29 and 30 are offered.
    const Json::Value& keyboard = rows[kKeyboardModel];
    const std::set<int> visible = VisibleModes(kKeyboardModel);
    for (int mode : {21, 29, 30}) {
        EXPECT_EQ(keyboard[mode]["value"].asInt(), mode);
        EXPECT_TRUE(visible.count(mode)) << mode;
    }
    EXPECT_EQ(rows[kMouseModel].size(), 10u);   // modes 0 to 9
    EXPECT_EQ(rows[kHeadsetModel].size(), 9u);  // modes above 8 count as 0
}

TEST(DefaultData, LanguageList) {
    const Json::Value languages = ReadShipped("Language.config")["Language"];
    ASSERT_GE(languages.size(), 2u);
    std::set<int> ids;
    for (const Json::Value& language : languages) {
        EXPECT_FALSE(language["Language_name"].asString().empty());
        EXPECT_FALSE(language["Language_file"].asString().empty());
        EXPECT_FALSE(language["Language_text"].asString().empty());
        ASSERT_TRUE(language["Language_ID"].isInt());
        ids.insert(language["Language_ID"].asInt());
    }
    EXPECT_EQ(ids.size(), languages.size());
    EXPECT_EQ(languages[0]["Language_file"].asString(), "lan_cn.xml");
}

TEST(DefaultData, AudioStyles) {
    const Json::Value styles = ReadShipped("AudioFile.json")["Device"]["AudioLightInfo"];
    ASSERT_TRUE(styles.isObject());
    EXPECT_LE(styles["nAudioStyle"].asInt(), 3);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FALSE(styles["nStyleName" + std::to_string(k + 1)].asString().empty());
        for (const char* channel : {"nStyleR", "nStyleG", "nStyleB"}) {
            const int value = styles[channel + std::to_string(k)].asInt();
            EXPECT_GE(value, 0);
            EXPECT_LE(value, 9);
        }
    }
}

TEST(DefaultData, FourRecoilPatternsOfThirtyBullets) {
    for (int gun = 0; gun < 4; ++gun) {
        SCOPED_TRACE(gun);
        const Json::Value events =
            ReadShipped("ShootData_" + std::to_string(gun) + ".Shoot")["Events"];
        ASSERT_EQ(events.size(), 180u);
        int pulled_down = 0;
        for (Json::ArrayIndex b = 0; b < 30; ++b) {
            // The six events of bullet b.
            const auto e = [&](Json::ArrayIndex i) -> const Json::Value& {
                return events[6 * b + i];
            };
            auto expect = [](const Json::Value& event, const char* action, int button, int delay,
                             int type) {
                EXPECT_EQ(event["Action"].asString(), action);
                EXPECT_EQ(event["Button"].asInt(), button);
                ASSERT_TRUE(event["Delay"].isInt());  // an integer in shoot files
                EXPECT_EQ(event["Delay"].asInt(), delay);
                EXPECT_EQ(event["Type"].asInt(), type);
            };
            expect(e(0), "down", 1, 10, 1);
            expect(e(1), "up", 1, 0, 1);
            EXPECT_EQ(e(2)["Delay"].asInt(), 5);
            EXPECT_EQ(e(2)["Type"].asInt(), 4);
            EXPECT_EQ(e(3)["Type"].asInt(), 5);
            EXPECT_GT(e(3)["Delay"].asInt(), 0);
            expect(e(4), e(2)["Action"].asCString(), 0, 0, 4);
            expect(e(5), e(3)["Action"].asCString(), 0, 0, 5);
            for (Json::ArrayIndex i = 2; i < 4; ++i) {
                EXPECT_GE(e(i)["Button"].asInt(), 0);
                EXPECT_LE(e(i)["Button"].asInt(), 255);
            }
            if (e(3)["Action"].asString() == "up") pulled_down += e(3)["Button"].asInt();
        }
        // A recoil pattern pulls the cursor down against the climb.
        EXPECT_GT(pulled_down, 100);
    }
}

}  // namespace
