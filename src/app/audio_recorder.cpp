#include "app/audio_recorder.h"

#include <pthread.h>

#include <QMetaObject>
#include <chrono>
#include <vector>

#include "platform/log_categories.h"

CAudioRecorder::CAudioRecorder(SourceFactory factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory)) {
    qRegisterMetaType<audio_light::AudioAnalysis>("audio_light::AudioAnalysis");
}

CAudioRecorder::~CAudioRecorder() { Stop(); }

void CAudioRecorder::SetWanted(bool wanted) {
    if (wanted == IsRunning()) return;
    if (!wanted) {
        Stop();
        return;
    }
    stop_.Reset();
    worker_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "audio-recorder");  // as tools list the threads
        Run();
    });
}

void CAudioRecorder::Stop() {
    if (!worker_.joinable()) return;
    stop_.Set();
    worker_.join();
    stop_.Reset();
}

void CAudioRecorder::Report(bool hasSound, const std::string& reason) {
    const QString text = QString::fromStdString(reason);
    QMetaObject::invokeMethod(
        this,
        [this, hasSound, text] {
            hasSound_ = hasSound;
            reason_ = hasSound ? QString() : text;
            emit inputChanged(hasSound, reason_);
        },
        Qt::QueuedConnection);
}

void CAudioRecorder::Run() {
    bool inOutage = false;
    bool soundSeen = false;
    // An outage is logged once, when it starts; sound ends it.
    auto outage = [&](const std::string& reason) {
        if (!inOutage) {
            qCWarning(lcAudio).noquote() << "no sound to follow:" << QString::fromStdString(reason)
                                         << "(trying again every" << retryMs_ / 1000 << "s)";
            Report(false, reason);
        }
        inOutage = true;
        soundSeen = false;
    };
    std::vector<float> block(2048);
    while (!stop_.TryConsume()) {
        std::unique_ptr<platform::IAudioSource> source = factory_ ? factory_() : nullptr;
        if (!source) {
            outage("no sound source is chosen (SKELMORA_AUDIO=none)");
            stop_.Wait(std::chrono::milliseconds(-1));
            return;
        }
        const platform::AudioOpenResult opened = source->Open();
        if (!opened.ok) {
            outage(opened.detail);
            if (stop_.Wait(std::chrono::milliseconds(retryMs_))) return;
            continue;
        }
        audio_light::AudioAnalyser analyser(source->SampleRate());
        audio_light::AudioAnalysis result;
        bool again = true;
        while (again) {
            if (stop_.TryConsume()) return;
            const platform::AudioReadResult read = source->Read(block, kReadTimeoutMs, stop_.Fd());
            switch (read.status) {
                case platform::AudioReadStatus::Data: {
                    if (!soundSeen && read.count > 0) {
                        soundSeen = true;
                        inOutage = false;
                        Report(true, {});
                    }
                    std::span<const float> samples(block.data(), read.count);
                    while (analyser.Feed(samples, result)) {
                        QMetaObject::invokeMethod(
                            this, [this, result] { emit analysis(result); }, Qt::QueuedConnection);
                    }
                    break;
                }
                case platform::AudioReadStatus::TimedOut:
                    break;  // an idle output sends nothing; keep waiting
                case platform::AudioReadStatus::Stopped:
                    return;
                case platform::AudioReadStatus::Ended:
                    // A file played to its end starts again after the retry wait.
                    if (stop_.Wait(std::chrono::milliseconds(retryMs_))) return;
                    again = false;
                    break;
                case platform::AudioReadStatus::Failed:
                    outage(source->LastError().empty() ? "the sound source broke"
                                                       : source->LastError());
                    if (stop_.Wait(std::chrono::milliseconds(retryMs_))) return;
                    again = false;
                    break;
            }
        }
    }
}
