#include "dialogs/win32/Win32TaskDialog.h"

#include "dialogs/win32/NativeTaskDialog.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Placement.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <exception>
#include <stdexcept>
#include <utility>
#include <vector>

namespace hg::win32 {

using namespace task_dialog;

namespace {

constexpr COLORREF kPanelColor = RGB(255, 255, 255);
// Control identifiers of the emulation's controls other than the cancel
// button (which is IDCANCEL, so that Esc presses it).
constexpr int kFirstControlId = 1000;
// Extra height of a combo box's drop-down list.
constexpr int kComboListHeight = 200;

UniqueFont CreateFontOf(const FontChoice& choice) {
    LOGFONTW font{};
    font.lfHeight = choice.Height;
    font.lfWeight = choice.Bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    choice.Face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return UniqueFont(::CreateFontIndirectW(&font));
}

// A screen device context with a font selected, for measuring.
class MeasuringDc {
public:
    explicit MeasuringDc(const FontChoice& choice)
        : screen_(nullptr), font_(CreateFontOf(choice)), selected_(screen_.get(), font_.get()) {}
    HDC get() const { return screen_.get(); }

private:
    WindowDc screen_;
    UniqueFont font_;
    SelectedObject selected_;
};

HICON LoadSystemIcon(std::uint16_t id, int width, int height) {
    // Shared system icons are owned by the system and never destroyed.
    return static_cast<HICON>(::LoadImageW(nullptr, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_SHARED));
}

// The native dialog as the record's running dialog.
class NativeDialogWindow final : public ITaskDialogWindow {
public:
    explicit NativeDialogWindow(HWND window) : window_(window) {}
    NativeWindow Handle() const override { return window_; }
    void SetElementText(TTaskDialogElement element, const std::wstring& text) override {
        if (element <= tdeMainInstruction)
            ::SendMessageW(window_, TDM_UPDATE_ELEMENT_TEXT, element, reinterpret_cast<LPARAM>(text.c_str()));
    }

private:
    HWND window_;
};

// The emulated task dialog: a modal dialog window made from a layout.
class EmulatedTaskDialog final : public ITaskDialogWindow {
public:
    EmulatedTaskDialog(const EmulatedTaskDialogLayout& layout, const TaskDialogEvents& events)
        : layout_(layout), events_(events) {}

    std::optional<EmulatedOutcome> Show() {
        HWND owner = static_cast<HWND>(layout_.Owner);
        if (owner != nullptr && !::IsWindow(owner))
            owner = nullptr;
        DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
        if (layout_.Cancellable)
            style |= WS_SYSMENU; // the close box: only where closing means cancelling
        // A template without controls: they are created from the layout.
        struct alignas(DWORD) Template {
            DLGTEMPLATE header;
            WORD menu, windowClass, title;
        } dialogTemplate{{style, WS_EX_DLGMODALFRAME, 0, 0, 0, 0, 0}, 0, 0, 0};

        INT_PTR ended;
        {
            const ThreadWindowsDisabled others(owner);
            ended = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &dialogTemplate.header, owner, &Proc,
                                              reinterpret_cast<LPARAM>(this));
        }
        if (events_.OnWindow)
            events_.OnWindow(nullptr);
        if (owner != nullptr && ::IsWindow(owner))
            ::SetActiveWindow(owner);
        if (error_)
            std::rethrow_exception(error_);
        if (ended == -1 || !outcome_)
            return std::nullopt;
        return outcome_;
    }

    NativeWindow Handle() const override { return window_; }

