#include "devices/audio/alsa_audio_bridge.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>

#include "platform/log_categories.h"

namespace audio {

namespace {

bool IsGone(int error) { return error == -ENODEV || error == -ENXIO || error == -EBADFD; }

}  // namespace

CAlsaAudioBridge::CAlsaAudioBridge(UsbPosition position, std::filesystem::path cardFolder,
                                   QString deviceFolder)
    : position_(position), cardFolder_(std::move(cardFolder)) {
    watcher_ = new QFileSystemWatcher(this);
    if (!deviceFolder.isEmpty() && !watcher_->addPath(deviceFolder)) {
        qCInfo(lcAudio) << "cannot watch" << deviceFolder << "for sound cards";
    }
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this] { OnDeviceFolderChanged(0); });
    TryOpen();
}

CAlsaAudioBridge::~CAlsaAudioBridge() { Close(); }

// A new card's nodes get their access rights from udev a moment after they appear, so a card
// that cannot be opened yet is tried again a few times.
void CAlsaAudioBridge::OnDeviceFolderChanged(int attempt) {
    if (IsOpen() || headsetGone_) return;
    if (TryOpen()) {
        NotifyAll();
        return;
    }
    if (attempt < kOpenRetries && FindHeadsetCard(cardFolder_, kHeadsetUsbId, position_).card) {
        QTimer::singleShot(kOpenRetryMs, this,
                           [this, attempt] { OnDeviceFolderChanged(attempt + 1); });
    }
}

void CAlsaAudioBridge::HeadsetConnected(UsbPosition position) {
    headsetGone_ = false;
    if (position != position_) {
        // A card open for the old place belongs to another headset, or to this one before it
        // was plugged again: looked for again at the new place.
        Close();
        position_ = position;
        lastSearchNote_.clear();
    }
    TryOpen();
    NotifyAll();
}

void CAlsaAudioBridge::HeadsetGone() {
    headsetGone_ = true;
    if (mixer_) qCInfo(lcAudio) << "the headset went: its sound card is let go";
    Close();
    NotifyAll();
}

void CAlsaAudioBridge::NotifyAll() const {
    for (AudioControl control : kAudioControls) NotifyChanged(control);
}

bool CAlsaAudioBridge::TryOpen() {
    if (mixer_) return true;
    if (headsetGone_) return false;
    CardSearch search = FindHeadsetCard(cardFolder_, kHeadsetUsbId, position_);
    if (!search.card) {
        std::string note;
        for (const std::string& n : search.notes) note += (note.empty() ? "" : "; ") + n;
        if (note != lastSearchNote_) {
            qCInfo(lcAudio).noquote()
                << "headset sound card not found:" << QString::fromStdString(note);
            lastSearchNote_ = note;
        }
        return false;
    }
    const std::string name = "hw:CARD=" + search.card->id;
    snd_mixer_t* mixer = nullptr;
    int err = snd_mixer_open(&mixer, 0);
    if (err >= 0) err = snd_mixer_attach(mixer, name.c_str());
    if (err >= 0) err = snd_mixer_selem_register(mixer, nullptr, nullptr);
    if (err >= 0) err = snd_mixer_load(mixer);
    if (err < 0) {
        qCInfo(lcAudio).noquote() << "cannot open the mixer of" << QString::fromStdString(name)
                                  << ":" << snd_strerror(err);
        if (mixer) snd_mixer_close(mixer);
        return false;
    }
    mixer_ = mixer;
    card_ = search.card;
    lastSearchNote_.clear();

    std::vector<MixerElementInfo> infos;
    std::vector<snd_mixer_elem_t*> elems;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
        if (!snd_mixer_selem_is_active(e)) continue;
        MixerElementInfo info;
        info.name = snd_mixer_selem_get_name(e);
        info.index = snd_mixer_selem_get_index(e);
        info.playbackVolume = snd_mixer_selem_has_playback_volume(e);
        info.playbackSwitch = snd_mixer_selem_has_playback_switch(e);
        info.captureVolume = snd_mixer_selem_has_capture_volume(e);
        info.captureSwitch = snd_mixer_selem_has_capture_switch(e);
        infos.push_back(info);
        elems.push_back(e);
    }
    const ElementChoice choice = ChooseElements(infos);
    const auto bind = [&](const std::optional<ElementRef>& ref, bool capture) {
        Bound bound;
        bound.capture = capture;
        if (!ref) return bound;
        for (std::size_t i = 0; i < infos.size(); ++i) {
            if (infos[i].name == ref->name && infos[i].index == ref->index) bound.elem = elems[i];
        }
        return bound;
    };
    microphone_ = bind(choice.microphone, true);
    monitoring_ = bind(choice.monitoring, false);
    playback_ = bind(choice.playback, false);

    const int count = snd_mixer_poll_descriptors_count(mixer_);
    std::vector<pollfd> fds(count > 0 ? count : 0);
    if (count > 0 && snd_mixer_poll_descriptors(mixer_, fds.data(), count) > 0) {
        for (const pollfd& fd : fds) {
            auto notifier = std::make_unique<QSocketNotifier>(fd.fd, QSocketNotifier::Read);
            connect(notifier.get(), &QSocketNotifier::activated, this,
                    &CAlsaAudioBridge::OnMixerEvent);
            notifiers_.push_back(std::move(notifier));
        }
    }
    const AudioCapabilities caps = Capabilities();
    if (caps.microphone.minDb && caps.microphone.maxDb) {
        qCInfo(lcAudio).noquote() << QString::asprintf(
            "microphone range %.2f dB .. %.2f dB", *caps.microphone.minDb, *caps.microphone.maxDb);
    }
    qCInfo(lcAudio).noquote() << "headset sound card" << QString::fromStdString(name) << "mic"
                              << (choice.microphone ? choice.microphone->name.c_str() : "-")
                              << "monitor"
                              << (choice.monitoring ? choice.monitoring->name.c_str() : "-")
                              << "playback"
                              << (choice.playback ? choice.playback->name.c_str() : "-");
    return true;
}

