#include "profiles/text_convert.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using profiles::FormatTimeStampName;
using profiles::MakeTimeStampName;
using profiles::Utf8ToWide;
using profiles::WideToUtf8;

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

TEST(Utf8Conversion, RoundTripsValidText) {
    const Utf8Case cases[] = {
        {"ascii", "profile1", L"profile1"},
        {"chinese", "\xE7\xAC\xAC\xE4\xB8\x89\xE7\xBB\x84", L"\u7B2C\u4E09\u7EC4"},  // 第三组
        {"four byte", "\xF0\x9F\x8E\xAE", std::wstring(1, static_cast<wchar_t>(0x1F3AE))},
        {"empty", "", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.name;
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.name;
    }
}

TEST(Utf8Conversion, BrokenInputBecomesReplacementCharacters) {
    const std::wstring replacement(1, static_cast<wchar_t>(0xFFFD));
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a" + replacement + L"b");
    EXPECT_EQ(Utf8ToWide("\xE7\xAC"), replacement);      // truncated sequence
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), replacement);      // overlong "/"
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), replacement);  // encoded surrogate
    EXPECT_EQ(Utf8ToWide("\xE7\xAC"
                         "A"),
              replacement + L"A");  // resynchronises
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

TEST(TimeStampName, FormatsEveryFieldPadded) {
    EXPECT_EQ(FormatTimeStampName({2024, 3, 5, 14, 7, 9, 8}), "2024_03_05_14_07_09_008");
    EXPECT_EQ(FormatTimeStampName({2024, 12, 31, 23, 59, 59, 999}), "2024_12_31_23_59_59_999");
    EXPECT_TRUE(std::regex_match(MakeTimeStampName(),
                                 std::regex(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})")));
}

}  // namespace
