#include "tray/win32/Win32Tray.h"

#include "platform/win32/EntryPoints.h"
#include "tray/win32/TrayImages.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cwchar>

namespace hg::win32 {

namespace {

constexpr UINT kIconId = 1;

template <std::size_t N>
void CopyText(wchar_t (&target)[N], const std::wstring& text) {
    // The shell's fixed buffers: longer text is cut, never overrun.
    const std::size_t n = std::min(text.size(), N - 1);
    std::wmemcpy(target, text.c_str(), n);
    target[n] = L'\0';
}

// Text measured in the menu font on a device context.
class DcMeasure final : public IMenuTextMeasure {
public:
    DcMeasure(HDC dc, HFONT regular, HFONT bold) : dc_(dc), regular_(regular), bold_(bold) {}
    Size Measure(const std::wstring& text, bool bold) override {
        const SelectedObject font(dc_, bold ? bold_ : regular_);
        RECT r{0, 0, 0, 0};
        ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_EXPANDTABS | DT_HIDEPREFIX);
        return {r.right - r.left, r.bottom - r.top};
    }

private:
    HDC dc_;
    HFONT regular_, bold_;
};

// The popup menu while it is open: its loop ends as a click elsewhere would
// end it.
class OpenPopupMenu final : public IModalWindow {
public:
    explicit OpenPopupMenu(HWND owner) : owner_(owner) {}
    void BringForward() override { ::SetForegroundWindow(owner_); }
    void CloseAsCancelled() override { ::EndMenu(); }

private:
    HWND owner_;
};

// The menu theme, when menus are drawn themed (never without the theme
// library's functions).
class Theme {
public:
    Theme(HWND window, const wchar_t* classes) : theme_(Open(window, classes)) {}
    ~Theme() {
        if (theme_)
            GetEntryPoints().CloseThemeData(theme_);
    }
    Theme(const Theme&) = delete;
    Theme& operator=(const Theme&) = delete;
    HTHEME get() const { return theme_; }

private:
    static HTHEME Open(HWND window, const wchar_t* classes) {
        const EntryPoints& entry = GetEntryPoints();
        if (ClassicMenus() || !entry.IsAppThemed || !entry.OpenThemeData || !entry.CloseThemeData ||
            !entry.DrawThemeBackground || !entry.GetThemeColor || !entry.IsAppThemed())
            return nullptr;
        return entry.OpenThemeData(window, classes);
    }

    HTHEME theme_;
};

} // namespace

Win32Tray::Win32Tray(UINT callbackMessage, Events events)
    : callbackMessage_(callbackMessage), taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")),
      events_(std::move(events)) {}

Win32Tray::~Win32Tray() { Remove(); }

NOTIFYICONDATAW Win32Tray::IconData(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner_;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_.get();
    CopyText(data.szTip, tip_);
    return data;
}

bool Win32Tray::Add() {
    if (owner_ == nullptr)
        return false;
    NOTIFYICONDATAW data = IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    // While the shell is not ready (or restarting) the add fails; the icon
    // comes back with the shell's "TaskbarCreated".
    added_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return added_;
}

void Win32Tray::ShowTrayIcon() {
    visible_ = true;
    if (!icon_)
        RefreshIcon();
    if (!added_)
        Add();
}

void Win32Tray::Remove() {
    if (added_) {
        NOTIFYICONDATAW data = IconData(0);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
    }
    added_ = false;
    visible_ = false;
}

void Win32Tray::SetTrayIcon(TrayImage image) {
    image_ = image;
    // The image list's size at the taskbar's resolution, drawn for that size.
    UniqueIcon icon = LoadSizedIcon(ResourceIdOf(image), ImageListSize(TaskbarDpi()));
    if (!icon)
        return; // a missing image leaves the icon as it was
    icon_ = std::move(icon);
    if (added_) {
        NOTIFYICONDATAW data = IconData(NIF_ICON);
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    }
}

void Win32Tray::RefreshIcon() { SetTrayIcon(image_); }

void Win32Tray::SetTrayTip(const std::wstring& text) {
    tip_ = text;
    if (added_) {
        NOTIFYICONDATAW data = IconData(NIF_TIP);
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    }
}

