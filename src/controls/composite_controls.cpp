#include "controls/composite_controls.h"

#include <QString>

#include "ui/control_factory.h"

namespace controls {
void RegisterCompositeControls(CControlFactory& factory) {
    for (const CompositeControl& c : kCompositeControls) {
        factory.RegistComposite(QString::fromUtf8(c.className.data(), c.className.size()),
                                QString::fromUtf8(c.layoutFile.data(), c.layoutFile.size()));
    }
    for (std::string_view name : kPlaceholderControls)
        factory.RegistPlaceholder(
            QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}
}  // namespace controls
