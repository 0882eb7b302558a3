#pragma once
// Safe navigation of documents read from disk. Every read treats a member of the wrong JSON
// type as missing, so a file with "Device" as a string or "KeyList" as an object reads like a
// file without them instead of throwing; numbers are narrowed to their field by keeping the low
// bits. Every write first turns a container of the wrong type into the right one.
#include <json/json.h>

#include <cstdint>
#include <string>

namespace profiles::json {

// Indices and counts that callers pass for sections (custom light groups and entries, EQ curve
// indices) above this are refused, so that a bad argument cannot grow a document without end.
inline constexpr std::int64_t kMaxListIndex = 4095;
constexpr bool IndexAllowed(std::int64_t index) { return index >= 0 && index <= kMaxListIndex; }

// The member, or null when value is not an object or has no such member.
const Json::Value& Member(const Json::Value& value, const char* key);
// Entry index, or null when value is not an array or is too short.
const Json::Value& Item(const Json::Value& value, Json::ArrayIndex index);

// The member, created when missing; value becomes an empty object first when it is not one.
Json::Value& MemberForWrite(Json::Value& value, const char* key);
// Entry index, the array extended with nulls when too short; value becomes an empty array
// first when it is not one.
Json::Value& ItemForWrite(Json::Value& value, Json::ArrayIndex index);

// Integers, reals (truncated) and booleans; any other type, and a real out of the 64-bit
// range, reads as 0.
std::int64_t ToInteger(const Json::Value& value);
inline std::uint8_t ToU8(const Json::Value& v) { return static_cast<std::uint8_t>(ToInteger(v)); }
inline std::uint16_t ToU16(const Json::Value& v) {
    return static_cast<std::uint16_t>(ToInteger(v));
}
inline std::int32_t ToI32(const Json::Value& v) { return static_cast<std::int32_t>(ToInteger(v)); }
// Booleans, and numbers as non-zero; any other type reads as false.
bool ToBool(const Json::Value& value);
// Strings; any other type reads as empty.
std::string ToString(const Json::Value& value);

}  // namespace profiles::json
