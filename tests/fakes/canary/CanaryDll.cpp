// A canary DLL: planted beside a program under the name of a DLL the program
// loads, it proves a load from the program's folder. When a process maps it,
// it writes "<its own file name>.loaded" beside itself: "import" and the
// program's path when it came with the imports, "run-time" and the module
// that asked for it when it was loaded later. Loaded at run time, it then fails its start-up, so
// the load fails as for a missing DLL and the program goes on (and may load
// the next canary); loaded with the program's imports, it lets the start go
// on, so that every imported canary is recorded before the program fails on
// the functions it lacks. It passes nothing on: its only exports are the
// three version resource functions, which fail (Wine's own user32 imports
// version.dll and would end the process on a missing one, before the test
// could see what the program itself loads).
#include <windows.h>

#include <cstring>
#include <cwchar>

extern "C" {

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR, LPDWORD) {
    ::SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
    ::SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
}

BOOL WINAPI VerQueryValueW(LPCVOID, LPCWSTR, LPVOID*, PUINT) { return FALSE; }

} // extern "C"

namespace {

// The module whose code asked for this DLL: the first on the stack that is
// neither this DLL nor the loader (ntdll, kernelbase, kernel32).
HMODULE Requester(HINSTANCE self) {
    void* frames[64];
    const USHORT count = ::RtlCaptureStackBackTrace(0, 64, frames, nullptr);
    const HMODULE loader[] = {::GetModuleHandleW(L"ntdll.dll"), ::GetModuleHandleW(L"kernelbase.dll"),
                              ::GetModuleHandleW(L"kernel32.dll"), self};
    for (USHORT i = 0; i < count; ++i) {
        HMODULE module = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  static_cast<LPCWSTR>(frames[i]), &module))
            continue;
        bool isLoader = false;
        for (HMODULE l : loader)
            isLoader = isLoader || module == l;
        if (!isLoader)
            return module;
    }
    return nullptr;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID imported) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH + 16];
    const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::wcscat(path, L".loaded");
        const HANDLE record = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (record != INVALID_HANDLE_VALUE) {
            // One line, in UTF-8: "import <program>" for a DLL loaded with
            // the imports, "run-time <module that asked>" for one loaded
            // later.
            wchar_t module[MAX_PATH];
            const DWORD moduleLength =
                ::GetModuleFileNameW(imported != nullptr ? nullptr : Requester(self), module, MAX_PATH);
            char line[3 * MAX_PATH + 16];
            int used = imported != nullptr ? 7 : 9;
            std::memcpy(line, imported != nullptr ? "import " : "run-time ", static_cast<std::size_t>(used));
            used += ::WideCharToMultiByte(CP_UTF8, 0, module, static_cast<int>(moduleLength), line + used,
                                          3 * MAX_PATH, nullptr, nullptr);
            line[used++] = '\n';
            DWORD written = 0;
            ::WriteFile(record, line, static_cast<DWORD>(used), &written, nullptr);
            ::CloseHandle(record);
        }
    }
    // Non-null for a DLL loaded with the program's imports.
    return imported != nullptr;
}
