#include "manual/win32/ColorPreview.h"

#include "platform/ScopeExit.h"
#include "platform/win32/EntryPoints.h"
#include "platform/win32/Placement.h"

namespace hg::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TFrmColorPreview";
// Posted by Close to the window itself: destroy it from the message loop.
constexpr UINT kDestroyLater = WM_APP + 1;
// The layout at its design resolution of 120 pixels per inch.
constexpr int kDesignPpi = 120;
constexpr int kClientWidth = 241, kClientHeight = 80;
constexpr int kFontHeight = 15;
struct Label {
    int x, y;
    const wchar_t* text;
};
constexpr Label kLabels[] = {{6, 5, L"Left click confirm color"}, {5, 29, L"Right click cancel color pick"}};

// The glass reaches 500 pixels in from the right and bottom edges: the whole
// client area. Without desktop composition nothing changes.
void ExtendGlass(HWND window, bool on) {
    const auto extend = GetEntryPoints().DwmExtendFrameIntoClientArea;
    if (extend == nullptr)
        return;
    const DwmMargins margins = on ? DwmMargins{0, 500, 0, 500} : DwmMargins{0, 0, 0, 0};
    extend(window, &margins);
}

} // namespace

ColorPreview::ColorPreview(std::function<void()> onUserClose)
    : onUserClose_(std::move(onUserClose)), background_(::GetSysColor(COLOR_BTNFACE)) {}

ColorPreview::~ColorPreview() = default; // the base destroys a window still open

bool ColorPreview::Show(HWND owner, HICON icon, bool glass, bool showInstructions) {
    glass_ = glass;
    showInstructions_ = showInstructions;
    // Its own copy: the tray icon it comes from is replaced while the pick runs.
    if (icon != nullptr)
        icon_.reset(::CopyIcon(icon));
    constexpr DWORD style = WS_OVERLAPPEDWINDOW;
    constexpr DWORD exStyle = WS_EX_TOPMOST;
    if (!Create(kClassName, L"", style, exStyle, owner))
        return false;
    ppi_ = GetMainMonitorPPI();
    font_.reset(::CreateFontW(-::MulDiv(kFontHeight, ppi_, kDesignPpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
    if (icon_) {
        ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
        ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
    }
    RECT outer{0, 0, ::MulDiv(kClientWidth, ppi_, kDesignPpi), ::MulDiv(kClientHeight, ppi_, kDesignPpi)};
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOACTIVATE);
    ExtendGlass(hwnd(), glass_);
    PlaceNearTray(hwnd());
    // The window under the pointer keeps the focus: its frame is what the
    // user may be picking.
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd());
    return true;
}

void ColorPreview::SetColor(TColor color) {
    if (hwnd() == nullptr || background_ == static_cast<COLORREF>(color))
        return;
    background_ = static_cast<COLORREF>(color);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void ColorPreview::Close() {
    const bool first = !closeRequested_;
    closeRequested_ = true;
    if (hwnd() == nullptr || !first)
        return;
    ::ShowWindow(hwnd(), SW_HIDE);
    ::PostMessageW(hwnd(), kDestroyLater, 0, 0);
}

LRESULT ColorPreview::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: {
        {
            ++closeDepth_; // a close may come again while one runs
            const ScopeExit done([this] { --closeDepth_; });
            if (onUserClose_ && !closeRequested_)
                onUserClose_();
        }
        if (!closeRequested_)
            Close(); // nothing ended with it: it goes all the same
        else if (hwnd() != nullptr)
            ::PostMessageW(hwnd(), kDestroyLater, 0, 0); // one that came during the close was put off
        return 0;
    }
    case kDestroyLater:
        // Posted by Close; while the close handler runs (a dialog inside it
        // runs this message loop) it waits for the one posted after it.
        if (closeDepth_ == 0)
            ::DestroyWindow(hwnd());
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole, through a buffer
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE:
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void ColorPreview::Paint() {
    PaintDc paint(hwnd());
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return;
    // Double-buffered: the colour changes 20 times a second without flicker.
    UniqueDc memory(::CreateCompatibleDC(paint.get()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(paint.get(), width, height));
    if (!memory || !bitmap)
        return;
    {
        SelectedObject selectBitmap(memory.get(), bitmap.get());
        // Black is where the composition glass shows through.
        UniqueBrush brush(::CreateSolidBrush(glass_ ? RGB(0, 0, 0) : background_));
        ::FillRect(memory.get(), &client, brush.get());
        if (showInstructions_) {
            SelectedObject selectFont(memory.get(), font_.get());
            ::SetBkMode(memory.get(), TRANSPARENT);
            // Over glass GDI's black would turn transparent: white there.
            // Over the sampled colour, whichever of black and white reads.
            ::SetTextColor(memory.get(), glass_ ? RGB(255, 255, 255)
                                                : static_cast<COLORREF>(ContrastingTextColor(background_)));
            for (const Label& label : kLabels)
                ::TextOutW(memory.get(), ::MulDiv(label.x, ppi_, kDesignPpi), ::MulDiv(label.y, ppi_, kDesignPpi),
                           label.text, static_cast<int>(::wcslen(label.text)));
        }
        ::BitBlt(paint.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    }
}

} // namespace hg::win32
