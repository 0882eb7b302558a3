#include "ui/control_factory.h"

#include <QWidget>

CControlFactory& CControlFactory::GetInstance() {
    static CControlFactory factory;
    return factory;
}

void CControlFactory::RegistControl(const QString& className, Creator creator) {
    m_creators.insert(className.toLower(), std::move(creator));
}

void CControlFactory::RegistComposite(const QString& className, const QString& layoutFile) {
    m_composites.insert(className.toLower(), layoutFile);
}

void CControlFactory::RegistPlaceholder(const QString& className) {
    m_placeholders.insert(className.toLower());
}

void CControlFactory::Unregister(const QString& className) {
    m_creators.remove(className.toLower());
    m_composites.remove(className.toLower());
    m_placeholders.remove(className.toLower());
}

bool CControlFactory::HasControl(const QString& className) const {
    const QString key = className.toLower();
    return m_creators.contains(key) || m_composites.contains(key) || m_placeholders.contains(key);
}

bool CControlFactory::HasPlaceholder(const QString& className) const {
    return m_placeholders.contains(className.toLower());
}

QWidget* CControlFactory::CreatePlaceholder(const QString& className, QWidget* parent) const {
    if (!HasPlaceholder(className)) return nullptr;
    auto* placeholder = new QWidget(parent);
    placeholder->setProperty("placeholder", className);
    return placeholder;
}

QWidget* CControlFactory::CreateControl(const QString& className, QWidget* parent) const {
    const auto it = m_creators.constFind(className.toLower());
    if (it != m_creators.constEnd()) return (*it)(parent);
    return CreatePlaceholder(className, parent);
}

QString CControlFactory::CompositeLayout(const QString& className) const {
    return m_composites.value(className.toLower());
}
