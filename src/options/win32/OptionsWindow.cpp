#include "options/win32/OptionsWindow.h"

#include "dialogs/win32/Win32TaskDialog.h"
#include "platform/SpinValue.h"
#include "platform/win32/ErrorBoundary.h"
#include "platform/win32/Placement.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace hg::win32 {

namespace {
using C = OptionsControl;

// The form's client size at its design resolution of 120 pixels per inch.
constexpr int kDesignPpi = 120;
constexpr int kDesignClientWidth = 518;
constexpr int kDesignClientHeight = 506;
// What lies below the page control: the strip with the buttons.
constexpr int kBelowPages = 56;
constexpr int kButtonsFromBottom = 37;

constexpr DWORD kCheckBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kRadio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;

// An empty dialog template of this style; the controls are created in code.
std::vector<DWORD> DialogTemplate(DWORD style) {
    std::vector<DWORD> buffer(16, 0);
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer.data());
    dialog->style = style;
    // No controls, menu, class or title follow (three zero words), which the
    // zeroed buffer already holds.
    return buffer;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

std::optional<C> ControlOfId(int id) {
    const int index = id - OptionsControlId(C::CheckDisabled);
    if (index < 0 || index >= static_cast<int>(C::Count))
        return std::nullopt;
    return static_cast<C>(index);
}

// The dialog whose keys the message filter looks at; one is open at a time.
TFrmOptions* g_keyboardDialog = nullptr;
} // namespace

TFrmOptions::TFrmOptions(std::function<HWND()> owner) : owner_(std::move(owner)) {}

TFrmOptions::~TFrmOptions() {
    if (dialog_ != nullptr)
        ::DestroyWindow(dialog_);
}

int TFrmOptions::Scale(int designPixels) const {
    return ::MulDiv(designPixels, dpi_, kDesignPpi);
}

int TFrmOptions::ShowModal(OptionsForm& form) {
    form_ = &form;
    closing_ = false;
    dpi_ = GetMainMonitorPPI();
    const int fontHeight = -Scale(15);
    // Where the system lacks Segoe UI (Wine), a substitute of similar width
    // keeps the captions inside the design's room.
    const wchar_t* const face = Win32TaskDialogMetrics().HasFont(L"Segoe UI") ? L"Segoe UI" : L"Tahoma";
    font_ = ::CreateFontW(fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
    boldFont_ = ::CreateFontW(fontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
    const std::vector<DWORD> dialogTemplate = DialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    // The dialog's modal loop hands each message to this thread's message
    // filter before the dialog manager sees it: the page keys are ours.
    filled_ = false;
    TFrmOptions* const outerKeyboardDialog = g_keyboardDialog;
    g_keyboardDialog = this;
    const HHOOK filter = ::SetWindowsHookExW(WH_MSGFILTER, MessageFilter, nullptr, ::GetCurrentThreadId());
    const INT_PTR result = ::DialogBoxIndirectParamW(
        ::GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
        owner_ ? owner_() : nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (filter != nullptr)
        ::UnhookWindowsHookEx(filter);
    g_keyboardDialog = outerKeyboardDialog;
    // Forgotten on every path, so the next "&Settings..." opens a new one.
    dialog_ = nullptr;
    tabs_ = nullptr;
    pages_ = {};
    controls_ = {};
    spinMon_.reset();
    ::DeleteObject(font_);
    ::DeleteObject(boldFont_);
    font_ = boldFont_ = nullptr;
    form_ = nullptr;
    closePending_ = false;
    return result == kOptionsOk ? kOptionsOk : kOptionsCancel;
}

void TFrmOptions::BringForward() {
    if (dialog_ == nullptr)
        return;
    if (::IsIconic(dialog_))
        ::ShowWindow(dialog_, SW_RESTORE);
    ::SetForegroundWindow(dialog_);
}

void TFrmOptions::CloseAsCancelled() {
    if (dialog_ == nullptr) {
        closePending_ = true; // closes as soon as it is up
        return;
    }
    // A message the dialog shows (its own modal loop) goes first.
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM dialog) -> BOOL {
            if (::GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(dialog))
                ::PostMessageW(window, WM_CLOSE, 0, 0);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(dialog_));
    ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

INT_PTR CALLBACK TFrmOptions::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<TFrmOptions*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->dialog_ = hwnd;
    }
    auto* self = reinterpret_cast<TFrmOptions*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr || self->form_ == nullptr)
        return FALSE;
    return Guarded([&] { return self->HandleMessage(message, wParam, lParam); }, INT_PTR{FALSE});
}

