// The headset's voice and voice-changer panels built from the shipped layouts, offscreen, on
// a headset page, with the fake sound card and equaliser and a real profile file: what the
// handlers send, store and show. SKELMORA_SCREENSHOTS=folder also renders the three tabs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <fstream>

#include "controls/composite_controls.h"
#include "devices/audio/fake_audio_bridge.h"
#include "devices/audio/host_equalizer.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_mouse_device.h"
#include "panels/headset_audio_control.h"
#include "panels/magic_control_ui.h"
#include "panels/voice6533_control_ui.h"
#include "profiles/hs6533_profiledata.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

namespace {

using audio::AudioControl;

constexpr char kProfile[] = R"({"Device":[{
  "SystemSetStages":{"MagicEnable":0,"MagicType":2,"EqType":13,"CustomEqSeletIndex":1,
    "MicInSelect":1,"MicInValue":60,"MicMoniterSelect":0,"MicMoniterValue":20},
  "CustomEQNameInfo":[{"Name":"A"},{"Name":"B"},{"Name":"C"}],
  "CustomEQHzValueInfo":[
    [{"value":1},{"value":1},{"value":1},{"value":1},{"value":1},{"value":1},{"value":1},{"value":1},{"value":1},{"value":1}],
    [{"value":2},{"value":2},{"value":2},{"value":2},{"value":2},{"value":2},{"value":2},{"value":2},{"value":2},{"value":2}],
    [{"value":-3},{"value":-3},{"value":-3},{"value":-3},{"value":-3},{"value":-3},{"value":-3},{"value":-3},{"value":-3},{"value":-3}]],
  "EQHzValueInfo":[]
}]})";

constexpr char kSecondProfile[] = R"({"Device":[{
  "SystemSetStages":{"MagicEnable":1,"MagicType":9,"EqType":3,"CustomEqSeletIndex":0,
    "MicInSelect":0,"MicInValue":37,"MicMoniterSelect":1,"MicMoniterValue":150},
  "CustomEQNameInfo":[], "CustomEQHzValueInfo":[]
}]})";

class VoicePanelTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml")));
        controls::RegisterCompositeControls(CControlFactory::GetInstance());
        RegisterVoice6533Control();
        RegisterMagicControl();
        ASSERT_TRUE(dir_.isValid());
        Write("p1.json", kProfile);
        Write("p2.json", kSecondProfile);
        Build(std::make_unique<CSkelmoraHS6533Device>());
    }
    void TearDown() override {
        control_ = nullptr;
        page_.reset();
    }

    void Write(const char* name, const char* text) { std::ofstream(Path(name)) << text; }
    std::string Path(const char* name) const { return (dir_.path() + "/" + name).toStdString(); }

    void Build(std::unique_ptr<CSkelmoraUSBDevice> page) {
        control_ = nullptr;
        page_ = std::move(page);
        page_->resize(560, 440);
        for (const auto& [file, item] :
             {std::pair{"XML/CustomControlXML/Voice6533Control.xml",
                        CVoice6533ControlUI::kItemName},
              std::pair{"XML/CustomControlXML/MagicControl.xml", CMagicControlUI::kItemName}}) {
            BuildResult built = CDialogBuilder::Create(QLatin1String(file), page_.get());
            ASSERT_TRUE(built) << built.error.toStdString();
            built.root->setObjectName(QLatin1String(item));
        }
        profile_.SetProfilePath(Path("p1.json"));
        profile_.Load(Path("p1.json"));
        CHeadsetAudioControl::Wiring wiring;
        wiring.device = page_.get();
        wiring.bridge = &bridge_;
        wiring.equalizer = &eq_;
        wiring.profile = &profile_;
        wiring.save = [this] {
            ++saves_;
            profile_.Save();
        };
        wiring.message = [this](const QString& id) { messages_.push_back(id); };
        control_ = AttachHeadsetAudio(wiring);
        ASSERT_NE(control_, nullptr);
        voice_ = page_->findChild<CVoice6533ControlUI*>(CVoice6533ControlUI::kItemName);
        magic_ = page_->findChild<CMagicControlUI*>(CMagicControlUI::kItemName);
        ASSERT_TRUE(voice_ && magic_);
        control_->ShowSettings(false);
    }

    QWidget* Find(const QString& name) const { return page_->findChild<QWidget*>(name); }
    // What the user does: the control changes, then its notification goes through the page.
    void Send(const QString& control, const char* type) {
        TNotifyUI msg{QLatin1String(type), Find(control)};
        ASSERT_TRUE(msg.pSender) << control.toStdString();
        page_->Notify(msg);
    }
    void MoveSlider(const QString& name, int value) {
        ui::SetValue(Find(name), value);
        Send(name, notify_type::kValueChanged);
    }
    void Click(const QString& name) { Send(name, notify_type::kClick); }
    void Toggle(const QString& name) {
        ui::SetSelected(Find(name), !ui::IsSelected(Find(name)));
        Send(name, notify_type::kSelectChanged);
    }
    void ChooseCustom(int i) {
        ui::SelectItem(Find("custom_eq_name_combo"), i);
        Send("custom_eq_name_combo", notify_type::kItemSelect);
    }
    std::vector<int> Sliders() const {
        std::vector<int> out;
        for (int b = 0; b < 10; ++b) out.push_back(voice_->GetBandGain(b));
        return out;
    }
    profiles::HeadsetSystemSetStages Stored() {
        profiles::CHs6533Profiledata read;
        read.Load(Path("p1.json"));
        return read.ReadSystemSetStages();
    }
    std::vector<std::int32_t> StoredCurve(int i) {
        profiles::CHs6533Profiledata read;
        read.Load(Path("p1.json"));
        return read.ReadCustomEqValues(i);
    }

    QTemporaryDir dir_;
    std::unique_ptr<CSkelmoraUSBDevice> page_;
    audio::CFakeAudioBridge bridge_;
    audio::CFakeHostEqualizer eq_;
    profiles::CHs6533Profiledata profile_;
    CHeadsetAudioControl* control_ = nullptr;
    CVoice6533ControlUI* voice_ = nullptr;
    CMagicControlUI* magic_ = nullptr;
    int saves_ = 0;
    std::vector<QString> messages_;
};

