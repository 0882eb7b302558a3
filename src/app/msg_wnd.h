#pragma once
// CMsgWnd: the modal message window (layout "XML_MSG"): a title, a text and the buttons
// "confirm_btn" (result 1) and "cancel_btn" (result 0); the close button also gives 0.
#include "ui/window_impl.h"

class CMsgWnd : public WindowImplBase {
    Q_OBJECT
  public:
    // Which buttons ShowMessage shows.
    enum Buttons { kConfirmOnly = 0, kConfirmAndCancel = 1 };
    static constexpr int kDpiValues[] = {48, 72, 96, 120, 144, 168, 192};

    explicit CMsgWnd(QWidget* parent = nullptr) : WindowImplBase(parent) {}

    QString GetSkinFile() const override { return QStringLiteral("XML_MSG"); }
    QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }

    // One of 48, 72, ... 192 becomes the window's DPI; any other value is traced as
    // "MSG_WND DPI SET ERROR" and 96 is used. New windows then start with it too.
    void SetDPI(int dpi);
    int GetDPI() const { return m_dpi; }

    void Notify(TNotifyUI& msg) override;

  protected:
    // Drawn for 96 DPI until SetDPI says otherwise, whatever the last window used.
    void InitWindow() override { PaintManager().SetDPI(m_dpi); }

  private:
    int m_dpi = 96;
};

// Shows a message modally over `owner` and returns 1 for "confirm_btn", 0 for "cancel_btn"
// and the close button. An empty title keeps the layout's title; with textIsResource the
// text is a text identifier. buttons: 0 confirm only, 1 confirm and cancel, other values keep
// the layout's buttons. Returns 0 without showing anything when the layout cannot be built.
int ShowMessage(QWidget* owner, const QString& title, const QString& text, int dpi,
                bool textIsResource, int buttons);
