#include "devices/skelmora_usb_device.h"

#include <QThread>
#include <algorithm>
#include <chrono>

#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "devices/device_folders.h"
#include "devices/light_preview.h"
#include "platform/log_categories.h"
#include "profiles/basic_profiledata.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"

namespace {

uint32_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// "key_12" -> ("key_", 12); a name without a number after the underscore gives -1.
std::pair<QString, int> SplitControlName(const QString& name) {
    const int underscore = name.indexOf('_');
    if (underscore < 0) return {name, -1};
    bool ok = false;
    const int number = name.mid(underscore + 1).toInt(&ok);
    return {name.left(underscore + 1), ok ? number : -1};
}

// Which page of the two function switches a function page type shows; -1 leaves a switch.
struct SwitchPages {
    int first;
    int second;
};

SwitchPages PagesOfType(int type, int kind) {
    switch (type) {
        case 3:
        case 8:
            return {1, -1};
        case 5:
            return {2, -1};
        case 4:
            if (kind == kKindKeyboard || kind == kKindMouse) return {3, -1};
            return {0, 2};
        case 2:
        case 6:
            return {0, 1};
        case 7:
            return {0, 2};
        default:
            return {0, 0};
    }
}

}  // namespace

CSkelmoraUSBDevice::CSkelmoraUSBDevice(QWidget* parent, std::shared_ptr<hid::IHidBackend> backend)
    : QWidget(parent), commandChannel_(backend), eventChannel_(backend) {
    setObjectName(QLatin1String(kClassName));
}

CSkelmoraUSBDevice::~CSkelmoraUSBDevice() {
    StopWorkerThreads();
    {
        std::lock_guard lock(commandChannel_.ExchangeLock());
        commandChannel_.SetOpened(false);
        commandChannel_.WiredConnection().Close();
        commandChannel_.ReceiverConnection().Close();
    }
    CloseEventInterface(kWiredEvents);
    CloseEventInterface(kReceiverEvents);
}

void CSkelmoraUSBDevice::SetBackend(const std::shared_ptr<hid::IHidBackend>& backend) {
    commandChannel_.SetBackend(backend);
    eventChannel_.SetBackend(backend);
}

void CSkelmoraUSBDevice::SetClock(MillisecondClock clock) { clock_ = std::move(clock); }

uint32_t CSkelmoraUSBDevice::NowMs() const { return clock_ ? clock_() : SteadyMilliseconds(); }

// The panels' own notifications go to their dispatch tables.
void CSkelmoraUSBDevice::Notify(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const auto hand = [&msg](QWidget* panel) {
        if (!panel || !panel->isAncestorOf(msg.pSender)) return false;
        if (auto* receiver = dynamic_cast<INotifyUI*>(panel)) receiver->Notify(msg);
        return true;
    };
    if (hand(profilePanel_)) return;
    for (const QPointer<QWidget>& panel : panels_) {
        if (hand(panel)) return;
    }
    // A click on a key of the picture picks that key for the key assignment panel; the
    // pointer over a key highlights it.
    const bool click = msg.sType == QLatin1String(notify_type::kClick);
    const bool enter = msg.sType == QLatin1String(notify_type::kMouseEnter);
    const bool leave = msg.sType == QLatin1String(notify_type::kMouseLeave);
    if (!click && !enter && !leave) return;
    for (size_t i = 0; i < keyButtons_.size(); ++i) {
        if (!keyButtons_[i] || keyButtons_[i].data() != msg.pSender) continue;
        if (click)
            SelectKey(static_cast<int>(i));
        else
            HighlightKey(static_cast<int>(i), enter);
        return;
    }
}

// ---- Page ----

void CSkelmoraUSBDevice::BindPageControls() {
    if (pageLayoutPath_.isEmpty()) {
        SetCounts(0, 0);
        return;
    }
    const auto panels = findChildren<CSelectPanelUI*>(QString(), Qt::FindDirectChildrenOnly);
    if (panels.isEmpty()) return;
    const auto buttons =
        panels.front()->findChildren<CDeviceKeyButtonUI*>(QString(), Qt::FindDirectChildrenOnly);
    for (CDeviceKeyButtonUI* button : buttons) {
        const auto [prefix, number] = SplitControlName(button->objectName());
        if (number < 0) continue;
        if (prefix == QLatin1String("key_") && number < keyCount_) {
            keyButtons_[number] = button;
        } else if (prefix == QLatin1String("light_") && number < ledCount_) {
            lightControls_[number] = button;
            light::PaintLightControl(button, {255, 255, 255}, 255);
        }
    }
}

