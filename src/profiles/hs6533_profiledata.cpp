#include "profiles/hs6533_profiledata.h"

#include "profiles/json_access.h"
#include "profiles/text_convert.h"

namespace profiles {

using json::Item;
using json::ItemForWrite;
using json::Member;
using json::MemberForWrite;
using json::ToI32;

namespace {
constexpr std::int32_t kCustomEqType = 13;
}  // namespace

std::optional<std::int32_t> EqRowOfType(std::int32_t eq_type) {
    if (eq_type == kCustomEqType) return std::nullopt;
    if (eq_type >= 1 && eq_type <= 12) return eq_type;
    return 1;
}

HeadsetSystemSetStages CHs6533Profiledata::ReadSystemSetStages() {
    const Json::Value& stages = Member(Element(), "SystemSetStages");
    HeadsetSystemSetStages read;
    if (stages.isObject()) {
        read.magic_enable = ToI32(Member(stages, "MagicEnable"));
        read.magic_type = ToI32(Member(stages, "MagicType"));
        read.eq_type = ToI32(Member(stages, "EqType"));
        read.custom_eq_select_index = ToI32(Member(stages, "CustomEqSeletIndex"));
        read.mic_in_select = ToI32(Member(stages, "MicInSelect"));
        read.mic_in_value = ToI32(Member(stages, "MicInValue"));
        read.mic_monitor_select = ToI32(Member(stages, "MicMoniterSelect"));
        read.mic_monitor_value = ToI32(Member(stages, "MicMoniterValue"));
    }
    system_set_stages_ = read;
    return system_set_stages_;
}

void CHs6533Profiledata::WriteSystemSetStages(const HeadsetSystemSetStages& stages) {
    system_set_stages_ = stages;
    Json::Value& section = MemberForWrite(MutableElement(), "SystemSetStages");
    MemberForWrite(section, "MagicEnable") = stages.magic_enable;
    MemberForWrite(section, "MagicType") = stages.magic_type;
    MemberForWrite(section, "EqType") = stages.eq_type;
    MemberForWrite(section, "CustomEqSeletIndex") = stages.custom_eq_select_index;
    MemberForWrite(section, "MicInSelect") = stages.mic_in_select;
    MemberForWrite(section, "MicInValue") = stages.mic_in_value;
    MemberForWrite(section, "MicMoniterSelect") = stages.mic_monitor_select;
    MemberForWrite(section, "MicMoniterValue") = stages.mic_monitor_value;
}

std::vector<std::int32_t> CHs6533Profiledata::ReadBands(const char* section, std::int32_t row) {
    std::vector<std::int32_t> bands;
    if (!json::IndexAllowed(row)) return bands;
    const auto row_index = static_cast<Json::ArrayIndex>(row);
    const Json::Value& stored = Item(Member(Element(), section), row_index);
    bands.reserve(kEqBandCount);
    if (!stored.isArray()) {
        Json::Value& created = ItemForWrite(MemberForWrite(MutableElement(), section), row_index);
        for (Json::ArrayIndex i = 0; i < kEqBandCount; ++i) {
            MemberForWrite(ItemForWrite(created, i), "value") = 0;
            bands.push_back(0);
        }
        return bands;
    }
    for (Json::ArrayIndex i = 0; i < kEqBandCount; ++i) {
        bands.push_back(ToI32(Member(Item(stored, i), "value")));
    }
    return bands;
}

void CHs6533Profiledata::WriteBands(const char* section, std::int32_t row, const EqBands& bands) {
    if (!json::IndexAllowed(row)) return;
    Json::Value& stored =
        ItemForWrite(MemberForWrite(MutableElement(), section), static_cast<Json::ArrayIndex>(row));
    for (Json::ArrayIndex i = 0; i < kEqBandCount; ++i) {
        MemberForWrite(ItemForWrite(stored, i), "value") = bands[i];
    }
}

std::vector<std::int32_t> CHs6533Profiledata::ReadEqValues(std::int32_t eq_type) {
    const auto row = EqRowOfType(eq_type);
    if (!row) return {};
    return ReadBands("EQHzValueInfo", *row);
}

void CHs6533Profiledata::WriteEqValues(std::int32_t eq_type, const EqBands& bands) {
    if (const auto row = EqRowOfType(eq_type)) WriteBands("EQHzValueInfo", *row, bands);
}

std::vector<std::int32_t> CHs6533Profiledata::ReadCustomEqValues(std::int32_t curve) {
    return ReadBands("CustomEQHzValueInfo", curve);
}

void CHs6533Profiledata::WriteCustomEqValues(std::int32_t curve, const EqBands& bands) {
    WriteBands("CustomEQHzValueInfo", curve, bands);
}

void CHs6533Profiledata::RemoveCustomEqValues(std::int32_t curve) {
    const Json::Value& stored = Member(Element(), "CustomEQHzValueInfo");
    if (!stored.isArray() || !json::IndexAllowed(curve) ||
        static_cast<Json::ArrayIndex>(curve) >= stored.size())
        return;
    Json::Value kept(Json::arrayValue);
    for (Json::ArrayIndex i = 0; i < stored.size(); ++i) {
        if (i != static_cast<Json::ArrayIndex>(curve)) kept.append(stored[i]);
    }
    MutableElement()["CustomEQHzValueInfo"] = kept;
}

std::vector<std::wstring> CHs6533Profiledata::ReadCustomEqNames() const {
    std::vector<std::wstring> names;
    const Json::Value& entries = Member(Element(), "CustomEQNameInfo");
    if (!entries.isArray()) return names;
    names.reserve(entries.size());
    for (const Json::Value& entry : entries) {
        names.push_back(Utf8ToWide(json::ToString(Member(entry, "Name"))));
    }
    return names;
}

void CHs6533Profiledata::WriteCustomEqNames(const std::vector<std::wstring>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::wstring& name : names) {
        Json::Value entry(Json::objectValue);
        entry["Name"] = WideToUtf8(name);
        list.append(entry);
    }
    MutableElement()["CustomEQNameInfo"] = list;
}

}  // namespace profiles
