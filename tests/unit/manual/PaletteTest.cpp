#include "manual/Palette.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

const std::wstring kDefaultValue =
    L"ColorA=AAAAAA,ColorB=FFCF8A,ColorC=D698F5,ColorD=40DBF3,ColorE=5ED7AC,ColorF=D9D978,ColorG=51AFFF,"
    L"ColorH=6F6FFF,ColorI=A758F2,ColorJ=75D048,ColorK=FF8AC4,ColorL=FFAB4B,ColorM=FE9797,ColorN=A8B5C3,"
    L"ColorO=DDDDDD,ColorP=B7D0C4";

TEST(CustomColorPalette, MissingValueGivesTheDefaultPaletteWhichWritesAsTheTable) {
    const CustomColorPalette palette = ParseCustomColors(std::nullopt);
    EXPECT_EQ(palette[0], 0xAAAAAAu);
    EXPECT_EQ(palette[1], 0xFFCF8Au); // red 138, green 207, blue 255
    EXPECT_EQ(palette[15], 0xB7D0C4u);
    EXPECT_EQ(FormatCustomColors(palette), kDefaultValue);
}

TEST(CustomColorPalette, EverySlotSurvivesTheRoundTrip) {
    CustomColorPalette palette;
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<TColor>(0x010203 * (i + 1));
    palette[3] = 0;                 // black: written with six digits
    palette[7] = EmptyCustomColor;  // an empty slot
    palette[9] = 0xFFFFFF;          // white
    const std::wstring value = FormatCustomColors(palette);
    EXPECT_NE(value.find(L"ColorD=000000,"), std::wstring::npos);
    EXPECT_NE(value.find(L"ColorH=FFFFFFFF,"), std::wstring::npos);
    EXPECT_EQ(value.find(L'\n'), std::wstring::npos);
    EXPECT_EQ(ParseCustomColors(value), palette);
}

TEST(CustomColorPalette, EntriesAreReadStrictlyByName) {
    struct Case {
        const char* name;
        std::wstring value;
        std::size_t slot;
        TColor expected;
    };
    const Case cases[] = {
        {"lower-case digits", L"ColorB=ffcf8a", 1, 0xFFCF8A},
        {"name in any case, blanks around", L" colorb = 12ab ", 1, 0x12AB},
        {"order does not matter", L"ColorP=1,ColorA=2", 15, 1},
        {"first of repeated names counts", L"ColorC=111111,ColorC=222222", 2, 0x111111},
        {"eight digits", L"ColorA=FFFFFFFF", 0, 0xFFFFFFFF},
        {"nine digits do not wrap", L"ColorA=100000001", 0, EmptyCustomColor},
        {"not hexadecimal", L"ColorA=12G456", 0, EmptyCustomColor},
        {"a sign is not a digit", L"ColorA=-1", 0, EmptyCustomColor},
        {"empty entry", L"ColorA=,ColorB=1", 0, EmptyCustomColor},
        {"missing entry", L"ColorB=1", 0, EmptyCustomColor},
        {"unknown names are ignored", L"ColorQ=1,Colour=2,ColorAA=3,ColorA=4,=5,junk", 0, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCustomColors(c.value)[c.slot], c.expected) << c.name;
}

TEST(CustomColorPalette, EmptyValueLeavesEverySlotEmpty) {
    CustomColorPalette empty;
    empty.fill(EmptyCustomColor);
    EXPECT_EQ(ParseCustomColors(std::wstring()), empty);
}

} // namespace
} // namespace hg
