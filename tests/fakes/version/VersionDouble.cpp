// A test double of version.dll. Installed in System32 (tests/fakes/
// InstallDoubles.h) and loaded with version=native,builtin among the
// program's DLL overrides, it lets a test choose the Windows version that
// kernel32.dll's version resource reports (Wine's always reads 10.0):
//
// - HUEGLASS_KERNEL_VERSION="major.minor[.build[.revision]]" (e.g. 6.1.7601)
//   replaces the file and product version of the fixed part of kernel32.dll's
//   version resource, as GetFileVersionInfo* (W and A, Ex or not) return it.
//   Read on every call; unset or malformed, nothing is changed.
// - Every call is otherwise passed to the system's version.dll, kept in the
//   system folder as "hueglass-system-version.dll" by the installation, so
//   every other file reads as it really is.
// - HueglassVersionDouble (by name) returns 1: proof that the double was
//   loaded.
#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

HMODULE SystemLibrary() {
    static HMODULE library = [] {
        wchar_t path[MAX_PATH + 32];
        const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return static_cast<HMODULE>(nullptr);
        std::wcscat(path, L"\\hueglass-system-version.dll");
        return ::LoadLibraryW(path);
    }();
    return library;
}

template <typename Fn>
Fn Real(const char* name) {
    const HMODULE library = SystemLibrary();
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name))) : nullptr;
}

// The version asked for, as the fixed part's two 32-bit halves.
bool AskedVersion(DWORD& ms, DWORD& ls) {
    wchar_t text[64];
    const DWORD length = ::GetEnvironmentVariableW(L"HUEGLASS_KERNEL_VERSION", text, 64);
    if (length == 0 || length >= 64)
        return false;
    unsigned parts[4] = {0, 0, 0, 0};
    int count = 0;
    const wchar_t* p = text;
    while (count < 4) {
        if (!std::iswdigit(*p))
            return false;
        unsigned long value = 0;
        while (std::iswdigit(*p) && value <= 0xFFFF)
            value = value * 10 + static_cast<unsigned long>(*p++ - L'0');
        if (value > 0xFFFF)
            return false;
        parts[count++] = static_cast<unsigned>(value);
        if (*p == L'\0')
            break;
        if (*p++ != L'.')
            return false;
    }
    if (count < 2 || *p != L'\0')
        return false;
    ms = MAKELONG(parts[1], parts[0]);
    ls = MAKELONG(parts[3], parts[2]);
    return true;
}

bool IsKernel32(const wchar_t* file) {
    if (file == nullptr)
        return false;
    const wchar_t* name = file;
    for (const wchar_t* p = file; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    return _wcsicmp(name, L"kernel32.dll") == 0 || _wcsicmp(name, L"kernel32") == 0;
}

bool IsKernel32(const char* file) {
    if (file == nullptr)
        return false;
    wchar_t wide[MAX_PATH * 2];
    return ::MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH * 2) > 0 && IsKernel32(wide);
}

// Rewrites the fixed part of a version block the real library filled, found
// with the query of the same character width as the call that filled it.
template <typename Char>
void Patch(void* data) {
    DWORD ms = 0, ls = 0;
    if (data == nullptr || !AskedVersion(ms, ls))
        return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    BOOL found = FALSE;
    if constexpr (sizeof(Char) == sizeof(wchar_t)) {
        using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
        if (const auto query = Real<QueryFn>("VerQueryValueW"))
            found = query(data, L"\\", reinterpret_cast<void**>(&fixed), &length);
    } else {
        using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
        if (const auto query = Real<QueryFn>("VerQueryValueA"))
            found = query(data, "\\", reinterpret_cast<void**>(&fixed), &length);
    }
    if (!found || fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return;
    fixed->dwFileVersionMS = fixed->dwProductVersionMS = ms;
    fixed->dwFileVersionLS = fixed->dwProductVersionLS = ls;
}

} // namespace

extern "C" {

int WINAPI HueglassVersionDouble() {
    return 1;
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    using Fn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    const auto real = Real<Fn>("GetFileVersionInfoW");
    if (real == nullptr || !real(file, handle, size, data))
        return FALSE;
    if (IsKernel32(file))
        Patch<wchar_t>(data);
    return TRUE;
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR file, DWORD handle, DWORD size, LPVOID data) {
    using Fn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    const auto real = Real<Fn>("GetFileVersionInfoA");
    if (real == nullptr || !real(file, handle, size, data))
        return FALSE;
    if (IsKernel32(file))
        Patch<char>(data);
    return TRUE;
}

BOOL WINAPI GetFileVersionInfoExW(DWORD flags, LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    using Fn = BOOL(WINAPI*)(DWORD, LPCWSTR, DWORD, DWORD, LPVOID);
    const auto real = Real<Fn>("GetFileVersionInfoExW");
    if (real == nullptr || !real(flags, file, handle, size, data))
        return FALSE;
    if (IsKernel32(file))
        Patch<wchar_t>(data);
    return TRUE;
}

BOOL WINAPI GetFileVersionInfoExA(DWORD flags, LPCSTR file, DWORD handle, DWORD size, LPVOID data) {
    using Fn = BOOL(WINAPI*)(DWORD, LPCSTR, DWORD, DWORD, LPVOID);
    const auto real = Real<Fn>("GetFileVersionInfoExA");
    if (real == nullptr || !real(flags, file, handle, size, data))
        return FALSE;
    if (IsKernel32(file))
        Patch<char>(data);
    return TRUE;
}

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
    using Fn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    const auto real = Real<Fn>("GetFileVersionInfoSizeW");
    return real ? real(file, handle) : 0;
}

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR file, LPDWORD handle) {
    using Fn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    const auto real = Real<Fn>("GetFileVersionInfoSizeA");
    return real ? real(file, handle) : 0;
}

