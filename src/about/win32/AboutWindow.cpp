#include "about/win32/AboutWindow.h"

#include "about/License.h"
#include "update/win32/SystemText.h"
#include "platform/win32/Placement.h"
#include "platform/win32/Win32SystemInfo.h"
#include "resource.h"

#include <commctrl.h>

#include <filesystem>

namespace hg::win32 {

namespace {

// The posted message that delivers finished update checks.
constexpr UINT kUpdateResults = WM_APP + 20;

// The box is designed at 120 pixels per inch.
constexpr int kDesignPpi = 120;

// The licence document, from the LICENSE file built into the program.
std::vector<std::string> LicenseDocument() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(IDR_LICENSE), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    const HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return {};
    const std::string_view text(static_cast<const char*>(bytes), ::SizeofResource(instance, found));
    return SplitLines(PlainTextToRtf(text));
}

std::wstring ProgramName(const std::wstring& exe) { return std::filesystem::path(exe).stem().wstring(); }

} // namespace

TFrmAboutHueglass::TFrmAboutHueglass(AboutContext context) : context_(std::move(context)) {
    ShowLicense.Modals = &context_.modals;
}

TFrmAboutHueglass::~TFrmAboutHueglass() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(boldFont_),
                           static_cast<HGDIOBJ>(white_)})
        if (object != nullptr)
            ::DeleteObject(object);
    if (logo_ != nullptr)
        ::DestroyIcon(logo_);
}

void TFrmAboutHueglass::ShowModal(HWND owner) { Run(owner, kAboutCaption); }

void TFrmAboutHueglass::BringForward() {
    const TFrmLicense* licence = ShowLicense.FrmLicense();
    const HWND top = licence != nullptr && licence->IsOpen() ? licence->hwnd() : hwnd();
    if (top == nullptr)
        return;
    if (::IsIconic(top))
        ::ShowWindow(top, SW_RESTORE);
    ::SetForegroundWindow(top);
}

void TFrmAboutHueglass::OnInit() {
    FormCreate();
    FormShow();
}

void TFrmAboutHueglass::FormCreate() {
    ppi_ = GetMainMonitorPPI();
    const auto px = [this](int n) { return ::MulDiv(n, ppi_, kDesignPpi); };
    font_ = MakeFont(L"Segoe UI", 15, kDesignPpi, ppi_);
    boldFont_ = MakeFont(L"Segoe UI", 15, kDesignPpi, ppi_, true);
    white_ = ::CreateSolidBrush(RGB(255, 255, 255));
    SetClientSize(px(465), px(361));

    const std::wstring exe = ExecutablePath();
    const HWND self = hwnd();
    model_.emplace(
        AboutPorts{context_.shell, context_.donate,
                   [this] {
                       context_.modals.Run(WindowKind::License, ShowLicense, [this] {
                           ShowLicense.Execute(hwnd());
                           return true;
                       });
                   },
                   [this] { ShowDownloadLabel(); }},
        TBmGetNewVer::Ports{context_.transport, context_.dialogs,
                            // From the worker: only posts, and the checker
                            // stops calling it before this window goes.
                            [self] { ::PostMessageW(self, kUpdateResults, 0, 0); }},
        ProgramName(exe), FileVersionString(exe));

    // The logo at the size of an icon on this monitor (32 pixels at 96 per
    // inch; the system metric is already scaled for the system's resolution,
    // not necessarily this monitor's).
    const int iconSize = ScaleByPPI(32);
    logo_ = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_HUEGLASS), IMAGE_ICON,
                                            iconSize, iconSize, LR_DEFAULTCOLOR));
    const HWND ImgLogo = AddControl(L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, px(15), px(13), iconSize,
                                    iconSize, IdImgLogo, nullptr);
    ::SendMessageW(ImgLogo, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(logo_));
    ::SetWindowPos(ImgLogo, nullptr, px(15), px(13), iconSize, iconSize, SWP_NOZORDER | SWP_NOACTIVATE);

    const int width = px(465 - 66 - 15);
    const int line = px(21);
    AddControl(L"STATIC", kAboutTitleText, SS_LEFT | SS_NOPREFIX, px(66), px(13), width, line, IdLabel1, boldFont_);
    AddControl(L"STATIC", model_->VersionLine().c_str(), SS_LEFT | SS_NOPREFIX, px(66), px(33), width, line,
               IdLabelVer, font_);
    LabelDownload = AddControl(WC_LINK, L"", WS_TABSTOP, px(66), px(54), width, line, IdLabelDownload, font_);
    LabelDownloadText = AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, px(66), px(54), width, line,
                                   IdLabelDownloadText, font_);
    AddControl(L"STATIC", kCopyrightLine, SS_LEFT | SS_NOPREFIX, px(66), px(90), width, line, IdLabel3, font_);
    AddControl(L"STATIC", kRightsLine, SS_LEFT | SS_NOPREFIX, px(66), px(110), width, line, IdLabel4, font_);
    AddControl(WC_LINK, kSiteLink, WS_TABSTOP, px(66), px(145), width, line, IdLabelSite, font_);
    AddControl(WC_LINK, kLicenseLink, WS_TABSTOP, px(66), px(179), px(348), px(39), IdLabelLA, font_);
    AddControl(WC_LINK, kSupportLink, WS_TABSTOP, px(66), px(233), width, px(39), IdLabelSupport2, font_);
    AddControl(L"STATIC", kCreditsLine, SS_LEFT | SS_NOPREFIX, px(66), px(273), width, px(39), IdLabel5, font_);
    LinkLabelPP = AddControl(WC_LINK, kDonateLink, WS_TABSTOP, px(15), px(328), px(250), line, IdLinkLabelPP, font_);
    BitBtn1 = AddControl(L"BUTTON", L"&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, px(353), px(321), px(101), px(32), IDOK,
                         font_);
    ShowDownloadLabel();
    ::SetFocus(BitBtn1);
}

