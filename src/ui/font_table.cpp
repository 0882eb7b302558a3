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

void CFontTable::AddFont(int id, const FontSpec& spec) {
    table().fonts[id] = spec;
    ++table().generation;
}

void CFontTable::SetDefaultFont(const FontSpec& spec) {
    table().defaultFont = spec;
    ++table().generation;
}

bool CFontTable::HasFont(int id) { return table().fonts.count(id) != 0; }

QFont CFontTable::Font(int id, int dpi) {
    const auto it = table().fonts.find(id);
    return MakeFont(it == table().fonts.end() ? table().defaultFont : it->second, dpi);
}

QFont CFontTable::DefaultFont(int dpi) { return MakeFont(table().defaultFont, dpi); }

int CFontTable::Generation() { return table().generation; }

QFont MakeFont(const FontSpec& spec, int dpi) {
    QFont font;
    QStringList families;
    if (!spec.face.isEmpty()) families << spec.face;
    families << QStringLiteral("DejaVu Sans") << QStringLiteral("Noto Sans CJK SC")
             << QStringLiteral("Noto Sans");
    font.setFamilies(families);
    font.setPixelSize(ScaleByDpi(spec.pixelSize > 0 ? spec.pixelSize : 14, dpi));
    font.setBold(spec.bold);
    font.setUnderline(spec.underline);
    font.setItalic(spec.italic);
    return font;
}
}  // namespace ui
