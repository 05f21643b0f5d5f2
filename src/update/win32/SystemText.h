#pragma once
// The Windows side of the version and temporary-file texts.
#include "update/VersionText.h"

#include <string>

namespace hg::win32 {

// The file version of the file's version resource as "%d.%d.%d.%d"; when
// the version information cannot be read, "GetFileVersionInfo failed: (code)
// text"; empty when it has no fixed file information.
std::wstring FileVersionString(const std::wstring& fileName);

// The user's temporary folder, ending in a backslash; the current folder when
// the system names none.
std::wstring GetTempDirectory();

// The local time of day.
class LocalDayClock final : public IDayClock {
public:
    double DayFraction() override;
};

// Creates a new, empty file of a fresh temporary name with the extension in
// the user's temporary folder, failing rather than opening a file that
// exists (so no one else's file is ever taken over). Its full name, or empty
// when no file could be created.
std::wstring CreateTempFile(std::wstring_view extension);

} // namespace hg::win32
