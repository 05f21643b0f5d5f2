#include "fakes/InstallDoubles.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <optional>

namespace hg::fakes {

namespace {

std::optional<std::string> ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length) + L"\\";
}

std::wstring Error(const std::wstring& what) { return what + L" (error " + std::to_wstring(::GetLastError()) + L")"; }

} // namespace

std::wstring InstallTestDoubles(const std::wstring& fromFolder) {
    const std::wstring system = SystemFolder();
    if (system.empty())
        return L"no system folder";
    for (const wchar_t* name : {L"dwmapi.dll", L"version.dll", L"wininet.dll"}) {
        const std::optional<std::string> built = ReadFile(fromFolder + L"\\" + name);
        if (!built)
            continue; // not built: the tests that need it say so
        const std::wstring target = system + name;
        const std::optional<std::string> present = ReadFile(target);
        if (present == built)
            continue;
        // Every double carries its marker export ("Hueglass...Double"); a file
        // without it is the system's own, kept for passing calls on.
        if (present && present->find("Hueglass") == std::string::npos &&
            !::CopyFileW(target.c_str(), (system + L"hueglass-system-" + name).c_str(), FALSE))
            return Error(L"cannot keep the system's " + std::wstring(name));
        const std::wstring temporary = target + L".hueglass-" + std::to_wstring(::GetCurrentProcessId());
        if (!::CopyFileW((fromFolder + L"\\" + name).c_str(), temporary.c_str(), FALSE))
            return Error(L"cannot copy " + std::wstring(name) + L" into " + system);
        if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            const std::wstring failed = Error(L"cannot replace " + target);
            ::DeleteFileW(temporary.c_str());
            return failed;
        }
    }
    // Wine would give a program of its own (any .exe that is no Wine
    // program) the file in System32, so the double, by default: the prefix's
    // default is Wine's own DLL, and a test asks for the double per program.
    for (const wchar_t* name : {L"dwmapi", L"version", L"wininet"}) {
        const wchar_t builtin[] = L"builtin";
        if (const LSTATUS status = ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", name, REG_SZ,
                                                     builtin, sizeof(builtin));
            status != ERROR_SUCCESS) {
            ::SetLastError(static_cast<DWORD>(status));
            return Error(L"cannot set the default DLL override of " + std::wstring(name));
        }
    }
    return {};
}

} // namespace hg::fakes
