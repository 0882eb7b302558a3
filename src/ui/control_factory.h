#pragma once
// CControlFactory: custom control classes by class name, for the layout loader. Names are
// compared without regard to case. A class is either created by a function, or built as a
// composite from a layout file of its own ("KeySetControlUI" from
// "XML/CustomControlXML/KeySetControl.xml").
#include <QHash>
#include <QString>
#include <functional>

class QWidget;

class CControlFactory {
  public:
    using Creator = std::function<QWidget*(QWidget* parent)>;

    static CControlFactory& GetInstance();

    void RegistControl(const QString& className, Creator creator);
    void RegistComposite(const QString& className, const QString& layoutFile);
    void Unregister(const QString& className);

    bool HasControl(const QString& className) const;
    // A new control of a registered class, or none for an unknown class.
    QWidget* CreateControl(const QString& className, QWidget* parent) const;
    // The layout file of a composite class, or empty.
    QString CompositeLayout(const QString& className) const;

  private:
    QHash<QString, Creator> m_creators;
    QHash<QString, QString> m_composites;
};
