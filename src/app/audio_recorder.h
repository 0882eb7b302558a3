#pragma once
// CAudioRecorder: captures what the desktop plays for the keyboard's music modes. One worker
// thread opens the sound source, reads it and runs the analyser; each analysis reaches the UI
// thread by a queued call (signal `analysis`). It runs only while asked to (a connected
// keyboard in effect 29 or 30). When the source cannot be opened or breaks (no server, the
// server restarted, a refused file) the outage is logged once and the source is tried again
// every 5 s by a wait on the stop event; `inputChanged` says when sound comes and goes.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <thread>

#include "devices/audio_light/audio_analyser.h"
#include "platform/audio_source.h"
#include "platform/stop_event.h"

class CAudioRecorder : public QObject {
    Q_OBJECT
  public:
    using SourceFactory = std::function<std::unique_ptr<platform::IAudioSource>()>;
    static constexpr int kRetryMs = 5000;
    static constexpr int kReadTimeoutMs = 500;

    // The factory makes a fresh source for each attempt; one that returns nullptr means no
    // source at all (SKELMORA_AUDIO=none): nothing is captured.
    explicit CAudioRecorder(SourceFactory factory, QObject* parent = nullptr);
    ~CAudioRecorder() override;

    // Starts the worker when wanted and not running; stops and joins it when not wanted.
    void SetWanted(bool wanted);
    bool IsRunning() const { return worker_.joinable(); }
    // Stops and joins the worker (teardown); idempotent.
    void Stop();
    // Whether the last thing the worker said was that sound arrives (UI thread).
    bool HasSound() const { return hasSound_; }
    // Why there is no sound, in words (empty while there is).
    QString NoSoundReason() const { return reason_; }
    // The retry wait (tests shorten it).
    void SetRetryMs(int ms) { retryMs_ = ms; }

  signals:
    void analysis(const audio_light::AudioAnalysis& result);
    // hasSound false: the source is missing or broke (reason in words); true: sound arrives.
    void inputChanged(bool hasSound, const QString& reason);

  private:
    void Run();
    void Report(bool hasSound, const std::string& reason);

    SourceFactory factory_;
    std::thread worker_;
    platform::StopEvent stop_{platform::StopEvent::Mode::ManualReset};
    int retryMs_ = kRetryMs;
    bool hasSound_ = false;
    QString reason_;
};
