// Which profile the program in front selects: a linked program switches in, an unlinked one
// returns to the profile from before the first automatic switch, a choice of the user holds
// while the program in front stays.
#include "profiles/profile_link_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

using profiles::CProfileList;
using profiles::ProfileLinkRule;

// Profiles "home" (p0, active), "shooter" (p1, linked to "Game.exe") and "writer" (p2, linked
// to "editor").
class ProfileLinkRuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.Write("ProfileList.ini", R"({"profileselect":0,"profilelist":[
            {"profilename":"home","profileUUID":"p0","profileislink":false,"profilelinkmame":""},
            {"profilename":"shooter","profileUUID":"p1","profileislink":true,
             "profilelinkmame":"Game.exe"},
            {"profilename":"writer","profileUUID":"p2","profileislink":true,
             "profilelinkmame":"editor"}]})");
        list_.Load();
    }
    // Feeds program to the rule and, like the device, switches to what it picks.
    std::string Front(const std::string& program) {
        const auto target = rule_.OnForeground(program, list_);
        if (!target) return "-";
        for (int i = 0; i < list_.Count(); ++i)
            if (list_.Entries()[static_cast<std::size_t>(i)].identifier == *target) list_.Select(i);
        return *target;
    }

    TempFolder folder_;
    CProfileList list_{folder_.path()};
    ProfileLinkRule rule_;
};

TEST_F(ProfileLinkRuleTest, SwitchesInAndBack) {
    struct Step {
        const char* program;  // in front now
        const char* choose;   // the user's choice before it, or nullptr
        const char* switchTo;
    };
    const Step steps[] = {
        {"", nullptr, "-"},           // nothing linked in front
        {"game.exe", nullptr, "p1"},  // case does not matter
        {"GAME.EXE", nullptr, "-"},   // the same program: nothing to do
        {"editor", nullptr, "p2"},    // from one linked program to another
        {"terminal", nullptr, "p0"},  // back to the profile from before the first switch
        {"terminal", nullptr, "-"},  {"Game.exe", nullptr, "p1"},
        {"Game.exe", "p2", "-"},  // the user's choice holds while the game stays
        {"", nullptr, "p0"},      // the game left: back again
        {"terminal", "p2", "-"},  // a choice with nothing linked in front is the user's
        {"Game.exe", nullptr, "p1"}, {"", nullptr, "p2"},  // and it is the one returned to
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.program) + (step.choose ? " after a choice" : ""));
        if (step.choose) list_.Select(step.choose[1] - '0');
        EXPECT_EQ(Front(step.program), step.switchTo);
    }
}

TEST_F(ProfileLinkRuleTest, ADeletedProfileIsNotReturnedTo) {
    list_.Select(2);
    list_.Link(2, "");
    EXPECT_EQ(Front("Game.exe"), "p1");
    // The remembered profile goes away while the game is in front.
    const auto deleted = list_.Delete(2);
    ASSERT_TRUE(deleted.done);
    EXPECT_EQ(Front("terminal"), "-");
    EXPECT_EQ(list_.Entries()[static_cast<std::size_t>(list_.Active())].identifier, "p1");
}

}  // namespace