DWORD WINAPI GetFileVersionInfoSizeExW(DWORD flags, LPCWSTR file, LPDWORD handle) {
    using Fn = DWORD(WINAPI*)(DWORD, LPCWSTR, LPDWORD);
    const auto real = Real<Fn>("GetFileVersionInfoSizeExW");
    return real ? real(flags, file, handle) : 0;
}

DWORD WINAPI GetFileVersionInfoSizeExA(DWORD flags, LPCSTR file, LPDWORD handle) {
    using Fn = DWORD(WINAPI*)(DWORD, LPCSTR, LPDWORD);
    const auto real = Real<Fn>("GetFileVersionInfoSizeExA");
    return real ? real(flags, file, handle) : 0;
}

BOOL WINAPI GetFileVersionInfoByHandle(DWORD flags, HANDLE file, LPVOID* data, LPDWORD size) {
    using Fn = BOOL(WINAPI*)(DWORD, HANDLE, LPVOID*, LPDWORD);
    const auto real = Real<Fn>("GetFileVersionInfoByHandle");
    if (real == nullptr) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return real(flags, file, data, size);
}

BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
    using Fn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    const auto real = Real<Fn>("VerQueryValueW");
    return real != nullptr && real(block, subBlock, buffer, length);
}

BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
    using Fn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    const auto real = Real<Fn>("VerQueryValueA");
    return real != nullptr && real(block, subBlock, buffer, length);
}

// Declared with writable texts by the headers, so declared so here.
DWORD WINAPI VerFindFileW(DWORD flags, LPWSTR file, LPWSTR windowsDir, LPWSTR appDir, LPWSTR currentDir,
                          PUINT currentDirLength, LPWSTR destDir, PUINT destDirLength) {
    using Fn = DWORD(WINAPI*)(DWORD, LPWSTR, LPWSTR, LPWSTR, LPWSTR, PUINT, LPWSTR, PUINT);
    const auto real = Real<Fn>("VerFindFileW");
    return real ? real(flags, file, windowsDir, appDir, currentDir, currentDirLength, destDir, destDirLength)
                : VFF_BUFFTOOSMALL;
}

DWORD WINAPI VerFindFileA(DWORD flags, LPSTR file, LPSTR windowsDir, LPSTR appDir, LPSTR currentDir,
                          PUINT currentDirLength, LPSTR destDir, PUINT destDirLength) {
    using Fn = DWORD(WINAPI*)(DWORD, LPSTR, LPSTR, LPSTR, LPSTR, PUINT, LPSTR, PUINT);
    const auto real = Real<Fn>("VerFindFileA");
    return real ? real(flags, file, windowsDir, appDir, currentDir, currentDirLength, destDir, destDirLength)
                : VFF_BUFFTOOSMALL;
}

DWORD WINAPI VerInstallFileW(DWORD flags, LPWSTR source, LPWSTR dest, LPWSTR sourceDir, LPWSTR destDir,
                             LPWSTR currentDir, LPWSTR tempFile, PUINT tempFileLength) {
    using Fn = DWORD(WINAPI*)(DWORD, LPWSTR, LPWSTR, LPWSTR, LPWSTR, LPWSTR, LPWSTR, PUINT);
    const auto real = Real<Fn>("VerInstallFileW");
    return real ? real(flags, source, dest, sourceDir, destDir, currentDir, tempFile, tempFileLength)
                : VIF_CANNOTREADSRC;
}

DWORD WINAPI VerInstallFileA(DWORD flags, LPSTR source, LPSTR dest, LPSTR sourceDir, LPSTR destDir,
                             LPSTR currentDir, LPSTR tempFile, PUINT tempFileLength) {
    using Fn = DWORD(WINAPI*)(DWORD, LPSTR, LPSTR, LPSTR, LPSTR, LPSTR, LPSTR, PUINT);
    const auto real = Real<Fn>("VerInstallFileA");
    return real ? real(flags, source, dest, sourceDir, destDir, currentDir, tempFile, tempFileLength)
                : VIF_CANNOTREADSRC;
}

DWORD WINAPI VerLanguageNameW(DWORD language, LPWSTR name, DWORD size) {
    using Fn = DWORD(WINAPI*)(DWORD, LPWSTR, DWORD);
    const auto real = Real<Fn>("VerLanguageNameW");
    return real ? real(language, name, size) : 0;
}

DWORD WINAPI VerLanguageNameA(DWORD language, LPSTR name, DWORD size) {
    using Fn = DWORD(WINAPI*)(DWORD, LPSTR, DWORD);
    const auto real = Real<Fn>("VerLanguageNameA");
    return real ? real(language, name, size) : 0;
}

} // extern "C"
