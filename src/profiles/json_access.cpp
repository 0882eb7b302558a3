#include "profiles/json_access.h"

#include <cmath>
#include <cstring>

namespace profiles::json {

const Json::Value& Member(const Json::Value& value, const char* key) {
    if (!value.isObject()) return Json::Value::nullSingleton();
    const Json::Value* found = value.find(key, key + std::strlen(key));
    return found ? *found : Json::Value::nullSingleton();
}

const Json::Value& Item(const Json::Value& value, Json::ArrayIndex index) {
    if (!value.isArray() || index >= value.size()) return Json::Value::nullSingleton();
    return value[index];
}

Json::Value& MemberForWrite(Json::Value& value, const char* key) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value[key];
}

Json::Value& ItemForWrite(Json::Value& value, Json::ArrayIndex index) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value[index];
}

std::int64_t ToInteger(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return value.asInt64();
        case Json::uintValue:
            return static_cast<std::int64_t>(value.asUInt64());
        case Json::realValue: {
            const double real = value.asDouble();
            if (!std::isfinite(real) || real >= 9.2e18 || real <= -9.2e18) return 0;
            return static_cast<std::int64_t>(real);
        }
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        default:
            return 0;
    }
}

bool ToBool(const Json::Value& value) {
    switch (value.type()) {
        case Json::booleanValue:
            return value.asBool();
        case Json::intValue:
        case Json::uintValue:
            return ToInteger(value) != 0;
        case Json::realValue:
            return value.asDouble() != 0.0;
        default:
            return false;
    }
}

std::string ToString(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

}  // namespace profiles::json
