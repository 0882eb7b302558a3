#pragma once
// CControlFactory: custom control classes by class name, for the layout loader. Names are
// compared without regard to case. A class is either created by a function, or built as a
// composite from a layout file of its own ("KeySetControlUI" from
// "XML/CustomControlXML/KeySetControl.xml"). A placeholder is a class a page layout already
// names but whose control is registered later (or by another part of the program): until then
// the layout builds an empty container in its place, so the page still loads. A creator
// registered under the same name, before or after, always wins; so does a composite once its
// layout file exists.
#include <QHash>
#include <QSet>
#include <QString>
#include <functional>

class QWidget;

class CControlFactory {
  public:
    using Creator = std::function<QWidget*(QWidget* parent)>;

    static CControlFactory& GetInstance();

    void RegistControl(const QString& className, Creator creator);
    void RegistComposite(const QString& className, const QString& layoutFile);
    void RegistPlaceholder(const QString& className);
    bool HasPlaceholder(const QString& className) const;
    // An empty QWidget with the property "placeholder" (the class name), or none when the
    // class is no placeholder.
    QWidget* CreatePlaceholder(const QString& className, QWidget* parent) const;
    void Unregister(const QString& className);

    bool HasControl(const QString& className) const;
    // A new control of a registered class (a placeholder's container when only that is
    // registered), or none for an unknown class.
    QWidget* CreateControl(const QString& className, QWidget* parent) const;
    // The layout file of a composite class, or empty.
    QString CompositeLayout(const QString& className) const;

  private:
    QHash<QString, Creator> m_creators;
    QHash<QString, QString> m_composites;
    QSet<QString> m_placeholders;
};
