#pragma once
// The keyboard's profile data: the base sections plus the keyboard "SystemStages" and the
// per-key colours of the custom light mode ("CustomLightMode").
#include <cstdint>
#include <vector>

#include "profiles/basic_profiledata.h"

namespace profiles {

class CKeyboardProfiledata : public CBasicProfiledata {
  public:
    // Missing reads as all zero.
    KeyboardSystemStages ReadSystemStages();
    void WriteSystemStages(const KeyboardSystemStages& stages);

    // count entries of group; a missing group or entry is created in the element with zero
    // colours and reads as zero. A negative group or count reads nothing.
    std::vector<LightColorEntry> ReadCustomLightColors(std::int32_t group, std::int32_t count);
    void WriteCustomLightColors(const std::vector<LightColorEntry>& list, std::int32_t group);

    // "CustomLightModeGroupIndex" when the element has it, else the stored group.
    std::int32_t GetCustomLightGroup();
    void SetCustomLightGroup(std::int32_t group);

    const KeyboardSystemStages& SystemStages() const { return system_stages_; }
    const std::vector<LightColorEntry>& CustomLightColors() const { return custom_light_colors_; }

  private:
    KeyboardSystemStages system_stages_;
    std::vector<LightColorEntry> custom_light_colors_;
    std::int32_t custom_light_group_ = 0;
};

}  // namespace profiles
