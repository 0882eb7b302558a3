#include "ui/resource_list.h"

#include <QFile>
#include <QXmlStreamReader>

#include "platform/log_categories.h"
#include "ui/skin_resources.h"

CResourceList& CResourceList::GetInstance() {
    static CResourceList list;
    return list;
}

bool CResourceList::Load(const QString& file) {
    const QString path = ui::ResolveSkinFile(file.isEmpty() ? QStringLiteral("res.xml") : file);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << "resource list cannot be read:" << path << f.errorString();
        return false;
    }
    QHash<QString, QString> entries;
    QString error;
    if (!Parse(f.readAll(), entries, error)) {
        qCWarning(lcUi) << "resource list" << path << "is malformed:" << error;
        return false;
    }
    m_entries = std::move(entries);
    return true;
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
