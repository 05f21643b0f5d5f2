#include "platform/win32/EntryPoints.h"

#include "platform/win32/Handles.h"

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

struct Libraries {
    UniqueModule dwmapi{::LoadLibraryW(L"dwmapi.dll")};
    UniqueModule uxtheme{::LoadLibraryW(L"uxtheme.dll")};
    UniqueModule comctl32{::LoadLibraryW(L"comctl32.dll")};
    UniqueModule shcore{::LoadLibraryW(L"shcore.dll")};
    EntryPoints points;

    Libraries() {
        points.GetColorizationParams = Lookup<GetColorizationParamsFn>(dwmapi.get(), MAKEINTRESOURCEA(127));
        points.SetColorizationParams = Lookup<SetColorizationParamsFn>(dwmapi.get(), MAKEINTRESOURCEA(131));
        points.SetAccentColorPreference = Lookup<SetAccentColorPreferenceFn>(uxtheme.get(), MAKEINTRESOURCEA(122));
        points.TaskDialogIndirect = Lookup<TaskDialogIndirectFn>(comctl32.get(), "TaskDialogIndirect");
        points.GetDpiForMonitor = Lookup<GetDpiForMonitorFn>(shcore.get(), "GetDpiForMonitor");
        points.SystemParametersInfoForDpi =
            Lookup<SystemParametersInfoForDpiFn>(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi");
        points.LoadIconWithScaleDown = Lookup<LoadIconWithScaleDownFn>(comctl32.get(), "LoadIconWithScaleDown");
    }
};

} // namespace

const EntryPoints& GetEntryPoints() {
    static const Libraries libraries;
    return libraries.points;
}

} // namespace hg::win32