void TFrmAboutHueglass::FormShow() { PlaceNearTray(hwnd()); }

void TFrmAboutHueglass::ShowDownloadLabel() {
    const AboutDownloadLabel& label = model_->DownloadLabel();
    const std::wstring caption = label.Caption();
    // A link while it can be clicked; plain text once it cannot.
    ::SetWindowTextW(LabelDownload, label.IsLink() ? caption.c_str() : L"");
    ::SetWindowTextW(LabelDownloadText, label.IsLink() ? L"" : caption.c_str());
    ::SendMessageW(LabelDownload, WM_SETFONT, reinterpret_cast<WPARAM>(label.Bold() ? boldFont_ : font_), TRUE);
    if (!label.IsLink() && ::GetFocus() == LabelDownload)
        ::SetFocus(BitBtn1); // the link it had is gone
    ::ShowWindow(LabelDownload, label.IsLink() ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(LabelDownloadText, label.IsLink() ? SW_HIDE : SW_SHOWNA);
    // Drawn at once: the download may take a while.
    ::InvalidateRect(label.IsLink() ? LabelDownload : LabelDownloadText, nullptr, TRUE);
    ::UpdateWindow(hwnd());
}

void TFrmAboutHueglass::OnLinkClick(int id, const std::wstring& link) {
    if (!model_)
        return;
    switch (id) {
    case IdLabelDownload:
        model_->LabelDownloadLinkClick(link);
        break;
    case IdLabelLA:
        // The licence's title for its window; it keeps it without showing it.
        ShowLicense.ApplicationName = L"Hueglass";
        ShowLicense.Position = TPosition::poDesigned;
        if (ShowLicense.LicenseText.empty())
            ShowLicense.LicenseText = LicenseDocument();
        model_->LabelLALinkClick();
        break;
    case IdLabelSite:
        model_->LabelSiteLinkClick();
        break;
    case IdLabelSupport2:
        model_->LabelSupport2LinkClick();
        break;
    case IdLinkLabelPP:
        model_->LinkLabelPPLinkClick();
        break;
    default:
        break;
    }
}

bool TFrmAboutHueglass::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            End(LOWORD(wParam)); // BitBtn1Click, and Esc
            return true;
        }
        return false;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == NM_CLICK || header->code == NM_RETURN) {
            const auto* link = reinterpret_cast<const NMLINK*>(lParam);
            OnLinkClick(static_cast<int>(header->idFrom), link->item.szUrl);
            return true;
        }
        return false;
    }
    case kUpdateResults:
        if (model_)
            model_->GetUpdate().DeliverResults();
        return true;
    case WM_ERASEBKGND: {
        // White, with the band in the button-face colour along the bottom.
        const HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        RECT band = client;
        band.top = band.bottom - ::MulDiv(48, ppi_, kDesignPpi);
        RECT top = client;
        top.bottom = band.top;
        ::FillRect(dc, &top, white_);
        ::FillRect(dc, &band, ::GetSysColorBrush(COLOR_BTNFACE));
        result = 1;
        return true;
    }
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        const auto control = reinterpret_cast<HWND>(lParam);
        const bool inBand = control == LinkLabelPP;
        ::SetBkColor(dc, inBand ? ::GetSysColor(COLOR_BTNFACE) : RGB(255, 255, 255));
        ::SetTextColor(dc, control == LabelDownloadText && model_ && model_->DownloadLabel().Grey() ? RGB(0x80, 0x80, 0x80)
                                                                                           : ::GetSysColor(COLOR_WINDOWTEXT));
        result = reinterpret_cast<INT_PTR>(inBand ? ::GetSysColorBrush(COLOR_BTNFACE) : white_);
        return true;
    }
    case WM_DESTROY:
        // Checks still running are dropped: nothing is delivered to a
        // window that is gone, and their files are deleted.
        if (model_)
            model_->GetUpdate().Abandon();
        return false;
    default:
        return false;
    }
}

} // namespace hg::win32
