#include "about/win32/ShowLicense.h"

#include "platform/win32/EntryPoints.h"
#include "platform/win32/Placement.h"
#include "platform/win32/SystemDialog.h"

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>

namespace hg::win32 {

namespace {

constexpr wchar_t kCaption[] = L"License Agreement";

// Feeds the document to EM_STREAMIN from memory: no file is involved.
struct StreamSource {
    const std::string* text;
    std::size_t position;
};

DWORD CALLBACK ReadFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto& source = *reinterpret_cast<StreamSource*>(cookie);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), source.text->size() - source.position);
    std::copy_n(source.text->data() + source.position, n, buffer);
    source.position += n;
    *read = static_cast<LONG>(n);
    return 0;
}

// Scaled from the window's design at 96 pixels per inch.
int Px(int n) { return ScaleByPPI(n); }

} // namespace

LONG RichTextLength(HWND richEdit) {
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto length = ::SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    return length > 0 ? static_cast<LONG>(length) : 0;
}

namespace {

// The rich edit's pages on a printer, laid out with EM_FORMATRANGE.
class RichEditPages final : public IPageSink {
public:
    RichEditPages(HWND richEdit, HDC device, const RECT& page) : richEdit_(richEdit), device_(device) {
        range_.hdc = range_.hdcTarget = device;
        range_.rcPage = page;
        range_.rc = page;
        range_.chrg = {0, -1};
    }
    ~RichEditPages() override {
        ::SendMessageW(richEdit_, EM_FORMATRANGE, FALSE, 0); // frees the cached formatting
    }
    RichEditPages(const RichEditPages&) = delete;
    RichEditPages& operator=(const RichEditPages&) = delete;

    bool StartPage() override { return ::StartPage(device_) > 0; }
    std::int32_t PrintPage(std::int32_t first) override {
        range_.rc = range_.rcPage;
        range_.chrg = {first, -1};
        return static_cast<std::int32_t>(
            ::SendMessageW(richEdit_, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range_)));
    }
    bool EndPage() override { return ::EndPage(device_) > 0; }

private:
    HWND richEdit_;
    HDC device_;
    FORMATRANGE range_{};
};

} // namespace

PrintResult PrintRichEdit(HWND richEdit, IPageSink& pages) {
    // Bounded by the rich edit's own count: a count with two characters per
    // line end would start a blank page after the last.
    return PrintPages(RichTextLength(richEdit), pages);
}

TShowLicense::TShowLicense() = default;
TShowLicense::~TShowLicense() = default;

void TShowLicense::Execute(HWND owner) {
    std::string document;
    for (const std::string& line : LicenseText)
        document += line + "\r\n";
    TFrmLicense form(std::move(document), ApplicationName, Position, Modals);
    FrmLicense_ = &form;
    if (cancelPending_)
        form.Cancel();
    cancelPending_ = false;
    form.Run(owner, kCaption);
    FrmLicense_ = nullptr;
}

void TShowLicense::BringForward() {
    if (FrmLicense_ != nullptr && FrmLicense_->hwnd() != nullptr)
        ::SetForegroundWindow(FrmLicense_->hwnd());
}

void TShowLicense::CloseAsCancelled() {
    if (FrmLicense_ != nullptr)
        FrmLicense_->Cancel();
    else
        cancelPending_ = true;
}

TFrmLicense::TFrmLicense(std::string document, std::wstring appName, TPosition position, ModalWindows* modals)
    : document_(std::move(document)), sAppName(std::move(appName)), position_(position), modals_(modals) {}

TFrmLicense::~TFrmLicense() {
    if (PopupMenu1 != nullptr)
        ::DestroyMenu(PopupMenu1);
    if (font_ != nullptr)
        ::DeleteObject(font_);
}

