#pragma once
// CAlsaAudioBridge: the headset's own USB sound card through alsa-lib's mixer. The card is
// found by its USB ids and position (card_finder.h) and opened as "hw:CARD=ID"; the elements
// are chosen by mixer_elements.h. Changes made in the desktop's mixer arrive through the
// mixer's descriptors on the UI thread. The card may appear after the headset's HID
// interface (the sound driver binds later) and may go while open: /dev/snd is watched, a
// call that meets a gone card (ENODEV) closes the mixer and answers "not connected" until
// the card is back. When the headset itself goes the card is let go at once; when it is
// connected again (with a new device number) the card is looked for at its new place.
#include <QObject>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "devices/audio/card_finder.h"
#include "devices/audio/mixer_elements.h"
#include "devices/audio_bridge.h"

class QFileSystemWatcher;
class QSocketNotifier;
typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

namespace audio {

class CAlsaAudioBridge : public QObject, public CAudioBridge {
    Q_OBJECT
  public:
    explicit CAlsaAudioBridge(UsbPosition position, std::filesystem::path cardFolder = kProcAsound,
                              QString deviceFolder = QStringLiteral("/dev/snd"));
    ~CAlsaAudioBridge() override;

    AudioCapabilities Capabilities() const override;
    AudioValue<int> GetLevel(AudioControl control) override;
    AudioResult SetLevel(AudioControl control, int percent) override;
    AudioValue<bool> GetOn(AudioControl control) override;
    AudioResult SetOn(AudioControl control, bool on) override;
    std::string CardId() const override { return card_ ? card_->id : std::string(); }
    int CardNumber() const override { return card_ ? card_->number : -1; }
    void HeadsetConnected(UsbPosition position) override;
    void HeadsetGone() override;

    // Looks for the card again now (what the /dev/snd watch does); true when open. False
    // without a look while the headset is gone.
    bool TryOpen();
    bool IsOpen() const { return mixer_ != nullptr; }

  private:
    static constexpr int kOpenRetries = 3;
    static constexpr int kOpenRetryMs = 500;

    struct Bound {
        snd_mixer_elem_t* elem = nullptr;
        bool capture = false;  // the microphone uses the element's capture side
    };
    void Close();
    void NotifyAll() const;
    void OnMixerEvent();
    void OnDeviceFolderChanged(int attempt);
    const Bound* BoundOf(AudioControl control) const;
    // Turns an alsa-lib error into a result; a gone card closes the mixer.
    AudioResult FromError(int error, const char* what);

    UsbPosition position_;
    std::filesystem::path cardFolder_;
    std::optional<SoundCard> card_;
    snd_mixer_t* mixer_ = nullptr;
    Bound microphone_, monitoring_, playback_;
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
    QFileSystemWatcher* watcher_ = nullptr;
    std::string lastSearchNote_;
    // The headset went: no card is looked for until it is connected again (the watch of
    // /dev/snd would otherwise open the card again while it is being removed).
    bool headsetGone_ = false;
};

}  // namespace audio
