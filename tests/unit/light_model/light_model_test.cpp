#include "panels/light_model.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include <string>

#include "devices/light_mode_codes.h"

namespace lm = light_model;

namespace {

Json::Value Parse(const std::string& text) {
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

constexpr int8_t K = -1;  // kept

// ---- Layout ----

struct LayoutCase {
    int type;
    int mode;
    lm::LayoutControl control;
    lm::ControlChange expected;
};

class LayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTable, ControlChange) {
    const LayoutCase& c = GetParam();
    const lm::LayoutPlan plan = lm::PlanLayout(c.type, c.mode);
    ASSERT_TRUE(plan.known);
    EXPECT_EQ(plan.controls[c.control].enabled, c.expected.enabled)
        << lm::kLayoutControlNames[c.control];
    EXPECT_EQ(plan.controls[c.control].visible, c.expected.visible)
        << lm::kLayoutControlNames[c.control];
}

INSTANTIATE_TEST_SUITE_P(
    Keyboard, LayoutTable,
    ::testing::Values(
        // 21: the custom group shows, speed is disabled and hidden.
        LayoutCase{1, 21, lm::kLightCustom, {K, 1}}, LayoutCase{1, 21, lm::kSpeed, {0, 0}},
        LayoutCase{1, 21, lm::kSevenColour, {0, K}}, LayoutCase{1, 21, lm::kFx, {0, 0}},
        // Every other mode hides the custom group again and shows speed.
        LayoutCase{1, 6, lm::kLightCustom, {K, 0}}, LayoutCase{1, 6, lm::kSpeed, {1, 1}},
        // 29: audio combo shown, speed hidden, Fx left as the preamble set it.
        LayoutCase{1, 29, lm::kAudioLayout, {K, 1}}, LayoutCase{1, 29, lm::kSpeed, {0, 0}},
        LayoutCase{1, 29, lm::kFx, {1, 0}},
        // 45: ZZCC combo shown, light colour disabled, speed enabled but hidden.
        LayoutCase{1, 45, lm::kZzccLayout, {K, 1}}, LayoutCase{1, 45, lm::kLightColour, {0, K}},
        LayoutCase{1, 45, lm::kSpeed, {1, 0}}, LayoutCase{1, 44, lm::kZzccLayout, {K, 0}},
        // 3: the direction pair enabled and shown, colours off.
        LayoutCase{1, 3, lm::kFx, {1, 1}}, LayoutCase{1, 3, lm::kColour, {0, K}},
        LayoutCase{1, 3, lm::kLightColour, {0, K}}, LayoutCase{1, 24, lm::kFx, {1, 0}},
        LayoutCase{1, 19, lm::kFx, {1, 1}}, LayoutCase{1, 30, lm::kSpeed, {0, 1}},
        LayoutCase{1, 28, lm::kBrightness, {0, K}},
        // Modes without a row of their own: all five groups off.
        LayoutCase{1, 0, lm::kBrightness, {0, K}}, LayoutCase{1, 35, lm::kSevenColour, {0, K}},
        LayoutCase{1, 46, lm::kColour, {0, K}}, LayoutCase{1, 200, lm::kSpeed, {0, 1}},
        LayoutCase{1, 6, lm::kLightEffect, {1, K}}));

INSTANTIATE_TEST_SUITE_P(
    MouseAndPad, LayoutTable,
    ::testing::Values(
        LayoutCase{2, 0, lm::kFx, {1, K}}, LayoutCase{2, 1, lm::kColour, {0, K}},
        LayoutCase{2, 3, lm::kSpeed, {0, K}}, LayoutCase{2, 9, lm::kBrightness, {0, K}},
        LayoutCase{2, 12, lm::kSevenColour, {0, K}}, LayoutCase{3, 2, lm::kSevenColour, {1, K}},
        LayoutCase{7, 8, lm::kBrightness, {0, K}}, LayoutCase{4, 0, lm::kSpeed, {1, K}},
        LayoutCase{7, 9, lm::kColour, {0, K}}, LayoutCase{5, 1, lm::kSpeed, {0, K}},
        LayoutCase{5, 4, lm::kColour, {0, K}}, LayoutCase{5, 2, lm::kFx, {K, K}},
        LayoutCase{5, 7, lm::kBrightness, {0, K}}));

TEST(LayoutPlan, DirectionTextsAndTabs) {
    struct Case {
        int mode;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {3, "light_set_outside_to_inside_text", "light_set_inside_to_outside_text"},
        {19, "light_set_down_to_up_text", "light_set_up_to_down_text"},
        {24, "light_set_down_to_up_text", "light_set_up_to_down_text"},
        {1, "light_set_right_to_left_text", "light_set_left_to_right_text"},
        {29, "light_set_right_to_left_text", "light_set_left_to_right_text"},
    };
    for (const Case& c : cases) {
        const lm::LayoutPlan plan = lm::PlanLayout(1, c.mode);
        EXPECT_STREQ(plan.directionTexts.first, c.first) << c.mode;
        EXPECT_STREQ(plan.directionTexts.second, c.second) << c.mode;
        EXPECT_EQ(plan.colourTabPage, c.mode == 29 ? 1 : 0) << c.mode;
    }
    EXPECT_FALSE(lm::PlanLayout(2, 3).directionTexts.first);
    EXPECT_FALSE(lm::PlanLayout(2, 3).colourTabPage.has_value());
}

TEST(LayoutPlan, SameColumn) {
    struct Case {
        int type;
        int mode;
        std::optional<bool> same;
    };
    const Case cases[] = {
        {1, 6, false}, {1, 5, false}, {2, 0, false}, {2, 1, true},         {2, 2, true},
        {2, 3, true},  {2, 7, false}, {2, 9, true},  {2, 10, false},       {3, 8, true},
        {7, 2, true},  {7, 5, false}, {4, 1, true},  {5, 1, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lm::PlanLayout(c.type, c.mode).showSameMode, c.same) << c.type << "/" << c.mode;
    for (int type : {0, 6, 8, 9, 200}) EXPECT_FALSE(lm::PlanLayout(type, 1).known) << type;
}

// ---- Same mode ----

TEST(SameMode, KindsAndModes) {
    struct Case {
        int type;
        int mode;
        std::optional<lm::SameModeKind> kind;
    };
    const Case cases[] = {
        {1, 6, lm::kSameBreathing},
        {1, 5, lm::kSameStatic},
        {1, 23, lm::kSameFlashing},
        {1, 40, lm::kSameColourCycle},
        {1, 28, lm::kSameOff},
        {1, 7, std::nullopt},
        {2, 2, lm::kSameBreathing},
        {2, 9, lm::kSameOff},
        {2, 0, std::nullopt},
        {3, 8, lm::kSameOff},
        {7, 1, lm::kSameColourCycle},
        {7, 9, std::nullopt},
        // Through a receiver: the wired type's column.
        {6, 4, lm::kSameFlashing},
        {9, 40, lm::kSameColourCycle},
        {4, 2, std::nullopt},
        {5, 2, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lm::SameModeKindOf(c.type, c.mode), c.kind) << c.type << "/" << c.mode;

    // A mouse in breathing puts keyboards in 6, pads and headsets in 2.
    EXPECT_EQ(lm::SameModeFor(lm::kSameBreathing, 1), 6);
    EXPECT_EQ(lm::SameModeFor(lm::kSameBreathing, 9), 6);
    EXPECT_EQ(lm::SameModeFor(lm::kSameBreathing, 3), 2);
    EXPECT_EQ(lm::SameModeFor(lm::kSameBreathing, 7), 2);
    EXPECT_EQ(lm::SameModeFor(lm::kSameOff, 2), 9);
    EXPECT_EQ(lm::SameModeFor(lm::kSameOff, 7), 8);
    EXPECT_EQ(lm::SameModeFor(lm::kSameOff, 1), 28);
    EXPECT_EQ(lm::SameModeFor(lm::kSameStatic, 4), std::nullopt);
}

// ---- Colours ----

TEST(Colours, ArgbAndRgb) {
    EXPECT_EQ(lm::ArgbOf({0x12, 0x34, 0x56}), 0xFF123456u);
    EXPECT_EQ(lm::RgbOf(0xFF0099FFu), (lm::Rgb{0, 153, 255}));
    EXPECT_EQ(lm::RgbOf(0x00FF0000u), (lm::Rgb{255, 0, 0}));
    EXPECT_EQ(lm::ArgbOf({}), lm::kNeutralColour);
}

TEST(Colours, EditRule) {
    struct Case {
        const char* text;
        uint8_t value;
        std::optional<std::string> rewrite;
    };
    const Case cases[] = {
        {"300", 255, "255"},
        {"", 0, "0"},
        {"-1", 0, "0"},
        {"12abc", 12, "12"},
        {"0", 0, std::nullopt},
        {"255", 255, std::nullopt},
        {"256", 255, "255"},
        {"99999999999999999999", 255, "255"},
        {"007", 7, "7"},
        {"abc", 0, "0"},
        {"128", 128, std::nullopt},
    };
    for (const Case& c : cases) {
        const lm::ColourEdit edit = lm::ParseColourEdit(c.text);
        EXPECT_EQ(edit.value, c.value) << '"' << c.text << '"';
        EXPECT_EQ(edit.rewrite, c.rewrite) << '"' << c.text << '"';
    }
}

TEST(Colours, AudioRecordWords) {
    profiles::AudioLightInfo info;
    info.audio_mode = 2;
    info.background_red = 0x11;
    info.background_green = 0x22;
    info.background_blue = 0x33;
    info.foreground_red = 0x44;
    info.foreground_green = 0x55;
    info.foreground_blue = 0x66;
    info.seven_colour = 1;
    info.colour_type = 1;
    const std::array<int, 3> words = lm::PackAudioLight(info);
    EXPECT_EQ(static_cast<uint32_t>(words[0]), 0x33221102u);
    EXPECT_EQ(static_cast<uint32_t>(words[1]), 0x01665544u);
    EXPECT_EQ(words[2], 1);
    EXPECT_EQ(lm::UnpackAudioLight(words), info);
}

TEST(Colours, AudioColourRules) {
    profiles::AudioLightInfo info;
    info.foreground_red = 10;
    info.seven_colour = 1;
    // A background change keeps the seven-colour flag.
    lm::SetAudioColour(info, false, {1, 2, 3});
    EXPECT_EQ(info.seven_colour, 1);
    EXPECT_EQ(lm::AudioColour(info, false), (lm::Rgb{1, 2, 3}));
    // The same foreground keeps it; another foreground clears it.
    lm::SetAudioColour(info, true, {10, 0, 0});
    EXPECT_EQ(info.seven_colour, 1);
    lm::SetAudioColour(info, true, {10, 0, 1});
    EXPECT_EQ(info.seven_colour, 0);
    EXPECT_EQ(lm::AudioColour(info, true), (lm::Rgb{10, 0, 1}));

    struct TypeCase {
        bool background, foreground;
        uint8_t previous, expected;
    };
    const TypeCase types[] = {
        {false, true, 0, 1}, {false, false, 0, 1}, {true, false, 1, 0},
        {true, false, 0, 0}, {true, true, 0, 1},   {true, true, 1, 0},
    };
    for (const TypeCase& t : types)
        EXPECT_EQ(lm::AudioColourType(t.background, t.foreground, t.previous), t.expected)
            << t.background << t.foreground << int{t.previous};
}

// ---- Mode list ----

TEST(ModeList, ReadsTheModelRow) {
    const Json::Value lights = Parse(R"({
        "DefaultLightName": [[{"LightName": "Wave", "visible": true, "value": 0}],
                             [{"LightName": "Off", "visible": false, "value": 0},
                              {"LightName": "Wave", "visible": true, "value": 7}]],
        "AreaLightName": [[], [{"LightName": "All Keys"}, {"LightName": "WASD"}]]})");
    const Json::Value config =
        Parse(R"({"LightInfo": [[], [{"LightName": "Mine", "Guid": "abc"}]]})");
    const lm::LightModeList list = lm::ReadLightModeList(lights, config, 1);
    EXPECT_EQ(list.names, (std::vector<std::string>{"Off", "Wave"}));
    EXPECT_EQ(list.visible, (std::vector<bool>{false, true}));
    EXPECT_EQ(list.codes, (std::vector<int>{0, 7}));
    EXPECT_EQ(list.areaNames, (std::vector<std::string>{"All Keys", "WASD"}));
    EXPECT_EQ(list.userNames, (std::vector<std::string>{"Mine"}));
    EXPECT_TRUE(list.problems.empty());
    EXPECT_EQ(lm::DeviceCodeOfMode(list, 1), 7);
}

TEST(ModeList, BadInput) {
    struct Case {
        const char* document;
        int model;
        std::vector<bool> visible;
        std::vector<int> codes;
        bool problem;
    };
    const Case cases[] = {
        {"", 0, {}, {}, true},                             // missing file (null)
        {R"({"DefaultLightName": []})", 1, {}, {}, true},  // no row for the model
        {R"({"DefaultLightName": [[{"LightName": "A", "visible": true, "value": 300}]]})",
         0,
         {true},
         {lm::kNoCode},
         true},
        {R"({"DefaultLightName": [[{"LightName": "A", "visible": true, "value": "3"}]]})",
         0,
         {true},
         {lm::kNoCode},
         true},
        {R"({"DefaultLightName": [[{"LightName": "A", "visible": true, "value": -2}]]})",
         0,
         {true},
         {lm::kNoCode},
         true},
        {R"({"DefaultLightName": [[{"LightName": "A", "visible": 1, "value": 4}]]})",
         0,
         {false},
         {4},
         true},
        {R"({"DefaultLightName": [[7, {"LightName": "B", "visible": true, "value": 2.5}]]})",
         0,
         {false, true},
         {lm::kNoCode, lm::kNoCode},
         true},
        {R"({"DefaultLightName": "x"})", 0, {}, {}, true},
    };
    for (const Case& c : cases) {
        const lm::LightModeList list =
            lm::ReadLightModeList(Parse(c.document), Json::Value(), c.model);
        EXPECT_EQ(list.visible, c.visible) << c.document;
        EXPECT_EQ(list.codes, c.codes) << c.document;
        EXPECT_EQ(list.names.size(), c.visible.size()) << c.document;
        EXPECT_EQ(!list.problems.empty(), c.problem) << c.document;
    }
}

TEST(ModeList, DeviceCodesOfTheDevicesOwnReaders) {
    struct Case {
        const char* value;
        std::optional<int> code;
    };
    const Case cases[] = {{"0", 0},
                          {"255", 255},
                          {"256", std::nullopt},
                          {"-1", std::nullopt},
                          {"\"3\"", std::nullopt},
                          {"true", std::nullopt},
                          {"2.5", std::nullopt},
                          {"null", std::nullopt},
                          {"1e20", std::nullopt},
                          {"18446744073709551615", std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(light::LightModeCode(Parse(std::string("[") + c.value + "]")[0]), c.code)
            << c.value;
    EXPECT_EQ(light::CodesWithFallback({7, std::nullopt, 9}), (std::vector<int>{7, 7, 9}));
    EXPECT_EQ(light::CodesWithFallback({std::nullopt, 4}), (std::vector<int>{0, 4}));
}

TEST(ModeList, CodeOfModePastTheList) {
    lm::LightModeList list;
    list.codes = {5, lm::kNoCode, 9};
    EXPECT_EQ(lm::DeviceCodeOfMode(list, 2), 9);
    EXPECT_EQ(lm::DeviceCodeOfMode(list, 1), 5);   // no code: mode 0's
    EXPECT_EQ(lm::DeviceCodeOfMode(list, 30), 5);  // past the list: mode 0's
    EXPECT_EQ(lm::DeviceCodeOfMode(list, -1), 5);
    EXPECT_EQ(lm::DeviceCodeOfMode(lm::LightModeList{}, 3), 0);
}

// ---- Changes made before the profile is loaded ----

profiles::LightInfo Light(uint8_t mode, uint8_t brightness, uint8_t red, uint8_t group) {
    profiles::LightInfo info;
    info.mode = mode;
    info.brightness = brightness;
    info.red = red;
    info.custom_group = group;
    return info;
}

TEST(EarlyEdits, OnlyTheChangedFieldsGoOverTheLoadedRecord) {
    const profiles::LightInfo loaded = Light(1, 2, 200, 4);
    struct Case {
        const char* what;
        std::vector<std::pair<profiles::LightInfo, profiles::LightInfo>> changes;
        profiles::LightInfo expected;
    };
    const Case cases[] = {
        {"nothing changed", {}, Light(1, 2, 200, 4)},
        {"a change back to the same value",
         {{Light(0, 0, 0, 0), Light(0, 0, 0, 0)}},
         Light(1, 2, 200, 4)},
        {"the mode", {{Light(0, 0, 0, 0), Light(3, 0, 0, 0)}}, Light(3, 2, 200, 4)},
        {"the mode, then the brightness",
         {{Light(0, 0, 0, 0), Light(3, 0, 0, 0)}, {Light(3, 0, 0, 0), Light(3, 4, 0, 0)}},
         Light(3, 4, 200, 4)},
        {"the mode twice: the last one",
         {{Light(0, 0, 0, 0), Light(3, 0, 0, 0)}, {Light(3, 0, 0, 0), Light(6, 0, 0, 0)}},
         Light(6, 2, 200, 4)},
        {"a colour set to zero and the custom group",
         {{Light(0, 0, 9, 0), Light(0, 0, 0, 0)}, {Light(0, 0, 0, 0), Light(0, 0, 0, 2)}},
         Light(1, 2, 0, 2)},
    };
    for (const Case& c : cases) {
        lm::LightEdits edits;
        for (const auto& [before, after] : c.changes) lm::NoteLightEdit(edits, before, after);
        EXPECT_EQ(lm::LayLightEdits(edits, loaded), c.expected) << c.what;
    }

    // The mode a game effect returns to is the device's, never an edit.
    profiles::LightInfo returned = Light(0, 0, 0, 0);
    returned.previous_mode = 7;
    lm::LightEdits edits;
    lm::NoteLightEdit(edits, Light(0, 0, 0, 0), returned);
    EXPECT_TRUE(edits.Empty());
}

}  // namespace

TEST(EarlyEdits, AColourIsLaidWholeWithTheFlagItsChoiceSets) {
    profiles::LightInfo loaded = Light(1, 2, 200, 4);
    loaded.green = 50;
    loaded.blue = 60;
    loaded.multicolour = 1;
    // Red chosen over the record's black before the load: only the red channel differs, but
    // the chosen colour is red, in one colour.
    lm::LightEdits edits;
    profiles::LightInfo red = Light(0, 0, 255, 0);
    lm::NoteLightEdit(edits, Light(0, 0, 0, 0), red);
    profiles::LightInfo expected = loaded;
    expected.red = 255;
    expected.green = 0;
    expected.blue = 0;
    expected.multicolour = 0;
    EXPECT_EQ(lm::LayLightEdits(edits, loaded), expected);

    EXPECT_TRUE(lm::LightFieldNoted(edits, &profiles::LightInfo::green));
    EXPECT_TRUE(lm::LightFieldNoted(edits, &profiles::LightInfo::multicolour));
    EXPECT_FALSE(lm::LightFieldNoted(edits, &profiles::LightInfo::custom_group));

    // Seven colours chosen after the colour: the flag's last value stands.
    profiles::LightInfo seven = red;
    seven.multicolour = 1;
    lm::NoteLightEdit(edits, red, seven);
    expected.multicolour = 1;
    EXPECT_EQ(lm::LayLightEdits(edits, loaded), expected);
}

profiles::AudioLightInfo Audio(uint8_t mode, lm::Rgb background, lm::Rgb foreground, uint8_t seven,
                               uint8_t type) {
    profiles::AudioLightInfo info;
    info.audio_mode = mode;
    info.background_red = background.red;
    info.background_green = background.green;
    info.background_blue = background.blue;
    info.foreground_red = foreground.red;
    info.foreground_green = foreground.green;
    info.foreground_blue = foreground.blue;
    info.seven_colour = seven;
    info.colour_type = type;
    return info;
}

TEST(EarlyEdits, TheAudioRecordsChangedGroupsGoOverTheLoadedOne) {
    // The keyboard's shipped record: style 0, foreground red in seven colours, edited.
    const profiles::AudioLightInfo loaded = Audio(0, {0, 0, 0}, {255, 0, 0}, 1, 1);
    const profiles::AudioLightInfo blank{};
    struct Case {
        const char* what;
        std::vector<std::pair<profiles::AudioLightInfo, profiles::AudioLightInfo>> changes;
        profiles::AudioLightInfo expected;
    };
    const Case cases[] = {
        {"nothing changed", {}, loaded},
        {"the style", {{blank, Audio(2, {}, {}, 0, 0)}}, Audio(2, {0, 0, 0}, {255, 0, 0}, 1, 1)},
        {"a background colour: the foreground and its flags stay",
         {{blank, Audio(0, {0, 128, 0}, {}, 0, 0)}},
         Audio(0, {0, 128, 0}, {255, 0, 0}, 1, 1)},
        {"a foreground colour: whole, out of seven colours",
         {{blank, Audio(0, {}, {}, 0, 1)},
          {Audio(0, {}, {}, 0, 1), Audio(0, {}, {0, 255, 0}, 0, 1)}},
         Audio(0, {0, 0, 0}, {0, 255, 0}, 0, 1)},
        {"seven colours on and off again",
         {{blank, Audio(0, {}, {}, 1, 0)}, {Audio(0, {}, {}, 1, 0), blank}},
         Audio(0, {0, 0, 0}, {255, 0, 0}, 0, 1)},
        {"the background chosen for editing",
         {{Audio(0, {}, {}, 0, 1), blank}},
         Audio(0, {0, 0, 0}, {255, 0, 0}, 1, 0)},
    };
    for (const Case& c : cases) {
        lm::LightEdits edits;
        for (const auto& [before, after] : c.changes) lm::NoteAudioEdit(edits, before, after);
        EXPECT_EQ(edits.HasAudio(), !c.changes.empty()) << c.what;
        EXPECT_FALSE(edits.HasLight()) << c.what;
        EXPECT_EQ(lm::LayAudioEdits(edits, loaded), c.expected) << c.what;
    }
}

TEST(EarlyEdits, CustomKeysKeepTheLastSettingOfEachKey) {
    lm::LightEdits edits;
    EXPECT_TRUE(edits.Empty());
    lm::NoteCustomKeys(edits, {5, 3}, true);
    lm::NoteCustomKeys(edits, {7, 5}, false);
    lm::NoteCustomKeys(edits, {}, true);
    EXPECT_FALSE(edits.Empty());
    EXPECT_EQ(lm::NotedCustomKeys(edits, true), (std::vector<int>{3}));
    EXPECT_EQ(lm::NotedCustomKeys(edits, false), (std::vector<int>{5, 7}));
}
