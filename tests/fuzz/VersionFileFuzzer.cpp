// The version file as it comes from the network. What is taken from it is a
// current version, an address that may be opened or none, and one line per
// value; version comparison is a strict order on whatever the file holds.
#include "FuzzChecks.h"
#include "update/VersionFile.h"

#include <algorithm>

using namespace hg;

namespace {

bool OneLine(const std::wstring& text) {
    return std::none_of(text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n' || c == 0; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hg::fuzz;
    const auto content = ParseVersionFile({data, size}, L"Hueglass");
    if (!content)
        return 0;
    Require(size > 0 && size <= kMaxVersionFileBytes, "a version file read beyond its size cap");
    Require(!content->CurrentVersion.empty(), "a version file without the current version");
    Require(content->DownloadURL.empty() || IsWebAddress(content->DownloadURL), "an address that may not be opened");
    Require(content->Changes.size() <= size, "more lines of changes than the file has bytes");
    Require(OneLine(content->CurrentVersion) && OneLine(content->DownloadURL) && OneLine(content->ReleaseDate) &&
                OneLine(content->BetaVer) && std::all_of(content->Changes.begin(), content->Changes.end(), OneLine),
            "a value that spans lines");

    const std::wstring& a = content->CurrentVersion;
    const std::wstring& b = content->BetaVer;
    Require(!IsNewerVersion(a, a) && !IsNewerVersion(b, b), "a version newer than itself");
    Require(!(IsNewerVersion(a, b) && IsNewerVersion(b, a)), "two versions each newer than the other");
    return 0;
}
