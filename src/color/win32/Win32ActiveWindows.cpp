#include "color/win32/Win32ActiveWindows.h"

#include "platform/win32/Handles.h"

#include <algorithm>
#include <cstring>

namespace hg::win32 {

namespace {

HWND AsWindow(IActiveWindows::Handle handle) {
    return reinterpret_cast<HWND>(handle);
}

// A white 24-bit picture of width x height on which draw(dc) paints; nullopt
// when any step fails. Every GDI object made here is released on every path.
template <typename Draw> std::optional<Bitmap24> DrawOnWhite(int width, int height, Draw draw) {
    std::optional<Bitmap24> picture = Bitmap24::Allocate(width, height);
    if (!picture)
        return std::nullopt;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as Bitmap24
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueBitmap dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr)
        return std::nullopt;
    const UniqueDc dc(::CreateCompatibleDC(nullptr));
    if (!dc)
        return std::nullopt;
    {
        const SelectedObject selected(dc.get(), dib.get());
        std::memset(bits, 0xFF, picture->SizeBytes()); // the DIB's rows have Bitmap24's stride
        if (!draw(dc.get()))
            return std::nullopt;
        ::GdiFlush();
    }
    std::memcpy(picture->Data(), bits, picture->SizeBytes());
    return picture;
}

} // namespace

std::optional<Bitmap24> IconToBitmap(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info))
        return std::nullopt; // not an icon (a bogus answer): no picture, not a white one
    // GetIconInfo hands over its bitmaps: deleted on every path.
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    int width = ::GetSystemMetrics(SM_CXICON), height = ::GetSystemMetrics(SM_CYICON);
    BITMAP image{};
    if (colour && ::GetObjectW(colour.get(), sizeof(image), &image) == sizeof(image) && image.bmWidth > 0 &&
        image.bmHeight > 0) {
        width = image.bmWidth;
        height = image.bmHeight;
    }
    // 0 draws the icon at its own size; a huge icon is scaled down to fit.
    int drawWidth = 0, drawHeight = 0;
    if (width > MaxIconSide || height > MaxIconSide) {
        const double scale = static_cast<double>(MaxIconSide) / std::max(width, height);
        width = drawWidth = std::max(1, static_cast<int>(width * scale));
        height = drawHeight = std::max(1, static_cast<int>(height * scale));
    }
    return DrawOnWhite(width, height, [&](HDC dc) {
        return ::DrawIconEx(dc, 0, 0, icon, drawWidth, drawHeight, 0, nullptr, DI_NORMAL) != FALSE;
    });
}

std::optional<Bitmap24> CaptureWindowToBitmap(HWND window) {
    const WindowDc source(window);
    if (source.get() == nullptr)
        return std::nullopt; // the window has gone meanwhile
    // The display's size, not the window's, from the client area's corner.
    const int width = ::GetDeviceCaps(source.get(), HORZRES);
    const int height = ::GetDeviceCaps(source.get(), VERTRES);
    return DrawOnWhite(width, height,
                       [&](HDC dc) { return ::BitBlt(dc, 0, 0, width, height, source.get(), 0, 0, SRCCOPY) != FALSE; });
}

bool Win32ActiveWindows::WindowExists(Handle window) {
    return ::IsWindow(AsWindow(window)) != FALSE;
}

IActiveWindows::Handle Win32ActiveWindows::ClassIcon(Handle window) {
    return static_cast<Handle>(::GetClassLongPtrW(AsWindow(window), GCLP_HICON));
}

std::optional<IActiveWindows::Handle> Win32ActiveWindows::QueryIcon(Handle window, IconKind kind) {
    // Blocking: no other message of ours runs meanwhile; a hung window is not
    // waited for at all, a busy one for the short timeout.
    DWORD_PTR icon = 0;
    if (::SendMessageTimeoutW(AsWindow(window), WM_GETICON, static_cast<WPARAM>(kind), 0,
                              SMTO_BLOCK | SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, IconQueryTimeoutMs, &icon) == 0)
        return std::nullopt;
    return static_cast<Handle>(icon);
}

std::optional<Bitmap24> Win32ActiveWindows::IconToBitmap(Handle icon) {
    return win32::IconToBitmap(reinterpret_cast<HICON>(icon));
}

std::optional<Bitmap24> Win32ActiveWindows::CaptureWindowToBitmap(Handle window) {
    return win32::CaptureWindowToBitmap(AsWindow(window));
}

} // namespace hg::win32
