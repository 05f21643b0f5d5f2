#pragma once
// The optional and undocumented entry points, and every DLL that is not a
// protected system DLL, looked up in one place. Each may be missing (Wine has
// no accent colour ordinal; very old comctl32 has no task dialog; a stripped
// system may lack the theme library): callers test for null and skip what
// needs it.
//
// Such DLLs are loaded from System32 only, never by bare name through the
// normal search (which looks in the program's own folder first, so anything
// that can drop a file beside Hueglass.exe would run inside it) and never as
// static imports, which the loader resolves the same way before any code of
// the program runs. What the program imports statically is limited to the
// protected system DLLs (KnownDLLs: kernel32, user32, gdi32, advapi32,
// shell32, ole32, comdlg32, msvcrt) and comctl32, which the manifest
// redirects to the side-by-side assembly of version 6.
#include "platform/win32/Handles.h"

#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <cstdint>
#include <span>
#include <string>

namespace hg {
// The colorization record the ordinals take (28 bytes, defined with the
// logic that fills it).
struct TDwmColorizationParams;
} // namespace hg

namespace hg::win32 {

// Restricts the search for every DLL loaded from now on (by the program, and
// by system DLLs on its behalf) to System32. The first thing each program
// does. Where the system cannot (Windows 7 without its loader update), the
// current folder is taken out of the search instead, and LoadSystemLibrary
// loads by full path.
void RestrictDllSearchToSystem32();

// The DLLs the program loads at run time, all of them from System32.
enum class SystemDll { Dwmapi, Uxtheme, Shcore, Version, Msftedit, Wininet };

// Their file names, in the order of SystemDll (for tests that plant a copy
// under every name the program loads).
std::span<const wchar_t* const> SystemDllNames();

// Loads the DLL from System32 only, by its full path there, and its imports
// from System32 too (LOAD_LIBRARY_SEARCH_SYSTEM32 where the system supports
// it). Empty when it is missing or cannot be loaded.
UniqueModule LoadSystemLibrary(SystemDll dll);

using GetColorizationParamsFn = HRESULT(WINAPI*)(TDwmColorizationParams*);
using SetColorizationParamsFn = HRESULT(WINAPI*)(const TDwmColorizationParams*, UINT);
using SetAccentColorPreferenceFn = HRESULT(WINAPI*)(const COLORREF* pair, int);
using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int type, UINT* dpiX, UINT* dpiY);
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int cx, int cy, HICON*);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT action, UINT param, PVOID value, UINT winIni, UINT dpi);
using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
struct DwmMargins {
    int left, right, top, bottom;
};
using DwmExtendFrameIntoClientAreaFn = HRESULT(WINAPI*)(HWND, const DwmMargins*);
using IsAppThemedFn = BOOL(WINAPI*)();
using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int part, int state, const RECT*, const RECT* clip);
using GetThemeColorFn = HRESULT(WINAPI*)(HTHEME, int part, int state, int property, COLORREF*);
using EnableThemeDialogTextureFn = HRESULT(WINAPI*)(HWND, DWORD);
using GetFileVersionInfoSizeWFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoWFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryValueWFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

struct EntryPoints {
    GetColorizationParamsFn GetColorizationParams = nullptr;    // dwmapi #127
    SetColorizationParamsFn SetColorizationParams = nullptr;    // dwmapi #131
    DwmIsCompositionEnabledFn DwmIsCompositionEnabled = nullptr; // dwmapi
    DwmExtendFrameIntoClientAreaFn DwmExtendFrameIntoClientArea = nullptr; // dwmapi
    SetAccentColorPreferenceFn SetAccentColorPreference = nullptr; // uxtheme #122
    // The theme functions (uxtheme): without them, everything is drawn
    // classic.
    IsAppThemedFn IsAppThemed = nullptr;
    OpenThemeDataFn OpenThemeData = nullptr;
    CloseThemeDataFn CloseThemeData = nullptr;
    DrawThemeBackgroundFn DrawThemeBackground = nullptr;
    GetThemeColorFn GetThemeColor = nullptr;
    EnableThemeDialogTextureFn EnableThemeDialogTexture = nullptr;
    TaskDialogIndirectFn TaskDialogIndirect = nullptr;          // comctl32 v6
    // Resolution per monitor (Windows 8.1 and later; Windows 10 for the
    // metrics): without them, the system resolution counts everywhere.
    GetDpiForMonitorFn GetDpiForMonitor = nullptr;              // shcore
    SystemParametersInfoForDpiFn SystemParametersInfoForDpi = nullptr; // user32
    LoadIconWithScaleDownFn LoadIconWithScaleDown = nullptr;    // comctl32 v6
    // Version resources (version.dll): without them, no file has a version.
    GetFileVersionInfoSizeWFn GetFileVersionInfoSizeW = nullptr;
    GetFileVersionInfoWFn GetFileVersionInfoW = nullptr;
    VerQueryValueWFn VerQueryValueW = nullptr;
};

// Looks the entry points up on first use; the libraries stay loaded until the
// process ends.
const EntryPoints& GetEntryPoints();

// The full path of a file in the system folder (System32), or empty.
std::wstring SystemFilePath(const wchar_t* name);

} // namespace hg::win32
