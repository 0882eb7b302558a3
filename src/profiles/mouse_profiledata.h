#pragma once
// The mouse's profile data (the mouse pad uses only the base sections): DPI stages, the mouse
// "SystemStages" with "ReportStages", and the read-only "CorrectInfo" list.
#include <cstdint>
#include <vector>

#include "profiles/basic_profiledata.h"

namespace profiles {

class CMouseProfiledata : public CBasicProfiledata {
  public:
    // Merges the element's stages into the stored list: stage i of the file overwrites stored
    // stage i or is appended; stored stages beyond the file's count are kept. Returns a copy.
    std::vector<DPIStage> ReadDPIStages();
    void WriteDPIStages(const std::vector<DPIStage>& stages);
    std::int32_t GetStageActive() const { return stage_active_; }
    // Also writes "DPIStages"["StageActive"].
    void SetStageActive(std::int32_t stage);

    // Element null or "SystemStages" missing: all zero; "ReportStages" missing: its field 0.
    MouseSystemStages ReadMouseSystemStages();
    void WriteMouseSystemStages(const MouseSystemStages& stages);

    std::vector<CorrectInfoEntry> ReadCorrectInfo();

    const std::vector<DPIStage>& DpiStages() const { return dpi_stages_; }
    const MouseSystemStages& SystemStages() const { return system_stages_; }
    const std::vector<CorrectInfoEntry>& CorrectInfo() const { return correct_info_; }

  private:
    std::vector<DPIStage> dpi_stages_;
    std::int32_t stage_active_ = 0;
    MouseSystemStages system_stages_;
    std::vector<CorrectInfoEntry> correct_info_;
};

}  // namespace profiles
