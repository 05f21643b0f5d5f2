#include "color/win32/Win32SystemColors.h"

#include <windows.h>

namespace hg::win32 {

TColor Win32SystemColors::SystemColor(int index) const {
    return static_cast<TColor>(::GetSysColor(index)) & 0x00FFFFFF;
}

} // namespace hg::win32