void TFrmLicense::OnInit() {
    const int ppi = GetMainMonitorPPI();
    font_ = MakeFont(L"Tahoma", 11, 96, ppi);
    SetClientSize(Px(405), Px(394));

    richEditLibrary_ = LoadSystemLibrary(SystemDll::Msftedit);
    Memo = AddControl(MSFTEDIT_CLASS, L"",
                      WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL, Px(6),
                      Px(6), Px(391), Px(350), IdMemo, font_);
    bPrint = AddControl(L"BUTTON", L"&Print...", WS_TABSTOP | BS_PUSHBUTTON, Px(6), Px(365), Px(75), Px(23), IdPrint,
                        font_);
    bok = AddControl(L"BUTTON", L"&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, Px(322), Px(365), Px(75), Px(23), IDOK, font_);

    if (Memo != nullptr) {
        ::SendMessageW(Memo, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(::GetSysColor(COLOR_BTNFACE)));
        StreamSource source{&document_, 0};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadFromMemory};
        ::SendMessageW(Memo, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
        ::SendMessageW(Memo, EM_SETSEL, 0, 0);
        // Right clicks reach the window as WM_CONTEXTMENU.
        ::SendMessageW(Memo, EM_SETEVENTMASK, 0, 0);
    }
    PopupMenu1 = ::CreatePopupMenu();
    ::AppendMenuW(PopupMenu1, MF_STRING, IdCopyText, L"&Copy Text");

    if (position_ == TPosition::poDesigned) {
        PlaceNearTray(hwnd());
    } else {
        // Centred on the owner for the owner's and the main form's centre
        // (on the work area when there is no visible owner), on the work
        // area for the other positions.
        RECT area{};
        const HWND owner = ::GetWindow(hwnd(), GW_OWNER);
        const bool onOwner = position_ == TPosition::poOwnerFormCenter || position_ == TPosition::poMainFormCenter;
        if (!onOwner || owner == nullptr || !::IsWindowVisible(owner) || !::GetWindowRect(owner, &area))
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        RECT box{};
        ::GetWindowRect(hwnd(), &box);
        ::SetWindowPos(hwnd(), nullptr, area.left + ((area.right - area.left) - (box.right - box.left)) / 2,
                       area.top + ((area.bottom - area.top) - (box.bottom - box.top)) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SetFocus(bok);
}

bool TFrmLicense::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            // OK is also the cancel button: Esc closes with the result 1.
            End(IDOK);
            return true;
        case IdPrint:
            bPrintClick();
            return true;
        case IdCopyText:
            CopyText1Click();
            return true;
        default:
            return false;
        }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == Memo) {
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (at.x == -1 && at.y == -1) { // from the keyboard: at the control
                RECT box{};
                ::GetWindowRect(Memo, &box);
                at = {box.left + 10, box.top + 10};
            }
            ::TrackPopupMenu(PopupMenu1, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
            return true;
        }
        return false;
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
        return true;
    case WM_PAINT: {
        // The one-pixel line along the top: cream fill, button-shadow edge.
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(hwnd(), &ps);
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        const RECT line{0, 0, client.right, 1};
        const HBRUSH shadow = ::GetSysColorBrush(COLOR_BTNSHADOW);
        ::FillRect(dc, &line, shadow);
        ::EndPaint(hwnd(), &ps);
        return true;
    }
    default:
        return false;
    }
}

void TFrmLicense::CopyText1Click() {
    if (Memo == nullptr)
        return;
    // Counted with the line ends as they are copied (CR LF), so nothing is cut off.
    GETTEXTLENGTHEX lengthQuery{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    const auto length = static_cast<std::size_t>(
        ::SendMessageW(Memo, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0));
    std::wstring text(length + 1, L'\0');
    GETTEXTEX query{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_USECRLF, 1200, nullptr, nullptr};
    const auto copied = static_cast<std::size_t>(::SendMessageW(
        Memo, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(copied, text.size()));
    // Another program may hold the clipboard for a moment: a few short
    // tries, then a failure leaves it as it was (it reports nothing).
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = ::OpenClipboard(hwnd())); ++attempt)
        ::Sleep(20);
    if (!open)
        return;
    ::EmptyClipboard();
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (memory != nullptr) {
        if (auto* target = static_cast<wchar_t*>(::GlobalLock(memory))) {
            std::copy_n(text.c_str(), text.size() + 1, target);
            ::GlobalUnlock(memory);
            if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr)
                ::GlobalFree(memory);
        } else {
            ::GlobalFree(memory);
        }
    }
    ::CloseClipboard();
}

void TFrmLicense::bPrintClick() {
    PRINTDLGW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = hwnd();
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    // Registered as an open window, so "E&xit" can close it (as cancelled).
    const BOOL confirmed =
        modals_ != nullptr ? RunSystemDialog(*modals_, WindowKind::Message, [&] { return ::PrintDlgW(&dialog); })
                           : ::PrintDlgW(&dialog);
    if (dialog.hDevMode != nullptr)
        ::GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames != nullptr)
        ::GlobalFree(dialog.hDevNames);
    if (!confirmed || dialog.hDC == nullptr)
        return; // cancelled, or no printer: nothing is printed
    const HDC printer = dialog.hDC;

    // The whole printable area of each page, in twips.
    const int dpiX = ::GetDeviceCaps(printer, LOGPIXELSX), dpiY = ::GetDeviceCaps(printer, LOGPIXELSY);
    const RECT page{0, 0, ::MulDiv(::GetDeviceCaps(printer, HORZRES), 1440, dpiX),
                    ::MulDiv(::GetDeviceCaps(printer, VERTRES), 1440, dpiY)};
    DOCINFOW info{};
    info.cbSize = sizeof(info);
    wchar_t title[64];
    ::GetWindowTextW(hwnd(), title, 64);
    info.lpszDocName = title;

    if (dpiX > 0 && dpiY > 0 && ::StartDocW(printer, &info) > 0) {
        RichEditPages pages(Memo, printer, page);
        if (PrintRichEdit(Memo, pages).ok)
            ::EndDoc(printer);
        else
            ::AbortDoc(printer); // a failed print prints nothing
    }
    ::DeleteDC(printer);
}

} // namespace hg::win32
