#pragma once
// CColorSelectWnd ("ColorSelectWnd", layout "XML/PalletDialog.xml"): the colour palette
// dialog. The user picks one colour from the palette "Pallet", twenty fixed swatches
// ("color_option_" 0..19, colours from the layout), twenty swatches of their own collection
// ("collect_color_option_" 0..19, user data "1" when filled) or the edits "color_edit_r",
// "_g", "_b"; the preview "color_show_btn" shows the colour that "okbtn" confirms. The
// collected swatches and the last chosen swatches are kept in the swatch file
// (color_option_file.h), written on each change.
//
// PickColour opens it modally, owned by the main window, and counts it among the main window's
// secondary windows while it is open. Closing it from the window manager cancels, like
// "closebtn"; it never ends the program.
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>

#include "ui/window_impl.h"

class CColorSelectWnd : public WindowImplBase {
    Q_OBJECT
  public:
    static constexpr char kTitle[] = "PalletDialog";
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    static constexpr int kSwatches = 20;
    static constexpr int kConfirmed = 1;
    static constexpr int kNoPalette = 2;
    static constexpr int kCancelled = 0;
    // The language message of the main window: the dialog repaints.
    static constexpr int kLanguageMessage = 0xC11;
    static constexpr char kSevenColourImage[] = "common/base1.png";

    explicit CColorSelectWnd(QWidget* parent = nullptr);
    ~CColorSelectWnd() override;

    QString GetSkinFile() const override { return QStringLiteral("XML_PALLET"); }
    QString GetWindowClassName() const override { return QStringLiteral("ColorSelectWnd"); }
    void Notify(TNotifyUI& msg) override;

    // Shows the dialog modally, starting from initial (0xAARRGGBB), and returns the colour on
    // confirmation; nothing when cancelled, when the layout cannot be built, or when a palette
    // dialog is open already.
    static std::optional<uint32_t> PickColour(QWidget* opener, uint32_t initial);
    // The dialog open now, if any.
    static CColorSelectWnd* OpenDialog();
    // The main window: the owner of every palette dialog, and what it is told when one opens
    // (the dialog) and closes (nullptr). Without one the opener's window owns the dialog.
    using SecondaryHook = std::function<void(CColorSelectWnd* dialog)>;
    static void SetMainWindow(QWidget* mainWindow, SecondaryHook hook);

    // The DPI a dialog takes from the main window's: 48, 72, 96, 120, 144, 168 or 192 as they
    // are; any other value is logged ("SET_WND DPI SET ERROR") and gives 96.
    static int DialogDpi(int mainWindowDpi);

    void SetColour(uint32_t argb);
    void SetSevenColour(bool on);
    void ShowSevenColour(bool show);
    uint32_t GetColour() const { return colour_; }
    bool GetSevenColour() const { return sevenColour_; }
    // The colour "okbtn" confirmed (the preview's background).
    uint32_t GetResultColour() const { return result_; }
    int GetFixedIndex() const { return fixedIndex_; }
    int GetCollectedIndex() const { return collectedIndex_; }

    // A message of the main window (kLanguageMessage repaints).
    void HandleMessage(int message);

    // The user's swatch file and the shipped one.
    static QString UserSwatchFile();
    static QString ShippedSwatchFile();

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void OnWindowInit();
    void OnFixedChosen(int n);
    void OnCollectedChosen(int n);
    void OnPaletteChanged();
    void OnEditsLeft();
    void OnSevenColourToggled();
    void FillChosenCollected();
    void SaveFixedSwatches();
    void SaveCollectedSwatches();
    void ShowComponents(uint32_t argb);
    void SelectInPalette(uint32_t argb);
    void PaintCollected(QWidget* option, uint32_t argb);
    void SwapMaxRestore();
    QWidget* Swatch(const char* prefix, int n) const;

    uint32_t colour_ = 0xFF000000u;
    uint32_t result_ = 0;
    bool sevenColour_ = false;
    int fixedIndex_ = 0;
    int collectedIndex_ = -1;

    static QPointer<CColorSelectWnd> s_open;
    static QPointer<QWidget> s_mainWindow;
    static SecondaryHook s_secondaryHook;
};

namespace color_options {
// The value of a colour edit: its leading decimal digits (none: 0), at most 255; and the text
// the edit should show instead, when it differs (empty text shows "0", above 255 "255"). Pure.
struct ComponentEntry {
    int value = 0;
    std::optional<QString> rewrite;
};
ComponentEntry ReadComponent(const QString& text);
}  // namespace color_options