void CSkelmoraUSBDevice::SetCounts(int keyCount, int ledCount) {
    keyCount_ = std::max(0, keyCount);
    ledCount_ = std::max(0, ledCount);
    keyButtons_.assign(keyCount_, nullptr);
    lightControls_.assign(ledCount_, nullptr);
    std::lock_guard lock(lightMutex_);
    leds_.assign(ledCount_, light::LedEntry{});
}

void CSkelmoraUSBDevice::SetKeyButton(int index, CDeviceKeyButtonUI* button) {
    if (index < 0 || index >= keyCount_) return;
    keyButtons_[index] = button;
}

void CSkelmoraUSBDevice::SetLightControl(int index, CDeviceKeyButtonUI* control) {
    if (index < 0 || index >= ledCount_) return;
    lightControls_[index] = control;
    light::PaintLightControl(control, {255, 255, 255}, 255);
}

CDeviceKeyButtonUI* CSkelmoraUSBDevice::GetKeyButton(int index) const {
    return index >= 0 && index < static_cast<int>(keyButtons_.size()) ? keyButtons_[index].data()
                                                                      : nullptr;
}

CDeviceKeyButtonUI* CSkelmoraUSBDevice::GetLightControl(int index) const {
    return index >= 0 && index < static_cast<int>(lightControls_.size())
               ? lightControls_[index].data()
               : nullptr;
}

int CSkelmoraUSBDevice::LoadLightSettings() { return 0; }

// ---- Effects ----

void CSkelmoraUSBDevice::WithEffectContext(const std::function<void(light::EffectContext&)>& step) {
    std::lock_guard lock(lightMutex_);
    light::EffectContext context{leds_, lightSettings_, effectState_, NowMs()};
    step(context);
}

void CSkelmoraUSBDevice::EffectBreathing() { WithEffectContext(light::EffectBreathing); }
void CSkelmoraUSBDevice::EffectBreathingFourColours() {
    WithEffectContext(light::EffectBreathingFourColours);
}
void CSkelmoraUSBDevice::EffectStatic() { WithEffectContext(light::EffectStatic); }
void CSkelmoraUSBDevice::EffectSpectrum() { WithEffectContext(light::EffectSpectrum); }
void CSkelmoraUSBDevice::EffectBlink() { WithEffectContext(light::EffectBlink); }
void CSkelmoraUSBDevice::EffectBlinkFourColours() {
    WithEffectContext(light::EffectBlinkFourColours);
}
void CSkelmoraUSBDevice::EffectOff() { WithEffectContext(light::EffectOff); }

void CSkelmoraUSBDevice::RunLightStep(light::LightStep step) {
    std::lock_guard lock(lightMutex_);
    using light::LightStep;
    switch (step) {
        case LightStep::Spectrum:
            EffectSpectrum();
            break;
        case LightStep::Breathing:
            EffectBreathing();
            break;
        case LightStep::Static:
            EffectStatic();
            break;
        case LightStep::Blink:
            EffectBlink();
            break;
        case LightStep::BreathingFourColours:
            EffectBreathingFourColours();
            break;
        case LightStep::BlinkFourColours:
            EffectBlinkFourColours();
            break;
        case LightStep::Off:
            EffectOff();
            break;
        case LightStep::ClassEffectA:
            ClassEffectA();
            break;
        case LightStep::ClassEffectB:
            ClassEffectB();
            break;
        case LightStep::ClassEffectC:
            ClassEffectC();
            break;
        case LightStep::OwnRoutine:
            OwnLightRoutine();
            break;
    }
}

std::optional<light::LightModeRow> CSkelmoraUSBDevice::CurrentLightMode() const {
    return std::nullopt;
}

