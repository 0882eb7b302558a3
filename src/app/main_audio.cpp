#include "app/main_audio.h"

#include <QTimer>

#include "devices/audio_light/audio_level_rule.h"
#include "devices/skelmora_keyboard_device.h"

CMainAudio::CMainAudio(KeyboardList keyboards, CAudioRecorder::SourceFactory factory,
                       QObject* parent)
    : QObject(parent),
      keyboards_(std::move(keyboards)),
      recorder_(std::make_unique<CAudioRecorder>(std::move(factory))) {
    connect(recorder_.get(), &CAudioRecorder::analysis, this, &CMainAudio::OnAnalysis);
    connect(recorder_.get(), &CAudioRecorder::inputChanged, this, &CMainAudio::OnInputChanged);
    check_ = new QTimer(this);
    check_->setInterval(kCheckMs);
    connect(check_, &QTimer::timeout, this, &CMainAudio::Reconsider);
    check_->start();
}

CMainAudio::~CMainAudio() { Stop(); }

bool CMainAudio::MusicWanted() const {
    for (CSkelmoraUSBDevice* device : keyboards_()) {
        auto* keyboard = qobject_cast<CSkelmoraKeyboardDevice*>(device);
        if (!keyboard || !keyboard->CommandChannel().IsOpened()) continue;
        const int code = keyboard->CurrentEffectCode();
        if (code == audio_light::kRhythmEffectCode || code == audio_light::kSpectrumEffectCode)
            return true;
    }
    return false;
}

void CMainAudio::Reconsider() {
    const bool wanted = MusicWanted();
    if (wanted == recorder_->IsRunning()) return;
    recorder_->SetWanted(wanted);
    if (!wanted) GiveIdle();
}

void CMainAudio::Stop() {
    check_->stop();
    recorder_->Stop();
}

void CMainAudio::OnAnalysis(const audio_light::AudioAnalysis& result) {
    const std::vector<CSkelmoraUSBDevice*> keyboards = keyboards_();
    CSkelmoraUSBDevice* first = keyboards.empty() ? nullptr : keyboards.front();
    // The frames are processed whether or not a keyboard takes them.
    const bool handOver = processor_.LevelFrame(result.levels, handed_);
    const std::array<int, audio_light::kBandValues>& bands = processor_.BandValues(result.bands);
    if (!first) return;
    if (handOver) first->SetAudioLevels(handed_);
    first->SetAudioBands(bands);
    first->SetAudioLevel(result.level);
}

void CMainAudio::SetStyleColour(audio_light::StyleColour colour) {
    style_ = colour;
    for (CSkelmoraUSBDevice* device : keyboards_())
        device->SetAudioStyleColour(colour.red, colour.green, colour.blue);
}

void CMainAudio::OnInputChanged(bool hasSound, const QString& reason) {
    if (!hasSound) GiveIdle();
    emit inputChanged(hasSound, reason);
}

void CMainAudio::GiveIdle() {
    const std::vector<CSkelmoraUSBDevice*> keyboards = keyboards_();
    if (keyboards.empty()) return;
    const std::array<int, audio_light::kBandValues> silent{};
    keyboards.front()->SetAudioBands(silent);
    keyboards.front()->SetAudioLevel(0);
}
