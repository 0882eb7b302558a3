#include "app/main_audio.h"

#include <QStandardPaths>
#include <QTimer>

#include "devices/audio_light/audio_level_rule.h"
#include "devices/device_folders.h"
#include "devices/skelmora_keyboard_device.h"
#include "platform/log_categories.h"

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

profiles::AudioFilePaths CMainAudio::ProgramAudioFilePaths() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    profiles::AudioFilePaths paths;
    paths.user = std::filesystem::path(
        (base + '/' + QLatin1String(device_folders::kProductFolder) + "/AudioFile.json")
            .toStdString());
    paths.shipped = std::filesystem::path(
        (device_folders::ProgramDefaultDataFolder() + "AudioFile.json").toStdString());
    return paths;
}

void CMainAudio::TakeDocument(const Json::Value& device) {
    document_ = device;
    styles_ = profiles::ReadAudioStyleSet(document_);
    const auto& colour = styles_.colours[styles_.selected];
    SetStyleColour({colour[0], colour[1], colour[2]});
}

void CMainAudio::LoadAudioStyles(const profiles::AudioFilePaths& paths) {
    paths_ = paths;
    std::error_code error;
    std::filesystem::create_directories(paths_.user.parent_path(), error);
    const profiles::AudioFileLoad load = profiles::LoadAudioFile(paths_);
    if (!load.written) qCWarning(lcApp) << "AudioFile.json could not be written";
    TakeDocument(load.device);
}

void CMainAudio::ResetAudioFile() {
    const profiles::AudioFileLoad load = profiles::ResetAudioFile(paths_);
    if (!load.written) qCWarning(lcApp) << "AudioFile.json could not be reset";
    TakeDocument(load.device);
}

bool CMainAudio::SaveStyles(const profiles::AudioStyleSet& set) {
    profiles::WriteAudioStyleSet(set, document_);
    TakeDocument(document_);
    return profiles::SaveAudioFile(paths_, document_);
}