LRESULT CALLBACK TFrmOptions::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && g_keyboardDialog != nullptr && lParam != 0) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        if (Guarded([&] { return g_keyboardDialog->SwitchPageByKey(msg); }, false))
            return TRUE; // handled: the dialog manager does not see it
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool TFrmOptions::SwitchPageByKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || dialog_ == nullptr || tabs_ == nullptr)
        return false;
    if (msg.hwnd != dialog_ && !::IsChild(dialog_, msg.hwnd))
        return false; // a message box the dialog shows has keys of its own
    if (!KeyDown(VK_CONTROL) || KeyDown(VK_MENU))
        return false;
    int step = 0;
    if (msg.wParam == VK_TAB)
        step = KeyDown(VK_SHIFT) ? -1 : 1;
    else if (msg.wParam == VK_NEXT)
        step = 1;
    else if (msg.wParam == VK_PRIOR)
        step = -1;
    else
        return false;
    const int current = static_cast<int>(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
    const int next = ((current < 0 ? 0 : current) + step + PageCount) % PageCount;
    const HWND focus = ::GetFocus();
    const bool inPage = current >= 0 && current < PageCount && focus != nullptr && ::IsChild(pages_[current], focus);
    ShowPage(next);
    // The focus follows into the new page, unless it is on the tab strip.
    if (inPage)
        if (HWND first = ::GetNextDlgTabItem(pages_[next], nullptr, FALSE))
            ::SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    return true;
}

INT_PTR CALLBACK TFrmOptions::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
        // The dialog handles what its pages' controls report.
        return ::SendMessageW(::GetParent(hwnd), message, wParam, lParam) != 0;
    default:
        return FALSE;
    }
}

