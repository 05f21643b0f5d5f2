#pragma once
#include <windows.h>

namespace hg::win32 {

// A new named mutex, not initially owned; 0 when the mutex already existed
// (another copy runs) or could not be created.
HANDLE CreateUniqueMutex(const wchar_t* name);

} // namespace hg::win32
