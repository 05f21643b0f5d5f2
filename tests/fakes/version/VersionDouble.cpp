// A test double of version.dll. Placed beside a program and loaded with
// WINEDLLOVERRIDES=version=n,b, it passes every query through to kernelbase,
// where the system keeps the same functions, except that the version
// resource of kernel32.dll reads HUEGLASS_KERNEL_VERSION ("6.3", "6.1"...)
// when that variable is set. Wine's own kernel32.dll always reads 10.0, so
// this lets a program under test take its branches for Windows 7 and 8.
//
// VerInstallFile is not offered (it answers that the source cannot be read).
// HueglassVersionDouble (by name) returns 1: proof that the double was loaded.
#include <windows.h>

#include <cwchar>

namespace {

using GetInfoW = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using GetInfoExW = BOOL(WINAPI*)(DWORD, LPCWSTR, DWORD, DWORD, LPVOID);
using QueryValueW = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

FARPROC Kernelbase(const char* name) {
    const HMODULE module = ::GetModuleHandleW(L"kernelbase.dll");
    return module ? ::GetProcAddress(module, name) : nullptr;
}

template <typename Fn>
Fn Real(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernelbase(name)));
}

bool IsKernel32(LPCWSTR file) {
    if (file == nullptr)
        return false;
    const wchar_t* name = file;
    for (const wchar_t* p = file; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    return ::lstrcmpiW(name, L"kernel32.dll") == 0 || ::lstrcmpiW(name, L"kernel32") == 0;
}

// Writes the version asked for into the resource's fixed part.
void Rewrite(LPCWSTR file, LPVOID data) {
    wchar_t text[16];
    const DWORD length = ::GetEnvironmentVariableW(L"HUEGLASS_KERNEL_VERSION", text, 16);
    if (length == 0 || length >= 16 || !IsKernel32(file))
        return;
    wchar_t* end = nullptr;
    const unsigned long major = std::wcstoul(text, &end, 10);
    const unsigned long minor = (end && *end == L'.') ? std::wcstoul(end + 1, nullptr, 10) : 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    const auto query = Real<QueryValueW>("VerQueryValueW");
    if (query == nullptr || !query(data, L"\\", reinterpret_cast<LPVOID*>(&fixed), &size) || fixed == nullptr ||
        size < sizeof(VS_FIXEDFILEINFO))
        return;
    fixed->dwFileVersionMS = fixed->dwProductVersionMS = MAKELONG(minor, major);
    fixed->dwFileVersionLS = fixed->dwProductVersionLS = 0;
}

} // namespace

extern "C" {

int WINAPI HueglassVersionDouble() {
    return 1;
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD length, LPVOID data) {
    const auto real = Real<GetInfoW>("GetFileVersionInfoW");
    if (real == nullptr || !real(file, handle, length, data))
        return FALSE;
    Rewrite(file, data);
    return TRUE;
}

BOOL WINAPI GetFileVersionInfoExW(DWORD flags, LPCWSTR file, DWORD handle, DWORD length, LPVOID data) {
    const auto real = Real<GetInfoExW>("GetFileVersionInfoExW");
    if (real == nullptr || !real(flags, file, handle, length, data))
        return FALSE;
    Rewrite(file, data);
    return TRUE;
}

DWORD WINAPI VerInstallFileA(DWORD, LPSTR, LPSTR, LPSTR, LPSTR, LPSTR, LPSTR, PUINT) {
    return VIF_CANNOTREADSRC;
}

DWORD WINAPI VerInstallFileW(DWORD, LPWSTR, LPWSTR, LPWSTR, LPWSTR, LPWSTR, LPWSTR, PUINT) {
    return VIF_CANNOTREADSRC;
}

} // extern "C"
