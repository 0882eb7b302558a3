#pragma once
// UTF-8 <-> wide string conversions used for every string that goes into or comes out of a
// JSON document, and the time-stamp name that new profiles and macros are named with.
#include <string>
#include <string_view>

namespace profiles {

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
std::wstring Utf8ToWide(std::string_view text);
// Code points that UTF-8 cannot carry (surrogates, above U+10FFFF) become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

struct LocalTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "%d_%02d_%02d_%02d_%02d_%02d_%03d" of the time fields; at most 199 characters.
std::string FormatTimeStampName(const LocalTimeParts& time);
// The time-stamp name of the current local time.
std::string MakeTimeStampName();

}  // namespace profiles
