// A mouse plugged by cable and through its receiver, in the main window over the emulated
// bus: the same device object moves between the two paths, the link queries after a move to
// the receiver never hold up the window, and a write after the move lands in the mouse's
// memory on the new path.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "app/device_discovery.h"
#include "app/device_manager.h"
#include "app/link_probe.h"
#include "app/main_wnd.h"
#include "devices/device_option.h"
#include "devices/skelmora_mouse_device.h"
#include "emulator/emulated_bus.h"
#include "hid/command_report.h"
#include "panels/mouse_settings_ui.h"
#include "support/program_controls.h"
#include "support/ui_fixture.h"
#include "tables/table_ids.h"

namespace {

constexpr int kReceiverCommandRow = 6;

class MouseSwitchTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        uitest::UseProgramSkinAndControls();
        std::vector<tables::TableIdOverride> ids;
        std::string error;
        ASSERT_TRUE(
            tables::ParseTableIds(tables::EmulatedTableIds("mouse,mouse-receiver"), ids, error))
            << error;
        tables::ApplyTableIds(ids);
    }
    void TearDown() override {
        window_.reset();
        RestoreShippedInterfaceTable();
    }

    void Start(std::initializer_list<const char*> kinds) {
        std::string error;
        for (const char* kind : kinds) ASSERT_TRUE(bus_->Plug(kind, error)) << error;
        window_ = std::make_unique<CMainWnd>(bus_);
        ASSERT_TRUE(window_->Create(nullptr, "test"));
        window_->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->FirstPassDone(); }, 5000));
        const auto mice = window_->Devices()->DevicesOfKind(kKindMouse);
        ASSERT_EQ(mice.size(), 1u);
        mouse_ = qobject_cast<CSkelmoraMouseDevice*>(mice.front());
        ASSERT_NE(mouse_, nullptr);
    }
    void Unplug(const char* kind) {
        std::string error;
        ASSERT_TRUE(bus_->Unplug(kind, error)) << error;
    }
    void Plug(const char* kind) {
        std::string error;
        ASSERT_TRUE(bus_->Plug(kind, error)) << error;
    }
    bool Settled(bool wireless) {
        return mouse_->CommandChannel().IsOpened() && mouse_->IsWireless() == wireless &&
               !window_->Devices()->IsProbingLink(mouse_);
    }
    emu::CommandFirmware& Firmware() { return bus_->Device("mouse")->Firmware(); }
    // The lengths of the parameter-write chunks the mouse received since the log was cleared.
    std::vector<int> ParameterChunks() {
        std::vector<int> lengths;
        for (const hid::Report& r : Firmware().RequestLog())
            if (r[3] == hid::kCmdWriteParameters) lengths.push_back(r[4]);
        return lengths;
    }
    // Marks byte 59 of slot 0's block, writes the block and says whether it arrived whole.
    void WriteParametersThrough(const std::vector<int>& expectedChunks) {
        std::string error;
        const uint8_t mark[] = {0x7E};
        ASSERT_TRUE(Firmware().Set(emu::AreaId::Params, 59, mark, error)) << error;
        Firmware().ClearRequestLog();
        EXPECT_TRUE(mouse_->WriteParameterBlock(mouse_->StandardParameterWrite()).ok());
        EXPECT_EQ(ParameterChunks(), expectedChunks);
        EXPECT_EQ((*Firmware().Dump(emu::AreaId::Params))[59], 1);
    }

    QTemporaryDir home_;
    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    std::unique_ptr<CMainWnd> window_;
    CSkelmoraMouseDevice* mouse_ = nullptr;
};

TEST_F(MouseSwitchTest, CableOutAndBackKeepsTheObjectAndLosesNoCommand) {
    Start({"mouse", "mouse-receiver"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(false); }, 5000));
    WriteParametersThrough({56, 10});  // 66 bytes by cable

    Unplug("mouse");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(true); }, 10000));
    EXPECT_EQ(window_->Devices()->DevicesOfKind(kKindMouse).front(), mouse_);
    EXPECT_EQ(mouse_->CommandChannel().ChunkSize(), 24);
    WriteParametersThrough({24, 24, 18});  // through the receiver

    Plug("mouse");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(false); }, 10000));
    EXPECT_EQ(window_->Devices()->DevicesOfKind(kKindMouse).front(), mouse_);
    EXPECT_TRUE(window_->Devices()->Item(window_->Devices()->ItemIndexOfModel(0))->IsShown());
    WriteParametersThrough({56, 10});
}