void CSkelmoraUSBDevice::ClassEffectA() {}
void CSkelmoraUSBDevice::ClassEffectB() {}
void CSkelmoraUSBDevice::ClassEffectC() {}
void CSkelmoraUSBDevice::OwnLightRoutine() {}
void CSkelmoraUSBDevice::AfterLightPass() {
    if (wireless_ || !hostLightControl_) return;
    FrameStream& stream = frameStream_;
    if (frameResend_.exchange(false)) stream.sentAny = false;
    const uint32_t now = NowMs();
    if (stream.paused) {
        if (static_cast<int32_t>(stream.pauseUntilMs - now) > 0) return;
        stream.paused = false;
    }
    CopyLeds(stream.leds);
    light::BuildLightFrame(stream.leds, stream.frame);
    if (stream.frame.empty()) return;
    if (!light::FrameDue(stream.frame == stream.lastSent, stream.sentAny, now - stream.lastSentMs,
                         kFrameRepeatMs))
        return;
    if (commandChannel_.StreamLightFrame(stream.frame) != hid::kResultOk) {
        stream.pauseUntilMs = now + kFramePauseMs;
        stream.paused = true;
        stream.sentAny = false;  // whatever reached the device, the next frame goes out
        return;
    }
    stream.lastSent.swap(stream.frame);
    stream.lastSentMs = now;
    stream.sentAny = true;
}
const char* CSkelmoraUSBDevice::LightThreadExitTrace() const { return "MS灯光线程设定退出"; }

// ---- Frames ----

void CSkelmoraUSBDevice::PaintLightControls(const std::vector<light::LedEntry>& leds) {
    for (size_t i = 0; i < leds.size() && i < lightControls_.size(); ++i) {
        CDeviceKeyButtonUI* control = lightControls_[i].data();
        if (!control || !ui::IsVisible(control)) continue;
        // On screen, laid out and styled by now: what lies under it can be taken.
        control->TakeBackdrop();
        light::PaintLightControl(control, {leds[i].red, leds[i].green, leds[i].blue},
                                 leds[i].brightness);
    }
}

int CSkelmoraUSBDevice::SteadyLightKind(const light::LightModeRow& row) const {
    if (row.step == light::LightStep::Static) return 1;
    return row.step == light::LightStep::Off ? 2 : 0;
}

CSkelmoraUSBDevice::FrameNeed CSkelmoraUSBDevice::GetFrameNeed() const {
    return IsPageOnScreen() ? FrameNeed::Preview : FrameNeed::Nothing;
}

bool CSkelmoraUSBDevice::IsPageOnScreen() const {
    const QWidget* top = window();
    return isVisible() && top && !top->isMinimized();
}

void CSkelmoraUSBDevice::PaintLightPreview() {
    if (!hostLightControl_ || QThread::currentThread() != thread() || !IsPageOnScreen()) return;
    PaintLightControls(GetLedsCopy());
}

bool CSkelmoraUSBDevice::SendLightFrame() {
    if (!hostLightControl_) return true;
    // Previews are widgets: only the UI thread paints them.
    if (QThread::currentThread() == thread()) PaintLightControls(GetLedsCopy());
    return true;
}

void CSkelmoraUSBDevice::SetLed(int index, uint32_t colourWord, uint32_t extraWord) {
    std::lock_guard lock(lightMutex_);
    if (index < 0 || index >= static_cast<int>(leds_.size())) return;
    light::SetWords(leds_[index], colourWord, extraWord);
}

std::pair<uint32_t, uint32_t> CSkelmoraUSBDevice::GetLed(int index) const {
    std::lock_guard lock(lightMutex_);
    if (index < 0 || index >= static_cast<int>(leds_.size())) return {0, 0};
    return {light::ColourWord(leds_[index]), light::ExtraWord(leds_[index])};
}

std::vector<light::LedEntry> CSkelmoraUSBDevice::GetLedsCopy() const {
    std::lock_guard lock(lightMutex_);
    return leds_;
}

void CSkelmoraUSBDevice::CopyLeds(std::vector<light::LedEntry>& into) const {
    std::lock_guard lock(lightMutex_);
    into.assign(leds_.begin(), leds_.end());
}

light::LightSettings CSkelmoraUSBDevice::GetLightSettingsCopy() const {
    std::lock_guard lock(lightMutex_);
    return lightSettings_;
}

