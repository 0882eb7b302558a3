// The macro editor built from the shipped layout, offscreen, on a real user data folder: the
// buttons through the panel's dispatch table (add, rename, delete with its confirmation,
// import and export, row operations, inserted moves and clicks), saved files, recording from
// an evemu replay with the record button's pulse, and the context menu's items.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "controls/composite_controls.h"
#include "devices/skelmora_usb_device.h"
#include "panels/macro_control_ui.h"
#include "profiles/json_file.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/control_timers.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

namespace {

int counter = 0;
std::string NextGuid() { return "20260101120000" + std::to_string(++counter); }

class MacroControlTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml")));
        controls::RegisterCompositeControls(CControlFactory::GetInstance());
        RegisterMacroControl();
        device_ = std::make_unique<CSkelmoraUSBDevice>();
        BuildResult built = CDialogBuilder::Create(
            QStringLiteral("XML/CustomControlXML/MacroControl.xml"), device_.get());
        ASSERT_TRUE(built) << built.error.toStdString();
        panel_ = qobject_cast<CMacroControlUI*>(built.root);
        ASSERT_NE(panel_, nullptr);
        panel_->setObjectName(CMacroControlUI::kItemName);
        panel_->Library().SetGuidSource(&NextGuid);
        panel_->SetMessageHandler([this](const QString& text, int buttons) {
            messages_.push_back(text.toStdString());
            return buttons == 1 ? confirm_ : 1;
        });
        panel_->SetFileChooser([this](bool) { return chosen_; });
        panel_->SetDeleteHandler([this](int d) {
            deleted_.push_back(d);
            return true;
        });
        panel_->SetFolder(dir_.path() + "/");
        panel_->LoadMacroList();
        device_->AddPanel(panel_);
    }
    void TearDown() override {
        panel_ = nullptr;
        device_.reset();
    }
    QWidget* Control(const char* name) const {
        return CPaintManagerUI::FindSubControlByName(panel_, QString::fromLatin1(name));
    }
    void Click(const char* control) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(notify_type::kClick);
        msg.pSender = Control(control);
        ASSERT_TRUE(msg.pSender) << control;
        device_->Notify(msg);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const QString& n : panel_->GetMacroNames()) names.push_back(n.toStdString());
        return names;
    }
    Json::Value SavedEvents(int index) const {
        const auto& entry = panel_->Library().Entries().at(static_cast<std::size_t>(index));
        return profiles::JsonFile().ReadDocument(std::filesystem::path(dir_.path().toStdString()) /
                                                 (entry.guid + ".mac"))["Events"];
    }
    // "Type Button Action Delay" of each saved event.
    std::vector<std::string> Saved(int index) const {
        std::vector<std::string> out;
        for (const Json::Value& e : SavedEvents(index))
            out.push_back(std::to_string(e["Type"].asInt()) + " " +
                          std::to_string(e["Button"].asInt()) + " " + e["Action"].asString() + " " +
                          e["Delay"].asString());
        return out;
    }
    QListWidget* Rows() const { return qobject_cast<QListWidget*>(Control("macro_action_list")); }

    QTemporaryDir dir_;
    std::unique_ptr<CSkelmoraUSBDevice> device_;
    CMacroControlUI* panel_ = nullptr;
    std::vector<std::string> messages_;
    std::vector<int> deleted_;
    int confirm_ = 1;
    QString chosen_;
};

