#pragma once
// CSkinFrame: the pop-up under the title bar's "skinbtn" where the user picks the main
// window's background: a picture of the skin ("skin_image_btn"), a colour ("skin_color_btn"),
// a picture file ("skin_Custom"), or the default picture ("skin_reset"). Choices go to the
// skin-change observer; skin pictures and the reset are remembered in "main.ini".
#include <functional>

#include "app/skin_observer.h"
#include "ui/window_impl.h"

class CSkinFrame : public WindowImplBase {
    Q_OBJECT
  public:
    static constexpr char kDefaultBackground[] = "common/background.png";

    // Creates the frame (layout "skin.xml"), places its right edge under the anchor's right
    // edge, just below it, and shows it. The frame deletes itself when it closes (it closes
    // when it loses the focus).
    CSkinFrame(QWidget* mainWindow, QWidget* anchor);
    // The same, without showing (tests and screenshots).
    CSkinFrame(QWidget* mainWindow, QWidget* anchor, bool show);

    QString GetSkinFile() const override { return QStringLiteral("skin.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("UISkinFrame"); }

    // "(*.png)" file picker; returns the chosen path or empty when cancelled. Replaceable.
    std::function<QString(QWidget* parent)> pickPicture;

    void Notify(TNotifyUI& msg) override;

    // "main.ini" in the user data folder.
    static QString MainIniPath();

  protected:
    void OnFinalMessage() override;
    void changeEvent(QEvent* event) override;

  private:
    void placeUnder(QWidget* anchor);
    static void remember(const QString& flags, const QString& image);

    bool m_picking = false;
};
