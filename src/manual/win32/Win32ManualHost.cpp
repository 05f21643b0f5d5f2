#include "manual/win32/Win32ManualHost.h"

#include "platform/Errors.h"
#include "platform/win32/ErrorBoundary.h"
#include "platform/win32/Placement.h"
#include "platform/win32/SystemDialog.h"

#include <commdlg.h>
#include <objbase.h>
#include <shldisp.h>


namespace hg::win32 {

namespace {

constexpr DWORD kNormalArrow = 32512; // OCR_NORMAL

// COM for the duration of one call, apartment-threaded like the UI thread.
class ComScope {
public:
    ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_))
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

} // namespace

Win32ManualHost::Win32ManualHost(Events events) : events_(std::move(events)) {}

Win32ManualHost::~Win32ManualHost() = default;

UINT_PTR CALLBACK Win32ManualHost::ColorDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG)
        return FALSE;
    return Guarded(
        [&]() -> UINT_PTR {
            // Owned by the hidden main window, the dialog would open in a
            // corner behind the foreground application.
            PlaceNearTray(dialog);
            ::SetForegroundWindow(dialog);
            return TRUE;
        },
        UINT_PTR{TRUE});
}

std::optional<IManualColorHost::ColorChoice> Win32ManualHost::RunColorDialog(TColor initial,
                                                                          const CustomColorPalette& customColors) {
    COLORREF custom[CustomColorCount];
    for (std::size_t i = 0; i < CustomColorCount; ++i)
        custom[i] = static_cast<COLORREF>(customColors[i]);
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner_;
    dialog.rgbResult = static_cast<COLORREF>(initial);
    dialog.lpCustColors = custom;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
    dialog.lpfnHook = &Win32ManualHost::ColorDialogHook;
    // Registered as an open window: "E&xit" closes it as cancelled, and a
    // second request brings it forward.
    const BOOL ok = modals_ != nullptr
                        ? RunSystemDialog(*modals_, WindowKind::ColorDialog, [&] { return ::ChooseColorW(&dialog); })
                        : ::ChooseColorW(&dialog);
    // A dialog that could not be shown (CommDlgExtendedError) ends like a cancel.
    if (!ok)
        return std::nullopt;
    ColorChoice choice;
    choice.color = static_cast<TColor>(dialog.rgbResult);
    for (std::size_t i = 0; i < CustomColorCount; ++i)
        choice.customColors[i] = static_cast<TColor>(custom[i]);
    return choice;
}

bool Win32ManualHost::ForceForegroundWindow() {
    // Only asks: no synthetic click, which would land on whatever window is
    // under the pointer. The system may refuse; the caller goes on anyway.
    if (owner_ == nullptr)
        return false;
    ::SetForegroundWindow(owner_);
    return ::GetForegroundWindow() == owner_;
}

void Win32ManualHost::MinimizeAll() {
    const ComScope com;
    CLSID shellClass{};
    HRESULT hr = ::CLSIDFromProgID(L"Shell.Application", &shellClass);
    IShellDispatch* shell = nullptr;
    if (SUCCEEDED(hr))
        hr = ::CoCreateInstance(shellClass, nullptr, CLSCTX_SERVER, IID_IShellDispatch,
                                reinterpret_cast<void**>(&shell));
    if (SUCCEEDED(hr)) {
        hr = shell->MinimizeAll();
        shell->Release();
    }
    if (FAILED(hr))
        throw SystemError(static_cast<std::uint32_t>(hr));
}

void Win32ManualHost::ReplaceArrowCursor() {
    savedArrow_.reset(static_cast<HCURSOR>(::CopyImage(::LoadCursorW(nullptr, IDC_ARROW), IMAGE_CURSOR, 0, 0, 0)));
    // The system takes ownership of (and destroys) the cursor it is given:
    // a copy, never the shared cross-hair itself.
    const HCURSOR cross = static_cast<HCURSOR>(::CopyImage(::LoadCursorW(nullptr, IDC_CROSS), IMAGE_CURSOR, 0, 0, 0));
    if (cross != nullptr && !::SetSystemCursor(cross, kNormalArrow))
        ::DestroyCursor(cross); // the normal pointer stays; the pick works with it
}

void Win32ManualHost::RestoreCursors() {
    if (!::SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, SPIF_SENDCHANGE) && savedArrow_) {
        // The system did not reload its cursors: the saved arrow goes back.
        if (::SetSystemCursor(savedArrow_.get(), kNormalArrow))
            savedArrow_.release(); // now the system's
    }
    savedArrow_.reset();
}

void Win32ManualHost::SetCapture() {
    ::SetCapture(owner_);
    // Without the capture no button could end the pick: it ends at once.
    if (::GetCapture() != owner_ && events_.captureLost)
        events_.captureLost();
}

void Win32ManualHost::ReleaseCapture() {
    if (::GetCapture() == owner_)
        ::ReleaseCapture(); // WM_CAPTURECHANGED ends the pick before this returns
    else if (events_.captureLost)
        events_.captureLost(); // already lost: the end comes from here
}

std::optional<TColor> Win32ManualHost::PixelUnderCursor() {
    POINT point{};
    if (!::GetCursorPos(&point))
        return std::nullopt;
    const WindowDc screen(nullptr);
    if (screen.get() == nullptr)
        return std::nullopt;
    const COLORREF colour = ::GetPixel(screen.get(), point.x, point.y);
    if (colour == CLR_INVALID)
        return std::nullopt;
    return static_cast<TColor>(colour);
}

void Win32ManualHost::FreeFinishedPreviews() {
    std::erase_if(retired_, [](const std::unique_ptr<ColorPreview>& preview) { return preview->Finished(); });
}

void Win32ManualHost::ShowPreview(bool glass, bool showInstructions) {
    if (preview_ != nullptr)
        retired_.push_back(std::move(preview_)); // closed by itself, never retired
    FreeFinishedPreviews();
    preview_ = std::make_unique<ColorPreview>([this] {
        if (events_.previewClosing)
            events_.previewClosing();
    });
    if (!preview_->Show(owner_, events_.trayIcon ? events_.trayIcon() : nullptr, glass, showInstructions))
        preview_.reset(); // the pick runs without a preview
}

bool Win32ManualHost::PreviewExists() const { return preview_ != nullptr && preview_->Alive(); }

void Win32ManualHost::SetPreviewColor(TColor color) {
    if (preview_ != nullptr)
        preview_->SetColor(color);
}

void Win32ManualHost::ClosePreview() {
    if (preview_ == nullptr)
        return;
    preview_->Close();
    retired_.push_back(std::move(preview_));
    FreeFinishedPreviews();
}

} // namespace hg::win32
