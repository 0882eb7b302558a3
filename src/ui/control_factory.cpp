#include "ui/control_factory.h"

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

void CControlFactory::Unregister(const QString& className) {
    m_creators.remove(className.toLower());
    m_composites.remove(className.toLower());
}

bool CControlFactory::HasControl(const QString& className) const {
    const QString key = className.toLower();
    return m_creators.contains(key) || m_composites.contains(key);
}

QWidget* CControlFactory::CreateControl(const QString& className, QWidget* parent) const {
    const auto it = m_creators.constFind(className.toLower());
    return it == m_creators.constEnd() ? nullptr : (*it)(parent);
}

QString CControlFactory::CompositeLayout(const QString& className) const {
    return m_composites.value(className.toLower());
}
