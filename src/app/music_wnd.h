#pragma once
// CMusicWnd ("MusicWnd", layout "music.xml"): the four colour styles of the music effects.
// The options "audio_select_tab1".."4" choose the style the sliders "audio_r_slider",
// "audio_g_slider", "audio_b_slider" (0..9) edit; the edits "audio_edit_name1".."4" hold the
// names (an edit left empty names the style "第一组".."第四组"; a name longer than 32
// characters is shown shortened and kept whole unless its edit is changed). "okbtn" closes with
// 1, "closebtn" and the window manager's close with 0 (cancel).
#include "profiles/audio_style_set.h"
#include "ui/notify_table.h"
#include "ui/window_impl.h"

class CMusicWnd : public WindowImplBase {
    Q_OBJECT
  public:
    static constexpr int kWidth = 369;
    static constexpr int kHeight = 276;
    static constexpr int kDpiValues[] = {48, 72, 96, 120, 144, 168, 192};

    explicit CMusicWnd(QWidget* parent = nullptr) : WindowImplBase(parent) {}
    QString GetSkinFile() const override { return QStringLiteral("music.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("MusicWnd"); }
    void Notify(TNotifyUI& msg) override;

    // The set shown; call before or after Create (the controls show it once they exist).
    void SetStyleSet(const profiles::AudioStyleSet& set);
    const profiles::AudioStyleSet& StyleSet() const { return set_; }
    // One of 48, 72, ... 192; any other value is traced as "SET_WND DPI SET ERROR" and 96 used.
    void SetDPI(int dpi);

    static const ui::NotifyRow<CMusicWnd> kRows[];

  protected:
    void InitWindow() override;

  private:
    void ShowSet();
    void ShowColour();
    // The style of the first selected option, 0 when none is; -1 (traced) when an option is
    // missing.
    int SelectedOption() const;

    void OnTab(TNotifyUI& msg);
    void OnSlider(TNotifyUI& msg);
    void OnNameLeft(TNotifyUI& msg);
    void OnOk(TNotifyUI& msg);
    void OnCancel(TNotifyUI& msg);

    profiles::AudioStyleSet set_;
    bool showing_ = false;  // the controls are being filled: their notifications are ours
};