TEST_F(VoicePanelTest, ShowsTheProfile) {
    EXPECT_EQ(voice_->GetEqPreset(), 13);
    EXPECT_TRUE(voice_->IsCustomEqEnabled());
    EXPECT_EQ(voice_->GetCustomEqCount(), 3);
    EXPECT_EQ(voice_->GetCustomEqSelection(), 1);
    EXPECT_EQ(Sliders(), std::vector<int>(10, 2));
    EXPECT_TRUE(voice_->IsMicIn());
    EXPECT_EQ(voice_->GetMicInLevel(), 60);
    EXPECT_FALSE(voice_->IsMicMonitor());
    EXPECT_EQ(voice_->GetMicMonitorLevel(), 20);
    EXPECT_EQ(magic_->GetVoiceChangerSelection(), 2);
    EXPECT_FALSE(Find("magic_panel_layout")->isEnabled()) << "voice changer has no counterpart";
    EXPECT_EQ(bridge_.Calls(), 0) << "showing alone sends nothing";
}

TEST_F(VoicePanelTest, BandMovedUnderPresetThreeSwitchesToCustom) {
    ui::SetSelected(Find("6533_eq_option_3"), true);
    Send("6533_eq_option_3", notify_type::kSelectChanged);
    ASSERT_EQ(control_->Eq().eqType, 3);
    EXPECT_EQ(eq_.gains, (audio::EqGains{10, 4, 0, -3, -4, -3, -2, -1, 0, 0}));
    EXPECT_EQ(Stored().eq_type, 3);
    const int onCalls = eq_.onCalls;
    MoveSlider("6533_eq_hz_slider_4", 9);
    EXPECT_EQ(voice_->GetEqPreset(), 13);
    EXPECT_TRUE(ui::IsSelected(Find("6533_eq_option_13")));
    EXPECT_FALSE(ui::IsSelected(Find("6533_eq_option_3")));
    EXPECT_EQ(voice_->GetCustomEqSelection(), -1);
    EXPECT_TRUE(voice_->IsCustomEqEnabled());
    EXPECT_EQ(eq_.bandCalls, 1);
    EXPECT_EQ(eq_.lastBand, 4);
    EXPECT_EQ(eq_.gains[4], 9);
    EXPECT_EQ(eq_.onCalls, onCalls) << "only that band is applied";
    EXPECT_EQ(Stored().eq_type, 3) << "a band move is stored only when a curve is saved";
}

