#include "app/win32/MutexUtils.h"

namespace hg::win32 {

HANDLE CreateUniqueMutex(const wchar_t* name) {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name);
    if (mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

} // namespace hg::win32
