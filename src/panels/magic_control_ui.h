#pragma once
// CMagicControlUI ("MagicControl"): the headset's voice-changer panel, found on the page as
// "MagicControlItem" and built from "XML/CustomControlXML/MagicControl.xml". On Linux the
// voice changer has no counterpart (see docs/headset-audio.md): the panel shows the
// profile's values, greyed out with "voice_changer_unavailable_text".
#include <QWidget>

#include "ui/notify.h"

class CMagicControlUI : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "MagicControl";
    static constexpr char kItemName[] = "MagicControlItem";

    explicit CMagicControlUI(QWidget* parent = nullptr);
    static QWidget* Create(QWidget* parent) { return new CMagicControlUI(parent); }

    void SetHandler(INotifyUI* handler) { handler_ = handler; }
    INotifyUI* Handler() const { return handler_; }
    void Notify(TNotifyUI& msg) override;

    void SetVoiceChangerOn(bool on);
    bool IsVoiceChangerOn() const;
    void SetVoiceChangerSelection(int k);
    int GetVoiceChangerSelection() const;  // 0 when none
    void SetAvailable(bool available);

  private:
    QWidget* Control(const QString& name) const { return findChild<QWidget*>(name); }
    INotifyUI* handler_ = nullptr;
};

void RegisterMagicControl();