TEST_F(VoicePanelTest, CaseOnlyDuplicateNameFails) {
    ui::SetText(Find("custom_eq_name_edit"), "b");
    Click("hs_EQ_btn_save");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "message_text_5");
    EXPECT_EQ(voice_->GetCustomEqCount(), 3);
    ui::SetText(Find("custom_eq_name_edit"), "D");
    MoveSlider("6533_eq_hz_slider_0", -7);
    Click("hs_EQ_btn_save");
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_EQ(voice_->GetCustomEqCount(), 4);
    EXPECT_EQ(voice_->GetCustomEqSelection(), 3);
    EXPECT_EQ(StoredCurve(3)[0], -7);
    EXPECT_EQ(voice_->GetCustomEqEditText(), "");
}

TEST_F(VoicePanelTest, DeletingMiddleKeepsTheOtherCurves) {
    ChooseCustom(1);
    Click("hs_EQ_btn_delete");
    EXPECT_EQ(voice_->GetCustomEqCount(), 2);
    EXPECT_EQ(voice_->GetCustomEqName(0), "A");
    EXPECT_EQ(voice_->GetCustomEqName(1), "C");
    EXPECT_EQ(StoredCurve(0), std::vector<std::int32_t>(10, 1));
    EXPECT_EQ(StoredCurve(1), std::vector<std::int32_t>(10, -3));
    EXPECT_EQ(voice_->GetCustomEqSelection(), 0);
    EXPECT_EQ(eq_.gains, (audio::EqGains{1, 1, 1, 1, 1, 1, 1, 1, 1, 1})) << "the sound follows";
    ChooseCustom(1);
    EXPECT_EQ(Sliders(), std::vector<int>(10, -3));
}

