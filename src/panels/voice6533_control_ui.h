#pragma once
// CVoice6533ControlUI ("Voice6533Control"): the headset's voice panel, found on the page as
// "Voice6533ControlItem" and built from "XML/CustomControlXML/Voice6533Control.xml": the
// thirteen equaliser options, ten band sliders, the custom equaliser names, and the
// microphone and monitoring switches and levels. It only shows values: every setter is
// silent (no notification). Its notifications go to the handler the headset gives
// (CHeadsetAudioControl); a missing control reads as -1 / none.
#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/notify.h"

class CVoice6533ControlUI : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "Voice6533Control";
    static constexpr char kItemName[] = "Voice6533ControlItem";
    static constexpr int kNameItemHeight = 30;

    explicit CVoice6533ControlUI(QWidget* parent = nullptr);
    static QWidget* Create(QWidget* parent) { return new CVoice6533ControlUI(parent); }

    void SetHandler(INotifyUI* handler) { handler_ = handler; }
    INotifyUI* Handler() const { return handler_; }
    void Notify(TNotifyUI& msg) override;

    void SetEqPreset(int p);
    int GetEqPreset() const { return preset_; }
    void SetBandGain(int band, int gain);
    int GetBandGain(int band) const;
    void EnableCustomEq(bool enable);
    bool IsCustomEqEnabled() const;
    void SetMicIn(bool on);
    bool IsMicIn() const;
    void SetMicMonitor(bool on);
    bool IsMicMonitor() const;
    void SetMicInLevel(int level);
    int GetMicInLevel() const;
    void SetMicMonitorLevel(int level);
    int GetMicMonitorLevel() const;

    void AddCustomEqName(const QString& name);
    void SelectCustomEq(int i);
    int GetCustomEqSelection() const;
    int GetCustomEqCount() const;
    QString GetCustomEqName(int i) const;
    void RemoveCustomEq(int i);
    void ClearCustomEqs();
    QString GetCustomEqEditText() const;
    void SetCustomEqEditText(const QString& text);

    // Linux availability: the monitoring controls and the equaliser greyed out with the
    // reason shown ("monitor_unavailable_text", "eq_unavailable_text").
    void SetMonitorAvailable(bool available);
    void SetEqAvailable(bool available);
    void SetMicAvailable(bool available);

    QWidget* Control(const char* name) const;
    QWidget* Control(const QString& name) const;

  private:
    int preset_ = 0;
    INotifyUI* handler_ = nullptr;
};

// Registers "Voice6533Control" and "CVoice6533ControlUI" with the control factory.
void RegisterVoice6533Control();
