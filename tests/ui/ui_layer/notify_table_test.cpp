// Dispatch tables: which rows a notification matches, the number after a prefix, and that only
// the first matching row runs.
#include "ui/notify_table.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "support/ui_fixture.h"

namespace {

using ui::NotifyMatch;

TEST(NotifyTable, RowsMatchByTypeAndName) {
    struct Case {
        const char* rowType;
        const char* rowControl;
        NotifyMatch match;
        const char* type;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"click", "closebtn", NotifyMatch::Exact, "click", "closebtn", true},
        {"click", "closebtn", NotifyMatch::Exact, "click", "closebtn2", false},
        {"click", "closebtn", NotifyMatch::Exact, "selectchanged", "closebtn", false},
        {"click", "key_", NotifyMatch::NumberedPrefix, "click", "key_12", true},
        {"click", "key_", NotifyMatch::NumberedPrefix, "click", "key_", false},
        {"click", "key_", NotifyMatch::NumberedPrefix, "click", "key_butt_keysave", false},
        {"click", "key_", NotifyMatch::NumberedPrefix, "click", "key_-1", false},
        {"click", "key_", NotifyMatch::NumberedPrefix, "click", "key_1x", false},
        {"click", "key_", NotifyMatch::NumberedPrefix, "click", "key_9999999999", false},
        {"click", "macro_btn_", NotifyMatch::Prefix, "click", "macro_btn_add", true},
        {"click", "macro_btn_", NotifyMatch::Prefix, "click", "macro_bt", false},
        {"menu", nullptr, NotifyMatch::AnyControl, "menu", "anything", true},
        {"menu", nullptr, NotifyMatch::AnyControl, "click", "anything", false},
        {"click", nullptr, NotifyMatch::Exact, "click", "any_option", true},  // no control: any
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rowControl ? c.rowControl : "(any)") + " / " + c.name);
        EXPECT_EQ(ui::MatchesNotify(c.rowType, c.rowControl, c.match, QLatin1String(c.type),
                                    QLatin1String(c.name)),
                  c.matches);
    }
    EXPECT_EQ(ui::NumberAfterPrefix("windowdeviceset_0", "windowdeviceset_"), 0);
    EXPECT_EQ(ui::NumberAfterPrefix("DPI_slider_007", "DPI_slider_"), 7);
    EXPECT_EQ(ui::NumberAfterPrefix("DPI_slider_", "DPI_slider_"), std::nullopt);
}

struct Owner {
    std::vector<std::string> ran;
    void First(TNotifyUI&) { ran.push_back("first"); }
    void Second(TNotifyUI&) { ran.push_back("second"); }
};

class NotifyTableDispatch : public uitest::AppFixture {};

TEST_F(NotifyTableDispatch, OnlyTheFirstMatchingRowRuns) {
    static const ui::NotifyRow<Owner> rows[] = {
        {"click", "key_", &Owner::First, NotifyMatch::NumberedPrefix},
        {"click", nullptr, &Owner::Second, NotifyMatch::AnyControl},
    };
    Owner owner;
    QWidget control;
    control.setObjectName("key_3");
    TNotifyUI msg{"click", &control};
    EXPECT_TRUE(ui::DispatchNotify(&owner, rows, msg));
    control.setObjectName("other");
    EXPECT_TRUE(ui::DispatchNotify(&owner, rows, msg));
    TNotifyUI other{"itemselect", &control};
    EXPECT_FALSE(ui::DispatchNotify(&owner, rows, other));
    TNotifyUI noSender{"click", nullptr};
    EXPECT_FALSE(ui::DispatchNotify(&owner, rows, noSender));
    EXPECT_EQ(owner.ran, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
