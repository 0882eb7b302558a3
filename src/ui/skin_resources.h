#pragma once
// Where the skin lives and how image strings become files.
//
// The skin folder holds "res.xml", the layouts, images and language files. Image strings in
// layouts are either a plain path ("common/background.png") or the attribute form
// "file='common/background.png'"; relative paths are taken from the skin folder, absolute
// paths (a picture of the user's) as they stand.
#include <QPixmap>
#include <QString>

namespace ui {
// The skin folder: set at start-up (or by tests); by default the first folder that holds a
// "res.xml" among $SKELMORA_SKIN_DIR, <program folder>/skin, <program folder>/../skin,
// <program folder>/../../skin.
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
// folder) and applies it to the application. False, logged, when the file is missing.
bool ApplySkinStyleSheet();
}  // namespace ui
