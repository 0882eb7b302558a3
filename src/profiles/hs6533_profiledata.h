#pragma once
// The headset's profile data: "SystemSetStages", the equaliser rows of the presets
// ("EQHzValueInfo") and the user's named custom equalisers.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profiles/basic_profiledata.h"

namespace profiles {

inline constexpr std::size_t kEqBandCount = 10;
using EqBands = std::array<std::int32_t, kEqBandCount>;

// Row of "EQHzValueInfo" that an EQ type uses: the type itself for 1 to 12, row 1 for type 0
// and any type outside 0 to 13; type 13 (custom) has no row.
std::optional<std::int32_t> EqRowOfType(std::int32_t eq_type);

class CHs6533Profiledata : public CBasicProfiledata {
  public:
    HeadsetSystemSetStages ReadSystemSetStages();
    void WriteSystemSetStages(const HeadsetSystemSetStages& stages);

    // Ten bands of the type's row; a missing row is created with ten zero values. Type 13
    // reads an empty list and changes nothing.
    std::vector<std::int32_t> ReadEqValues(std::int32_t eq_type);
    // Type 13 writes nothing.
    void WriteEqValues(std::int32_t eq_type, const EqBands& bands);
    // The same rule on "CustomEQHzValueInfo"[curve]; a negative curve reads an empty list.
    std::vector<std::int32_t> ReadCustomEqValues(std::int32_t curve);
    void WriteCustomEqValues(std::int32_t curve, const EqBands& bands);
    // Removes "CustomEQHzValueInfo"[curve] so the curves after it move up with their names;
    // nothing happens for a curve past the list.
    void RemoveCustomEqValues(std::int32_t curve);
    std::vector<std::wstring> ReadCustomEqNames() const;
    // "CustomEQNameInfo" is replaced by a new array of {"Name"}.
    void WriteCustomEqNames(const std::vector<std::wstring>& names);

    const HeadsetSystemSetStages& SystemSetStages() const { return system_set_stages_; }

  private:
    std::vector<std::int32_t> ReadBands(const char* section, std::int32_t row);
    void WriteBands(const char* section, std::int32_t row, const EqBands& bands);

    HeadsetSystemSetStages system_set_stages_;
};

}  // namespace profiles
