#include "ui/font_table.h"

#include <QStringList>
#include <map>

#include "ui/dpi_scale.h"

namespace ui {
namespace {
struct Table {
    std::map<int, FontSpec> fonts;
    FontSpec defaultFont{QStringLiteral("DejaVu Sans"), 14};
    int generation = 0;
};
Table& table() {
    static Table t;
    return t;
}
}  // namespace

void CFontTable::RemoveAllFonts() {
    table().fonts.clear();
    ++table().generation;
}

void CFontTable::AddFont(int id, const FontSpec& font) {
    table().fonts[id] = font;
    ++table().generation;
}

void CFontTable::SetDefaultFont(const FontSpec& font) {
    table().defaultFont = font;
    ++table().generation;
}

bool CFontTable::HasFont(int id) { return table().fonts.count(id) != 0; }

QFont CFontTable::Font(int id, int dpi) {
    const auto it = table().fonts.find(id);
    return MakeFont(it == table().fonts.end() ? table().defaultFont : it->second, dpi);
}

QFont CFontTable::DefaultFont(int dpi) { return MakeFont(table().defaultFont, dpi); }

int CFontTable::Generation() { return table().generation; }

QFont MakeFont(const FontSpec& entry, int dpi) {
    QFont font;
    QStringList families;
    if (!entry.face.isEmpty()) families << entry.face;
    families << QStringLiteral("DejaVu Sans") << QStringLiteral("Noto Sans CJK SC")
             << QStringLiteral("Noto Sans");
    font.setFamilies(families);
    font.setPixelSize(ScaleByDpi(entry.pixelSize > 0 ? entry.pixelSize : 14, dpi));
    font.setBold(entry.bold);
    font.setUnderline(entry.underline);
    font.setItalic(entry.italic);
    return font;
}
}  // namespace ui
