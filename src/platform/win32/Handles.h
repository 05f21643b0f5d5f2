#pragma once
// Owned Windows handles: one move-only template, one alias per way of release.
#include <windows.h>

#include <cstdint>
#include <utility>

namespace hg::win32 {

// T is a handle (pointer) type; Invalid is the handle value that means "none"
// (0 for most, -1 for file handles).
template <typename T, auto Close, std::intptr_t InvalidValue = 0>
class UniqueHandle {
    static T Invalid() { return reinterpret_cast<T>(InvalidValue); }

public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid(); }
    T release() { return std::exchange(handle_, Invalid()); }
    void reset(T handle = Invalid()) {
        if (handle_ != Invalid())
            Close(handle_);
        handle_ = handle;
    }
    // For APIs that fill a handle through a pointer.
    T* put() {
        reset();
        return &handle_;
    }

private:
    T handle_ = Invalid();
};

inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void CloseKey(HKEY h) { ::RegCloseKey(h); }
inline void CloseModule(HMODULE h) { ::FreeLibrary(h); }
inline void CloseIcon(HICON h) { ::DestroyIcon(h); }
inline void CloseMenu(HMENU h) { ::DestroyMenu(h); }
inline void CloseGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void CloseDc(HDC h) { ::DeleteDC(h); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
inline void CloseWindow(HWND h) { ::DestroyWindow(h); }

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
using UniqueFile = UniqueHandle<HANDLE, CloseKernelHandle, -1>;
using UniqueKey = UniqueHandle<HKEY, CloseKey>;
using UniqueModule = UniqueHandle<HMODULE, CloseModule>;
using UniqueIcon = UniqueHandle<HICON, CloseIcon>;
using UniqueMenu = UniqueHandle<HMENU, CloseMenu>;
using UniqueBitmap = UniqueHandle<HBITMAP, CloseGdiObject>;
using UniqueFont = UniqueHandle<HFONT, CloseGdiObject>;
using UniqueBrush = UniqueHandle<HBRUSH, CloseGdiObject>;
using UniqueDc = UniqueHandle<HDC, CloseDc>;
using UniqueWindow = UniqueHandle<HWND, CloseWindow>;

// A device context obtained with GetDC, released with its window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &ps_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(window_, &ps_); }
    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return ps_; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects an object into a DC and restores the previous one on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR)
            ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace hg::win32
