#pragma once
// The composite control names of the pages and the layout files they are built from
// ("KeySetControlUI" from "XML/CustomControlXML/KeySetControl.xml", ...). A composite whose
// file is not in the skin yet makes the layout that names it fail to build, with a logged
// reason.
#include <string_view>

class CControlFactory;

namespace controls {
struct CompositeControl {
    std::string_view className;
    std::string_view layoutFile;
};

inline constexpr CompositeControl kCompositeControls[] = {
    {"DeviceProfileUI", "XML/CustomControlXML/DeviceProfile.xml"},
    {"LightSetControlUI", "XML/CustomControlXML/LightControl.xml"},
    {"Voice6533SetControlUI", "XML/CustomControlXML/Voice6533Control.xml"},
    {"MagicSetControlUI", "XML/CustomControlXML/MagicControl.xml"},
    {"KeySetControlUI", "XML/CustomControlXML/KeySetControl.xml"},
    {"MacroSetControlUI", "XML/CustomControlXML/MacroControl.xml"},
    {"ShootKeySetControlUI", "XML/CustomControlXML/ShootControl.xml"},
    {"VirtualSetControlUI", "XML/CustomControlXML/VirtualSet.xml"},
};

// Page elements whose control is registered elsewhere and may be missing from a build (the
// lighting panel: its composite "LightSetControlUI" and its class "LightControl"): registered
// as placeholders, so that a page naming one still loads with an empty container in its place.
inline constexpr std::string_view kPlaceholderControls[] = {"LightSetControlUI", "LightControl"};

// The composites above and the placeholders.
void RegisterCompositeControls(CControlFactory& factory);
}  // namespace controls
