#include "dialogs/Format.h"

#include <gtest/gtest.h>

#include <climits>

namespace hg {
namespace {

TEST(Format, Directives) {
    struct Case {
        std::wstring_view format;
        std::initializer_list<FormatArg> args;
        std::wstring_view expected;
    };
    const Case cases[] = {
        {L"plain", {}, L"plain"},
        {L"%d%%", {42}, L"42%"},
        {L"%d|%5d|%-5d|%.3d", {-7, 7, 7, 7}, L"-7|    7|7    |007"},
        {L"%d", {LLONG_MIN}, L"-9223372036854775808"},
        {L"%u %x %X", {4000000000u, 255, 0xBEEF}, L"4000000000 FF BEEF"},
        {L"%.6x", {0xFF00}, L"00FF00"},
        {L"%s and %s", {L"Sunset.jpg", std::wstring(L"ü")}, L"Sunset.jpg and ü"},
        {L"[%6s|%-6s|%.3s]", {L"ab", L"ab", L"abcdef"}, L"[    ab|ab    |abc]"},
        {L"%s", {12}, L"12"},
        {L"%f %.1f %.0f %5.1f", {1.5, 2.26, 2.6, -0.25001}, L"1.50 2.3 3  -0.3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Format(c.format, c.args), c.expected) << std::wstring(c.format).c_str();
}

TEST(Format, FaultyDirectivesStayVisible) {
    EXPECT_EQ(Format(L"%d and %d", {1}), L"1 and %d");                  // missing argument
    EXPECT_EQ(Format(L"%d then %s", {L"text", L"x"}), L"%d then text"); // wrong type keeps the argument
    EXPECT_EQ(Format(L"%q", {1}), L"%q");                               // unknown type
    EXPECT_EQ(Format(L"ends with %", {1}), L"ends with %");
    EXPECT_EQ(Format(L"%5", {1}), L"%5");
}

} // namespace
} // namespace hg