void CAlsaAudioBridge::Close() {
    notifiers_.clear();
    microphone_ = monitoring_ = playback_ = Bound{};
    if (mixer_) snd_mixer_close(mixer_);
    mixer_ = nullptr;
    card_.reset();
}

void CAlsaAudioBridge::OnMixerEvent() {
    if (!mixer_) return;
    const int err = snd_mixer_handle_events(mixer_);
    if (err < 0 && IsGone(err)) {
        qCInfo(lcAudio) << "the headset's sound card went away";
        Close();
    }
    NotifyAll();
}

const CAlsaAudioBridge::Bound* CAlsaAudioBridge::BoundOf(AudioControl control) const {
    switch (control) {
        case AudioControl::Microphone:
            return &microphone_;
        case AudioControl::Monitoring:
            return &monitoring_;
        case AudioControl::Playback:
            break;
    }
    return &playback_;
}

AudioResult CAlsaAudioBridge::FromError(int error, const char* what) {
    if (IsGone(error)) {
        Close();
        return AudioResult::NotConnected("the headset's sound card went away");
    }
    return AudioResult::Failed(std::string(what) + ": " + snd_strerror(error));
}

AudioCapabilities CAlsaAudioBridge::Capabilities() const {
    AudioCapabilities caps;
    caps.connected = mixer_ != nullptr;
    if (!mixer_) return caps;
    caps.card = "hw:CARD=" + card_->id;
    for (AudioControl control : kAudioControls) {
        const Bound* b = BoundOf(control);
        if (!b->elem) continue;
        ControlCapabilities& out = control == AudioControl::Microphone   ? caps.microphone
                                   : control == AudioControl::Monitoring ? caps.monitoring
                                                                         : caps.playback;
        long min = 0, max = 0;
        if (b->capture) {
            out.hasLevel = snd_mixer_selem_has_capture_volume(b->elem) &&
                           snd_mixer_selem_get_capture_volume_range(b->elem, &min, &max) >= 0 &&
                           min < max;
            out.hasSwitch = snd_mixer_selem_has_capture_switch(b->elem);
            if (out.hasLevel && snd_mixer_selem_get_capture_dB_range(b->elem, &min, &max) >= 0) {
                out.minDb = min / 100.0;
                out.maxDb = max / 100.0;
            }
        } else {
            out.hasLevel = snd_mixer_selem_has_playback_volume(b->elem) &&
                           snd_mixer_selem_get_playback_volume_range(b->elem, &min, &max) >= 0 &&
                           min < max;
            out.hasSwitch = snd_mixer_selem_has_playback_switch(b->elem);
            if (out.hasLevel && snd_mixer_selem_get_playback_dB_range(b->elem, &min, &max) >= 0) {
                out.minDb = min / 100.0;
                out.maxDb = max / 100.0;
            }
        }
    }
    return caps;
}

