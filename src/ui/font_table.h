#pragma once
// The shared font table of the windows: fonts by number, as layouts name them with the
// dynamic property "fontid" (int). A control without one uses the default font.
// Sizes are in pixels at 96 DPI; ApplyDpi scales them.
#include <QFont>
#include <QString>

namespace ui {
struct FontSpec {
    QString face;
    int pixelSize = 14;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class CFontTable {
  public:
    static void RemoveAllFonts();
    static void AddFont(int id, const FontSpec& font);
    static void SetDefaultFont(const FontSpec& font);
    static bool HasFont(int id);
    // The font of that id (the default font for an unknown id), scaled to the DPI.
    static QFont Font(int id, int dpi);
    static QFont DefaultFont(int dpi);
    // Increases on every change, so windows can tell that they must re-apply fonts.
    static int Generation();
};

// Qt font with fall-back families: the named face first, then faces that cover Latin and
// CJK text on every Debian desktop.
QFont MakeFont(const FontSpec& font, int dpi);
}  // namespace ui
