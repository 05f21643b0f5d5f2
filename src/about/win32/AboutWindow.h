#pragma once
// The About box TFrmAboutHueglass: the program's name, logo and version, the
// update check, and links to the licence and the maker's pages. Its
// behaviour is AboutBoxModel's; this window draws it and forwards clicks.
#include "about/AboutBox.h"
#include "about/win32/ModalDialog.h"
#include "about/win32/ShowLicense.h"

#include <functional>
#include <memory>
#include <optional>

namespace hg::win32 {

// What the About box needs from the program around it.
struct AboutContext {
    ITrayHost& shell;
    ITaskDialogHost& dialogs;
    ModalWindows& modals; // the licence window and the print dialog join it
    std::function<void()> donate;
    std::shared_ptr<IUpdateTransport> transport;
};

class TFrmAboutHueglass final : public ModalDialog {
public:
    explicit TFrmAboutHueglass(AboutContext context);
    ~TFrmAboutHueglass() override;

    // Shows the box modally, owned by owner (FormShow places it beside the
    // taskbar); returns when it is closed.
    void ShowModal(HWND owner);
    // Brings the box forward (the licence window in front of it, if open).
    void BringForward();

    // Control ids.
    enum : int {
        IdImgLogo = 100,
        IdLabel1,
        IdLabelVer,
        IdLabelDownload,     // the link form of LabelDownload
        IdLabelDownloadText, // its plain form
        IdLabel3,
        IdLabel4,
        IdLabelSite,
        IdLabelLA,
        IdLabelSupport2,
        IdLinkLabelPP,
        IdLabel5,
    };

private:
    void OnInit() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void FormCreate();
    void FormShow();
    void ShowDownloadLabel();
    void OnLinkClick(int id, const std::wstring& link);

    AboutContext context_;
    std::optional<AboutBoxModel> model_;
    TShowLicense ShowLicense;
    int ppi_ = 96;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HICON logo_ = nullptr;
    HBRUSH white_ = nullptr;
    HWND LabelDownload = nullptr;
    HWND LabelDownloadText = nullptr;
    HWND LinkLabelPP = nullptr;
    HWND BitBtn1 = nullptr;
};

} // namespace hg::win32