AudioValue<int> CAlsaAudioBridge::GetLevel(AudioControl control) {
    if (!mixer_) return {AudioResult::NotConnected("the headset's sound card is not there")};
    const Bound* b = BoundOf(control);
    if (!b->elem) return {AudioResult::Unsupported("the card has no such control")};
    long min = 0, max = 0, raw = 0;
    int err = b->capture ? snd_mixer_selem_get_capture_volume_range(b->elem, &min, &max)
                         : snd_mixer_selem_get_playback_volume_range(b->elem, &min, &max);
    if (err < 0) return {FromError(err, "range")};
    err = b->capture
              ? snd_mixer_selem_get_capture_volume(b->elem, SND_MIXER_SCHN_FRONT_LEFT, &raw)
              : snd_mixer_selem_get_playback_volume(b->elem, SND_MIXER_SCHN_FRONT_LEFT, &raw);
    if (err < 0) return {FromError(err, "read level")};
    const auto percent = RawToPercent(raw, {min, max});
    if (!percent) return {AudioResult::Unsupported("the control has a single level")};
    return {AudioResult::Done(), *percent};
}

AudioResult CAlsaAudioBridge::SetLevel(AudioControl control, int percent) {
    if (!mixer_) return AudioResult::NotConnected("the headset's sound card is not there");
    const Bound* b = BoundOf(control);
    if (!b->elem) return AudioResult::Unsupported("the card has no such control");
    const bool hasVolume = b->capture ? snd_mixer_selem_has_capture_volume(b->elem)
                                      : snd_mixer_selem_has_playback_volume(b->elem);
    if (!hasVolume) return AudioResult::Unsupported("the control has no level");
    long min = 0, max = 0;
    int err = b->capture ? snd_mixer_selem_get_capture_volume_range(b->elem, &min, &max)
                         : snd_mixer_selem_get_playback_volume_range(b->elem, &min, &max);
    if (err < 0) return FromError(err, "range");
    const auto raw = PercentToRaw(percent, {min, max});
    if (!raw) return AudioResult::Unsupported("the control has a single level");
    err = b->capture ? snd_mixer_selem_set_capture_volume_all(b->elem, *raw)
                     : snd_mixer_selem_set_playback_volume_all(b->elem, *raw);
    if (err < 0) return FromError(err, "set level");
    return AudioResult::Done();
}

AudioValue<bool> CAlsaAudioBridge::GetOn(AudioControl control) {
    if (!mixer_) return {AudioResult::NotConnected("the headset's sound card is not there")};
    const Bound* b = BoundOf(control);
    const bool has = b->elem && (b->capture ? snd_mixer_selem_has_capture_switch(b->elem)
                                            : snd_mixer_selem_has_playback_switch(b->elem));
    if (!has) return {AudioResult::Unsupported("the control has no switch")};
    int value = 0;
    const int err =
        b->capture
            ? snd_mixer_selem_get_capture_switch(b->elem, SND_MIXER_SCHN_FRONT_LEFT, &value)
            : snd_mixer_selem_get_playback_switch(b->elem, SND_MIXER_SCHN_FRONT_LEFT, &value);
    if (err < 0) return {FromError(err, "read switch")};
    return {AudioResult::Done(), value != 0};
}

AudioResult CAlsaAudioBridge::SetOn(AudioControl control, bool on) {
    if (!mixer_) return AudioResult::NotConnected("the headset's sound card is not there");
    const Bound* b = BoundOf(control);
    const bool has = b->elem && (b->capture ? snd_mixer_selem_has_capture_switch(b->elem)
                                            : snd_mixer_selem_has_playback_switch(b->elem));
    if (!has) return AudioResult::Unsupported("the control has no switch");
    const int err = b->capture ? snd_mixer_selem_set_capture_switch_all(b->elem, on ? 1 : 0)
                               : snd_mixer_selem_set_playback_switch_all(b->elem, on ? 1 : 0);
    if (err < 0) return FromError(err, "set switch");
    return AudioResult::Done();
}

}  // namespace audio
