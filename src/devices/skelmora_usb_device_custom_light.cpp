// The user light effects of CSkelmoraUSBDevice: the steps of the current mode's effect file
// and the player that runs them on the light thread.
#include <json/value.h>

#include "devices/skelmora_usb_device.h"
#include "profiles/basic_profiledata.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"

void CSkelmoraUSBDevice::SetCustomLightSteps(std::vector<profiles::LightEffectStep> steps,
                                             int mode) {
    std::lock_guard lock(lightMutex_);
    customSteps_ = std::move(steps);
    customStepsMode_ = mode;
    customState_ = light::CustomEffectState{};
}

std::vector<profiles::LightEffectStep> CSkelmoraUSBDevice::GetCustomLightStepsCopy() const {
    std::lock_guard lock(lightMutex_);
    return customSteps_;
}

light::CustomEffectState CSkelmoraUSBDevice::GetCustomEffectStateCopy() const {
    std::lock_guard lock(lightMutex_);
    return customState_;
}

void CSkelmoraUSBDevice::CustomLightEffectPass() {
    std::lock_guard lock(lightMutex_);
    const bool known = customStepsMode_ == lightSettings_.mode;
    const std::span<const profiles::LightEffectStep> steps =
        known ? std::span<const profiles::LightEffectStep>(customSteps_)
              : std::span<const profiles::LightEffectStep>();
    light::CustomEffectPass(leds_, steps, lightSettings_.speed, customState_, NowMs());
}

void CSkelmoraUSBDevice::ReloadCustomLightEffect() {}

int CSkelmoraUSBDevice::ReadLightModeCount() const {
    namespace json = profiles::json;
    const Json::Value lights = profiles::JsonFile().ReadDocument(std::filesystem::path(
        (GetDefaultDataFolder() + QStringLiteral("default_light.json")).toStdString()));
    const Json::Value& row =
        json::Item(json::Member(lights, "DefaultLightName"),
                   static_cast<Json::ArrayIndex>(std::max(0, GetModelIndex())));
    return row.isArray() ? static_cast<int>(row.size()) : 0;
}

void CSkelmoraUSBDevice::LoadCustomLightEffect(profiles::CBasicProfiledata& profile) {
    profile.SetBuiltInLightCount(ReadLightModeCount());
    profile.LoadLightConfig(profile.GetLightConfigPath());
    std::vector<profiles::LightEffectStep> steps = profile.ReadCustomLightEffect();
    SetCustomLightSteps(std::move(steps), profile.Light().mode);
}