void Win32Tray::ShowTrayBalloon(const std::wstring& title, const std::wstring& text) {
    if (!added_)
        return; // the balloon belongs to the icon
    NOTIFYICONDATAW data = IconData(NIF_INFO);
    CopyText(data.szInfoTitle, title);
    CopyText(data.szInfo, text);
    data.dwInfoFlags = NIIF_NONE;
    data.uTimeout = 10000;
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32Tray::SetPersonalizeImage(const std::wstring& iconFile) { personalizeFile_ = iconFile; }

void Win32Tray::BringToForeground() {
    if (owner_)
        ::SetForegroundWindow(owner_);
}

void Win32Tray::ShellRun(const ShellRequest& request) {
    // The shell reports its own failures (no handler, page not found) to the
    // user; there is nothing the program could add.
    ::ShellExecuteW(request.ownedByMainWindow ? owner_ : nullptr, request.verb ? request.verb->c_str() : nullptr,
                    request.file.c_str(), request.parameters.c_str(), request.directory.c_str(), request.show);
}

bool Win32Tray::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == callbackMessage_) {
        switch (TrayEventFromMessage(LOWORD(lParam))) {
        case TrayEvent::DoubleClick:
            if (events_.doubleClick)
                events_.doubleClick();
            break;
        case TrayEvent::ContextMenu:
            ShowMenu();
            break;
        case TrayEvent::None:
            break;
        }
        result = 0;
        return true;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer restarted: the new taskbar knows no icons, and may sit on
        // a monitor of another resolution.
        if (visible_) {
            added_ = false;
            RefreshIcon();
            Add();
        }
        result = 0;
        return true;
    }
    switch (message) {
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item == nullptr || item->CtlType != ODT_MENU || measured_ == nullptr ||
            item->itemData != reinterpret_cast<ULONG_PTR>(measured_))
            return false;
        MeasureItem(*item);
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item == nullptr || item->CtlType != ODT_MENU || measured_ == nullptr ||
            item->itemData != reinterpret_cast<ULONG_PTR>(measured_))
            return false;
        DrawItem(*item);
        result = TRUE;
        return true;
    }
    case WM_MENUCHAR: {
        // The owner-drawn item keeps its keyboard shortcut ("&Personalize").
        if (measured_ == nullptr || HIWORD(wParam) != MF_POPUP)
            return false;
        const std::wstring& caption = measured_->caption;
        const auto amp = caption.find(L'&');
        if (amp == std::wstring::npos || amp + 1 >= caption.size() ||
            ::towlower(caption[amp + 1]) != ::towlower(static_cast<wchar_t>(LOWORD(wParam))))
            return false;
        const HMENU menu = reinterpret_cast<HMENU>(lParam);
        const int count = ::GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_DATA;
            if (::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) &&
                info.dwItemData == reinterpret_cast<ULONG_PTR>(measured_)) {
                result = MAKELRESULT(i, MNC_EXECUTE);
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

void Win32Tray::ShowMenu() {
    if (owner_ == nullptr || !events_.menu)
        return;
    const TTrayMenu& model = events_.menu();
    POINT at{};
    ::GetCursorPos(&at);
    menuDpi_ = DpiAtPoint(at);
    const int imageSize = ImageListSize(menuDpi_);

    menuBitmaps_.clear();
    personalizeIcon_ = ExtractSizedIcon(personalizeFile_, imageSize);
    measured_ = nullptr;
    const UniqueMenu popup(::CreatePopupMenu());
    if (!popup)
        return;
    // Images and check marks share one column, as in the shell's own menus.
    MENUINFO style{};
    style.cbSize = sizeof(style);
    style.fMask = MIM_STYLE;
    style.dwStyle = MNS_CHECKORBMP;
    ::SetMenuInfo(popup.get(), &style);
    UINT position = 0;
    for (const TrayMenuItem& item : model.items()) {
        if (!item.visible)
            continue;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
        info.fState = (item.enabled ? MFS_ENABLED : MFS_DISABLED) | (item.checked ? MFS_CHECKED : 0u) |
                      (item.isDefault ? MFS_DEFAULT : 0u);
        info.wID = item.command ? static_cast<UINT>(*item.command) : 0;
        std::wstring caption = item.caption;
        if (item.separator()) {
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask |= MIIM_STRING | MIIM_DATA;
            info.dwTypeData = caption.data();
            if (item.ownerMeasured) {
                // Sized and drawn here; the text stays with the item for the
                // keyboard and for screen readers.
                info.fType = MFT_OWNERDRAW;
                info.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
                measured_ = &item;
            } else if (item.image != MenuImage::None) {
                const UniqueIcon icon = LoadSizedIcon(ResourceIdOf(item.image), imageSize);
                if (UniqueBitmap bitmap = MenuItemBitmap(icon.get(), ClassicMenus())) {
                    info.fMask |= MIIM_BITMAP;
                    info.hbmpItem = bitmap.get();
                    menuBitmaps_.push_back(std::move(bitmap));
                }
            }
        }
        ::InsertMenuItemW(popup.get(), position++, TRUE, &info);
    }

    // Near the bottom of the screen (a taskbar at the bottom) the menu opens
    // upwards from the cursor; the menu's own placement keeps it on screen.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    UINT flags = TPM_RIGHTBUTTON;
    flags |= ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    if (::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor) &&
        at.y > (monitor.rcWork.top + monitor.rcWork.bottom) / 2)
        flags |= TPM_BOTTOMALIGN;

    // The menu closes on a click elsewhere only while its owner is the
    // foreground window, and only if a message reaches the owner after it
    // has closed.
    ::SetForegroundWindow(owner_);
    OpenPopupMenu open(owner_);
    ModalWindows::Registration registration;
    if (modals_ != nullptr) {
        if (modals_->ExitRequested())
            return; // the program is on its way out
        registration = modals_->Register(WindowKind::TrayMenu, open);
    }
    ::TrackPopupMenuEx(popup.get(), flags, at.x, at.y, owner_, nullptr);
    registration.reset();
    ::PostMessageW(owner_, WM_NULL, 0, 0);
}