// The link queries run off the UI thread: while the receiver's mouse is not linked the
// window keeps handling events, and a receiver that stops answering ends the queries at the
// first query without a reply.
TEST_F(MouseSwitchTest, LinkQueriesAfterTheMoveDoNotHoldTheWindow) {
    Start({"mouse", "mouse-receiver"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(false); }, 5000));
    Firmware().SetWirelessLinked(false);
    Firmware().ClearRequestLog();
    Unplug("mouse");
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Devices()->IsProbingLink(mouse_); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return timerRan; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(true); }, 10000));
    int queries = 0;
    for (const hid::Report& r : Firmware().RequestLog())
        queries += r[3] == hid::kCmdQueryWirelessLink ? 1 : 0;
    EXPECT_GE(queries, 26);  // asked 26 times (the link watch may ask more)

    Plug("mouse");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(false); }, 10000));
    Firmware().SetWirelessLinked(true);
    Firmware().ClearRequestLog();
    Firmware().AddFault({hid::kCmdQueryWirelessLink, -1, emu::FaultKind::NoReply, -1});
    Unplug("mouse");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(true); }, 15000));
    int unanswered = 0;
    for (const hid::Report& r : Firmware().RequestLog())
        unanswered += r[3] == hid::kCmdQueryWirelessLink ? 1 : 0;
    // The probe asked once (26 unanswered queries would take over two minutes); the selector
    // item's own connect timer, armed while the mouse was not linked, may ask once more.
    EXPECT_GE(unanswered, 1);
    EXPECT_LE(unanswered, 2);
    Firmware().ClearFaults();
}

TEST_F(MouseSwitchTest, ReceiverPulledWhileTheCableIsInUseLeavesTheMouseWorking) {
    Start({"mouse", "mouse-receiver"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(false); }, 5000));
    Unplug("mouse-receiver");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !window_->Discovery()->Detected()[kReceiverCommandRow].present; }, 5000));
    EXPECT_TRUE(mouse_->CommandChannel().IsOpened());
    EXPECT_FALSE(mouse_->IsWireless());
    EXPECT_TRUE(window_->Devices()->Item(window_->Devices()->ItemIndexOfModel(0))->IsShown());
    WriteParametersThrough({56, 10});
}

}  // namespace

namespace {

// The probe's loop over scripted answers: it stops at a link, at the first query without a
// reply, or after 26 answers of "not linked".
TEST(LinkProbeLoop, StopsAtALinkAtSilenceOrAfterTwentySixQueries) {
    using Link = CCommandChannel::WirelessLink;
    const Link L = Link::Linked, N = Link::NotLinked, S = Link::NoReply;
    const struct {
        const char* name;
        std::vector<Link> answers;  // the last one repeats
        int queries;
        bool linked;
        bool noReply;
    } cases[] = {
        {"linked at once", {L}, 1, true, false},
        {"linked at the fourth", {N, N, N, L}, 4, true, false},
        {"silent at once", {S}, 1, false, true},
        {"silent after not linked", {N, S}, 2, false, true},
        {"never linked", {N}, 26, false, false},
    };
    for (const auto& c : cases) {
        size_t next = 0;
        platform::StopEvent stop(platform::StopEvent::Mode::ManualReset);
        const CLinkProbe::Outcome outcome =
            CLinkProbe::Run([&] { return c.answers[std::min(next++, c.answers.size() - 1)]; }, stop,
                            std::chrono::milliseconds(0));
        EXPECT_EQ(outcome.queries, c.queries) << c.name;
        EXPECT_EQ(outcome.linked, c.linked) << c.name;
        EXPECT_EQ(outcome.noReply, c.noReply) << c.name;
        EXPECT_FALSE(outcome.cancelled) << c.name;
    }
    platform::StopEvent stopped(platform::StopEvent::Mode::ManualReset);
    stopped.Set();
    const CLinkProbe::Outcome outcome = CLinkProbe::Run([] { return Link::NotLinked; }, stopped);
    EXPECT_EQ(outcome.queries, 1);
    EXPECT_TRUE(outcome.cancelled);
}

}  // namespace
