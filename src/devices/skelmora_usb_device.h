#pragma once
// CSkelmoraUSBDevice ("SkelmoraUSBDevice"): one connected device, and at the same time that
// device's configuration page. It owns the device's command and event channels, its key and
// LED tables, its lighting state and the software light effects, and its light and event
// threads. The virtual operations below come in the order the device classes override them;
// the base behaviour of each is the default the classes build on.
//
// Threads: the light thread runs the effects into the LED list; the event threads read the
// unsolicited input reports of the event interfaces. Neither touches a widget: they arm the
// selector item's control timer or post to the UI thread. The device classes stop the threads
// in their destructors (StopWorkerThreads) before their own parts go away.
#include <json/value.h>

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "devices/custom_light_effect.h"
#include "devices/device_thread.h"
#include "devices/event_codes.h"
#include "devices/light_effects.h"
#include "devices/light_modes.h"
#include "devices/write_outcome.h"
#include "hid/command_channel.h"
#include "profiles/records.h"
#include "tables/device_tables.h"
#include "tables/key_code.h"
#include "ui/notify.h"

namespace profiles {
class CBasicProfiledata;
}
class CDeviceKeyButtonUI;

// What the device hands its light source values to (the lighting panel): the audio light
// record as two words and a byte, and the light settings to show after a profile load.
class ILightSourcePanel {
  public:
    virtual ~ILightSourcePanel() = default;
    virtual void SetLightSource(int first, int second, int third) = 0;
    // The panel's record; with takeSwatchColour the audio swatch's colour is stored in it first
    // (which is why this updates the panel's cached record).
    virtual std::array<int, 3> GetLightSource(bool takeSwatchColour) = 0;
    virtual void ShowLightSettings(const std::array<uint32_t, 4>& words) = 0;
    // The device's connect has run: its profile is loaded and the device read.
    virtual void OnDeviceConnected() {}
};

// A panel of which only some parts wait for the device's connect (the profile panel: its
// profile controls wait, the page's function tabs it also carries do not).
class IConnectGatedPanel {
  public:
    virtual ~IConnectGatedPanel() = default;
    virtual std::vector<QWidget*> ConnectGatedControls() const = 0;
};

// The values of a parameter write: profile slot, first byte, the flag byte and the screen
// size in physical pixels.
struct ParameterWrite {
    int slot = 0;
    int firstByte = 0;
    int flag = 1;
    int screenWidth = 0;
    int screenHeight = 0;
};

