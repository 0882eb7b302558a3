#include "controls/picture_controls.h"

#include "controls/circle_progress.h"
#include "controls/color_palette.h"
#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "ui/control_factory.h"

namespace controls {
namespace {
template <typename Control>
void registerBoth(CControlFactory& factory, const QString& layoutName, const QString& className) {
    const auto create = [](QWidget* parent) -> QWidget* { return new Control(parent); };
    factory.RegistControl(layoutName, create);
    factory.RegistControl(className, create);
}
}  // namespace

void RegisterPictureControls(CControlFactory& factory) {
    registerBoth<CDeviceKeyButtonUI>(factory, CDeviceKeyButtonUI::kClassName,
                                     QStringLiteral("CDeviceKeyButtonUI"));
    registerBoth<CSelectPanelUI>(factory, CSelectPanelUI::kClassName,
                                 QStringLiteral("CSelectPanelUI"));
    registerBoth<CCircleProgressUI>(factory, CCircleProgressUI::kClassName,
                                    QStringLiteral("CCircleProgressUI"));
    registerBoth<CColorPaletteUI>(factory, CColorPaletteUI::kClassName,
                                  QStringLiteral("CColorPaletteUI"));
}
}  // namespace controls
