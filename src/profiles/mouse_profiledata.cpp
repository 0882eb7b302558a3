#include "profiles/mouse_profiledata.h"

#include "profiles/json_access.h"
#include "profiles/text_convert.h"

namespace profiles {

using json::ItemForWrite;
using json::Member;
using json::MemberForWrite;
using json::ToI32;
using json::ToU16;
using json::ToU8;

std::vector<DPIStage> CMouseProfiledata::ReadDPIStages() {
    const Json::Value& section = Member(Element(), "DPIStages");
    if (section.isObject()) {
        stage_active_ = ToI32(Member(section, "StageActive"));
        const Json::Value& stages = Member(section, "StageDPIs");
        if (stages.isArray()) {
            for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
                const Json::Value& entry = stages[i];
                DPIStage stage;
                stage.active = ToU8(Member(entry, "StageActive"));
                stage.blue = ToU8(Member(entry, "StageColorB"));
                stage.green = ToU8(Member(entry, "StageColorG"));
                stage.red = ToU8(Member(entry, "StageColorR"));
                stage.separate_xy = ToU8(Member(entry, "StageXY"));
                stage.dpi_x = ToU16(Member(entry, "StageDPIX"));
                stage.dpi_y = ToU16(Member(entry, "StageDPIY"));
                if (i < dpi_stages_.size()) {
                    dpi_stages_[i] = stage;
                } else {
                    dpi_stages_.push_back(stage);
                }
            }
        }
    }
    return dpi_stages_;
}

void CMouseProfiledata::WriteDPIStages(const std::vector<DPIStage>& stages) {
    dpi_stages_ = stages;
    Json::Value& list = MemberForWrite(MemberForWrite(MutableElement(), "DPIStages"), "StageDPIs");
    for (std::size_t i = 0; i < stages.size(); ++i) {
        Json::Value& entry = ItemForWrite(list, static_cast<Json::ArrayIndex>(i));
        const DPIStage& stage = stages[i];
        MemberForWrite(entry, "StageActive") = stage.active;
        MemberForWrite(entry, "StageColorB") = stage.blue;
        MemberForWrite(entry, "StageColorG") = stage.green;
        MemberForWrite(entry, "StageColorR") = stage.red;
        MemberForWrite(entry, "StageXY") = stage.separate_xy;
        MemberForWrite(entry, "StageDPIX") = stage.dpi_x;
        MemberForWrite(entry, "StageDPIY") = stage.dpi_y;
    }
}

void CMouseProfiledata::SetStageActive(std::int32_t stage) {
    stage_active_ = stage;
    MemberForWrite(MemberForWrite(MutableElement(), "DPIStages"), "StageActive") = stage;
}

MouseSystemStages CMouseProfiledata::ReadMouseSystemStages() {
    const Json::Value& stages = Member(Element(), "SystemStages");
    MouseSystemStages read;
    if (stages.isObject()) {
        read.double_click_time = ToU16(Member(stages, "DoubleClickTime"));
        read.pointer_speed = ToU16(Member(stages, "MouseSpeed"));
        read.pointer_precision = ToU16(Member(stages, "PointerPrecision"));
        read.scroll_page = ToU16(Member(stages, "ScorllPage"));
        read.wheel_scroll_lines = ToU16(Member(stages, "WheelScorlllinse"));
        read.report_rate_stage = ToU16(Member(Member(Element(), "ReportStages"), "StageActive"));
    }
    system_stages_ = read;
    return system_stages_;
}

void CMouseProfiledata::WriteMouseSystemStages(const MouseSystemStages& stages) {
    system_stages_ = stages;
    Json::Value& element = MutableElement();
    Json::Value& section = MemberForWrite(element, "SystemStages");
    MemberForWrite(section, "DoubleClickTime") = stages.double_click_time;
    MemberForWrite(section, "MouseSpeed") = stages.pointer_speed;
    MemberForWrite(section, "PointerPrecision") = stages.pointer_precision;
    MemberForWrite(section, "ScorllPage") = stages.scroll_page;
    MemberForWrite(section, "WheelScorlllinse") = stages.wheel_scroll_lines;
    MemberForWrite(MemberForWrite(element, "ReportStages"), "StageActive") =
        stages.report_rate_stage;
}

std::vector<CorrectInfoEntry> CMouseProfiledata::ReadCorrectInfo() {
    std::vector<CorrectInfoEntry> list;
    const Json::Value& entries = Member(Element(), "CorrectInfo");
    if (entries.isArray()) {
        list.reserve(entries.size());
        for (const Json::Value& entry : entries) {
            list.push_back(CorrectInfoEntry{
                ToU8(Member(entry, "CorrectPixThresh")), ToU8(Member(entry, "CorrectMinSq")),
                ToU8(Member(entry, "CorrectSelect")),
                Utf8ToWide(json::ToString(Member(entry, "CorrectName")))});
        }
    }
    correct_info_ = list;
    return correct_info_;
}

}  // namespace profiles