    void SetElementText(TTaskDialogElement element, const std::wstring& text) override {
        HWND target = nullptr;
        if (element <= tdeMainInstruction)
            target = elements_[element];
        else if (element == tdeEdit)
            target = edit_ != nullptr ? edit_ : combo_;
        else if (element == tdeVerif)
            target = verify_;
        if (target != nullptr)
            ::SetWindowTextW(target, text.c_str());
    }

private:
    struct Control {
        const LaidOutControl* item;
        HWND window;
        int id;
    };

    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG)
            ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        auto* self = reinterpret_cast<EmulatedTaskDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
        if (self == nullptr)
            return FALSE;
        // An exception must not unwind through the dialog's window procedure:
        // it ends the dialog and is rethrown once the window is gone.
        try {
            return self->OnMessage(window, message, wParam, lParam);
        } catch (...) {
            if (!self->error_)
                self->error_ = std::current_exception();
            ::EndDialog(window, 0);
            return TRUE;
        }
    }

    INT_PTR OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            return Initialise(window);
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_CLOSE:
            // Alt+F4 or the close box.
            if (layout_.Cancellable)
                Click(mrCancel);
            return TRUE;
        case DM_GETDEFID: {
            const int id = DefaultId();
            ::SetWindowLongPtrW(window, DWLP_MSGRESULT, id != 0 ? MAKELRESULT(id, DC_HASDEFID) : 0);
            return TRUE;
        }
        case WM_PAINT:
            PaintPanel();
            return TRUE;
        case WM_DRAWITEM:
            DrawCommandLink(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        default:
            return FALSE;
        }
    }

    INT_PTR Initialise(HWND window) {
        window_ = window;
        ::SetWindowTextW(window, layout_.Caption.c_str());
        PlaceWindow();
        panelBrush_.reset(::CreateSolidBrush(kPanelColor));
        glyph_.reset(static_cast<HBITMAP>(
            ::LoadImageW(::GetModuleHandleW(nullptr), kCommandLinkGlyph, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     window, nullptr, ::GetModuleHandleW(nullptr), nullptr);

        HWND focus = nullptr;
        bool afterRadio = false;
        for (const LaidOutControl& item : layout_.Controls) {
            const Control& control = CreateControl(item, afterRadio);
            afterRadio = item.Kind == ControlKind::Radio;
            if (item.Focused)
                focus = control.window;
        }
        if (events_.OnWindow)
            events_.OnWindow(this);
        if (focus == nullptr)
            return TRUE; // the first control that takes the focus gets it
        ::SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
        return FALSE;
    }

    // Client size from the layout, centred on the work area of the owner's
    // monitor (the primary one without an owner).
    void PlaceWindow() {
        RECT frame{0, 0, layout_.ClientWidth, layout_.ClientHeight};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE)));
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        const HWND owner = static_cast<HWND>(layout_.Owner);
        ::GetMonitorInfoW(
            ::MonitorFromWindow(owner != nullptr && ::IsWindow(owner) ? owner : nullptr, MONITOR_DEFAULTTOPRIMARY),
            &monitor);
        const RECT& area = monitor.rcWork;
        ::SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                       area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HFONT FontOf(const FontChoice& choice) {
        for (const auto& [known, font] : fonts_)
            if (known == choice)
                return font.get();
        fonts_.emplace_back(choice, CreateFontOf(choice));
        return fonts_.back().second.get();
    }

    const Control& CreateControl(const LaidOutControl& item, bool afterRadio) {
        const wchar_t* windowClass = WC_STATICW;
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        int height = item.Bounds.Height;
        // Each control starts a group of its own, except the radio buttons
        // after the first, which form one.
        if (!(item.Kind == ControlKind::Radio && afterRadio))
            style |= WS_GROUP;
        switch (item.Kind) {
        case ControlKind::MainIcon:
        case ControlKind::FooterIcon:
            style |= SS_ICON | SS_REALSIZECONTROL;
            break;
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::Bevel:
            style |= SS_ETCHEDHORZ;
            break;
        case ControlKind::CommandLink:
            windowClass = WC_BUTTONW;
            style |= BS_OWNERDRAW | WS_TABSTOP;
            break;
        case ControlKind::Button:
            windowClass = WC_BUTTONW;
            style |= (item.Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
            break;
        case ControlKind::Radio:
            windowClass = WC_BUTTONW;
            style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
            break;
        case ControlKind::Verify:
            windowClass = WC_BUTTONW;
            style |= BS_AUTOCHECKBOX | WS_TABSTOP;
            break;
        case ControlKind::Combo:
            windowClass = WC_COMBOBOXW;
            style |= (item.Editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) | WS_VSCROLL | WS_TABSTOP;
            height += hg::ScaleByPPI(kComboListHeight, layout_.Dpi);
            break;
        case ControlKind::Edit:
            windowClass = WC_EDITW;
            style |= ES_AUTOHSCROLL | WS_TABSTOP | (item.Masked ? ES_PASSWORD : 0);
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        }
        const int id = item.Cancel ? IDCANCEL : kFirstControlId + static_cast<int>(controls_.size());
        const bool showsText = item.Kind != ControlKind::MainIcon && item.Kind != ControlKind::FooterIcon &&
                               item.Kind != ControlKind::Bevel && item.Kind != ControlKind::Combo;
        HWND window =
            ::CreateWindowExW(exStyle, windowClass, showsText ? item.Text.c_str() : L"", style, item.Bounds.Left,
                              item.Bounds.Top, item.Bounds.Width, height, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
        if (window == nullptr)
            throw std::runtime_error("The dialog's controls could not be created.");
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(item.Font)), FALSE);
        Configure(item, window);
        if (!item.Hint.empty() && tooltip_ != nullptr) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = window_;
            tool.uId = reinterpret_cast<UINT_PTR>(window);
            tool.lpszText = const_cast<wchar_t*>(item.Hint.c_str());
            ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        return controls_.emplace_back(Control{&item, window, id});
    }

    void Configure(const LaidOutControl& item, HWND window) {
        switch (item.Kind) {
        case ControlKind::MainIcon:
        case ControlKind::FooterIcon:
            ::SendMessageW(window, STM_SETICON,
                           reinterpret_cast<WPARAM>(LoadSystemIcon(item.IconId, item.Bounds.Width, item.Bounds.Height)),
                           0);
            ::SetWindowPos(window, nullptr, item.Bounds.Left, item.Bounds.Top, item.Bounds.Width, item.Bounds.Height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        case ControlKind::Label:
            elements_[item.Element] = window;
            break;
        case ControlKind::Radio:
        case ControlKind::Verify:
            ::SendMessageW(window, BM_SETCHECK, item.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
            if (item.Kind == ControlKind::Verify)
                verify_ = window;
            break;
        case ControlKind::Combo:
            combo_ = window;
            for (const std::wstring& entry : item.Items)
                ::SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
            ::SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(item.SelectedItem), 0);
            if (item.Editable)
                ::SetWindowTextW(window, item.Text.c_str());
            break;
        case ControlKind::Edit:
            edit_ = window;
            if (item.Masked)
                ::SendMessageW(window, EM_SETPASSWORDCHAR, L'*', 0);
            break;
        case ControlKind::Button:
            if (item.Default)
                ::SendMessageW(window_, DM_SETDEFID, static_cast<WPARAM>(::GetDlgCtrlID(window)), 0);
            break;
        default:
            break;
        }
    }

    const Control* ControlOf(HWND window) const {
        for (const Control& control : controls_)
            if (control.window == window)
                return &control;
        return nullptr;
    }

    static bool IsPushed(const LaidOutControl& item) {
        return item.Kind == ControlKind::Button || item.Kind == ControlKind::CommandLink;
    }

    // Enter presses the focused button or command link, else the default
    // button.
    int DefaultId() const {
        if (const Control* focused = ControlOf(::GetFocus()); focused != nullptr && IsPushed(*focused->item))
            return focused->id;
        for (const Control& control : controls_)
            if (control.item->Default)
                return control.id;
        return 0;
    }

    void OnCommand(int id, int code, HWND from) {
        if (const Control* control = ControlOf(from); control != nullptr) {
            if (code == BN_CLICKED && IsPushed(*control->item))
                Click(control->item->Result);
            return;
        }
        // Esc without a cancel button.
        if (id == IDCANCEL && layout_.Cancellable)
            Click(mrCancel);
    }

    // A button was pressed: the click handler may keep the dialog open.
    void Click(std::int32_t result) {
        if (events_.OnButtonClicked && !events_.OnButtonClicked(result))
            return;
        outcome_ = ReadBack(result);
        ::EndDialog(window_, 1);
    }

    EmulatedOutcome ReadBack(std::int32_t result) const {
        EmulatedOutcome outcome;
        outcome.Result = result;
        for (const Control& control : controls_)
            if (control.item->Kind == ControlKind::Radio &&
                ::SendMessageW(control.window, BM_GETCHECK, 0, 0) == BST_CHECKED)
                outcome.RadioRes = control.item->Result;
        if (combo_ != nullptr) {
            outcome.SelectionRes = static_cast<std::int32_t>(::SendMessageW(combo_, CB_GETCURSEL, 0, 0));
            outcome.Query = TextOf(combo_);
        } else if (edit_ != nullptr) {
            outcome.Query = TextOf(edit_);
        }
        if (verify_ != nullptr)
            outcome.VerifyChecked = ::SendMessageW(verify_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return outcome;
    }

    static std::wstring TextOf(HWND window) {
        std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    void PaintPanel() {
        const PaintDc paint(window_);
        if (layout_.Classic || layout_.PanelHeight <= 0)
            return;
        RECT panel;
        ::GetClientRect(window_, &panel);
        panel.bottom = layout_.PanelHeight;
        ::FillRect(paint.get(), &panel, panelBrush_.get());
        ::DrawEdge(paint.get(), &panel, BDR_SUNKENOUTER, BF_BOTTOM | BF_FLAT);
    }

    INT_PTR ControlColors(HDC dc, HWND window) {
        const Control* control = ControlOf(window);
        if (control == nullptr)
            return FALSE;
        const LaidOutControl& item = *control->item;
        if (item.TextColor)
            ::SetTextColor(dc, static_cast<COLORREF>(*item.TextColor));
        if (item.OnPanel && !layout_.Classic) {
            ::SetBkColor(dc, kPanelColor);
            return reinterpret_cast<INT_PTR>(panelBrush_.get());
        }
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
    }

    // A push button with the arrow glyph at its margin and the caption after
    // the spacing.
    void DrawCommandLink(const DRAWITEMSTRUCT& draw) {
        const Control* control = ControlOf(draw.hwndItem);
        if (control == nullptr)
            return;
        const LaidOutControl& item = *control->item;
        HDC dc = draw.hDC;
        RECT r = draw.rcItem;
        const bool pushed = (draw.itemState & ODS_SELECTED) != 0;
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        const int shift = pushed ? 1 : 0;
        const int glyphSize = hg::ScaleByPPI(16, layout_.Dpi);
        int textLeft = r.left + item.GlyphMargin;
        if (item.Glyph && glyph_) {
            const UniqueDc memory(::CreateCompatibleDC(dc));
            const SelectedObject selected(memory.get(), glyph_.get());
            // The bottom-left pixel's colour is the transparent colour.
            const COLORREF transparent = ::GetPixel(memory.get(), 0, 15);
            ::GdiTransparentBlt(dc, r.left + item.GlyphMargin + shift, r.top + (r.bottom - r.top - glyphSize) / 2 + shift,
                             glyphSize, glyphSize, memory.get(), 0, 0, 16, 16, transparent);
            textLeft += glyphSize + item.GlyphSpacing;
        }
        RECT text{textLeft + shift, r.top + shift, r.right - item.GlyphSpacing + shift, r.bottom + shift};
        const SelectedObject font(dc, FontOf(item.Font));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor((draw.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        ::DrawTextW(dc, item.Text.c_str(), static_cast<int>(item.Text.size()), &text,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        if (draw.itemState & ODS_FOCUS) {
            RECT focus = r;
            ::InflateRect(&focus, -4, -4);
            ::DrawFocusRect(dc, &focus);
        }
    }

    const EmulatedTaskDialogLayout& layout_;
    const TaskDialogEvents& events_;
    HWND window_ = nullptr;
    std::vector<Control> controls_;
    std::vector<std::pair<FontChoice, UniqueFont>> fonts_;
    std::array<HWND, tdeMainInstruction + 1> elements_{};
    HWND combo_ = nullptr;
    HWND edit_ = nullptr;
    HWND verify_ = nullptr;
    HWND tooltip_ = nullptr; // a child of the dialog: destroyed with it
    UniqueBrush panelBrush_;
    UniqueBitmap glyph_;
    std::optional<EmulatedOutcome> outcome_;
    std::exception_ptr error_;
};

} // namespace

// ---------------------------------------------------------------------------

std::int32_t Win32TaskDialogMetrics::Dpi() {
    return GetMainMonitorPPI();
}

bool Win32TaskDialogMetrics::HasFont(std::wstring_view face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.substr(0, LF_FACESIZE - 1).copy(wanted.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    const WindowDc screen(nullptr);
    ::EnumFontFamiliesExW(
        screen.get(), &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

FontChoice Win32TaskDialogMetrics::ClassicFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return {L"Tahoma", -hg::ScaleByPPI(11, Dpi()), false};
    const LOGFONTW& font = metrics.lfMessageFont;
    // The layout makes fonts taller by lowering a negative height.
    return {font.lfFaceName, font.lfHeight < 0 ? font.lfHeight : -font.lfHeight, font.lfWeight >= FW_SEMIBOLD};
}

std::int32_t Win32TaskDialogMetrics::TextWidth(const FontChoice& font, std::wstring_view text) {
    const MeasuringDc dc(font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

std::int32_t Win32TaskDialogMetrics::TextHeight(const FontChoice& font, std::wstring_view text, std::int32_t width) {
    if (text.empty())
        return 0;
    const MeasuringDc dc(font);
    RECT r{0, 0, width, 0};
    ::DrawTextW(dc.get(), text.data(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return r.bottom - r.top;
}

IconSize Win32TaskDialogMetrics::SystemIconSize(std::uint16_t /*iconId*/) {
    // System icons are loaded at the screen's icon size.
    return {::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)};
}

// ---------------------------------------------------------------------------

Win32TaskDialogPlatform::Win32TaskDialogPlatform(std::wstring applicationTitle)
    : Win32TaskDialogPlatform(std::move(applicationTitle), GetEntryPoints().TaskDialogIndirect) {}

Win32TaskDialogPlatform::Win32TaskDialogPlatform(std::wstring applicationTitle, TaskDialogIndirectFn taskDialogIndirect)
    : applicationTitle_(applicationTitle.empty() ? ExecutableTitle() : std::move(applicationTitle)),
      taskDialogIndirect_(taskDialogIndirect) {}

std::wstring Win32TaskDialogPlatform::ApplicationTitle() {
    return applicationTitle_;
}

NativeWindow Win32TaskDialogPlatform::DefaultParent() {
    return ::GetActiveWindow();
}

std::optional<TaskDialogOutcome> Win32TaskDialogPlatform::ShowNative(const TaskDialogDescription& description,
                                                                     const TaskDialogEvents& events) {
    std::optional<NativeDialogWindow> running;
    NativeTaskDialogEvents native;
    native.OnWindow = [&](HWND dialog) {
        if (!running || running->Handle() != dialog) {
            running.emplace(dialog);
            if (events.OnWindow)
                events.OnWindow(&*running);
        }
    };
    native.OnButtonClicked = [&](HWND, int button) {
        return !events.OnButtonClicked || events.OnButtonClicked(button);
    };
    native.OnLink = [&](const std::wstring& url) {
        // A link that cannot be opened leaves the dialog as it is.
        ::ShellExecuteW(running ? static_cast<HWND>(running->Handle()) : nullptr, L"open", url.c_str(), nullptr,
                        nullptr, SW_SHOWNORMAL);
    };
    std::optional<TaskDialogOutcome> outcome = ShowNativeTaskDialog(taskDialogIndirect_, description, native);
    if (events.OnWindow)
        events.OnWindow(nullptr);
    return outcome;
}

ITaskDialogMetrics& Win32TaskDialogPlatform::Metrics() {
    return metrics_;
}

std::optional<EmulatedOutcome> Win32TaskDialogPlatform::ShowEmulated(const EmulatedTaskDialogLayout& layout,
                                                                     const TaskDialogEvents& events) {
    EmulatedTaskDialog dialog(layout, events);
    return dialog.Show();
}

Win32TaskDialogPlatform& DefaultTaskDialogPlatform() {
    static Win32TaskDialogPlatform platform;
    return platform;
}

std::int32_t ShowTaskDialog(std::wstring_view inst, std::wstring_view content, TCommonButtons commonButtons,
                            task_dialog::TTaskDialogIcon dialogIcon, HWND parent, std::wstring_view title,
                            std::wstring_view footer, TTaskDialogFooterIcon footerIcon, std::int32_t width) {
    return task_dialog::ShowTaskDialog(DefaultTaskDialogPlatform(), inst, content, commonButtons, dialogIcon, parent,
                                       title, footer, footerIcon, width);
}

std::int32_t TaskMessageDlg(std::wstring_view msg, std::uint8_t dlgType, std::uint16_t buttons,
                            std::int32_t helpContext, HWND parent, std::wstring_view title, std::wstring_view footer) {
    return task_dialog::TaskMessageDlg(DefaultTaskDialogPlatform(), msg, dlgType, buttons, helpContext, parent, title,
                                       footer);
}

} // namespace hg::win32
