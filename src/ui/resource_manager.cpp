#include "ui/resource_manager.h"

#include <QWidget>
#include <QXmlStreamReader>

#include "platform/log_categories.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"
#include "ui/skin_resources.h"

CResourceManager& CResourceManager::GetInstance() {
    static CResourceManager instance;
    return instance;
}

bool CResourceManager::LoadLanguage(const QString& file) {
    if (file.isEmpty()) {
        qCWarning(lcUi) << "no language file given; texts stay as they are";
        return false;
    }
    return ui::LoadSkinTable(file, "language file", &ui::ParseLanguageXml, m_texts);
}

QString CResourceManager::GetText(const QString& id) const { return m_texts.value(id, id); }

void CResourceManager::ReloadText() const {
    for (CPaintManagerUI* manager : CPaintManagerUI::Managers())
        ReloadText(manager->GetPaintWindow());
}

void CResourceManager::ReloadText(QWidget* root) const {
    if (!root) return;
    ui::RetranslateControl(root);
    for (QWidget* w : root->findChildren<QWidget*>()) ui::RetranslateControl(w);
}

namespace ui {
bool ParseLanguageXml(const QByteArray& content, QHash<QString, QString>& texts, QString& error) {
    QXmlStreamReader xml(content);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("Language")) {
        error = xml.hasError() ? xml.errorString()
                               : QStringLiteral("the root element is not <Language>");
        return false;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("Text")) {
            xml.skipCurrentElement();
            continue;
        }
        const QString id = xml.attributes().value(QLatin1String("id")).toString();
        const QString text = xml.readElementText();
        if (!id.isEmpty()) texts.insert(id, text);
    }
    while (!xml.atEnd() && !xml.hasError()) xml.readNext();
    if (xml.hasError()) {
        error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return false;
    }
    return true;
}
}  // namespace ui
