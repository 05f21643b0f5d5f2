#pragma once
// The version file on the maker's web site: INI text naming the current
// release of each program, its download page, release date, beta version and
// change history. Everything in it comes from the network and is read
// strictly.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hg {

// Files above this size are not version files (an error page, a hostile
// server); nothing larger is read.
inline constexpr std::size_t kMaxVersionFileBytes = 64 * 1024;

struct VersionFileContent {
    std::wstring CurrentVersion; // [CurrentVersions] <program>, never empty
    std::wstring DownloadURL;    // [DownloadURL] <program>; empty unless an http or https address
    std::wstring ReleaseDate;    // [DateReleased] Date
    std::wstring BetaVer;        // [BetaVersions] <program>
    // [CurrentHistory]: as many lines as the section has entries, line i
    // holding the value of key i + 1 (empty when that key is missing).
    std::vector<std::wstring> Changes;
};

// The content of a version file for the program named `program` (its file
// name without folder and extension). nullopt when the bytes are not such a
// file: empty, larger than the cap, binary, or without the program's current
// version (a server's error page, for one). Sections and keys are compared
// without regard to case; of repeated sections and keys the first counts.
// UTF-8 (with or without its byte-order mark), UTF-16 with a byte-order mark,
// and otherwise single-byte text are read.
std::optional<VersionFileContent> ParseVersionFile(std::span<const std::uint8_t> bytes, std::wstring_view program);

// An absolute http or https address with a host and no blanks or control
// characters: the only kind of address from the network that is opened.
bool IsWebAddress(std::wstring_view address);

// A web address taken apart for an HTTP request.
struct WebAddressParts {
    bool secure = false;   // https
    std::wstring host;
    std::uint16_t port = 0; // the scheme's own when the address names none
    std::wstring object;   // path and query, never empty ("/" at least); no fragment
    bool operator==(const WebAddressParts&) const = default;
};

// The parts of an address that IsWebAddress accepts, or nullopt: for an
// address with a user name or password, an IPv6 literal, or a port that is
// not a number from 1 to 65535.
std::optional<WebAddressParts> SplitWebAddress(std::wstring_view address);

// Whether version New is later than version Current, comparing the four
// parts as numbers in turn. False when either is not a version of four plain
// decimal parts.
bool IsNewerVersion(std::wstring_view New, std::wstring_view Current);

} // namespace hg
