// The file of remembered colours, read as the program reads it. Only whole
// entries behind a valid header are taken, and what was taken is written
// back as the same bytes.
#include "FuzzChecks.h"
#include "fakes/platform/FakePorts.h"
#include "manual/CustomColors.h"

#include <algorithm>
#include <cstring>

using namespace hg;

namespace {

bool SameEntries(const CustomColorList& a, const CustomColorList& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || !(a[i].hist == b[i].hist))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hg::fuzz;
    const std::wstring file = L"C:\\Data\\CustomColorCache.Settings";
    hg::testing::FakeFileSystem files;
    files.files[file].bytes.assign(data, data + size);

    CustomColorList list;
    LoadCustomColorCache(list, files, file);

    const std::size_t first = CustomColorHeaderSize + 4;
    Require(list.size() <= (size > first ? (size - first) / CustomColorEntrySize : 0), "more entries than bytes");
    for (const auto& entry : list.entries())
        Require(entry.name == L"Na", "an entry read from the file has a name");

    CustomColorList again;
    Require(DecodeCustomColors({data, size}, again) == list.size() && SameEntries(again, list),
            "reading the bytes gives other entries than reading the file");
    if (list.empty())
        return 0;

    // Entries were taken: the file began with the format's mark (the rest of
    // the header is padding, written as zeros and not checked when read), and
    // writing them back gives the entries' bytes as they were read.
    const std::vector<std::uint8_t> written = EncodeCustomColors(list);
    Require(written.size() == first + list.size() * CustomColorEntrySize, "the written file has another size");
    Require(std::equal(written.begin(), written.begin() + 7, data), "entries taken from a file with a foreign header");
    Require(std::memcmp(written.data() + first, data + first, list.size() * CustomColorEntrySize) == 0,
            "the entries written back differ from those read");

    files.files.clear();
    Require(SaveCustomColorCache(list, files, file, true), "the list cannot be saved");
    CustomColorList reread;
    LoadCustomColorCache(reread, files, file);
    Require(SameEntries(reread, list), "the saved list reads back differently");
    return 0;
}
