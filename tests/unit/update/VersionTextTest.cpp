#include "update/VersionText.h"

#include "fakes/platform/FakePorts.h"

#include <gtest/gtest.h>

#include <deque>

namespace hg {
namespace {

TEST(FormatVersion, Table) {
    struct Case {
        std::wstring_view version;
        bool shortSR, markup, show64;
        std::wstring_view expected;
    };
    const Case cases[] = {
        {L"2.0.1.1", true, false, true, L"2.01 SR1 (64-bit)"},
        {L"2.0.2.0", true, false, false, L"2.02"},
        {L"3.1.0.0", true, false, false, L"3.1"},
        {L"2.0.0.3", false, false, false, L"2.0 SR3 (Service Release 3)"},
        {L"2.0.1.2", false, false, false, L"2.01 SR2 (Service Release 2)"},
        {L"1.5.12.0", true, false, false, L"1.512"},
        {L"2.0.1.1", true, true, true, L"2.01 SR1 <fc:cl3DDkShadow>(64-bit)</fc>"},
        {L"2147483647.0.0.0", true, false, false, L"2147483647.0"},
        // Not four plain bounded decimal parts: the empty text, never an error.
        {L"2.0.1", true, false, true, L""},
        {L"2.0.1.1.5", true, false, true, L""},
        {L"", true, false, true, L""},
        {L"...", true, false, true, L""},
        {L"2.0.x.1", true, false, true, L""},
        {L"2.0.-1.1", true, false, true, L""},
        {L"2.0.+1.1", true, false, true, L""},
        {L"2.0. 1.1", true, false, true, L""},
        {L"2.0.$F.1", true, false, true, L""},
        {L"2147483648.0.0.0", true, false, true, L""},
        {L"2.0.1.99999999999999999999", true, false, true, L""},
        {L"GetFileVersionInfo failed: (2) The system cannot find the file specified.", true, false, true, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatVersion(c.version, c.shortSR, c.markup, c.show64), c.expected)
            << std::wstring(c.version).c_str();
}

TEST(ParseVersion, FourPartsOfAtMost65535) {
    EXPECT_EQ(ParseVersion(L"2.0.1.1"), (VersionNumber{2, 0, 1, 1}));
    EXPECT_EQ(ParseVersion(L"65535.0.0.65535"), (VersionNumber{65535, 0, 0, 65535}));
    for (const wchar_t* bad : {L"65536.0.0.0", L"2.0.1", L"2.0.1.1.1", L"2..1.1", L"2.0.1.1 ", L"-2.0.1.1", L"٢.0.1.1"})
        EXPECT_EQ(ParseVersion(bad), std::nullopt) << bad;
}

TEST(ReplaceAllText, EveryOccurrenceIgnoringCase) {
    struct Case {
        std::wstring_view text, old, replacement, expected;
    };
    const Case cases[] = {
        {L"2.0.1.1", L".", L"", L"2011"},
        {L"Hello hello HELLO", L"hello", L"bye", L"bye bye bye"},
        {L"ÄRGER ärger", L"ärger", L"x", L"x x"},
        {L"aaa", L"aa", L"b", L"ba"},     // no overlapping matches
        {L"abc", L"b", L"bb", L"abbc"},   // the replacement is not searched again
        {L"text", L"", L"x", L"text"},    // an empty search text changes nothing
        {L"", L"a", L"b", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceAllText(c.text, c.old, c.replacement), c.expected) << std::wstring(c.text).c_str();
}

TEST(FileVersionText, WordsAndErrors) {
    EXPECT_EQ(FormatFileVersion(0x00020000, 0x00010001), L"2.0.1.1");
    EXPECT_EQ(FormatFileVersion(0xFFFF0001, 0x0002FFFF), L"65535.1.2.65535");
    EXPECT_EQ(FileVersionErrorText(1813, L"The specified resource type cannot be found in the image file."),
              L"GetFileVersionInfo failed: (1813) The specified resource type cannot be found in the image file.");
}

// Gives the listed readings in turn, then keeps giving the last one.
class ScriptedClock final : public IDayClock {
public:
    explicit ScriptedClock(std::deque<double> readings) : readings_(std::move(readings)) {}
    double DayFraction() override {
        ++reads;
        const double value = readings_.front();
        if (readings_.size() > 1)
            readings_.pop_front();
        return value;
    }
    int reads = 0;

private:
    std::deque<double> readings_;
};

TEST(TimeOfDayDigits, FourthToEighthDecimal) {
    EXPECT_EQ(TimeOfDayDigits(0.12345678), L"45678");
    EXPECT_EQ(TimeOfDayDigits(0.123456784), L"45678"); // rounded to eight decimals
    EXPECT_EQ(TimeOfDayDigits(0.12345), L"45");         // trailing zeros dropped
    EXPECT_EQ(TimeOfDayDigits(0.125), L"");
    EXPECT_EQ(TimeOfDayDigits(0.0), L"");
    EXPECT_EQ(TimeOfDayDigits(0.999999999), L""); // rounds to a whole day
}

TEST(MakeTempFileName, NameInTheFolderWithTheExtension) {
    testing::FakeFileSystem files;
    ScriptedClock clock({0.12345678});
    EXPECT_EQ(MakeTempFileName(L"C:\\Temp", L"rtf", clock, files), L"C:\\Temp\\TMP45678.rtf");
    EXPECT_EQ(MakeTempFileName(L"C:\\Temp\\", L".rtf", clock, files), L"C:\\Temp\\TMP45678.rtf");
    EXPECT_EQ(MakeTempFileName(L"C:\\Temp\\", L" rtf ", clock, files), L"C:\\Temp\\TMP45678.rtf");
    EXPECT_EQ(MakeTempFileName(L"C:\\Temp\\", L"", clock, files), L"C:\\Temp\\TMP45678");
    EXPECT_EQ(MakeTempFileName(L"", L"", clock, files), L"\\TMP45678");
    // The file is not created: a second call may give the same name.
    EXPECT_EQ(MakeTempFileName(L"C:\\Temp", L"", clock, files), L"C:\\Temp\\TMP45678");
}

TEST(MakeTempFileName, ExistingNamesArePassedOver) {
    testing::FakeFileSystem files;
    files.files[L"C:\\Temp\\TMP45678"] = {};
    ScriptedClock clock({0.12345678, 0.12345679});
    EXPECT_EQ(MakeTempFileName(L"C:\\Temp", L"", clock, files), L"C:\\Temp\\TMP45679");
}

TEST(MakeTempFileName, AClockThatStandsStillStillEnds) {
    testing::FakeFileSystem files;
    files.files[L"C:\\Temp\\TMP45678.tmp"] = {};
    files.files[L"C:\\Temp\\TMP45678-1.tmp"] = {};
    ScriptedClock clock({0.12345678});
    EXPECT_EQ(MakeTempFileName(L"C:\\Temp", L"tmp", clock, files), L"C:\\Temp\\TMP45678-2.tmp");
    EXPECT_LE(clock.reads, 2);
}

} // namespace
} // namespace hg
