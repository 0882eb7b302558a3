#pragma once
// The skin's resource list "res.xml": resource names ("XML_MAIN", "XML_MSG", ...) mapped to
// files of the skin folder.
//   <Resources>
//     <Resource name="XML_MAIN" file="XML/main.xml"/>
//   </Resources>
#include <QHash>
#include <QString>

class CResourceList {
  public:
    static CResourceList& GetInstance();

    // Loads "res.xml" of the skin folder (or the file given). False, logged, when the file is
    // missing or malformed; the list is then left as it was.
    bool Load(const QString& file = QString());
    // Parses the content; false with the reason when malformed. Pure.
    static bool Parse(const QByteArray& content, QHash<QString, QString>& entries, QString& error);

    bool Contains(const QString& name) const { return m_entries.contains(name); }
    QString FileOf(const QString& name) const { return m_entries.value(name); }
    // A resource name becomes its file; anything else is taken as a file name already.
    QString Resolve(const QString& nameOrFile) const;

  private:
    QHash<QString, QString> m_entries;
};
