#pragma once
// The licence viewer: TShowLicense holds the licence document (RTF lines)
// and shows it in the modal window TFrmLicense, from which the user can copy
// its text or print it.
#include "about/License.h"
#include "about/win32/ModalDialog.h"
#include "platform/ModalWindows.h"
#include "platform/win32/Handles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hg::win32 {

// Where a window goes when shown (the numbering of the form positions).
enum class TPosition : std::uint8_t {
    poDesigned = 0,         // beside the taskbar
    poDefault = 1,
    poDefaultPosOnly = 2,
    poDefaultSizeOnly = 3,
    poScreenCenter = 4,
    poDesktopCenter = 5,
    poMainFormCenter = 6,
    poOwnerFormCenter = 7,
};

class TFrmLicense;

// The length of a rich edit's text as its own character positions count it
// (a paragraph end is one character), which is what page layout walks.
LONG RichTextLength(HWND richEdit);
// Prints the whole text of richEdit page after page through pages (on a
// printer: its pages laid out by the rich edit with EM_FORMATRANGE).
PrintResult PrintRichEdit(HWND richEdit, IPageSink& pages);

class TShowLicense final : public IModalWindow {
public:
    TShowLicense();
    ~TShowLicense() override;
    TShowLicense(const TShowLicense&) = delete;
    TShowLicense& operator=(const TShowLicense&) = delete;

    // The lines of the RTF document; setting copies them.
    std::vector<std::string> LicenseText;
    std::wstring ApplicationName;
    TPosition Position = TPosition::poOwnerFormCenter;
    // The program's open windows, which the print dialog joins; optional.
    ModalWindows* Modals = nullptr;

    // Shows the window modally, owned by owner; returns when it is closed.
    void Execute(HWND owner);
    // The open window, if any (for bringing it forward or closing it).
    TFrmLicense* FrmLicense() const { return FrmLicense_; }

    // IModalWindow: the window while it is open.
    void BringForward() override;
    void CloseAsCancelled() override;

private:
    TFrmLicense* FrmLicense_ = nullptr;
    bool cancelPending_ = false;
};

class TFrmLicense final : public ModalDialog {
public:
    TFrmLicense(std::string document, std::wstring appName, TPosition position, ModalWindows* modals);
    ~TFrmLicense() override;

    // The command ids of the window's controls.
    enum : int { IdMemo = 100, IdPrint = 101, IdCopyText = 102 };

    void bPrintClick();
    void CopyText1Click();

private:
    void OnInit() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    std::string document_;
    std::wstring sAppName;
    TPosition position_;
    ModalWindows* modals_;
    UniqueModule richEditLibrary_; // holds the RICHEDIT50W class
    HFONT font_ = nullptr;
    HWND Memo = nullptr;
    HWND bok = nullptr;
    HWND bPrint = nullptr;
    HMENU PopupMenu1 = nullptr;
};

} // namespace hg::win32