UniqueFont Win32Tray::MenuFont(bool bold) const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const auto forDpi = GetEntryPoints().SystemParametersInfoForDpi;
    const bool ok = forDpi ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, menuDpi_) != FALSE
                           : ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) != FALSE;
    if (!ok)
        return UniqueFont(static_cast<HFONT>(nullptr));
    LOGFONTW font = metrics.lfMenuFont;
    if (bold)
        font.lfWeight = FW_BOLD;
    return UniqueFont(::CreateFontIndirectW(&font));
}

void Win32Tray::MeasureItem(MEASUREITEMSTRUCT& item) {
    const WindowDc dc(owner_);
    const UniqueFont regular = MenuFont(false), bold = MenuFont(true);
    DcMeasure canvas(dc.get(), regular.get(), bold.get());
    int width = static_cast<int>(item.itemWidth), height = static_cast<int>(item.itemHeight);
    Close1MeasureItem(*measured_, canvas, width, height);
    item.itemWidth = static_cast<UINT>(std::max(width, 0));
    item.itemHeight = static_cast<UINT>(std::max(height, 0));
}

void Win32Tray::DrawItem(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    RECT box = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool grayed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const int imageSize = ImageListSize(menuDpi_);
    const int margin = ::MulDiv(4, static_cast<int>(menuDpi_), 96);

    // The background as the menu draws its other items: themed when the
    // desktop has a theme, in the classic menu colours otherwise.
    COLORREF textColour;
    const Theme theme(owner_, L"MENU");
    if (theme.get()) {
        const EntryPoints& entry = GetEntryPoints();
        entry.DrawThemeBackground(theme.get(), dc, MENU_POPUPBACKGROUND, 0, &box, nullptr);
        const int state = selected ? (grayed ? MPI_DISABLEDHOT : MPI_HOT) : (grayed ? MPI_DISABLED : MPI_NORMAL);
        if (selected)
            entry.DrawThemeBackground(theme.get(), dc, MENU_POPUPITEM, state, &box, nullptr);
        if (FAILED(entry.GetThemeColor(theme.get(), MENU_POPUPITEM, state, TMT_TEXTCOLOR, &textColour)))
            textColour = ::GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
    } else {
        BOOL flat = FALSE;
        ::SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0);
        const int highlight = flat ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT;
        ::FillRect(dc, &box, ::GetSysColorBrush(selected ? highlight : COLOR_MENU));
        textColour = ::GetSysColor(grayed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    }

    // The image in the column the menu shares between check marks and
    // images, the text where the other items begin theirs: right after the
    // column in classic menus, after the column and the gutter in themed ones.
    const int column = std::max(imageSize, ::GetSystemMetrics(SM_CXMENUCHECK));
    const int imageLeft = box.left + (theme.get() ? margin : margin / 2);
    const int textLeft = theme.get() ? imageLeft + column + 3 * margin : box.left + column + 1;
    if (personalizeIcon_) {
        const int top = box.top + (box.bottom - box.top - imageSize) / 2;
        ::DrawIconEx(dc, imageLeft, top, personalizeIcon_.get(), imageSize, imageSize, 0, nullptr, DI_NORMAL);
    }
    const UniqueFont font = MenuFont(measured_->isDefault);
    const SelectedObject selectedFont(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColour);
    RECT text = box;
    text.left = textLeft;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_EXPANDTABS;
    if (item.itemState & ODS_NOACCEL)
        format |= DT_HIDEPREFIX;
    ::DrawTextW(dc, measured_->caption.c_str(), static_cast<int>(measured_->caption.size()), &text, format);
}

} // namespace hg::win32