class CSkelmoraUSBDevice : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraUSBDevice";
    static constexpr int kEventTimerId = 1002;
    static constexpr int kLightThreadStopMs = 1000;
    static constexpr int kEventThreadStopMs = 500;
    static constexpr uint32_t kFramePauseMs = 200;    // after a frame that failed
    // A frame the device already holds is sent again after this long, so a device that lost
    // it (a reset, a replug the channel did not notice) gets it back.
    static constexpr uint32_t kFrameRepeatMs = 1000;
    static constexpr int kClosedChannelPollMs = 100;  // light thread while the channel is closed
    static constexpr int kSteadyLightPollMs = 100;    // light thread while the light is steady
    static constexpr int kMemberFramePollMs = 20;     // its frames while in synchronised lighting
    static constexpr int kEventRetryMs = 10;          // event thread after a failed read
    // Steps one light pass may catch up on (half a second of the fastest effect); a thread
    // held up longer drops the rest rather than racing through them.
    static constexpr uint32_t kMaxCatchUpSteps = 250;

    enum EventInterface { kWiredEvents = 0, kReceiverEvents = 1 };
    using MillisecondClock = std::function<uint32_t()>;
    using KeyMap = std::map<int, int>;

    explicit CSkelmoraUSBDevice(QWidget* parent = nullptr,
                                std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraUSBDevice() override;

    // Both channels open their connections through this backend.
    void SetBackend(const std::shared_ptr<hid::IHidBackend>& backend);
    // Milliseconds of the effects and tick counting (a steady clock unless a test sets one).
    void SetClock(MillisecondClock clock);
    uint32_t NowMs() const;

    // INotifyUI: the page's notifications; the base hands the profile panel's to the panel.
    void Notify(TNotifyUI& msg) override;

    // ---- Virtual operations ----
    virtual void BindPageControls();
    virtual int LoadLightSettings();
    virtual void EffectBreathing();
    virtual void EffectBreathingFourColours();
    virtual void EffectStatic();
    virtual void EffectSpectrum();
    virtual void EffectBlink();
    virtual void EffectBlinkFourColours();
    virtual void EffectOff();
    // The frame timer's call (UI thread): repaints the page's previews. A wired device gets
    // its frames from the light thread (AfterLightPass), which waits for the replies there.
    // The keyboard streams its sound-driven frames through it: false while that stream is
    // paused after a failure.
    virtual bool SendLightFrame();
    // What the frame timer is for right now: streaming frames to the device (its fast pace),
    // repainting the page's previews only (a preview's pace), or nothing (a slow pace that
    // only notices a change).
    enum class FrameNeed : uint8_t { Stream, Preview, Nothing };
    virtual FrameNeed GetFrameNeed() const;
    // The shortest interval between two preview repaints this device wants (0: the frame
    // timer's preview pace as it is).
    virtual int PreviewPaceFloorMs() const { return 0; }
    // The shortest time between two passes of the light thread, 0 for a pass at every step
    // that comes due. With a pace, a pass runs every step that came due since the last one,
    // so the effect keeps its speed while the device gets fewer, fuller frames.
    virtual int LightPassPaceMs() const { return 0; }
    // The pace of the devices whose light thread sends their frames (mouse, mouse pad,
    // headset): at most 50 frames a second, each with every step that came due.
    static constexpr int kFramePassPaceMs = 20;
    virtual void SetLed(int index, uint32_t colourWord, uint32_t extraWord);
    virtual std::pair<uint32_t, uint32_t> GetLed(int index) const;
    virtual void OnConnected();
    // The device's command interface went away (unplugged), or the program ends: what the
    // device holds outside its channel is given back. Nothing by default.
    virtual void OnDisconnected();
    // Runs OnConnected, then lets the settings panels take changes and tells the lighting
    // panel (a change made on the page before this is laid over what the connect loaded).
    void Connect();
    // The command interface went away: OnDisconnected, and the settings panels wait for the
    // next connect.
    void Disconnect();
    // Whether the connect has run since the device was found: until then the profile is not
    // loaded.
    bool IsConnectDone() const { return connectDone_; }
    // A change made on a settings panel before the connect would go into the profile the
    // connect then replaces (and maybe to the device): the panels are enabled only once the
    // connect is done. The lighting panel is not one of them; it keeps such changes itself.
    // The page's state text ("device_page_state") says connecting until then, then connected.
    void GateSettingsPanels();
    static constexpr char kPageStateName[] = "device_page_state";
    static constexpr char kConnectingText[] = "device_connecting_text";
    static constexpr char kConnectedText[] = "device_connected_text";
    // Whether the control is a part of a settings panel that waits for the connect now.
    bool WaitsForConnect(const QWidget* control) const;
    virtual void OnDeviceEvent();
    virtual void FirstHook();
    virtual void SecondHook();
    virtual void RefreshStatus();
    virtual bool IsLinked();
    virtual int LoadProfile();
    virtual void RefreshPage();
    virtual void ReloadLists();
    virtual void RestoreDefaults();
    // Whether the device keeps a key table and macros (keyboards and mice): only then does a
    // profile switch write them. The pad and the headset keep their light and parameters only.
    virtual bool HoldsKeysAndMacros() const { return false; }
    virtual std::vector<int> BuildMacroList();
    // Key table and macro writes say which step failed, or by how many macro events the
    // upload does not fit (nothing is sent then). The base has no key table and no macros:
    // nothing is sent and the write fails.
    virtual WriteOutcome WriteKeyTable(profiles::CBasicProfiledata* profile,
                                       const std::vector<profiles::KeyAssignmentPair>& keys);
    virtual WriteOutcome WriteCurrentKeyTable(profiles::CBasicProfiledata* profile);
    virtual WriteOutcome WriteMacros(const std::vector<int>& macros);
    // The profile's parameters and light to the device: 1 (hid::kResultOk) when written,
    // anything else when not (the base writes nothing and returns 0).
    virtual int WriteParameters(const ParameterWrite& values);
    virtual void LoadConfigLists();
    virtual void SetKeyMap(const KeyMap& map);
    virtual void DecayKeyLight(int key, int mode);
    virtual void MarkRingKeys();
    virtual void RotateRing(bool backwards);
    virtual void ClearReactive();
    virtual void SetFunctionPage(int type);
    virtual int GetFunctionPage() const;
    virtual void BuildProfilePaths();
    virtual QString GetProfileName() const;
    virtual void SaveProfile();
    virtual void SetProfileSlot(int slot);
    virtual int GetProfileSlot() const;
    virtual void SetLightSettings(const std::array<uint32_t, 4>& words);
    virtual void SetLightSource(int first, int second, int third);
    // From the panel when there is one (see ILightSourcePanel), else the device's copy.
    virtual std::array<int, 3> GetLightSource(bool takeSwatchColour = false);
    virtual void SelectLed(int index);
    virtual void SetAudioLevels(std::span<const int> levels);
    virtual void SetAudioBands(std::span<const int> bands);
    // The overall sound level (0..2000) and the music window's selected style colour (channels
    // 0..9); only the keyboard's music modes use them.
    virtual void SetAudioLevel(int level);
    virtual void SetAudioStyleColour(uint8_t red, uint8_t green, uint8_t blue);
    // Reads the current mode's user light effect again from the profile (after the mode
    // changed); the base has no profile and keeps what it has.
    virtual void ReloadCustomLightEffect();

    // ---- User light effects (modes past the built-in list) ----
    // The steps of the user effect of light mode `mode`; the player starts again at step 0.
    void SetCustomLightSteps(std::vector<profiles::LightEffectStep> steps, int mode);
    std::vector<profiles::LightEffectStep> GetCustomLightStepsCopy() const;
    // One pass of the player over the LED list. The steps play only while the light mode is
    // the one they were read for; otherwise the LEDs go dark (the effect is not known yet).
    void CustomLightEffectPass();
    // The length of the device's built-in mode list ("DefaultLightName" row of the model in
    // default_light.json); 0 when the file or the row is missing.
    int ReadLightModeCount() const;

    // ---- Key assignments (the key assignment panel's edits) ----
    // The current and default code of one key of the current profile's key list; none when
    // the list has no such key.
    std::optional<profiles::KeyAssignmentPair> GetKeyAssignment(int keyIndex) const;
    // Sets one key's current code in the key list and saves the profile. False, with the key
    // list and the profile file as they were, when the list has no such key or the profile
    // cannot be saved.
    bool SetKeyAssignment(int keyIndex, const tables::DeviceKeyCode& code);
    // SetKeyAssignment, then WriteKeysAndMacros; a key that cannot be set fails at "key list".
    WriteOutcome AssignKey(int keyIndex, const tables::DeviceKeyCode& code);
    // The macros the key list uses, then the key table: not sent when the macros do not fit
    // (the table would name macros the device lacks) or their write failed.
    WriteOutcome WriteKeysAndMacros();
    // The key picked on the picture (-1 none). Picking one emits keySelected.
    void SelectKey(int keyIndex);
    // The key-set image over a key of the picture ("msenter"/"msleave"): shown while the
    // pointer is over the key and on the picked key. A key without an image of its own gets
    // kKeyHoverImage.
    void HighlightKey(int keyIndex, bool on);
    static constexpr char kKeyHoverImage[] = "common/key_hover.png";
    int GetSelectedKey() const { return selectedKey_; }

    // ---- Host lighting and window state (the main window, for every device) ----
    // On a wired keyboard (kind 1), switching on also tells the device with NotifyLightControl.
    virtual void SetHostLightControl(bool on);
    bool IsHostLightControl() const { return hostLightControl_; }
    void SetWindowActive(bool active) { windowActive_ = active; }
    bool IsWindowActive() const { return windowActive_; }
    // Whether the page can be seen: shown in its stack, in a window neither hidden (to the
    // tray) nor minimised. Previews are not painted otherwise (UI thread).
    bool IsPageOnScreen() const;
    void SetSynchroMember(bool member) { synchroMember_ = member; }
    // Set by the main window while the status poll must not run (RefreshStatus then does
    // nothing).
    void SetStatusRefreshPaused(bool paused) { statusRefreshPaused_ = paused; }
    bool IsStatusRefreshPaused() const { return statusRefreshPaused_; }
    bool IsSynchroMember() const { return synchroMember_; }

    // ---- Event interfaces (connection A: wired, B: receiver) ----
    // Opens the interface (read, write, shared) and starts its event thread.
    bool OpenEventInterface(const std::string& path, EventInterface which);
    // Stops the thread and closes the interface first.
    bool ReopenEventInterface(const std::string& path, EventInterface which);
    void CloseEventInterface(EventInterface which);
    bool IsEventInterfaceOpen(EventInterface which) const;
    // The event code of the last input report.
    uint16_t LastEventCode() const { return lastEventCode_; }

    // ---- Threads ----
    bool StartLightThread();
    CDeviceThread::StopResult StopLightThread();
    bool IsLightThreadRunning() const { return lightThread_.IsRunning(); }
    bool IsEventThreadRunning(EventInterface which) const;
    // Light thread and both event threads.
    void StopWorkerThreads();

    // ---- Data folders ----
    QString GetDefaultDataFolder() const;
    void SetDefaultDataFolder(const QString& folder) { defaultDataFolder_ = folder; }
    QString GetDefaultProfileFile() const;
    // Created when missing; empty when it cannot be.
    QString GetUserDataFolder() const;

    // ---- Fields set at creation, and accessors ----
    CCommandChannel& CommandChannel() { return commandChannel_; }
    CCommandChannel& EventChannel() { return eventChannel_; }
    void SetIdentity(const DeviceIdentity& identity);
    const DeviceIdentity& GetIdentity() const { return identity_; }
    int GetKind() const { return kind_; }
    void SetKind(int kind) { kind_ = kind; }
    int GetRole() const { return role_; }
    void SetWireless(bool wireless) { wireless_ = wireless; }
    bool IsWireless() const { return wireless_; }
    // Sizes the key button, light control and LED tables.
    void SetCounts(int keyCount, int ledCount);
    int GetKeyCount() const { return keyCount_; }
    int GetLedCount() const { return ledCount_; }
    void SetModelIndex(int index) { modelIndex_ = index; }
    int GetModelIndex() const { return modelIndex_; }
    void SetHasStatusBlock(bool has) { hasStatusBlock_ = has; }
    bool HasStatusBlock() const { return hasStatusBlock_; }
    void SetPageLayoutPath(const QString& path) { pageLayoutPath_ = path; }
    const QString& GetPageLayoutPath() const { return pageLayoutPath_; }
    void SetProfileBaseName(const QString& name) { profileBaseName_ = name; }
    const QString& GetProfileBaseName() const { return profileBaseName_; }
    void SetLightConfigurationName(const QString& name) { lightConfigurationName_ = name; }
    const QString& GetLightConfigurationName() const { return lightConfigurationName_; }
    void SetKindName(const QString& name) { kindName_ = name; }
    const QString& GetKindName() const { return kindName_; }
    void SetMainWindow(QWidget* window) { mainWindow_ = window; }
    QWidget* GetMainWindow() const { return mainWindow_; }
    // The selector item (its timer 1002 runs OnDeviceEvent), power item and status control.
    void SetSelectorItem(QWidget* item);
    QWidget* GetSelectorItem() const { return selectorItem_; }
    void SetPowerItem(QWidget* item) { powerItem_ = item; }
    QWidget* GetPowerItem() const { return powerItem_; }
    void SetStatusControl(QWidget* control) { statusControl_ = control; }
    QWidget* GetStatusControl() const { return statusControl_; }
    void SetLightingPanel(ILightSourcePanel* panel) { lightingPanel_ = panel; }
    ILightSourcePanel* GetLightingPanel() const { return lightingPanel_; }
    // The lighting panel shows the device's light settings and audio record (after a profile
    // load); nothing without a panel.
    void ShowLightOnPanel();
    void SetProfilePanel(QWidget* panel) { profilePanel_ = panel; }
    QWidget* GetProfilePanel() const { return profilePanel_; }
    // The page's other panels (key assignment, macro editor): each gets the notifications of
    // its own controls.
    void AddPanel(QWidget* panel) { panels_.push_back(panel); }

    CDeviceKeyButtonUI* GetKeyButton(int index) const;
    CDeviceKeyButtonUI* GetLightControl(int index) const;
    light::LightSettings GetLightSettingsCopy() const;
    light::EffectState GetEffectStateCopy() const;
    std::vector<light::LedEntry> GetLedsCopy() const;
    // The same into a buffer the caller keeps (no allocation once it has held the list).
    void CopyLeds(std::vector<light::LedEntry>& into) const;
    light::CustomEffectState GetCustomEffectStateCopy() const;
    const light::KeyIntensities& KeyIntensities() const { return keyIntensities_; }
    light::MarqueeRing& MarqueeRing() { return ring_; }
    int GetSelectedLed() const { return selectedLed_; }
    const KeyMap& GetKeyMap() const { return keyMap_; }

  protected:
    // The light mode row the light thread runs now; none: the pass does nothing.
    virtual std::optional<light::LightModeRow> CurrentLightMode() const;
    // Whether the current light is steady: a step run again with the same settings changes
    // no LED. 0: it moves; otherwise which steady light it is (1 static, 2 off). The light
    // thread then only looks for a change of settings or of this value.
    virtual int SteadyLightKind(const light::LightModeRow& row) const;
    // The built-in count, the light configuration and the current mode's user effect from the
    // profile; the steps replace the player's.
    void LoadCustomLightEffect(profiles::CBasicProfiledata& profile);
    // The row of the modes that play a user effect: the player counts its own passes.
    static constexpr light::LightModeRow kCustomLightRow{light::kStandardPace,
                                                         light::LightStep::OwnRoutine, true};

    // The class's own steps; the base versions leave the LED list as it is.
    virtual void ClassEffectA();
    virtual void ClassEffectB();
    virtual void ClassEffectC();
    virtual void OwnLightRoutine();
    // After every light pass (light thread): a wired device is sent the LEDs as a frame when
    // they changed since the last frame, and at least every kFrameRepeatMs. The keyboard and
    // the headset send their own frames.
    virtual void AfterLightPass();
    virtual const char* LightThreadExitTrace() const;
    // How the class treats event codes, and its traces.
    virtual device_events::EventClass EventClassOf(EventInterface which) const;
    virtual const char* EventThreadExitTrace() const;
    // The class's report handler and the mouse's reactive trigger; both run on the UI thread.
    virtual void OnDeviceReport(uint16_t code);
    virtual void OnReactiveTrigger();

    // What the device classes do once connected, after reading their settings back: load the
    // profile, refresh the page, start the light thread.
    void LoadProfileAndStartLighting();
    // The command channel is open, the device is wireless and the receiver reports it linked.
    bool ReceiverReportsLink();

    // The on-screen part of a light frame: paints the previews with the LED list (UI thread,
    // host light control on). SendLightFrame does this before it sends.
    void PaintLightPreview();

    // A read or write sequence that failed, logged once as "KIND: WHAT failed at STEP code N".
    void LogFailure(const char* what, const WriteOutcome& outcome) const;
    // Hands the status block the device just read to the selector's power item ("status").
    void PublishStatus(std::span<const uint8_t> block);

    // Device classes with their own rule for the picture's buttons store them here (an
    // index outside the tables is ignored); light controls are painted white at 255.
    void SetKeyButton(int index, CDeviceKeyButtonUI* button);
    void SetLightControl(int index, CDeviceKeyButtonUI* control);

    // The light thread's state from one pass to the next.
    struct LightPassState {
        light::TickCounter counter;
        // A steady light's step ran with these settings: until they change, running it again
        // would change nothing, so the thread looks for a change at a slow pace instead.
        struct Steady {
            std::array<uint32_t, 4> words;
            int kind;
            bool operator==(const Steady&) const = default;
        };
        std::optional<Steady> steadyWith;
    };
    // One pass of the light thread: the steps that came due, then AfterLightPass. Returns the
    // milliseconds to sleep before the next pass.
    int RunLightPass(LightPassState& state);

    // One step of an effect on the LED list, under the light lock.
    void RunLightStep(light::LightStep step);
    void WithEffectContext(const std::function<void(light::EffectContext&)>& step);

    std::recursive_mutex& LightLock() const { return lightMutex_; }
    std::recursive_mutex& FirstLock() { return firstLock_; }
    std::recursive_mutex& SecondLock() { return secondLock_; }
    std::array<Json::Value, 3>& Scratch() { return scratch_; }

  signals:
    // A key of the picture was picked (SelectKey).
    void keySelected(int keyIndex);

  protected:
    // The current profile and its key list as the device keeps them (none in the base).
    // The profile file "<user data folder><profile base name>.Json" and the light configuration
    // "<user data folder><light configuration name, else zelvo_light>.config"; nothing without a
    // user data folder.
    void SetProfilePaths(profiles::CBasicProfiledata& profile) const;
    // The page's parts that change what the profile or the device holds: the profile panel's
    // profile controls and every other panel but the lighting panel. The device classes add the
    // settings they keep on the page itself.
    virtual std::vector<QWidget*> SettingsPanels() const;
    virtual profiles::CBasicProfiledata* KeyListProfile() { return nullptr; }
    virtual std::vector<profiles::KeyAssignmentPair>* KeyList() { return nullptr; }

  private:
    void LightThreadMain(platform::StopEvent& stop);
    void EventThreadMain(EventInterface which, platform::StopEvent& stop);
    void HandleEventCode(EventInterface which, uint16_t code);
    CHidConnection& EventConnection(EventInterface which);
    std::recursive_mutex& EventLock(EventInterface which);
    void PaintLightControls(const std::vector<light::LedEntry>& leds);

    CCommandChannel commandChannel_;
    CCommandChannel eventChannel_;
    std::array<std::atomic<bool>, 2> eventInterfaceOpen_{};
    std::atomic<bool> synchroMember_{false};
    std::atomic<bool> statusRefreshPaused_{false};
    std::atomic<bool> wireless_{false};
    QString pageLayoutPath_;
    QString profileBaseName_;
    QString lightConfigurationName_;
    QString kindName_;
    QString defaultDataFolder_;
    DeviceIdentity identity_;
    std::atomic<int> kind_{0};
    int role_ = 0;
    int keyCount_ = 0;
    int ledCount_ = 0;
    int modelIndex_ = -1;
    bool hasStatusBlock_ = false;
    std::vector<QPointer<CDeviceKeyButtonUI>> keyButtons_;
    std::vector<QPointer<CDeviceKeyButtonUI>> lightControls_;

    // The lighting state is written by the light thread and read by the UI thread.
    mutable std::recursive_mutex lightMutex_;
    std::vector<light::LedEntry> leds_;
    light::LightSettings lightSettings_;
    light::EffectState effectState_;
    light::KeyIntensities keyIntensities_{};
    light::MarqueeRing ring_{};
    std::vector<profiles::LightEffectStep> customSteps_;
    int customStepsMode_ = -1;
    light::CustomEffectState customState_;

    std::atomic<bool> hostLightControl_{true};
    std::atomic<bool> windowActive_{true};
    // The light thread's frames (AfterLightPass): the last one sent and when, and the pause
    // after one that failed. Light thread only.
    struct FrameStream {
        std::vector<light::LedEntry> leds;
        std::vector<uint8_t> frame;
        std::vector<uint8_t> lastSent;
        bool sentAny = false;
        uint32_t lastSentMs = 0;
        bool paused = false;
        uint32_t pauseUntilMs = 0;
    };
    FrameStream frameStream_;
    std::atomic<bool> frameResend_{false};  // host control came back on: send the LEDs again
    int functionPageType_ = 1;
    int selectedLed_ = -1;
    int selectedKey_ = -1;
    int profileSlot_ = 0;
    std::array<int, 3> lightSource_{};
    KeyMap keyMap_;
    std::array<Json::Value, 3> scratch_;
    std::recursive_mutex firstLock_;
    std::recursive_mutex secondLock_;

    std::atomic<QWidget*> selectorItem_{nullptr};
    QPointer<QWidget> powerItem_;
    QPointer<QWidget> statusControl_;
    ILightSourcePanel* lightingPanel_ = nullptr;
    bool connectDone_ = false;
    QPointer<QWidget> profilePanel_;
    std::vector<QPointer<QWidget>> panels_;
    QPointer<QWidget> functionSwitch_;
    QPointer<QWidget> keyFunctionSwitch_;
    QPointer<QWidget> mainWindow_;

    MillisecondClock clock_;
    std::atomic<uint16_t> lastEventCode_{0};
    CDeviceThread lightThread_;
    std::array<CDeviceThread, 2> eventThreads_;
};