TEST_F(MacroControlTest, AddRenameAndDeleteMacros) {
    EXPECT_FALSE(Control("macro_btn_name_sub")->isEnabled());
    Click("macro_btn_name_add");
    Click("macro_btn_name_add");
    Click("macro_btn_name_add");
    EXPECT_EQ(Names(), (std::vector<std::string>{"macro_1", "macro_2", "macro_3"}));
    EXPECT_TRUE(Control("macro_btn_name_sub")->isEnabled());

    // A name another macro has in other case is refused with message_text_5.
    panel_->SelectMacro(0);
    ui::SetText(Control("macro_edit_macroname"), QStringLiteral("MACRO_2"));
    Click("macro_btn_name_edit");
    EXPECT_EQ(messages_, std::vector<std::string>{"That name is already in use."});
    ui::SetText(Control("macro_edit_macroname"), QStringLiteral("   "));
    int index = 0;
    EXPECT_EQ(panel_->RenameSelectedMacro(index).toStdString(), "IsEmpty");
    EXPECT_EQ(index, -1);
    ui::SetText(Control("macro_edit_macroname"), QStringLiteral("Reload"));
    Click("macro_btn_name_edit");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Reload", "macro_2", "macro_3"}));

    // Delete asks first; refused, nothing changes.
    panel_->SelectMacro(1);
    confirm_ = 0;
    Click("macro_btn_name_sub");
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_TRUE(deleted_.empty());
    confirm_ = 1;
    Click("macro_btn_name_sub");
    EXPECT_EQ(deleted_, std::vector<int>{1});
    EXPECT_EQ(Names(), (std::vector<std::string>{"Reload", "macro_3"}));
    // The next new macro takes the smallest free number.
    Click("macro_btn_name_add");
    EXPECT_EQ(Names().back(), "macro_1");
}

TEST_F(MacroControlTest, RowButtonsEditAndSaveTheRows) {
    Click("macro_btn_name_add");
    ui::SetText(Control("macro_fixed_time_edit"), QStringLiteral("10"));
    ui::SetText(Control("mouse_x_left_edit"), QStringLiteral("20"));
    Click("macro_inset_moveleftkey_btn");
    panel_->OnMenuItem(QStringLiteral("forward_click"));
    panel_->OnMenuItem(QStringLiteral("back_click"));
    EXPECT_EQ(Saved(0), (std::vector<std::string>{"4 20 down 10", "1 16 down 10", "1 16 up 10",
                                                  "1 8 down 10", "1 8 up 10"}));
    ASSERT_EQ(Rows()->count(), 5);

    // An emptied delay edit saves "0"; a typed one is kept through a move.
    auto delayEdit = [this](int row) {
        return Rows()->itemWidget(Rows()->item(row))->findChild<QLineEdit*>("macro_delay");
    };
    delayEdit(0)->setText(QString());
    delayEdit(4)->setText(QStringLiteral("99999"));
    panel_->SelectRow(4);
    Click("macro_btn_uptop");
    EXPECT_EQ(Saved(0), (std::vector<std::string>{"1 8 up 65535", "4 20 down 0", "1 16 down 10",
                                                  "1 16 up 10", "1 8 down 10"}));
    Click("macro_btn_delete");
    EXPECT_EQ(Saved(0).size(), 4u);
    Click("macro_btn_deleteall");
    EXPECT_TRUE(Saved(0).empty());
    EXPECT_EQ(Rows()->count(), 0);
}

