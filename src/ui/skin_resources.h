#pragma once
// Where the skin lives and how image strings become files.
//
// The skin folder holds "res.xml", the layouts, images and language files. Image strings in
// layouts are either a plain path ("common/background.png") or the attribute form
// "file='common/background.png'"; relative paths are taken from the skin folder, absolute
// paths (a picture of the user's) as they stand.
#include <QHash>
#include <QPixmap>
#include <QString>

namespace ui {
// The skin folder: set at start-up (or by tests); by default the first folder that holds a
// "res.xml" among $SKELMORA_SKIN_DIR and <data folder>/skin (platform/data_paths.h); empty when
// neither holds one.
void SetResourcePath(const QString& folder);
QString GetResourcePath();
// A file of the skin: absolute paths unchanged, relative ones under the skin folder.
QString ResolveSkinFile(const QString& relative);
// The file named by an image string, or empty for an empty string.
QString ImageFileOf(const QString& imageString);
// The picture of an image string (cached); a null pixmap, with a logged warning once per
// file, when the file is missing or unreadable.
QPixmap LoadSkinImage(const QString& imageString);
}  // namespace ui

namespace ui {
// Loads the skin's application style sheet "style.qss" (its "${SKIN}" stands for the skin
// folder) and applies it to the application, its check box and option indicators sized for
// the layout's DPI (96 is the sheet's own size). False, logged, when the file is missing.
bool ApplySkinStyleSheet(int dpi = 96);
// Applies the style sheet again for another DPI, when one was applied (a program without the
// skin's sheet keeps the look it has).
void RescaleSkinStyleSheet(int dpi);
// The sheet with the pixel lengths of its "::indicator" rules scaled from 96 DPI to dpi: the
// layout scales every control's size and font, but a style sheet's lengths stay as written.
QString ScaleIndicatorRules(const QString& sheet, int dpi);
}  // namespace ui

namespace ui {
// Parses a skin file's content into a name -> text table; false with the reason when the
// content is malformed.
using SkinTableParser = bool (*)(const QByteArray& content, QHash<QString, QString>& table,
                                 QString& error);
// Reads a skin file (relative to the skin folder, or absolute) and parses it. On failure
// logs why, naming the file as `what` ("language file"), leaves `table` untouched and
// returns false.
bool LoadSkinTable(const QString& file, const char* what, SkinTableParser parse,
                   QHash<QString, QString>& table);
}  // namespace ui
