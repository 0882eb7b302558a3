// skelmora-render: renders a layout or window offscreen to a PNG, or rasterises an SVG.
//
//   skelmora-render --layout XML_MSG --out msg.png [--skin DIR] [--lang lan_en.xml]
//                   [--dpi 144] [--set MessageText=message_text_7] [--restext MessageText]
//                   [--hide cancel_btn]
//   skelmora-render --svg icon.svg --out icon.png --size 64x64
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

#include "app/language.h"
#include "controls/picture_controls.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/resource_list.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"
#include "ui/window_impl.h"

namespace {
class RenderWindow : public WindowImplBase {
  public:
    explicit RenderWindow(QString layout) : m_layout(std::move(layout)) {}
    QString GetSkinFile() const override { return m_layout; }
    QString GetWindowClassName() const override { return QStringLiteral("RenderWnd"); }

  private:
    QString m_layout;
};

int fail(const QString& message) {
    std::fprintf(stderr, "skelmora-render: %s\n", qPrintable(message));
    return 1;
}

int renderSvg(const QString& svg, const QString& out, const QString& size) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return fail("not a readable SVG: " + svg);
    const QStringList wh = size.split('x');
    const QSize target =
        wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : renderer.defaultSize();
    if (target.isEmpty()) return fail("bad size: " + size);
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(out) ? 0 : fail("cannot write " + out);
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption layoutOption("layout", "Layout (resource name or file) to render.",
                                          "layout");
    const QCommandLineOption svgOption("svg", "SVG file to rasterise.", "svg");
    const QCommandLineOption outOption("out", "PNG file to write.", "png");
    const QCommandLineOption sizeOption("size", "Size of the rasterised SVG, WxH.", "size");
    const QCommandLineOption skinOption("skin", "Skin folder.", "dir");
    const QCommandLineOption langOption("lang", "Language file of the skin.", "file");
    const QCommandLineOption dpiOption("dpi", "DPI (48 to 192).", "dpi", "96");
    const QCommandLineOption setOption("set", "Sets a control's text: name=text.", "name=text");
    const QCommandLineOption resOption("restext", "Marks a control as showing a resource text.",
                                       "name");
    const QCommandLineOption hideOption("hide", "Hides a control.", "name");
    parser.addOptions({layoutOption, svgOption, outOption, sizeOption, skinOption, langOption,
                       dpiOption, setOption, resOption, hideOption});
    parser.process(app);
    if (!parser.isSet(outOption)) return fail("--out is required");
    const QString out = parser.value(outOption);
    if (parser.isSet(svgOption))
        return renderSvg(parser.value(svgOption), out, parser.value(sizeOption));
    if (!parser.isSet(layoutOption)) return fail("--layout or --svg is required");

    if (parser.isSet(skinOption)) ui::SetResourcePath(parser.value(skinOption));
    CResourceList::GetInstance().Load();
    ui::ApplySkinStyleSheet();
    controls::RegisterPictureControls(CControlFactory::GetInstance());
    SetFonts(QString::fromLatin1(kFontFace));
    if (parser.isSet(langOption) &&
        !CResourceManager::GetInstance().LoadLanguage(parser.value(langOption)))
        return fail("language file failed: " + parser.value(langOption));

    RenderWindow window(parser.value(layoutOption));
    if (!window.Create(nullptr, QStringLiteral("render")))
        return fail("layout failed: " + parser.value(layoutOption));
    for (const QString& name : parser.values(resOption))
        ui::SetResourceText(window.FindControl(name), true);
    for (const QString& assignment : parser.values(setOption)) {
        const qsizetype eq = assignment.indexOf('=');
        QWidget* control = eq > 0 ? window.FindControl(assignment.left(eq)) : nullptr;
        if (!control) return fail("no control for --set " + assignment);
        ui::SetText(control, assignment.mid(eq + 1));
    }
    for (const QString& name : parser.values(hideOption))
        ui::SetVisible(window.FindControl(name), false);
    window.PaintManager().SetDPI(parser.value(dpiOption).toInt());
    window.show();
    QCoreApplication::processEvents();
    const QPixmap shot = window.grab();
    return shot.save(out) ? 0 : fail("cannot write " + out);
}
