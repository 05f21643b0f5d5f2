#pragma once
// Texts about the program's own version, and fresh temporary file names.
#include "platform/FileSystem.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hg {

// A version text "major.minor.release.build" read strictly: exactly four
// parts, each a plain decimal number (digits only, no sign or blank) of at
// most 65535, the range of a version resource. Anything else is nullopt.
using VersionNumber = std::array<std::uint16_t, 4>;
std::optional<VersionNumber> ParseVersion(std::wstring_view text);

// The display form of a version text: "2.0.1.1" reads "2.01 SR1 (64-bit)"
// with bShortSR and bShow64. The release follows the minor number without a
// separator; a build above 0 adds " SR<build>", and without bShortSR also
// " (Service Release <build>)". bMarkup gives the 64-bit marker in the
// labels' colour markup. Empty unless the text has exactly four parts that
// are plain decimal numbers within the 32-bit range.
std::wstring FormatVersion(std::wstring_view AVersion, bool bShortSR, bool bMarkup, bool bShow64);

// S with every occurrence of Old, compared without regard to letter case,
// replaced by New. An empty Old leaves S as it is.
std::wstring ReplaceAllText(std::wstring_view S, std::wstring_view Old, std::wstring_view New);

// "%d.%d.%d.%d" of the two 32-bit words of a version resource's file version.
std::wstring FormatFileVersion(std::uint32_t versionMS, std::uint32_t versionLS);
// The text FileVersionString gives when the version information cannot be
// read: the error code and the system's text for it.
std::wstring FileVersionErrorText(std::uint32_t code, std::wstring_view message);

// The time of day, as the fraction of the day that has passed (0 <= f < 1).
class IDayClock {
public:
    virtual ~IDayClock() = default;
    virtual double DayFraction() = 0;
};

// The five characters of a temporary name taken from the time of day: the
// 4th to 8th decimal of the fraction, trailing zeros dropped (fewer
// characters when the fraction has fewer decimals).
std::wstring TimeOfDayDigits(double dayFraction);

// A full name "TMP" + five digits of the time of day + extension in folder
// ADir (a backslash is added unless it ends in one) for a file that does not
// exist yet; the file is not created. An extension without a leading full
// stop gets one. Names that exist are passed over, first with the clock's
// next reading, then with a counter, so the search always ends; empty only
// when every name tried exists.
std::wstring MakeTempFileName(std::wstring ADir, std::wstring_view AExt, IDayClock& clock, IFileSystem& files);

} // namespace hg
