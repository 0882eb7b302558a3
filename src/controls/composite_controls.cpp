#include "controls/composite_controls.h"

#include <QString>

#include "ui/control_factory.h"

namespace controls {
void RegisterCompositeControls(CControlFactory& factory) {
    for (const CompositeControl& c : kCompositeControls) {
        factory.RegistComposite(QString::fromUtf8(c.className.data(), c.className.size()),
                                QString::fromUtf8(c.layoutFile.data(), c.layoutFile.size()));
    }
}
}  // namespace controls
