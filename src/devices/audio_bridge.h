#pragma once
// CAudioBridge: the headset's audio controls that the command protocol does not carry
// (microphone, monitoring and playback level and switch), as typed operations. Every call
// says how it went: done, the control does not exist on this headset, the headset's sound
// card is not there (yet, or any more), or the call failed with a reason.
//
// Calls are made on the UI thread and change notices arrive there too.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace audio {

enum class AudioStatus { Ok, Unsupported, NotConnected, Failed };

struct AudioResult {
    AudioStatus status = AudioStatus::Ok;
    std::string reason;  // empty when ok

    bool Ok() const { return status == AudioStatus::Ok; }
    static AudioResult Done() { return {}; }
    static AudioResult Unsupported(std::string why) {
        return {AudioStatus::Unsupported, std::move(why)};
    }
    static AudioResult NotConnected(std::string why) {
        return {AudioStatus::NotConnected, std::move(why)};
    }
    static AudioResult Failed(std::string why) { return {AudioStatus::Failed, std::move(why)}; }
};

// A value read from a control, with how the read went (the value is meaningful when ok).
template <typename T>
struct AudioValue {
    AudioResult result;
    T value{};
    bool Ok() const { return result.Ok(); }
};

// "ok", "unsupported", "not connected", "failed".
const char* AudioStatusName(AudioStatus status);

enum class AudioControl { Microphone, Monitoring, Playback };
inline constexpr AudioControl kAudioControls[] = {AudioControl::Microphone,
                                                  AudioControl::Monitoring, AudioControl::Playback};
// "mic", "monitor", "playback".
const char* AudioControlName(AudioControl control);

struct ControlCapabilities {
    bool hasLevel = false;
    bool hasSwitch = false;
    // The level's range in dB where the card gives one.
    std::optional<double> minDb;
    std::optional<double> maxDb;
    bool Present() const { return hasLevel || hasSwitch; }
};

struct AudioCapabilities {
    bool connected = false;
    std::string card;  // the card's id ("hw:CARD=ID"), empty when none
    ControlCapabilities microphone;
    ControlCapabilities monitoring;
    ControlCapabilities playback;

    const ControlCapabilities& Of(AudioControl control) const;
};

// Where the headset sits on the USB bus (from its HID node); 0 when unknown.
struct UsbPosition {
    int bus = 0;
    int device = 0;
    bool Known() const { return bus > 0 && device > 0; }
    bool operator==(const UsbPosition&) const = default;
};

class CAudioBridge {
  public:
    using ChangeHandler = std::function<void(AudioControl)>;

    virtual ~CAudioBridge() = default;

    virtual AudioCapabilities Capabilities() const = 0;
    // Level 0..100 (percent of the control's range).
    virtual AudioValue<int> GetLevel(AudioControl control) = 0;
    virtual AudioResult SetLevel(AudioControl control, int percent) = 0;
    // Switch: true = sound passes (not muted).
    virtual AudioValue<bool> GetOn(AudioControl control) = 0;
    virtual AudioResult SetOn(AudioControl control, bool on) = 0;
    // The card's ALSA id, empty when no card is there: the equaliser finds the headset's
    // sink by it.
    virtual std::string CardId() const = 0;
    // The card's number, -1 when no card is there (the sound server names sinks by it).
    virtual int CardNumber() const = 0;

    // The headset's HID interface was connected at position (0 when unknown; a headset plugged
    // again gets a new device number): its card is looked for there, again if a card was open
    // for another place. Change notices follow.
    virtual void HeadsetConnected(UsbPosition position) = 0;
    // The headset went: its card is let go at once and not looked for until the headset is
    // connected again. Change notices follow.
    virtual void HeadsetGone() = 0;

    // Called (UI thread) when a control changed outside this program (the desktop's mixer)
    // or the card came or went (with every control).
    void SetChangeHandler(ChangeHandler handler) { changed_ = std::move(handler); }

  protected:
    void NotifyChanged(AudioControl control) const {
        if (changed_) changed_(control);
    }

  private:
    ChangeHandler changed_;
};

// Which bridge SKELMORA_AUDIO_BRIDGE ("alsa", "fake", "none") asks for; when unset, "alsa"
// with real devices (the "hidraw" backend) and "fake" with the bus or the emulator.
enum class BridgeChoice { Alsa, Fake, None };
std::optional<BridgeChoice> ParseBridgeChoice(std::string_view text);
BridgeChoice DefaultBridgeChoice(std::string_view hidBackendName);
// The choice from the variable (nullptr: unset), else the default; an unknown value gives
// none with the reason in error.
std::optional<BridgeChoice> ChooseBridge(const char* variable, std::string_view hidBackendName,
                                         std::string& error);

// The bridge of the choice (none: nullptr) for the headset at position.
std::unique_ptr<CAudioBridge> MakeAudioBridge(BridgeChoice choice, UsbPosition position);
class CHostEqualizer;
// The equaliser that goes with the choice: PipeWire's with "alsa", the fake with "fake",
// none with "none".
std::unique_ptr<CHostEqualizer> MakeHostEqualizer(BridgeChoice choice);

}  // namespace audio
