#pragma once
// The optional and undocumented entry points, looked up in one place. Each
// may be missing (Wine has no accent colour ordinal; very old comctl32 has no
// task dialog): callers test for null and skip what needs it.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>

namespace hg {
// The colorization record the ordinals take (28 bytes, defined with the
// logic that fills it).
struct TDwmColorizationParams;
} // namespace hg

namespace hg::win32 {

using GetColorizationParamsFn = HRESULT(WINAPI*)(TDwmColorizationParams*);
using SetColorizationParamsFn = HRESULT(WINAPI*)(const TDwmColorizationParams*, UINT);
using SetAccentColorPreferenceFn = HRESULT(WINAPI*)(const COLORREF* pair, int);
using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int type, UINT* dpiX, UINT* dpiY);
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int cx, int cy, HICON*);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT action, UINT param, PVOID value, UINT winIni, UINT dpi);

struct EntryPoints {
    GetColorizationParamsFn GetColorizationParams = nullptr;    // dwmapi #127
    SetColorizationParamsFn SetColorizationParams = nullptr;    // dwmapi #131
    SetAccentColorPreferenceFn SetAccentColorPreference = nullptr; // uxtheme #122
    TaskDialogIndirectFn TaskDialogIndirect = nullptr;          // comctl32 v6
    // Resolution per monitor (Windows 8.1 and later; Windows 10 for the
    // metrics): without them, the system resolution counts everywhere.
    GetDpiForMonitorFn GetDpiForMonitor = nullptr;              // shcore
    SystemParametersInfoForDpiFn SystemParametersInfoForDpi = nullptr; // user32
    LoadIconWithScaleDownFn LoadIconWithScaleDown = nullptr;    // comctl32 v6
};

// Looks the entry points up on first use; the libraries stay loaded until the
// process ends.
const EntryPoints& GetEntryPoints();

} // namespace hg::win32
