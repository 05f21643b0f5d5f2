#include "platform/SpinValue.h"

#include <gtest/gtest.h>

#include <limits>

namespace hg {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(SpinValue, TextReadsAsA64BitNumberOrAsNotANumber) {
    struct Case {
        const wchar_t* text;
        std::optional<std::int64_t> expected;
    };
    for (const Case& c : {Case{L"0", 0}, Case{L"42", 42}, Case{L"-7", -7}, Case{L"+5", 5}, Case{L" 12\t", 12},
                          Case{L"007", 7}, Case{L"9223372036854775807", kMax}, Case{L"-9223372036854775808", kMin},
                          // Beyond the range: not a number, never a wrapped value.
                          Case{L"9223372036854775808", std::nullopt}, Case{L"-9223372036854775809", std::nullopt},
                          Case{L"18446744073709551617", std::nullopt},
                          Case{L"99999999999999999999999999999", std::nullopt},
                          Case{L"", std::nullopt}, Case{L"-", std::nullopt}, Case{L"+-1", std::nullopt},
                          Case{L"1.5", std::nullopt}, Case{L"1 2", std::nullopt}, Case{L"0x10", std::nullopt},
                          Case{L"abc", std::nullopt}, Case{L"\x0663", std::nullopt}})
        EXPECT_EQ(ParseSpinText(c.text), c.expected) << "\"" << testing::PrintToString(std::wstring(c.text)) << "\"";
    EXPECT_EQ(SpinText(kMin), L"-9223372036854775808");
    EXPECT_EQ(ParseSpinText(SpinText(kMin)), kMin);
}

TEST(SpinValue, ClampLimitsToTheRangeUnlessTheEndsAreEqual) {
    EXPECT_EQ(ClampValue(0, 1, 99), 1);
    EXPECT_EQ(ClampValue(100, 1, 99), 99);
    EXPECT_EQ(ClampValue(50, 1, 99), 50);
    // Equal ends: not limited at all.
    EXPECT_EQ(ClampValue(-5, 3, 3), -5);
    EXPECT_EQ(ClampValue(kMax, 0, 0), kMax);
}

TEST(SpinValue, StepsSaturateAtTheEndsOfTheRange) {
    struct Case {
        std::int64_t value, increment;
        bool up;
        std::int64_t expected;
    };
    for (const Case& c : {Case{5, 1, true, 6}, Case{5, 1, false, 4}, Case{5, -2, true, 3}, Case{5, -2, false, 7},
                          Case{kMax, 1, true, kMax}, Case{kMax - 1, 10, true, kMax}, Case{kMin, 1, false, kMin},
                          Case{kMin + 1, kMax, false, kMin}, Case{kMax, -1, false, kMax}, Case{kMin, -1, true, kMin},
                          Case{0, kMin, false, kMax}, Case{-1, kMin, false, kMax}, Case{kMax, kMin, true, -1}})
        EXPECT_EQ(StepValue(c.value, c.increment, c.up), c.expected)
            << c.value << (c.up ? " + " : " - ") << c.increment;
    // A typed maximum stepped up stays inside a range that ends there.
    EXPECT_EQ(ClampValue(StepValue(kMax, 1, true), 1, kMax), kMax);
}

TEST(SpinValue, TypedCharacters) {
    const wchar_t sep = L',';
    for (const wchar_t c : {L'0', L'5', L'9', L'+', L'-', L',', L'\b', L'\x16' /* Ctrl+V */, L'\x03' /* Ctrl+C */})
        EXPECT_TRUE(AcceptsChar(c, true, sep)) << int(c);
    for (const wchar_t c : {L'a', L'.', L' ', L'\r', L'\n', L'\t', L'x', L'\x0663'})
        EXPECT_FALSE(AcceptsChar(c, true, sep)) << int(c);
    // Not editable: only control characters other than backspace and return.
    for (const wchar_t c : {L'0', L'-', L',', L'\b', L'\r'})
        EXPECT_FALSE(AcceptsChar(c, false, sep)) << int(c);
    EXPECT_TRUE(AcceptsChar(L'\x03', false, sep));
}

TEST(SpinValue, PastedTextKeepsOnlyWhatTypingWouldAccept) {
    EXPECT_EQ(FilterPastedText(L"a1b2\r\n3", L'.'), L"123");
    EXPECT_EQ(FilterPastedText(L" -4.5 ", L'.'), L"-4.5");
    EXPECT_EQ(FilterPastedText(L"\tnone\b", L'.'), L"");
}

} // namespace
} // namespace hg
