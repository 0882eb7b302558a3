#include "ui/resource_list.h"

#include <QXmlStreamReader>

#include "platform/log_categories.h"
#include "ui/skin_resources.h"

CResourceList& CResourceList::GetInstance() {
    static CResourceList list;
    return list;
}

bool CResourceList::Load(const QString& file) {
    return ui::LoadSkinTable(file.isEmpty() ? QStringLiteral("res.xml") : file, "resource list",
                             &CResourceList::Parse, m_entries);
}

bool CResourceList::Parse(const QByteArray& content, QHash<QString, QString>& entries,
                          QString& error) {
    QXmlStreamReader xml(content);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("Resources")) {
        error = xml.hasError() ? xml.errorString()
                               : QStringLiteral("the root element is not <Resources>");
        return false;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("Resource")) {
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            const QString file = xml.attributes().value(QLatin1String("file")).toString();
            if (!name.isEmpty() && !file.isEmpty()) entries.insert(name, file);
        }
        xml.skipCurrentElement();
    }
    while (!xml.atEnd() && !xml.hasError()) xml.readNext();
    if (xml.hasError()) {
        error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return false;
    }
    return true;
}

QString CResourceList::Resolve(const QString& nameOrFile) const {
    const auto it = m_entries.constFind(nameOrFile);
    return it == m_entries.constEnd() ? nameOrFile : *it;
}
