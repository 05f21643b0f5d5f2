#include "platform/win32/EntryPoints.h"

#include <array>

namespace hg::win32 {

namespace {

template <typename Fn>
Fn Lookup(HMODULE module, LPCSTR name) {
    if (module == nullptr)
        return nullptr;
    // GetProcAddress returns a generic FARPROC; the cast to the real signature
    // is the documented way to call an entry point found at run time.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

constexpr std::array<const wchar_t*, 6> kSystemDllNames{
    L"dwmapi.dll", L"uxtheme.dll", L"shcore.dll", L"version.dll", L"msftedit.dll", L"wininet.dll",
};

// Whether LoadLibraryExW understands LOAD_LIBRARY_SEARCH_SYSTEM32: the same
// update brought it and SetDefaultDllDirectories, which is how its presence
// is documented to be told.
bool SearchFlagsSupported() {
    static const bool supported =
        Lookup<BOOL(WINAPI*)(DWORD)>(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories") != nullptr;
    return supported;
}

// comctl32 as the manifest chooses it (version 6 from the side-by-side
// store): the program imports it, so it is found loaded. Otherwise it is
// loaded by name with the search limited to System32, as the side-by-side
// redirection comes before any search; a load by full path would bypass that
// redirection and find version 5. Without the search flag it is left alone.
UniqueModule LoadCommonControls() {
    if (::GetModuleHandleW(L"comctl32.dll") != nullptr || !SearchFlagsSupported())
        return UniqueModule();
    return UniqueModule(::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

struct Libraries {
    UniqueModule dwmapi = LoadSystemLibrary(SystemDll::Dwmapi);
    UniqueModule uxtheme = LoadSystemLibrary(SystemDll::Uxtheme);
    UniqueModule shcore = LoadSystemLibrary(SystemDll::Shcore);
    UniqueModule version = LoadSystemLibrary(SystemDll::Version);
    UniqueModule comctl32 = LoadCommonControls();
    EntryPoints points;

    Libraries() {
        points.GetColorizationParams = Lookup<GetColorizationParamsFn>(dwmapi.get(), MAKEINTRESOURCEA(127));
        points.SetColorizationParams = Lookup<SetColorizationParamsFn>(dwmapi.get(), MAKEINTRESOURCEA(131));
        points.DwmIsCompositionEnabled = Lookup<DwmIsCompositionEnabledFn>(dwmapi.get(), "DwmIsCompositionEnabled");
        points.DwmExtendFrameIntoClientArea =
            Lookup<DwmExtendFrameIntoClientAreaFn>(dwmapi.get(), "DwmExtendFrameIntoClientArea");
        points.SetAccentColorPreference = Lookup<SetAccentColorPreferenceFn>(uxtheme.get(), MAKEINTRESOURCEA(122));
        points.IsAppThemed = Lookup<IsAppThemedFn>(uxtheme.get(), "IsAppThemed");
        points.OpenThemeData = Lookup<OpenThemeDataFn>(uxtheme.get(), "OpenThemeData");
        points.CloseThemeData = Lookup<CloseThemeDataFn>(uxtheme.get(), "CloseThemeData");
        points.DrawThemeBackground = Lookup<DrawThemeBackgroundFn>(uxtheme.get(), "DrawThemeBackground");
        points.GetThemeColor = Lookup<GetThemeColorFn>(uxtheme.get(), "GetThemeColor");
        points.EnableThemeDialogTexture = Lookup<EnableThemeDialogTextureFn>(uxtheme.get(), "EnableThemeDialogTexture");
        const HMODULE commonControls = comctl32 ? comctl32.get() : ::GetModuleHandleW(L"comctl32.dll");
        points.TaskDialogIndirect = Lookup<TaskDialogIndirectFn>(commonControls, "TaskDialogIndirect");
        points.LoadIconWithScaleDown = Lookup<LoadIconWithScaleDownFn>(commonControls, "LoadIconWithScaleDown");
        points.GetDpiForMonitor = Lookup<GetDpiForMonitorFn>(shcore.get(), "GetDpiForMonitor");
        points.SystemParametersInfoForDpi =
            Lookup<SystemParametersInfoForDpiFn>(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi");
        points.GetFileVersionInfoSizeW = Lookup<GetFileVersionInfoSizeWFn>(version.get(), "GetFileVersionInfoSizeW");
        points.GetFileVersionInfoW = Lookup<GetFileVersionInfoWFn>(version.get(), "GetFileVersionInfoW");
        points.VerQueryValueW = Lookup<VerQueryValueWFn>(version.get(), "VerQueryValueW");
    }
};

} // namespace

void RestrictDllSearchToSystem32() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault =
        Lookup<SetDefaultDllDirectoriesFn>(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // The old search order stays: at least the current folder (which may be
    // any folder the user was in) is no longer part of it. The program's own
    // loads go by full path (LoadSystemLibrary).
    ::SetDllDirectoryW(L"");
}

std::span<const wchar_t* const> SystemDllNames() { return kSystemDllNames; }

std::wstring SystemFilePath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring path(folder, length);
    if (path.back() != L'\\')
        path += L'\\';
    return path + name;
}

UniqueModule LoadSystemLibrary(SystemDll dll) {
    // Always by full path, so that a module of the same name that something
    // else loaded from elsewhere is never taken for the system's. The
    // library's own imports come from System32 as well: by the search flag,
    // or, where that is unknown, by starting their search in its folder.
    const std::wstring path = SystemFilePath(kSystemDllNames[static_cast<std::size_t>(dll)]);
    if (path.empty())
        return UniqueModule();
    if (SearchFlagsSupported()) {
        if (HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
            return UniqueModule(module);
        if (::GetLastError() != ERROR_INVALID_PARAMETER)
            return UniqueModule();
    }
    return UniqueModule(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

const EntryPoints& GetEntryPoints() {
    static const Libraries libraries;
    return libraries.points;
}

} // namespace hg::win32