light::EffectState CSkelmoraUSBDevice::GetEffectStateCopy() const {
    std::lock_guard lock(lightMutex_);
    return effectState_;
}

// ---- Operations the device classes fill ----

void CSkelmoraUSBDevice::OnConnected() {}

void CSkelmoraUSBDevice::OnDisconnected() {}

void CSkelmoraUSBDevice::Connect() {
    OnConnected();
    connectDone_ = true;
    GateSettingsPanels();
    if (lightingPanel_) lightingPanel_->OnDeviceConnected();
}

void CSkelmoraUSBDevice::Disconnect() {
    OnDisconnected();
    connectDone_ = false;
    GateSettingsPanels();
}

void CSkelmoraUSBDevice::GateSettingsPanels() {
    for (QWidget* part : SettingsPanels()) part->setEnabled(connectDone_);
    if (auto* state = findChild<QWidget*>(QLatin1String(kPageStateName)))
        ui::SetText(state, QLatin1String(connectDone_ ? kConnectedText : kConnectingText));
}

bool CSkelmoraUSBDevice::WaitsForConnect(const QWidget* control) const {
    if (connectDone_ || !control) return false;
    const std::vector<QWidget*> parts = SettingsPanels();
    return std::any_of(parts.begin(), parts.end(), [control](const QWidget* part) {
        return part == control || part->isAncestorOf(control);
    });
}

std::vector<QWidget*> CSkelmoraUSBDevice::SettingsPanels() const {
    std::vector<QWidget*> parts;
    const auto add = [&parts](QWidget* panel) {
        if (!panel || dynamic_cast<ILightSourcePanel*>(panel)) return;
        if (const auto* gated = dynamic_cast<IConnectGatedPanel*>(panel)) {
            for (QWidget* control : gated->ConnectGatedControls())
                if (control) parts.push_back(control);
            return;
        }
        if (std::find(parts.begin(), parts.end(), panel) == parts.end()) parts.push_back(panel);
    };
    add(profilePanel_);
    for (const QPointer<QWidget>& panel : panels_) add(panel);
    return parts;
}

void CSkelmoraUSBDevice::LoadProfileAndStartLighting() {
    LoadProfile();
    RefreshPage();
    StartLightThread();
}

bool CSkelmoraUSBDevice::ReceiverReportsLink() {
    return commandChannel_.IsOpened() && wireless_ && commandChannel_.QueryWirelessLink();
}
void CSkelmoraUSBDevice::OnDeviceEvent() {}
void CSkelmoraUSBDevice::FirstHook() {}
void CSkelmoraUSBDevice::SecondHook() {}
void CSkelmoraUSBDevice::RefreshStatus() {}
bool CSkelmoraUSBDevice::IsLinked() { return true; }
int CSkelmoraUSBDevice::LoadProfile() { return 0; }
void CSkelmoraUSBDevice::RefreshPage() {}
void CSkelmoraUSBDevice::ReloadLists() {}
void CSkelmoraUSBDevice::RestoreDefaults() {}
std::vector<int> CSkelmoraUSBDevice::BuildMacroList() { return {}; }
WriteOutcome CSkelmoraUSBDevice::WriteKeyTable(profiles::CBasicProfiledata*,
                                               const std::vector<profiles::KeyAssignmentPair>&) {
    return WriteOutcome::Failed("no key table", hid::kResultReadFailed);
}
WriteOutcome CSkelmoraUSBDevice::WriteCurrentKeyTable(profiles::CBasicProfiledata*) {
    return WriteOutcome::Failed("no key table", hid::kResultReadFailed);
}
WriteOutcome CSkelmoraUSBDevice::WriteMacros(const std::vector<int>&) {
    return WriteOutcome::Failed("no macros", hid::kResultReadFailed);
}
int CSkelmoraUSBDevice::WriteParameters(const ParameterWrite&) { return 0; }
void CSkelmoraUSBDevice::LoadConfigLists() {}
void CSkelmoraUSBDevice::SetKeyMap(const KeyMap& map) { keyMap_ = map; }

// ---- Key assignments ----