TEST_F(MacroControlTest, ImportChecksTheFileAndExportCopiesIt) {
    const QString good = dir_.filePath("OTHER.MAC");
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"Events":[{"Action":"down","Button":4,"Type":10,"Delay":"35"}]})");
    file.close();
    const QString bad = dir_.filePath("bad.mac");
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write(R"({"Events":[{"Action":"down","Button":300,"Type":10,"Delay":"35"}]})");
    badFile.close();

    chosen_ = bad;
    Click("macro_btn_import");
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(messages_.size(), 1u);

    chosen_ = good;
    Click("macro_btn_import");
    EXPECT_EQ(Names(), std::vector<std::string>{"macro_1"});
    EXPECT_EQ(Saved(0), std::vector<std::string>{"10 4 down 35"});
    EXPECT_EQ(Rows()->count(), 1);

    chosen_ = dir_.filePath("out.mac");
    Click("macro_btn_export");
    QFile out(chosen_);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), in.readAll());
    // A folder that does not exist: reported, nothing left behind.
    chosen_ = dir_.filePath("missing/out.mac");
    Click("macro_btn_export");
    EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(MacroControlTest, RecordingFromAReplayPulsesAndSaves) {
    Click("macro_btn_name_add");
    // A down, 120 ms, A up, with recorded delays; then the click on stop.
    std::vector<platform::RawInputEvent> events = {
        {1'000'000, 1, 30, 1},
        {1'000'000, 0, 0, 0},
        {1'120'000, 1, 30, 0},
        {1'120'000, 0, 0, 0},
    };
    panel_->StartReplayRecording(macro_edit::RecordPosition::Append, macro_edit::DelayMode::Record,
                                 events);
    EXPECT_TRUE(panel_->IsRecording());
    EXPECT_FALSE(ui::IsVisible(Control("macro_btn_starredio")));
    EXPECT_TRUE(ui::IsTimerActive(panel_, CMacroControlUI::kPulseTimerId));
    QCoreApplication::processEvents();
    // The pulse fades by 20 down to 80 and back up.
    std::vector<int> alphas;
    for (int i = 0; i < 10; ++i) {
        panel_->DoTimer(CMacroControlUI::kPulseTimerId);
        alphas.push_back(panel_->PulseAlpha());
    }
    EXPECT_EQ(alphas, (std::vector<int>{235, 215, 195, 175, 155, 135, 115, 95, 80, 100}));
    panel_->StopRecording(false);
    EXPECT_FALSE(panel_->IsRecording());
    EXPECT_TRUE(ui::IsVisible(Control("macro_btn_starredio")));
    EXPECT_FALSE(ui::IsTimerActive(panel_, CMacroControlUI::kPulseTimerId));
    EXPECT_EQ(Saved(0), (std::vector<std::string>{"10 4 down 120", "10 4 up 0"}));
    EXPECT_EQ(Rows()->count(), 2);
}

