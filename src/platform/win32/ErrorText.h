#pragma once
#include <windows.h>

#include <string>

namespace hg::win32 {

// The system's text for a Win32 error code, without the trailing line break.
std::wstring ErrorText(DWORD code);

} // namespace hg::win32
