// The equaliser's rules without widgets: presets, band moves, saving and deleting custom
// equalisers (with the curve that belongs to each name), names, and profile values out of
// range.
#include "panels/eq_model.h"

#include <gtest/gtest.h>

namespace {

using eq_model::EqApply;
using eq_model::EqState;
using eq_model::Gains;

constexpr Gains kA = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
constexpr Gains kB = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
constexpr Gains kC = {-3, -3, -3, -3, -3, -3, -3, -3, -3, -3};

EqState Customs(int selection) {
    EqState s;
    s.eqType = 13;
    s.names = {"A", "B", "C"};
    s.curves = {kA, kB, kC};
    s.customSelection = selection;
    s.sliders = selection >= 0 ? s.curves[static_cast<std::size_t>(selection)] : Gains{};
    return s;
}

TEST(EqModel, PresetsAsWrittenOnTheSliders) {
    EXPECT_EQ(*eq_model::PresetGains(1), (Gains{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(*eq_model::PresetGains(3), (Gains{10, 4, 0, -3, -4, -3, -2, -1, 0, 0}));
    EXPECT_EQ(*eq_model::PresetGains(12), (Gains{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    EXPECT_FALSE(eq_model::PresetGains(0));
    EXPECT_FALSE(eq_model::PresetGains(13));
}

TEST(EqModel, ChoosePresetStoresAndApplies) {
    const auto step = eq_model::ChoosePreset(Customs(1), 6);
    EXPECT_EQ(step.next.eqType, 6);
    EXPECT_EQ(step.next.sliders, (Gains{7, 14, -13, -6, -1, 8, 13, 7, 2, 6}));
    EXPECT_EQ(step.apply.kind, EqApply::Kind::On);
    EXPECT_EQ(step.apply.gains, step.next.sliders);
    EXPECT_TRUE(step.storeSettings);
    EXPECT_EQ(step.storePreset, 6);
    // 13 applies the selected custom curve.
    EqState onPreset = Customs(2);
    onPreset.eqType = 4;
    const auto custom = eq_model::ChoosePreset(onPreset, 13);
    EXPECT_EQ(custom.next.eqType, 13);
    EXPECT_EQ(custom.apply.gains, kC);
    EXPECT_EQ(eq_model::ChoosePreset(Customs(1), 0).apply.kind, EqApply::Kind::Nothing);
}

TEST(EqModel, BandMovedUnderPresetSwitchesToCustomAndAppliesOneBand) {
    EqState s;
    s.eqType = 3;
    s.sliders = *eq_model::PresetGains(3);
    s.names = {"A"};
    s.curves = {kA};
    s.customSelection = 0;
    const auto step = eq_model::ChangeBand(s, 4, 9);
    EXPECT_EQ(step.next.eqType, 13);
    EXPECT_EQ(step.next.customSelection, -1);
    EXPECT_EQ(step.apply.kind, EqApply::Kind::Band);
    EXPECT_EQ(step.apply.band, 4);
    EXPECT_EQ(step.apply.gain, 9);
    EXPECT_FALSE(step.storeSettings || step.storeCurve || step.storeNames || step.storePreset);
}

TEST(EqModel, SaveRules) {
    struct Case {
        const char* what;
        EqState state;
        QString name;
        int result;
        const char* message;  // nullptr: none
    };
    EqState full = Customs(0);
    full.names.clear();
    full.curves.clear();
    for (int i = 0; i < 20; ++i) {
        full.names.push_back(QString("N%1").arg(i));
        full.curves.push_back(kA);
    }
    const Case cases[] = {
        {"same name in another case", Customs(0), " b ", 0, "message_text_5"},
        {"case folding beyond ASCII",
         [] {
             EqState s = Customs(0);
             s.names[0] = QString::fromUtf8("STRASSE");
             return s;
         }(),
         QString::fromUtf8("straße"), 0, "message_text_5"},
        {"21st", full, "New", -1, "message_text_eq_full"},
        {"empty with nothing selected", Customs(-1), "   ", -1, "message_text_eq_noname"},
        {"too long", Customs(0), QString(33, 'x'), -1, "message_text_eq_badname"},
        {"control character", Customs(0), QString("a\tb"), -1, "message_text_eq_badname"},
        {"32 characters", Customs(0), QString(32, 'x'), 1, nullptr},
        {"new", Customs(0), "D", 1, nullptr},
        {"overwrite the selected", Customs(1), "", 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto step = eq_model::SaveCustom(c.state, c.name);
        EXPECT_EQ(step.result, c.result);
        if (c.message) {
            ASSERT_TRUE(step.message);
            EXPECT_STREQ(step.message, c.message);
            EXPECT_EQ(step.next.names, c.state.names);
            EXPECT_FALSE(step.storeSettings || step.storeNames || step.storeCurve);
        } else {
            EXPECT_EQ(step.message, nullptr);
        }
    }
}

TEST(EqModel, SaveNewKeepsTrimmedNameAndSliders) {
    EqState s = Customs(0);
    s.sliders = kC;
    const auto step = eq_model::SaveCustom(s, "  Mine ");
    ASSERT_EQ(step.next.names.size(), 4u);
    EXPECT_EQ(step.next.names[3], "Mine");
    EXPECT_EQ(step.next.curves[3], kC);
    EXPECT_EQ(step.next.customSelection, 3);
    EXPECT_EQ(step.storeCurve, 3);
    EXPECT_TRUE(step.storeNames);
    // Overwriting: the selected curve takes the sliders.
    EqState over = Customs(1);
    over.sliders = kC;
    const auto overwrite = eq_model::SaveCustom(over, "");
    EXPECT_EQ(overwrite.next.curves[1], kC);
    EXPECT_EQ(overwrite.storeCurve, 1);
    EXPECT_FALSE(overwrite.storeNames);
}

TEST(EqModel, DeleteRemovesTheCurveWithItsName) {
    const auto step = eq_model::DeleteCustom(Customs(1));
    EXPECT_EQ(step.next.names, (std::vector<QString>{"A", "C"}));
    EXPECT_EQ(step.next.curves, (std::vector<Gains>{kA, kC}));
    EXPECT_EQ(step.removeCurve, 1);
    EXPECT_EQ(step.next.customSelection, 0);
    EXPECT_EQ(step.next.sliders, kA);
    EXPECT_EQ(step.apply.kind, EqApply::Kind::On);
    EXPECT_EQ(step.apply.gains, kA);
}

TEST(EqModel, DeletingTheLastAppliesPresetOne) {
    EqState s;
    s.eqType = 13;
    s.names = {"Only"};
    s.curves = {kB};
    s.customSelection = 0;
    s.sliders = kB;
    const auto step = eq_model::DeleteCustom(s);
    EXPECT_TRUE(step.next.names.empty());
    EXPECT_EQ(step.next.eqType, 1);
    EXPECT_EQ(step.next.sliders, *eq_model::PresetGains(1));
    EXPECT_EQ(step.apply.gains, *eq_model::PresetGains(1));
    EXPECT_EQ(eq_model::DeleteCustom(Customs(-1)).apply.kind, EqApply::Kind::Nothing);
}

TEST(EqModel, ProfileValuesOutOfRange) {
    profiles::HeadsetSystemSetStages s;
    s.mic_in_value = 150;
    s.mic_monitor_value = -4;
    s.eq_type = 40;
    s.magic_type = 9;
    s.custom_eq_select_index = 7;
    const auto c = eq_model::ClampStages(s, 3);
    EXPECT_EQ(c.mic_in_value, 100);
    EXPECT_EQ(c.mic_monitor_value, 0);
    EXPECT_EQ(c.eq_type, 0);
    EXPECT_EQ(c.magic_type, 0);
    EXPECT_EQ(c.custom_eq_select_index, -1);
    // Custom with a selection past the list: nothing is applied from it.
    profiles::HeadsetSystemSetStages custom;
    custom.eq_type = 13;
    custom.custom_eq_select_index = 5;
    const auto step = eq_model::FromProfile(eq_model::ClampStages(custom, 2), {"A", "B"}, {kA});
    EXPECT_EQ(step.apply.kind, EqApply::Kind::Off);
    EXPECT_EQ(step.next.curves.size(), 2u) << "fewer curves than names: padded";
    EXPECT_EQ(step.next.customSelection, -1);
}

TEST(EqModel, LongStoredNamesShownShortened) {
    const QString stored(10000, QChar('n'));
    const QString shown = eq_model::ShownName(stored);
    EXPECT_EQ(shown.size(), 32);
    EXPECT_EQ(shown.back(), QChar(0x2026));
    EXPECT_EQ(eq_model::ShownName("Short"), "Short");
}

}  // namespace
