#pragma once
// CMainAudio: the main window's audio state. It owns the recorder, runs the frame processor on
// each analysis and hands the results to the first keyboard (levels every third frame, band
// values and overall level every time), keeps the recorder running only while a connected
// keyboard is in effect 29 or 30, and gives the keyboards the music window's selected style
// colour. Without sound the keyboard gets zeros: its effect's idle picture.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/audio_recorder.h"
#include "devices/audio_light/audio_frame_processor.h"
#include "devices/audio_light/audio_light_step.h"
#include "profiles/audio_style_set.h"

class CSkelmoraUSBDevice;
class QTimer;

class CMainAudio : public QObject {
    Q_OBJECT
  public:
    // The lighting panel's audio page shows this text identifier while there is no sound.
    static constexpr char kNoInputTextId[] = "audio_no_input_text";
    // How often the keyboards' effects are looked at to start or stop the recorder.
    static constexpr int kCheckMs = 1000;

    using KeyboardList = std::function<std::vector<CSkelmoraUSBDevice*>()>;
    CMainAudio(KeyboardList keyboards, CAudioRecorder::SourceFactory factory,
               QObject* parent = nullptr);
    ~CMainAudio() override;

    // Starts or stops the recorder by the keyboards' effects now (also every kCheckMs).
    void Reconsider();
    // Stops and joins the recorder (teardown); the check stops too.
    void Stop();
    // One analysis, as the recorder hands it over (UI thread; public for tests).
    void OnAnalysis(const audio_light::AudioAnalysis& result);
    // The selected style's colour (channels 0..9), given to every keyboard at once.
    void SetStyleColour(audio_light::StyleColour colour);
    audio_light::StyleColour StyleColour() const { return style_; }

    // ---- The four styles and "AudioFile.json" ----
    // The user's file and the shipped default of this program (the user data folder's
    // "AudioFile.json", the default data folder's "AudioFile.json").
    static profiles::AudioFilePaths ProgramAudioFilePaths();
    // Reads the user's file (the shipped default replaces a missing or broken one), takes its
    // style set and gives the keyboards the selected style's colour.
    void LoadAudioStyles(const profiles::AudioFilePaths& paths);
    // The profile reset: the shipped default over the user's file, the set read again.
    void ResetAudioFile();
    const profiles::AudioStyleSet& Styles() const { return styles_; }
    const Json::Value& Document() const { return document_; }
    // The music window's OK: the set into the document and the user's file, its colour to the
    // keyboards. False when the file could not be written (the set is used all the same).
    bool SaveStyles(const profiles::AudioStyleSet& set);

    CAudioRecorder& Recorder() { return *recorder_; }
    const audio_light::AudioFrameProcessor& Processor() const { return processor_; }
    // Whether a connected keyboard is in a music effect.
    bool MusicWanted() const;
    // False while the panel should show kNoInputTextId (recorder running, no sound yet).
    bool HasSound() const { return recorder_->HasSound(); }

  signals:
    // For the lighting panel's audio page: show kNoInputTextId while !hasSound.
    void inputChanged(bool hasSound, const QString& reason);

  private:
    void OnInputChanged(bool hasSound, const QString& reason);
    void GiveIdle();
    void TakeDocument(const Json::Value& device);

    KeyboardList keyboards_;
    std::unique_ptr<CAudioRecorder> recorder_;
    audio_light::AudioFrameProcessor processor_;
    std::array<int, audio_light::kLevelBands> handed_{};
    audio_light::StyleColour style_;
    QTimer* check_ = nullptr;
    profiles::AudioFilePaths paths_;
    Json::Value document_;
    profiles::AudioStyleSet styles_;
};