INT_PTR TFrmOptions::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        form_->SetWindow(dialog_);
        form_->FormCreate();
        CreateControls();
        Sync();
        ShowPage(PageColor);
        PlaceNearTray(dialog_);
        ::SetFocus(Control(C::CheckDisabled));
        if (closePending_)
            ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return FALSE; // the focus is set
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_HSCROLL:
        OnScroll(reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kOptionsTabsId && header->code == TCN_SELCHANGE) {
            ShowPage(static_cast<int>(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
        } else if (header->idFrom == kOptionsLinkId && (header->code == NM_CLICK || header->code == NM_RETURN)) {
            form_->LabelDownloadLinkClick();
            Sync();
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

HWND TFrmOptions::AddControl(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, int x,
                             int y, int width, int height, HFONT font) {
    HWND control =
        ::CreateWindowExW(0, windowClass, text, style, Scale(x), Scale(y), Scale(width), Scale(height), parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr)
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (const auto known = ControlOfId(id))
        controls_[static_cast<std::size_t>(*known)] = control;
    return control;
}

HWND TFrmOptions::AddTextControl(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                                 int x, int y, HFONT font, int minWidth) {
    SIZE extent{};
    if (HDC dc = ::GetDC(dialog_)) {
        const HGDIOBJ old = ::SelectObject(dc, font);
        ::GetTextExtentPoint32W(dc, text, static_cast<int>(::wcslen(text)), &extent);
        ::SelectObject(dc, old);
        ::ReleaseDC(dialog_, dc);
    }
    const bool button = std::wstring_view(windowClass) == WC_BUTTONW;
    // Check boxes and radio buttons: the box and a gap before the text.
    const int width = std::max(minWidth, ::MulDiv(extent.cx, kDesignPpi, dpi_) + (button ? 26 : 2));
    const int height = button ? 22 : ::MulDiv(extent.cy, kDesignPpi, dpi_) + 1;
    return AddControl(parent, windowClass, text, style, id, x, y, width, height, font);
}

void TFrmOptions::CreateControls() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ::SetWindowTextW(dialog_, L"Hueglass Options");

    // The client size: the design size, or the outer height the form asks
    // for where Windows hides some of its controls.
    const int clientWidth = Scale(kDesignClientWidth);
    int clientHeight = Scale(kDesignClientHeight);
    ::SetWindowPos(dialog_, nullptr, 0, 0, clientWidth, clientHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT outer{}, client{};
    ::GetWindowRect(dialog_, &outer);
    ::GetClientRect(dialog_, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    int outerHeight = clientHeight + frameHeight;
    if (const auto height96 = form_->OuterHeightAt96()) {
        outerHeight = hg::ScaleByPPI(*height96, dpi_);
        clientHeight = outerHeight - frameHeight;
    }
    ::SetWindowPos(dialog_, nullptr, 0, 0, clientWidth + frameWidth, outerHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The pages come first, so that they lie above the page control.
    const RECT tabsRect{Scale(10), Scale(10), Scale(10 + 490), clientHeight - Scale(kBelowPages) + Scale(10)};
    RECT display = tabsRect;
    const std::vector<DWORD> pageTemplate = DialogTemplate(WS_CHILD | DS_CONTROL);
    for (HWND& page : pages_) {
        page = ::CreateDialogIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(pageTemplate.data()),
                                            dialog_, PageProc, 0);
        ::EnableThemeDialogTexture(page, ETDT_ENABLETAB);
    }
    tabs_ =
        ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, tabsRect.left,
                          tabsRect.top, tabsRect.right - tabsRect.left, tabsRect.bottom - tabsRect.top, dialog_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOptionsTabsId)), instance, nullptr);
    ::SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const wchar_t* const titles[PageCount] = {L"Color", L"Wallpaper", L"Advanced"};
    for (int i = 0; i < PageCount; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(titles[i]);
        ::SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (HWND page : pages_)
        ::SetWindowPos(page, HWND_TOP, display.left, display.top, display.right - display.left,
                       display.bottom - display.top, SWP_NOACTIVATE);

    auto id = [](C control) { return OptionsControlId(control); };
    // "Color"
    HWND color = pages_[PageColor];
    AddTextControl(color, WC_STATICW, L"Color source", kLabel, -1, 6, 4, boldFont_);
    // The sizes given are the least; a wider font widens them.
    AddTextControl(color, WC_BUTTONW, L"Manual", kCheckBox, id(C::CheckDisabled), 16, 31, font_, 152);
    AddTextControl(color, WC_BUTTONW, L"Wallpaper (Recommended)", kRadio | WS_GROUP | WS_TABSTOP, id(C::RbWallpaper),
                   196, 33, font_, 209);
    AddTextControl(color, WC_BUTTONW, L"Active application icon", kRadio, id(C::RbIcon), 196, 64, font_, 185);
    AddTextControl(color, WC_BUTTONW, L"Active application contents", kRadio, id(C::RbContents), 196, 96, font_, 203);
    AddTextControl(color, WC_STATICW, L"Color mode", kLabel | WS_GROUP, -1, 6, 125, boldFont_);
    AddTextControl(color, WC_BUTTONW, L"Predominant Color", kRadio | WS_GROUP | WS_TABSTOP, id(C::RadioPredominant), 16,
                   154, font_);
    AddTextControl(color, WC_BUTTONW, L"Average Color", kRadio, id(C::RadioAverage), 197, 154, font_);
    AddTextControl(color, WC_BUTTONW, L"Ignore dark and light colors", kCheckBox | WS_GROUP,
                   id(C::CkIgnoreDarkLIghtColors), 198, 183, font_);
    AddTextControl(color, WC_STATICW, L"Color Intensity", kLabel, id(C::lblTitulo2), 6, 200, boldFont_);
    const DWORD slider = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM;
    HWND tracker =
        AddControl(color, TRACKBAR_CLASSW, L"", slider | TBS_FIXEDLENGTH, id(C::Tracker), 6, 228, 462, 43, font_);
    ::SendMessageW(tracker, TBM_SETTHUMBLENGTH, Scale(31), 0);
    AddTextControl(color, WC_STATICW, L"Lighter", kLabel, id(C::LabelLeft), 15, 274, font_);
    AddTextControl(color, WC_STATICW, L"Darker", kLabel, id(C::Label3), 418, 274, font_);
    AddTextControl(color, WC_BUTTONW, L"Transparency", kCheckBox, id(C::CheckTrans), 6, 304, boldFont_);
    AddControl(color, TRACKBAR_CLASSW, L"", slider, id(C::TransTracker), 6, 334, 462, 44, font_);
    AddTextControl(color, WC_STATICW, L"Opaque", kLabel, id(C::LabelOpaque), 15, 380, font_);
    AddTextControl(color, WC_STATICW, L"Transparent", kLabel, id(C::LabelTrans), 380, 380, font_);
    for (C slider : {C::Tracker, C::TransTracker}) {
        ::SendMessageW(Control(slider), TBM_SETRANGE, FALSE,
                       MAKELPARAM(OptionsForm::kTrackerMin, OptionsForm::kTrackerMax));
        ::SendMessageW(Control(slider), TBM_SETTICFREQ, 5, 0);
        ::SendMessageW(Control(slider), TBM_SETPAGESIZE, 0, 5);
    }

    // "Wallpaper"
    HWND wallpaper = pages_[PageWallpaper];
    AddTextControl(wallpaper, WC_BUTTONW, L"If no wallpaper set, use color from background", kCheckBox,
                   id(C::CheckBgColor), 8, 9, font_);
    AddTextControl(wallpaper, WC_BUTTONW, L"Animate the color transition", kCheckBox, id(C::CheckFade), 8, 39, font_);
    AddTextControl(wallpaper, WC_BUTTONW, L"Remember manual set colors", kCheckBox, id(C::CkRememberManualSet), 8, 70,
                   font_);
    AddTextControl(wallpaper, WC_BUTTONW, L"Disable automatic settings on desktop pick or color selection", kCheckBox,
                   id(C::CheckDisableOnPick), 8, 101, font_);
    AddTextControl(wallpaper, WC_BUTTONW, L"Show the desktop when picking a color ", kCheckBox,
                   id(C::CheckShowDeskOnPick), 8, 131, font_);
    AddTextControl(wallpaper, WC_BUTTONW, L"Show a preview window when picking a color from the desktop", kCheckBox,
                   id(C::CheckShowPreviewWindow), 8, 163, font_);
    HWND monitorBox = AddTextControl(wallpaper, WC_BUTTONW, L"In a Slideshow, consider only wallpaper from monitor:",
                                     kCheckBox, id(C::CkMainMonWin81), 8, 194, font_);
    // The number follows the box's caption where a wider font needs more
    // room than the design's: a box reaching under the number would take
    // the clicks meant for it.
    const int spinLeft = std::max(396, DesignRight(monitorBox) + 4);
    spinMon_ = std::make_unique<TWinSpinEdit>();
    if (spinMon_->Create(wallpaper, id(C::SpinMon), Scale(spinLeft), Scale(189), Scale(44), Scale(30))) {
        controls_[static_cast<std::size_t>(C::SpinMon)] = spinMon_->hwnd();
        ::SendMessageW(spinMon_->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        spinMon_->SetMinValue(OptionsForm::kSpinMin);
    }

    // "Advanced"
    HWND advanced = pages_[PageAdvanced];
    // The lists start at 131, or after their labels where the font is wider.
    const int listLeft = std::max(
        {131, DesignRight(AddTextControl(advanced, WC_STATICW, L"Tray double click:", kLabel, -1, 6, 14, font_)) + 6,
         DesignRight(AddTextControl(advanced, WC_STATICW, L"Tray Icon style:", kLabel, -1, 6, 50, font_)) + 6});
    HWND doubleClick =
        AddControl(advanced, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                   id(C::CmbDoubleClick), listLeft, 9, 220, 160, font_);
    for (const wchar_t* item : {L"Start display properties", L"Pick From Screen", L"Select a Color"})
        ::SendMessageW(doubleClick, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    HWND iconStyle =
        AddControl(advanced, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                   id(C::CmbIconStyle), listLeft, 46, 220, 120, font_);
    for (const wchar_t* item : {L"Application", L"Native"})
        ::SendMessageW(iconStyle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    AddControl(advanced, WC_LINK, L"<a>Reactivate warning dialogs</a>", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
               kOptionsLinkId, 5, 93, 300, 22, font_);
    AddTextControl(advanced, WC_BUTTONW, L"Apply accent color to system colors", kCheckBox, id(C::ChkMoreColors), 6,
                   134, font_);

    // The buttons, along the bottom.
    const int buttonTop = ::MulDiv(clientHeight, kDesignPpi, dpi_) - kButtonsFromBottom;
    const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    AddControl(dialog_, WC_BUTTONW, L"&OK", button | BS_DEFPUSHBUTTON, IDOK, 208, buttonTop, 93, 29, font_);
    AddControl(dialog_, WC_BUTTONW, L"&Cancel", button, IDCANCEL, 308, buttonTop, 93, 29, font_);
    AddControl(dialog_, WC_BUTTONW, L"&Apply", button, id(C::BtnApply), 408, buttonTop, 93, 29, font_);
    // The tab strip last in the tab order, as in a property sheet: Tab from
    // it enters the page, Shift+Tab from the page's first control returns
    // to it. (Still below the pages, which it must not paint over.)
    ::SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    WidenToFit();
}

int TFrmOptions::DesignRight(HWND control) const {
    RECT box{};
    ::GetWindowRect(control, &box);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&box), 2);
    return ::MulDiv(box.right, kDesignPpi, dpi_);
}

void TFrmOptions::WidenToFit() {
    // Captions in a wider font than the design's (a substitute for Segoe
    // UI, larger text) would be cut off at the page's edge: the dialog
    // grows instead, its buttons staying at the right.
    RECT page{};
    ::GetClientRect(pages_[PageColor], &page);
    int needed = page.right;
    for (HWND p : pages_)
        for (HWND child = ::GetWindow(p, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT box{};
            ::GetWindowRect(child, &box);
            ::MapWindowPoints(HWND_DESKTOP, p, reinterpret_cast<POINT*>(&box), 2);
            needed = std::max<int>(needed, box.right + Scale(8));
        }
    const int extra = needed - page.right;
    if (extra <= 0)
        return;
    auto grow = [&](HWND window) {
        RECT box{};
        ::GetWindowRect(window, &box);
        ::SetWindowPos(window, nullptr, 0, 0, box.right - box.left + extra, box.bottom - box.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    grow(dialog_);
    grow(tabs_);
    for (HWND p : pages_)
        grow(p);
    for (HWND button : {::GetDlgItem(dialog_, IDOK), ::GetDlgItem(dialog_, IDCANCEL), Control(C::BtnApply)}) {
        RECT box{};
        ::GetWindowRect(button, &box);
        ::MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&box), 2);
        ::SetWindowPos(button, nullptr, box.left + extra, box.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TFrmOptions::ShowPage(int page) {
    if (page < 0 || page >= PageCount)
        return;
    ::SendMessageW(tabs_, TCM_SETCURSEL, page, 0);
    for (int i = 0; i < PageCount; ++i)
        ::ShowWindow(pages_[i], i == page ? SW_SHOW : SW_HIDE);
}

void TFrmOptions::Sync(HWND source) {
    syncing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{syncing_};
    const OptionsForm& form = *form_;
    const bool initial = source == nullptr && !filled_;
    for (int i = 0; i < static_cast<int>(C::Count); ++i) {
        const C control = static_cast<C>(i);
        HWND window = Control(control);
        if (window == nullptr)
            continue;
        const OptionsControlState& state = form[control];
        ::ShowWindow(window, state.visible ? SW_SHOWNA : SW_HIDE);
        ::EnableWindow(window, state.enabled ? TRUE : FALSE);
        // A box the form refused to change (a registry value that cannot be
        // written) shows again what the form holds, the clicked one too.
        const LRESULT checked = state.checked ? BST_CHECKED : BST_UNCHECKED;
        if ((IsCheckBox(control) || IsRadioButton(control)) && ::SendMessageW(window, BM_GETCHECK, 0, 0) != checked)
            ::SendMessageW(window, BM_SETCHECK, static_cast<WPARAM>(checked), 0);
    }
    // The control the user is working with is never written back: its own
    // notification has just told the form what it shows, and writing it
    // would undo what the user is doing (a list closing, a thumb dragged,
    // a number being typed). The others change only where they differ.
    auto show = [&](C control, UINT get, UINT set, LPARAM wanted, bool position) {
        HWND window = Control(control);
        if (window == nullptr || window == source || ::SendMessageW(window, get, 0, 0) == wanted)
            return;
        if (position)
            ::SendMessageW(window, set, TRUE, wanted);
        else
            ::SendMessageW(window, set, static_cast<WPARAM>(wanted), 0);
    };
    show(C::Tracker, TBM_GETPOS, TBM_SETPOS, form.TrackerPosition(), true);
    show(C::TransTracker, TBM_GETPOS, TBM_SETPOS, form.TransTrackerPosition(), true);
    show(C::CmbDoubleClick, CB_GETCURSEL, CB_SETCURSEL, form.DoubleClickItem(), false);
    show(C::CmbIconStyle, CB_GETCURSEL, CB_SETCURSEL, form.IconStyleItem(), false);
    if (spinMon_ && spinMon_->hwnd() != nullptr) {
        spinMon_->SetMaxValue(form.SpinMaxValue());
        if (spinMon_->ReadOnly() != form.SpinReadOnly())
            spinMon_->SetReadOnly(form.SpinReadOnly());
        // A text that is no number is left for the control to replace when
        // it is read; a number is rewritten only when the form holds another
        // one (limited by Apply).
        const auto shown = ParseSpinText(TextOf(spinMon_->hwnd()));
        if (spinMon_->hwnd() != source && (initial || (shown && *shown != form.SpinValue())))
            spinMon_->SetValue(form.SpinValue());
    }
    filled_ = true;
}

void TFrmOptions::OnCommand(int id, int code, HWND control) {
    // The dialog's own filling of its controls is not the user's change.
    if (syncing_)
        return;
    if (id == IDCANCEL) {
        Close(kOptionsCancel);
        return;
    }
    const bool okOrApply = id == IDOK || id == OptionsControlId(C::BtnApply);
    const auto which = ControlOfId(id);
    if (!okOrApply && !which)
        return;
    // Only the notification that carries the control's new state reaches
    // the form; the others (a list opening or closing, focus) change nothing.
    if (okOrApply || IsCheckBox(*which) || IsRadioButton(*which)) {
        if (code != BN_CLICKED)
            return;
    } else if (*which == C::CmbDoubleClick || *which == C::CmbIconStyle) {
        if (code != CBN_SELCHANGE)
            return;
    } else if (*which == C::SpinMon) {
        if (code != EN_CHANGE)
            return;
    } else {
        return;
    }
    struct SyncAfter {
        TFrmOptions& self;
        HWND source;
        ~SyncAfter() {
            if (self.form_ != nullptr && !self.closing_)
                self.Sync(source);
        }
    } syncAfter{*this, okOrApply ? nullptr : control};
    if (okOrApply) {
        // Reading the number replaces a text that is no number.
        if (spinMon_ && spinMon_->hwnd() != nullptr && (*form_)[C::SpinMon].visible)
            form_->SetSpinValue(spinMon_->Value());
        if (form_->BtnOkClick(id != IDOK))
            Close(kOptionsOk);
        return;
    }
    if (IsCheckBox(*which))
        form_->SetChecked(*which, ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
    else if (IsRadioButton(*which))
        form_->Select(*which);
    else if (*which == C::CmbDoubleClick)
        form_->SetDoubleClickItem(static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0)));
    else if (*which == C::CmbIconStyle)
        form_->SetIconStyleItem(static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0)));
    else if (*which == C::SpinMon)
        form_->SetSpinValue(ParseSpinText(TextOf(control)));
}

void TFrmOptions::OnScroll(HWND control) {
    if (syncing_ || control == nullptr)
        return;
    struct SyncAfter {
        TFrmOptions& self;
        HWND source;
        ~SyncAfter() {
            if (self.form_ != nullptr && !self.closing_)
                self.Sync(source);
        }
    } syncAfter{*this, control};
    const int position = static_cast<int>(::SendMessageW(control, TBM_GETPOS, 0, 0));
    if (control == Control(C::Tracker))
        form_->SetTracker(position);
    else if (control == Control(C::TransTracker))
        form_->SetTransTracker(position);
}

void TFrmOptions::Close(int result) {
    if (closing_)
        return;
    closing_ = true;
    // The dialog closes even when undoing the preview fails.
    Guarded([&] { form_->FormClose(result); });
    ::EndDialog(dialog_, result);
}

} // namespace hg::win32
