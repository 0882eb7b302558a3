#include "profiles/keyboard_profiledata.h"

#include "profiles/json_access.h"

namespace profiles {

using json::Item;
using json::ItemForWrite;
using json::Member;
using json::MemberForWrite;
using json::ToU16;
using json::ToU8;

KeyboardSystemStages CKeyboardProfiledata::ReadSystemStages() {
    const Json::Value& stages = Member(Element(), "SystemStages");
    KeyboardSystemStages read;
    if (stages.isObject()) {
        read.repeat_rate = ToU16(Member(stages, "Repeat"));
        read.repeat_delay = ToU16(Member(stages, "RepeatDelay"));
        read.key6_flag = ToU16(Member(stages, "Key6Flag"));
        read.polling_rate = ToU16(Member(stages, "PollingRate"));
        read.w_flag = ToU16(Member(stages, "WFlag"));
        read.win_flag = ToU16(Member(stages, "WinFlag"));
    }
    system_stages_ = read;
    return system_stages_;
}

void CKeyboardProfiledata::WriteSystemStages(const KeyboardSystemStages& stages) {
    system_stages_ = stages;
    Json::Value& section = MemberForWrite(MutableElement(), "SystemStages");
    MemberForWrite(section, "Repeat") = stages.repeat_rate;
    MemberForWrite(section, "RepeatDelay") = stages.repeat_delay;
    MemberForWrite(section, "Key6Flag") = stages.key6_flag;
    MemberForWrite(section, "PollingRate") = stages.polling_rate;
    MemberForWrite(section, "WFlag") = stages.w_flag;
    MemberForWrite(section, "WinFlag") = stages.win_flag;
}

std::vector<LightColorEntry> CKeyboardProfiledata::ReadCustomLightColors(std::int32_t group,
                                                                         std::int32_t count) {
    std::vector<LightColorEntry> list;
    if (!json::IndexAllowed(group) || count < 0 || count > json::kMaxListIndex + 1) {
        custom_light_colors_ = list;
        return list;
    }
    const auto group_index = static_cast<Json::ArrayIndex>(group);
    list.reserve(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
        const auto entry_index = static_cast<Json::ArrayIndex>(k);
        const Json::Value& entries =
            Item(Member(Member(Element(), "CustomLightMode"), "LightColorInfo"), group_index);
        const Json::Value& entry = Item(entries, entry_index);
        if (!entry.isObject()) {
            Json::Value& created = ItemForWrite(
                ItemForWrite(MemberForWrite(MemberForWrite(MutableElement(), "CustomLightMode"),
                                            "LightColorInfo"),
                             group_index),
                entry_index);
            created = Json::Value(Json::objectValue);
            created["Red"] = 0;
            created["Green"] = 0;
            created["Blue"] = 0;
            created["Alpha"] = 0;
            list.push_back(LightColorEntry{});
            continue;
        }
        list.push_back(LightColorEntry{ToU8(Member(entry, "Red")), ToU8(Member(entry, "Green")),
                                       ToU8(Member(entry, "Blue")), ToU8(Member(entry, "Alpha")),
                                       ToU8(Member(entry, "IsBright"))});
    }
    custom_light_colors_ = list;
    return list;
}

void CKeyboardProfiledata::WriteCustomLightColors(const std::vector<LightColorEntry>& list,
                                                  std::int32_t group) {
    custom_light_colors_ = list;
    if (!json::IndexAllowed(group) ||
        list.size() > static_cast<std::size_t>(json::kMaxListIndex + 1)) {
        return;
    }
    Json::Value& entries = ItemForWrite(
        MemberForWrite(MemberForWrite(MutableElement(), "CustomLightMode"), "LightColorInfo"),
        static_cast<Json::ArrayIndex>(group));
    for (std::size_t k = 0; k < list.size(); ++k) {
        Json::Value& entry = ItemForWrite(entries, static_cast<Json::ArrayIndex>(k));
        MemberForWrite(entry, "Red") = list[k].red;
        MemberForWrite(entry, "Green") = list[k].green;
        MemberForWrite(entry, "Blue") = list[k].blue;
        MemberForWrite(entry, "Alpha") = list[k].alpha;
        MemberForWrite(entry, "IsBright") = list[k].bright;
    }
}

std::int32_t CKeyboardProfiledata::GetCustomLightGroup() {
    const Json::Value& index =
        Member(Member(Element(), "CustomLightMode"), "CustomLightModeGroupIndex");
    if (index.isNumeric()) custom_light_group_ = json::ToI32(index);
    return custom_light_group_;
}

void CKeyboardProfiledata::SetCustomLightGroup(std::int32_t group) {
    custom_light_group_ = group;
    MemberForWrite(MemberForWrite(MutableElement(), "CustomLightMode"),
                   "CustomLightModeGroupIndex") = group;
}

}  // namespace profiles