std::optional<profiles::KeyAssignmentPair> CSkelmoraUSBDevice::GetKeyAssignment(
    int keyIndex) const {
    // The key list is only read here.
    const std::vector<profiles::KeyAssignmentPair>* list =
        const_cast<CSkelmoraUSBDevice*>(this)->KeyList();
    if (!list || keyIndex < 0 || keyIndex >= static_cast<int>(list->size())) return std::nullopt;
    return (*list)[static_cast<size_t>(keyIndex)];
}

bool CSkelmoraUSBDevice::SetKeyAssignment(int keyIndex, const tables::DeviceKeyCode& code) {
    std::vector<profiles::KeyAssignmentPair>* list = KeyList();
    profiles::CBasicProfiledata* profile = KeyListProfile();
    if (!list || !profile || keyIndex < 0 || keyIndex >= static_cast<int>(list->size()))
        return false;
    const std::vector<profiles::KeyAssignmentPair> before = *list;
    profiles::KeyAssignment& current = (*list)[static_cast<size_t>(keyIndex)].current;
    current.kind = code.kind;
    current.high = code.high;
    current.low = code.low;
    profile->WriteKeyList(*list);
    if (profile->Save().ok()) return true;
    // The file keeps the old list: so do the device and the profile element.
    qCWarning(lcDevice).noquote() << kindName_ + QLatin1Char(':')
                                  << "the profile could not be saved; key" << keyIndex
                                  << "keeps its assignment";
    *list = before;
    profile->WriteKeyList(before);
    return false;
}

WriteOutcome CSkelmoraUSBDevice::AssignKey(int keyIndex, const tables::DeviceKeyCode& code) {
    if (!SetKeyAssignment(keyIndex, code))
        return WriteOutcome::Failed("key list", hid::kResultWriteFailed);
    return WriteKeysAndMacros();
}

WriteOutcome CSkelmoraUSBDevice::WriteKeysAndMacros() {
    const WriteOutcome macros = WriteMacros(BuildMacroList());
    if (!macros.ok()) return macros;
    return WriteCurrentKeyTable(nullptr);
}

void CSkelmoraUSBDevice::SelectKey(int keyIndex) {
    const int before = selectedKey_;
    selectedKey_ = keyIndex;
    if (before != keyIndex) HighlightKey(before, false);
    HighlightKey(keyIndex, true);
    emit keySelected(keyIndex);
}

void CSkelmoraUSBDevice::HighlightKey(int keyIndex, bool on) {
    CDeviceKeyButtonUI* key = GetKeyButton(keyIndex);
    if (!key) return;
    if (key->GetKeySetImage().isEmpty()) key->SetKeySetImage(QLatin1String(kKeyHoverImage));
    key->SetKeySetHidden(!on && keyIndex != selectedKey_);
}

// ---- Reactive lighting ----

void CSkelmoraUSBDevice::DecayKeyLight(int key, int mode) {
    std::lock_guard lock(lightMutex_);
    light::DecayKeyLight(keyIntensities_, key, mode);
}

void CSkelmoraUSBDevice::MarkRingKeys() {
    std::lock_guard lock(lightMutex_);
    light::MarkRingKeys(ring_, keyIntensities_);
}

void CSkelmoraUSBDevice::RotateRing(bool backwards) {
    std::lock_guard lock(lightMutex_);
    light::RotateRing(ring_, backwards);
}

void CSkelmoraUSBDevice::ClearReactive() {
    std::lock_guard lock(lightMutex_);
    light::ClearReactive(keyIntensities_, ring_);
}

// ---- Function pages ----

void CSkelmoraUSBDevice::SetFunctionPage(int type) {
    functionPageType_ = type;
    if (!functionSwitch_) {
        functionSwitch_ = CPaintManagerUI::FindSubControlByName(this, "device_function_switch");
    }
    if (!keyFunctionSwitch_) {
        keyFunctionSwitch_ =
            CPaintManagerUI::FindSubControlByName(this, "device_key_function_switch");
    }
    if (!functionSwitch_ || !keyFunctionSwitch_) return;
    const SwitchPages pages = PagesOfType(type, kind_);
    ui::SelectTabItem(functionSwitch_, pages.first);
    if (pages.second >= 0) ui::SelectTabItem(keyFunctionSwitch_, pages.second);
}

int CSkelmoraUSBDevice::GetFunctionPage() const { return functionPageType_; }

// ---- Profiles ----

