#include "update/VersionText.h"

#include <climits>
#include <cmath>
#include <cwctype>

namespace hg {

namespace {

// A plain decimal number (digits only) of at most `limit`.
std::optional<std::uint32_t> ParseDecimal(std::wstring_view text, std::uint32_t limit) {
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// Splits at every full stop; empty when there are not exactly four parts.
std::optional<std::array<std::wstring_view, 4>> FourParts(std::wstring_view text) {
    std::array<std::wstring_view, 4> parts;
    std::size_t count = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find(L'.', start);
        if (count == parts.size())
            return std::nullopt;
        parts[count++] = text.substr(start, dot == std::wstring_view::npos ? std::wstring_view::npos : dot - start);
        if (dot == std::wstring_view::npos)
            break;
        start = dot + 1;
    }
    if (count != parts.size())
        return std::nullopt;
    return parts;
}

// Simple case folding, one character to one, so that positions in the folded
// text are positions in the original: ASCII, Latin-1, Latin Extended-A, the
// basic Greek and Cyrillic letters.
wchar_t FoldCase(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return static_cast<wchar_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<wchar_t>(c + 0x50);
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Pairs: even upper, odd lower in 0x100..0x137 and 0x14A..0x177;
        // odd upper, even lower in 0x139..0x148 and 0x179..0x17E.
        const bool evenUpper = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (evenUpper && c % 2 == 0)
            return static_cast<wchar_t>(c + 1);
        if (!evenUpper && c % 2 == 1 && c != 0x178)
            return static_cast<wchar_t>(c + 1);
    }
    return c;
}

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

std::wstring Trim(std::wstring_view text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    const auto last = text.find_last_not_of(L" \t");
    return std::wstring(text.substr(first, last - first + 1));
}

} // namespace

std::optional<VersionNumber> ParseVersion(std::wstring_view text) {
    const auto parts = FourParts(text);
    if (!parts)
        return std::nullopt;
    VersionNumber version{};
    for (std::size_t i = 0; i < version.size(); ++i) {
        const auto value = ParseDecimal((*parts)[i], 65535);
        if (!value)
            return std::nullopt;
        version[i] = static_cast<std::uint16_t>(*value);
    }
    return version;
}

std::wstring FormatVersion(std::wstring_view AVersion, bool bShortSR, bool bMarkup, bool bShow64) {
    const auto parts = FourParts(AVersion);
    if (!parts)
        return {};
    std::array<std::uint32_t, 4> n{};
    for (std::size_t i = 0; i < n.size(); ++i) {
        const auto value = ParseDecimal((*parts)[i], INT32_MAX);
        if (!value)
            return {};
        n[i] = *value;
    }
    const auto [major, minor, release, build] = n;
    std::wstring result = std::to_wstring(major) + L"." + std::to_wstring(minor);
    if (release > 0)
        result += std::to_wstring(release);
    if (build > 0) {
        result += L" SR" + std::to_wstring(build);
        if (!bShortSR)
            result += L" (Service Release " + std::to_wstring(build) + L")";
    }
    if (bShow64)
        result += bMarkup ? L" <fc:cl3DDkShadow>(64-bit)</fc>" : L" (64-bit)";
    return result;
}

std::wstring ReplaceAllText(std::wstring_view S, std::wstring_view Old, std::wstring_view New) {
    if (Old.empty())
        return std::wstring(S);
    std::wstring result;
    result.reserve(S.size());
    std::size_t i = 0;
    while (i < S.size()) {
        if (S.size() - i >= Old.size() && EqualIgnoringCase(S.substr(i, Old.size()), Old)) {
            result += New;
            i += Old.size();
        } else {
            result += S[i++];
        }
    }
    return result;
}

std::wstring FormatFileVersion(std::uint32_t versionMS, std::uint32_t versionLS) {
    return std::to_wstring(versionMS >> 16) + L"." + std::to_wstring(versionMS & 0xFFFF) + L"." +
           std::to_wstring(versionLS >> 16) + L"." + std::to_wstring(versionLS & 0xFFFF);
}

std::wstring FileVersionErrorText(std::uint32_t code, std::wstring_view message) {
    return L"GetFileVersionInfo failed: (" + std::to_wstring(static_cast<std::int32_t>(code)) + L") " +
           std::wstring(message);
}

std::wstring TimeOfDayDigits(double dayFraction) {
    if (!(dayFraction > 0) || !(dayFraction < 1))
        return {};
    // The fraction with up to eight decimals, rounded, trailing zeros dropped.
    const auto scaled = static_cast<std::int64_t>(std::llround(dayFraction * 1e8));
    if (scaled <= 0 || scaled >= 100000000)
        return {};
    std::wstring decimals = std::to_wstring(scaled);
    decimals.insert(0, 8 - decimals.size(), L'0');
    while (!decimals.empty() && decimals.back() == L'0')
        decimals.pop_back();
    return decimals.size() > 3 ? decimals.substr(3, 5) : std::wstring();
}

std::wstring MakeTempFileName(std::wstring ADir, std::wstring_view AExt, IDayClock& clock, IFileSystem& files) {
    std::wstring ext(AExt);
    if (!ext.empty() && ext.front() != L'.')
        ext = L"." + Trim(ext);
    if (ADir.empty() || ADir.back() != L'\\')
        ADir += L'\\';

    // The clock's readings first, as long as they bring names not yet tried
    // (a clock that stands still would otherwise keep us here for good);
    // then a counter after the last reading's digits.
    constexpr int kClockReadings = 100;
    constexpr int kCounted = 10000;
    std::wstring digits;
    std::wstring lastTried;
    for (int attempt = 0; attempt < kClockReadings; ++attempt) {
        digits = TimeOfDayDigits(clock.DayFraction());
        const std::wstring name = L"TMP" + digits + ext;
        if (attempt > 0 && name == lastTried)
            break;
        if (!files.FileExists(ADir + name))
            return ADir + name;
        lastTried = name;
    }
    for (int counter = 1; counter <= kCounted; ++counter) {
        const std::wstring name = L"TMP" + digits + L"-" + std::to_wstring(counter) + ext;
        if (!files.FileExists(ADir + name))
            return ADir + name;
    }
    return {};
}

} // namespace hg
