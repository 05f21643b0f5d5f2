#include "colorize/win32/Win32Composition.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32SystemInfo.h"

namespace hg::win32 {

namespace {

// How long one window may take over WM_SYSCOLORCHANGE before the broadcast
// moves on. A window that has stopped answering would otherwise hold the
// program (and every later colour change) forever.
constexpr UINT BroadcastTimeoutMs = 5000;

} // namespace

Win32Composition::Win32Composition(const EntryPoints& entryPoints) : entryPoints_(entryPoints) {}

bool Win32Composition::IsCompositionEnabled() {
    return Win32SystemInfo().CompositionEnabled();
}

bool Win32Composition::HasColorizationParams() const {
    return entryPoints_.GetColorizationParams != nullptr && entryPoints_.SetColorizationParams != nullptr;
}

bool Win32Composition::GetColorizationParams(TDwmColorizationParams& params) {
    if (entryPoints_.GetColorizationParams == nullptr)
        return false;
    // Filled in a copy: a failed call leaves the caller's record as it was.
    TDwmColorizationParams record = params;
    if (FAILED(entryPoints_.GetColorizationParams(&record)))
        return false;
    params = record;
    return true;
}

void Win32Composition::SetColorizationParams(const TDwmColorizationParams& params) {
    if (entryPoints_.SetColorizationParams == nullptr)
        return;
    // The engine's answer changes nothing for the program: the colour it
    // shows is whatever the engine made of it.
    entryPoints_.SetColorizationParams(&params, 0);
}

void Win32Composition::SetAccentColorPreference(TColor first, TColor second) {
    if (entryPoints_.SetAccentColorPreference == nullptr)
        return; // Wine and older systems have no accent preference to follow.
    const COLORREF pair[2] = {first, second};
    entryPoints_.SetAccentColorPreference(pair, -1);
}

void Win32Composition::SetSysColor(int element, TColor value) {
    const INT elements[1] = {element};
    const COLORREF values[1] = {value};
    // A refused system colour only means the classic elements keep theirs.
    ::SetSysColors(1, elements, values);
}

TColor Win32Composition::SystemColor(int index) const {
    return ::GetSysColor(index);
}

void Win32Composition::BroadcastSysColorChange() {
    DWORD_PTR result = 0;
    // Windows that do not answer in time just miss the news; SetSysColors has
    // already changed the colours they paint with.
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SYSCOLORCHANGE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, BroadcastTimeoutMs,
                          &result);
}

} // namespace hg::win32