void CSkelmoraUSBDevice::BuildProfilePaths() {}

void CSkelmoraUSBDevice::SetProfilePaths(profiles::CBasicProfiledata& profile) const {
    const QString folder = GetUserDataFolder();
    if (folder.isEmpty()) return;
    const QString lightName = GetLightConfigurationName().isEmpty() ? QStringLiteral("zelvo_light")
                                                                    : GetLightConfigurationName();
    profile.SetProfilePath(std::filesystem::path(
        (folder + GetProfileBaseName() + QStringLiteral(".Json")).toStdString()));
    profile.SetLightConfigPath(
        std::filesystem::path((folder + lightName + QStringLiteral(".config")).toStdString()));
}
QString CSkelmoraUSBDevice::GetProfileName() const { return {}; }
void CSkelmoraUSBDevice::SaveProfile() {}
void CSkelmoraUSBDevice::SetProfileSlot(int slot) { profileSlot_ = slot; }
int CSkelmoraUSBDevice::GetProfileSlot() const { return profileSlot_; }

void CSkelmoraUSBDevice::SetLightSettings(const std::array<uint32_t, 4>& words) {
    std::lock_guard lock(lightMutex_);
    lightSettings_ = light::FromWords(words);
}

void CSkelmoraUSBDevice::SetLightSource(int first, int second, int third) {
    lightSource_ = {first, second, third};
    if (lightingPanel_) lightingPanel_->SetLightSource(first, second, third);
}

std::array<int, 3> CSkelmoraUSBDevice::GetLightSource(bool takeSwatchColour) {
    if (lightingPanel_) lightSource_ = lightingPanel_->GetLightSource(takeSwatchColour);
    return lightSource_;
}

void CSkelmoraUSBDevice::ShowLightOnPanel() {
    if (!lightingPanel_) return;
    lightingPanel_->ShowLightSettings(light::ToWords(GetLightSettingsCopy()));
    lightingPanel_->SetLightSource(lightSource_[0], lightSource_[1], lightSource_[2]);
}

void CSkelmoraUSBDevice::SelectLed(int index) { selectedLed_ = index; }
void CSkelmoraUSBDevice::SetAudioLevels(std::span<const int>) {}
void CSkelmoraUSBDevice::SetAudioBands(std::span<const int>) {}
void CSkelmoraUSBDevice::SetAudioLevel(int) {}
void CSkelmoraUSBDevice::SetAudioStyleColour(uint8_t, uint8_t, uint8_t) {}

// ---- Host lighting ----

void CSkelmoraUSBDevice::SetHostLightControl(bool on) {
    if (on) frameResend_ = true;  // the light thread sends the LEDs at its next pass
    hostLightControl_ = on;
    if (on && kind_ == kKindKeyboard) commandChannel_.NotifyLightControl();
}

// ---- Fields ----

void CSkelmoraUSBDevice::SetIdentity(const DeviceIdentity& identity) {
    identity_ = identity;
    kind_ = identity.kind;
    role_ = identity.role;
}

void CSkelmoraUSBDevice::SetSelectorItem(QWidget* item) { selectorItem_ = item; }

QString CSkelmoraUSBDevice::GetDefaultDataFolder() const {
    return defaultDataFolder_.isEmpty() ? device_folders::ProgramDefaultDataFolder()
                                        : defaultDataFolder_;
}

QString CSkelmoraUSBDevice::GetDefaultProfileFile() const {
    return device_folders::DefaultProfileFile(GetDefaultDataFolder(), kindName_);
}

QString CSkelmoraUSBDevice::GetUserDataFolder() const {
    return device_folders::UserDataFolder(kindName_);
}

void CSkelmoraUSBDevice::LogFailure(const char* what, const WriteOutcome& outcome) const {
    qCWarning(lcDevice).noquote() << kindName_ + QLatin1Char(':') << what << "failed at"
                                  << QString::fromStdString(outcome.step) << "code" << outcome.code;
}

void CSkelmoraUSBDevice::PublishStatus(std::span<const uint8_t> block) {
    if (QWidget* power = GetPowerItem()) {
        power->setProperty("status", QByteArray(reinterpret_cast<const char*>(block.data()),
                                                static_cast<qsizetype>(block.size())));
    }
}