TEST_F(VoicePanelTest, DeletingTheLastAppliesPresetOne) {
    for (int left = 3; left > 0; --left) {
        ChooseCustom(0);
        Click("hs_EQ_btn_delete");
    }
    EXPECT_EQ(voice_->GetCustomEqCount(), 0);
    EXPECT_EQ(voice_->GetEqPreset(), 1);
    EXPECT_FALSE(voice_->IsCustomEqEnabled());
    EXPECT_EQ(Sliders(), (std::vector<int>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(eq_.gains, (audio::EqGains{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_TRUE(eq_.on);
    EXPECT_EQ(Stored().eq_type, 1);
}

TEST_F(VoicePanelTest, FailingToggleGoesBack) {
    struct Case {
        const char* option;
        AudioControl control;
    };
    for (const Case& c : {Case{"6533_MicIn_option", AudioControl::Microphone},
                          Case{"6533_MicMoniter_option", AudioControl::Monitoring}}) {
        SCOPED_TRACE(c.option);
        messages_.clear();
        const bool before = ui::IsSelected(Find(c.option));
        const auto stored = Stored();
        bridge_.SetFailing(c.control, true);
        Toggle(c.option);
        EXPECT_EQ(ui::IsSelected(Find(c.option)), before);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0], "audio_set_failed_text");
        EXPECT_EQ(Stored(), stored);
        bridge_.SetFailing(c.control, false);
        Toggle(c.option);
        EXPECT_EQ(ui::IsSelected(Find(c.option)), !before);
        EXPECT_EQ(bridge_.Find(c.control)->on, !before);
    }
    EXPECT_EQ(Stored().mic_in_select, 0);
    EXPECT_EQ(Stored().mic_monitor_select, 1);
}

TEST_F(VoicePanelTest, LevelKeepsTheUsersPercent) {
    MoveSlider("6533_MicIn_slider", 37);
    EXPECT_EQ(bridge_.Find(AudioControl::Microphone)->level, 37);
    EXPECT_EQ(Stored().mic_in_value, 37);
    // The desktop's mixer moves it: the panel follows, the profile keeps the user's choice.
    bridge_.ChangeOutside(AudioControl::Microphone, 44, true);
    EXPECT_EQ(voice_->GetMicInLevel(), 44);
    EXPECT_EQ(Stored().mic_in_value, 37);
}

TEST_F(VoicePanelTest, ProfileSwitchAppliesMicrophoneMonitoringAndEqualiser) {
    profile_.SetProfilePath(Path("p2.json"));
    profile_.Load(Path("p2.json"));
    // What the headset's show-settings step calls on a profile switch.
    auto* headset = qobject_cast<CSkelmoraHS6533Device*>(page_.get());
    ASSERT_TRUE(headset && headset->AudioPanels().showSettings);
    headset->AudioPanels().showSettings(true);
    EXPECT_EQ(bridge_.Find(AudioControl::Microphone)->level, 37);
    EXPECT_FALSE(bridge_.Find(AudioControl::Microphone)->on);
    EXPECT_TRUE(bridge_.Find(AudioControl::Monitoring)->on);
    EXPECT_EQ(bridge_.Find(AudioControl::Monitoring)->level, 100) << "150 clamped";
    EXPECT_EQ(eq_.gains, (audio::EqGains{10, 4, 0, -3, -4, -3, -2, -1, 0, 0}));
    EXPECT_EQ(voice_->GetMicInLevel(), 37);
    EXPECT_EQ(voice_->GetEqPreset(), 3);
    EXPECT_EQ(voice_->GetCustomEqCount(), 0);
    EXPECT_EQ(magic_->GetVoiceChangerSelection(), 0) << "MagicType 9 is no voice";
}

TEST_F(VoicePanelTest, ConnectReadsTheCardIntoThePanel) {
    // The card says microphone 80 on, monitoring 30 off; the profile said 60 and 20.
    auto* headset = qobject_cast<CSkelmoraHS6533Device*>(page_.get());
    ASSERT_TRUE(headset && headset->AudioPanels().readHeadsetState);
    headset->AudioPanels().readHeadsetState();
    EXPECT_EQ(voice_->GetMicInLevel(), 80);
    EXPECT_TRUE(voice_->IsMicIn());
    EXPECT_EQ(voice_->GetMicMonitorLevel(), 30);
    EXPECT_FALSE(voice_->IsMicMonitor());
    EXPECT_EQ(control_->Stages().mic_in_value, 80);
    EXPECT_EQ(bridge_.SetLevelCalls(AudioControl::Microphone), 0) << "reading sends nothing";
}

// The headset goes: the equaliser stops at once through the device's hook; when it comes
// back only an equaliser that ran then runs again, with the gains it had, and one started
// meanwhile (a profile switch) is left as it is.
TEST_F(VoicePanelTest, EqualiserStopsWithTheHeadsetAndResumesOnlyWhatRan) {
    auto* headset = qobject_cast<CSkelmoraHS6533Device*>(page_.get());
    ASSERT_TRUE(headset && headset->AudioPanels().stopEqualizer &&
                headset->AudioPanels().resumeEqualizer);
    const audio::EqGains presetThree{10, 4, 0, -3, -4, -3, -2, -1, 0, 0};
    const audio::EqGains presetFive{};
    ui::SetSelected(Find("6533_eq_option_3"), true);
    Send("6533_eq_option_3", notify_type::kSelectChanged);
    ASSERT_TRUE(eq_.on);
    MoveSlider("6533_eq_hz_slider_0", -6);  // the running filter's own gains are resumed
    audio::EqGains ran = presetThree;
    ran[0] = -6;
    ASSERT_EQ(eq_.gains, ran);

    headset->OnDisconnected();
    EXPECT_FALSE(eq_.on);
    EXPECT_EQ(eq_.offCalls, 1);
    eq_.gains = presetFive;  // what the sound side holds says nothing about what ran
    const int onCalls = eq_.onCalls;
    headset->AudioPanels().resumeEqualizer();
    EXPECT_TRUE(eq_.on);
    EXPECT_EQ(eq_.gains, ran);
    EXPECT_EQ(eq_.onCalls, onCalls + 1);
    headset->AudioPanels().resumeEqualizer();
    EXPECT_EQ(eq_.onCalls, onCalls + 1) << "resumed once";

    // Off when the headset went: nothing comes back.
    eq_.SetOff();
    headset->AudioPanels().stopEqualizer();
    headset->AudioPanels().resumeEqualizer();
    EXPECT_FALSE(eq_.on);
    EXPECT_EQ(eq_.onCalls, onCalls + 1);

    // Started meanwhile: that one stays.
    eq_.SetOn(ran);
    headset->AudioPanels().stopEqualizer();
    eq_.SetOn(presetFive);
    headset->AudioPanels().resumeEqualizer();
    EXPECT_EQ(eq_.gains, presetFive);
    EXPECT_EQ(Stored().eq_type, 3) << "the profile keeps the user's equaliser throughout";
}

TEST_F(VoicePanelTest, VoiceChangerKeepsTheProfile) {
    const auto stored = Stored();
    ui::SetSelected(Find("magic_option_4"), true);
    Send("magic_option_4", notify_type::kSelectChanged);
    Toggle("magic_enable_option");
    EXPECT_EQ(magic_->GetVoiceChangerSelection(), 2);
    EXPECT_FALSE(magic_->IsVoiceChangerOn());
    EXPECT_EQ(Stored(), stored);
}

TEST_F(VoicePanelTest, OnlyOnAHeadsetPage) {
    Build(std::make_unique<CSkelmoraMouseDevice>());
    MoveSlider("6533_MicIn_slider", 12);
    EXPECT_EQ(bridge_.SetLevelCalls(AudioControl::Microphone), 0);
}

TEST_F(VoicePanelTest, UnavailableParts) {
    audio::CFakeAudioBridge::Controls controls = audio::CFakeAudioBridge::HeadsetControls();
    controls.present.erase(AudioControl::Monitoring);
    audio::CFakeAudioBridge noMonitor(controls);
    audio::CFakeHostEqualizer noServer;
    noServer.available = false;
    CHeadsetAudioControl::Wiring wiring;
    wiring.device = page_.get();
    wiring.voice = voice_;
    wiring.magic = magic_;
    wiring.bridge = &noMonitor;
    wiring.equalizer = &noServer;
    wiring.profile = &profile_;
    CHeadsetAudioControl control(wiring);
    EXPECT_FALSE(Find("6533_MicMoniter_option")->isEnabled());
    EXPECT_FALSE(Find("6533_MicMoniter_unavailable_label")->isHidden());
    EXPECT_FALSE(Find("6533_eq_layout")->isEnabled());
    EXPECT_FALSE(Find("6533_eq_unavailable_label")->isHidden());
    EXPECT_TRUE(Find("6533_MicIn_option")->isEnabled());
}

TEST_F(VoicePanelTest, OddProfileShowsWithoutLosingCurves) {
    // No "SystemSetStages", 25 names, curves of 3 entries and of strings, fewer curves than
    // names, a 10,000-character name.
    std::string names;
    for (int i = 0; i < 25; ++i)
        names += std::string(i ? "," : "") + "{\"Name\":\"N" + std::to_string(i) + "\"}";
    names += ",{\"Name\":\"" + std::string(10000, 'x') + "\"}";
    const std::string text =
        "{\"Device\":[{\"CustomEQNameInfo\":[" + names +
        "],\"CustomEQHzValueInfo\":[[{\"value\":5},{\"value\":5},{\"value\":5}],"
        "[{\"value\":\"loud\"}],\"text\"]}]}";
    Write("p1.json", text.c_str());
    Build(std::make_unique<CSkelmoraHS6533Device>());
    EXPECT_EQ(voice_->GetCustomEqCount(), 26);
    EXPECT_EQ(voice_->GetEqPreset(), 0);
    EXPECT_EQ(voice_->GetCustomEqName(25).size(), 10000) << "the stored name is kept";
    ChooseCustom(0);
    EXPECT_EQ(Sliders(), (std::vector<int>{5, 5, 5, 0, 0, 0, 0, 0, 0, 0}));
    ui::SetText(Find("custom_eq_name_edit"), "New");
    Click("hs_EQ_btn_save");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "message_text_eq_full");
    ChooseCustom(25);
    Click("hs_EQ_btn_delete");
    profiles::CHs6533Profiledata read;
    read.Load(Path("p1.json"));
    EXPECT_EQ(read.ReadCustomEqNames().size(), 25u);
    EXPECT_EQ(read.ReadCustomEqValues(0),
              (std::vector<std::int32_t>{5, 5, 5, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(VoicePanelTest, Screenshots) {
    const QByteArray folder = qgetenv("SKELMORA_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set SKELMORA_SCREENSHOTS to a folder to render the tabs";
    ui::ApplySkinStyleSheet();
    // Each tab on the window's background, as the page shows it.
    const auto shoot = [&folder](QWidget* panel, const char* file, int height) {
        QWidget host;
        host.setObjectName("root");
        host.setAttribute(Qt::WA_StyledBackground);
        auto* box = new QVBoxLayout(&host);
        box->setContentsMargins(16, 16, 16, 16);
        panel->setParent(&host);
        box->addWidget(panel);
        host.resize(640, height);
        EXPECT_TRUE(host.grab().save(QString::fromUtf8(folder) + "/" + file));
        panel->setParent(nullptr);
        delete panel;
    };
    control_->deleteLater();
    control_ = nullptr;
    shoot(voice_, "headset-voice.png", 440);
    shoot(magic_, "headset-voice-changer.png", 200);
    BuildResult surround =
        CDialogBuilder::Create(QStringLiteral("XML/CustomControlXML/VirtualSet.xml"));
    ASSERT_TRUE(surround);
    shoot(surround.root, "headset-surround.png", 160);
}

}  // namespace
