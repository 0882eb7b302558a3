#pragma once
// CHeadsetAudioControl: the headset's audio handlers. The voice and voice-changer panels hand
// it their notifications; it acts only while they belong to a headset page (device type 7).
// Each change goes to the headset's sound card (CAudioBridge) or to the host equaliser
// (CHostEqualizer); what the user chose goes into the profile's "SystemSetStages" (and the
// equaliser rows and names), and the profile is saved. The equaliser's rules are
// eq_model's; this class moves their results between panels, profile and sound.
//
// The profile keeps the user's percent: a card with 32 steps does not make the stored value
// drift. A change made in the desktop's mixer shows in the panel but is not stored.
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

#include "devices/audio/eq_graph.h"
#include "panels/eq_model.h"
#include "profiles/records.h"
#include "ui/notify.h"
#include "ui/notify_table.h"

namespace audio {
class CAudioBridge;
class CHostEqualizer;
enum class AudioControl;
}  // namespace audio
namespace profiles {
class CHs6533Profiledata;
}
class CVoice6533ControlUI;
class CMagicControlUI;
class CSkelmoraUSBDevice;

class CHeadsetAudioControl : public QObject, public INotifyUI {
    Q_OBJECT
  public:
    // Shows a text id in the message window.
    using MessageHandler = std::function<void(const QString& textId)>;

    struct Wiring {
        CSkelmoraUSBDevice* device = nullptr;  // the page the panels sit on
        CVoice6533ControlUI* voice = nullptr;
        CMagicControlUI* magic = nullptr;
        audio::CAudioBridge* bridge = nullptr;       // none: microphone greyed out
        audio::CHostEqualizer* equalizer = nullptr;  // none: equaliser greyed out
        profiles::CHs6533Profiledata* profile = nullptr;
        std::function<void()> save;  // writes the profile file
        MessageHandler message;
    };

    explicit CHeadsetAudioControl(Wiring wiring, QObject* parent = nullptr);
    ~CHeadsetAudioControl() override;

    void Notify(TNotifyUI& msg) override;

    // The profile into the panels; with applyToHeadset (profile switch, reset) also into the
    // sound card and the equaliser.
    void ShowSettings(bool applyToHeadset);
    // At connect: the card's microphone and monitoring state into the panel and the settings.
    void ReadHeadsetState();
    // The headset went (or the program ends): the equaliser's filter goes too, at once, with
    // its takeover of the default output. Whether it ran, and with which gains, is kept.
    void StopEqualizer();
    // The headset is connected again: an equaliser that ran when it went runs again with the
    // same gains (once the headset's sink is there).
    void ResumeEqualizer();

    const eq_model::EqState& Eq() const { return eq_; }
    const profiles::HeadsetSystemSetStages& Stages() const { return stages_; }

  private:
    static const ui::NotifyRow<CHeadsetAudioControl> kRows[];

    bool OnHeadsetPage() const;
    void OnMagicEnable(TNotifyUI& msg);
    void OnMagicOption(TNotifyUI& msg);
    void OnMicToggle(TNotifyUI& msg);
    void OnMonitorToggle(TNotifyUI& msg);
    void OnMicLevel(TNotifyUI& msg);
    void OnMonitorLevel(TNotifyUI& msg);
    void OnBand(TNotifyUI& msg);
    void OnPreset(TNotifyUI& msg);
    void OnCustomSelect(TNotifyUI& msg);
    void OnSave(TNotifyUI& msg);
    void OnDelete(TNotifyUI& msg);

    void Toggle(audio::AudioControl control, bool on);
    void Level(audio::AudioControl control, int level);
    // The step's panel state, profile writes, save and sound.
    void Run(const eq_model::EqStep& step);
    void ShowEq();
    void ApplyEq(const eq_model::EqApply& apply);
    void StoreSettings();
    void ShowMicAndMonitor();
    void ShowAvailability();
    void OnBridgeChange(audio::AudioControl control);
    void Message(const char* textId);

    Wiring wiring_;
    QPointer<CVoice6533ControlUI> voice_;
    QPointer<CMagicControlUI> magic_;
    profiles::HeadsetSystemSetStages stages_;
    eq_model::EqState eq_;
    // The gains of the equaliser that ran when the headset went; none when none ran.
    std::optional<audio::EqGains> resumeGains_;
};

// Attaches the handlers to a headset page: finds "Voice6533ControlItem" and
// "MagicControlItem", hands their notifications to a new CHeadsetAudioControl (a child of
// the page), gives the panels to the device and, on a CSkelmoraHS6533Device, sets its audio
// panel hooks. wiring.device, profile, save and message come from the caller; the bridge and
// the equaliser default to the headset's own. None when the page has no voice panel.
CHeadsetAudioControl* AttachHeadsetAudio(CHeadsetAudioControl::Wiring wiring);