// A long recording: appended rows join the list in batches while recording; after the stop
// the list shows its first batch at once and the rest by the fill timer, and a delay typed
// meanwhile and every row beyond the shown ones are saved.
TEST_F(MacroControlTest, ALongRecordingsRowsJoinInBatches) {
    Click("macro_btn_name_add");
    constexpr int kEvents = 1200;
    std::vector<platform::RawInputEvent> events;
    for (int i = 0; i < kEvents; ++i)
        events.push_back({1'000'000 + static_cast<uint64_t>(i) * 2'000, 1, 30, (i % 2) ? 0 : 1});
    panel_->StartReplayRecording(macro_edit::RecordPosition::Append,
                                 macro_edit::DelayMode::Constant, events);
    QCoreApplication::processEvents();
    ASSERT_EQ(panel_->Rows().size(), static_cast<size_t>(kEvents));
    // The scroll timer may have ticked meanwhile: whole batches only, one more per tick.
    const int before = Rows()->count();
    EXPECT_EQ(before % CMacroControlUI::kRowsPerBatch, 0);
    panel_->DoTimer(CMacroControlUI::kScrollTimerId);
    EXPECT_EQ(Rows()->count(), std::min(before + CMacroControlUI::kRowsPerBatch, kEvents));
    panel_->StopRecording(false);
    EXPECT_EQ(Rows()->count(), CMacroControlUI::kRowsPerBatch);
    EXPECT_FALSE(panel_->AllRowsShown());
    EXPECT_TRUE(ui::IsTimerActive(panel_, CMacroControlUI::kFillTimerId));
    EXPECT_EQ(Saved(0).size(), static_cast<size_t>(kEvents));

    auto* first = Rows()->itemWidget(Rows()->item(0))->findChild<QLineEdit*>("macro_delay");
    ASSERT_NE(first, nullptr);
    first->setText(QStringLiteral("77"));
    EXPECT_TRUE(panel_->SaveSelectedMacro());
    const std::vector<std::string> saved = Saved(0);
    ASSERT_EQ(saved.size(), static_cast<size_t>(kEvents));
    EXPECT_EQ(saved.front(), "10 4 down 77");
    EXPECT_EQ(saved.back(), "10 4 up 0");

    for (int tick = 0; tick < 10 && !panel_->AllRowsShown(); ++tick)
        panel_->DoTimer(CMacroControlUI::kFillTimerId);
    EXPECT_TRUE(panel_->AllRowsShown());
    EXPECT_EQ(Rows()->count(), kEvents);
    EXPECT_FALSE(ui::IsTimerActive(panel_, CMacroControlUI::kFillTimerId));
}

// A macro of 100,000 events: listed whole (the scroll bar spans every row) while only the rows
// near the view have widgets; scrolled to the end, the last row's delay is edited and saved,
// and a delay typed into the first row before it left the view is kept.
TEST_F(MacroControlTest, AHundredThousandEventMacroScrollsAndSaves) {
    Click("macro_btn_name_add");
    constexpr int kEvents = 100000;
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < kEvents; ++i)
        events.append(macro_edit::MakeEvent(i % 2 == 0, 4, macro_edit::kTypeKey, i % 1000));
    ASSERT_TRUE(panel_->Library().SaveEvents(0, events).ok());
    device_->resize(800, 400);
    device_->show();
    panel_->SelectMacro(0);
    for (int tick = 0; tick < kEvents && !panel_->AllRowsShown(); ++tick)
        panel_->DoTimer(CMacroControlUI::kFillTimerId);
    ASSERT_EQ(Rows()->count(), kEvents);
    QCoreApplication::processEvents();

    auto delayEdit = [this](int row) -> QLineEdit* {
        QWidget* widget = Rows()->itemWidget(Rows()->item(row));
        return widget ? widget->findChild<QLineEdit*>("macro_delay") : nullptr;
    };
    ASSERT_NE(delayEdit(0), nullptr);
    delayEdit(0)->setText(QStringLiteral("55"));
    Rows()->scrollToBottom();
    QCoreApplication::processEvents();
    const auto [first, end] = panel_->RowsWithWidgets();
    EXPECT_EQ(end, kEvents);
    EXPECT_LT(end - first, 100);
    EXPECT_EQ(delayEdit(0), nullptr);
    // The widgets of rows that left the view are gone, not hidden.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Rows()->viewport()->findChildren<QWidget*>("macro_action").size(),
              static_cast<qsizetype>(end - first));
    QLineEdit* last = delayEdit(kEvents - 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->text(), "999");
    last->setText(QStringLiteral("4321"));
    EXPECT_TRUE(panel_->SaveSelectedMacro());

    const std::vector<std::string> saved = Saved(0);
    ASSERT_EQ(saved.size(), static_cast<size_t>(kEvents));
    EXPECT_EQ(saved[0], "10 4 down 55");
    EXPECT_EQ(saved[1], "10 4 up 1");
    EXPECT_EQ(saved[kEvents - 2], "10 4 down 998");
    EXPECT_EQ(saved[kEvents - 1], "10 4 up 4321");
}

// SKELMORA_SCREENSHOT_DIR set: the editor in the skin's look is saved there.
TEST_F(MacroControlTest, Screenshot) {
    const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    ui::ApplySkinStyleSheet();
    Click("macro_btn_name_add");
    Click("macro_btn_name_add");
    panel_->SelectMacro(0);
    ui::SetText(Control("mouse_x_left_edit"), QStringLiteral("20"));
    Click("macro_inset_moveleftkey_btn");
    panel_->OnMenuItem(QStringLiteral("left_click"));
    panel_->resize(680, 300);
    panel_->show();
    QCoreApplication::processEvents();
    panel_->setAttribute(Qt::WA_StyledBackground);
    panel_->setStyleSheet(QStringLiteral("CMacroControlUI { background: #1d222a; }"));
    EXPECT_TRUE(panel_->grab().save(folder + "/macro_editor.png"));
}

}  // namespace
