#include "ui/layout_loader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QUiLoader>
#include <QWidget>
#include <QXmlStreamReader>

#include "platform/log_categories.h"
#include "ui/control_factory.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/control_wiring.h"
#include "ui/resource_list.h"
#include "ui/skin_resources.h"

namespace {
// Composites may contain composites; a layout that (indirectly) contains itself stops here.
constexpr int kMaxCompositeDepth = 8;

constexpr const char* kLookProperties[] = {"bkcolor",          "bkimage",       "normalimage",
                                           "hotimage",         "pushedimage",   "selectedimage",
                                           "selectedhotimage", "disabledimage", "textcolor"};

BuildResult buildFromData(const QByteArray& layout, const QString& label, QWidget* parent,
                          int depth);

BuildResult buildFromFile(const QString& nameOrFile, QWidget* parent, int depth) {
    const QString relative = CResourceList::GetInstance().Resolve(nameOrFile);
    const QString path = ui::ResolveSkinFile(relative);
    if (path.isEmpty()) return {nullptr, QStringLiteral("no layout file named")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {nullptr,
                QStringLiteral("layout file %1 cannot be read: %2").arg(path, file.errorString())};
    return buildFromData(file.readAll(), path, parent, depth);
}

bool layoutFileExists(const QString& nameOrFile) {
    const QString path = ui::ResolveSkinFile(CResourceList::GetInstance().Resolve(nameOrFile));
    return !path.isEmpty() && QFile::exists(path);
}

class Loader : public QUiLoader {
  public:
    explicit Loader(int depth) : m_depth(depth) {
        setTranslationEnabled(false);
        setWorkingDirectory(QDir(ui::GetResourcePath()));
    }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        const CControlFactory& factory = CControlFactory::GetInstance();
        QWidget* widget = nullptr;
        const QString composite = factory.CompositeLayout(className);
        if (!composite.isEmpty()) {
            if (m_depth >= kMaxCompositeDepth) {
                fail(QStringLiteral("composite %1 nests deeper than %2 layouts")
                         .arg(className)
                         .arg(kMaxCompositeDepth));
                return nullptr;
            }
            if (factory.HasPlaceholder(className) && !layoutFileExists(composite)) {
                // A panel whose layout is not in this skin yet: an empty container stands in.
                qCDebug(lcUi).noquote() << "composite" << className << "has no layout file"
                                        << composite << "yet: a placeholder stands in";
                widget = factory.CreatePlaceholder(className, parent);
            } else {
                BuildResult inner = buildFromFile(composite, parent, m_depth + 1);
                if (!inner) {
                    fail(QStringLiteral("composite %1: %2").arg(className, inner.error));
                    return nullptr;
                }
                widget = inner.root;
            }
        } else if (factory.HasControl(className)) {
            widget = factory.CreateControl(className, parent);
        } else {
            widget = QUiLoader::createWidget(className, parent, name);
        }
        if (!widget) {
            fail(QStringLiteral("unknown control class %1 (control %2)").arg(className, name));
            return nullptr;
        }
        widget->setObjectName(name);
        return widget;
    }

    const QString& failure() const { return m_failure; }

  private:
    void fail(const QString& reason) {
        if (m_failure.isEmpty()) m_failure = reason;
    }

    int m_depth;
    QString m_failure;
};

QString xmlProblem(const QByteArray& layout) {
    QXmlStreamReader xml(layout);
    if (!xml.readNextStartElement())
        return xml.hasError() ? xml.errorString() : QStringLiteral("empty document");
    if (xml.name() != QLatin1String("ui")) return QStringLiteral("the root element is not <ui>");
    while (!xml.atEnd()) xml.readNext();
    if (xml.hasError())
        return QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return {};
}

BuildResult buildFromData(const QByteArray& layout, const QString& label, QWidget* parent,
                          int depth) {
    if (const QString problem = xmlProblem(layout); !problem.isEmpty())
        return {nullptr, QStringLiteral("layout %1 is malformed: %2").arg(label, problem)};
    Loader loader(depth);
    QBuffer buffer;
    buffer.setData(layout);
    buffer.open(QIODevice::ReadOnly);
    QWidget* root = loader.load(&buffer, parent);
    if (!loader.failure().isEmpty() || !root) {
        delete root;
        const QString reason =
            !loader.failure().isEmpty() ? loader.failure() : loader.errorString();
        return {nullptr, QStringLiteral("layout %1: %2").arg(label, reason)};
    }
    CDialogBuilder::PrepareTree(root);
    return {root, {}};
}

void prepareControl(QWidget* w) {
    if (ui::IsResourceText(w) && !w->property("textid").isValid()) {
        w->setProperty("restext", false);
        ui::SetResourceText(w, true);
    }
    if (w->property("numberonly").toBool()) ui::SetNumberOnly(w, true);
    const QVariant tip = w->property("tiptext");
    if (tip.isValid()) ui::SetTipText(w, tip.toString());
    for (const char* property : kLookProperties) {
        if (w->property(property).isValid()) {
            ui::RefreshLook(w);
            break;
        }
    }
}
}  // namespace

BuildResult CDialogBuilder::Create(const QString& nameOrFile, QWidget* parent) {
    BuildResult result = buildFromFile(nameOrFile, parent, 0);
    if (!result) qCWarning(lcUi).noquote() << "building" << nameOrFile << "failed:" << result.error;
    return result;
}

BuildResult CDialogBuilder::CreateFromData(const QByteArray& layout, const QString& label,
                                           QWidget* parent) {
    BuildResult result = buildFromData(layout, label, parent, 0);
    if (!result) qCWarning(lcUi).noquote() << "building" << label << "failed:" << result.error;
    return result;
}

void CDialogBuilder::PrepareTree(QWidget* root) {
    if (!root) return;
    prepareControl(root);
    for (QWidget* child : root->findChildren<QWidget*>()) prepareControl(child);
    ui::WireTree(root);
}
