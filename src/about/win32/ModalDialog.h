#pragma once
// Base of the About box and the licence window: a modal dialog built from an
// empty in-memory template, whose controls the derived class creates in
// pixels for the monitor's resolution. The dialog manager gives Esc, Enter,
// Tab and the disabled owner.
#include <windows.h>

namespace hg::win32 {

class ModalDialog {
public:
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;
    virtual ~ModalDialog() = default;

    // Shows the dialog modally with the caption; returns the result it was
    // ended with (IDCANCEL when it could not be shown).
    INT_PTR Run(HWND owner, const wchar_t* caption);
    HWND hwnd() const { return hwnd_; }
    bool IsOpen() const { return hwnd_ != nullptr; }
    // Ends the dialog as if cancelled (the modal loop returns soon after);
    // before the dialog is up, it ends as soon as it is.
    void Cancel();

protected:
    void End(INT_PTR result);
    // Creates the controls, sets the size and gives the focus to a control;
    // the dialog is not visible yet.
    virtual void OnInit() = 0;
    // Messages other than the initialisation; true when handled (result in
    // `result`, as a dialog procedure's return value).
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;
    // Gives the window a client area of this size, keeping its position.
    void SetClientSize(int width, int height);
    // A child control at pixel coordinates.
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
                    int height, int id, HFONT font, DWORD exStyle = 0);

private:
    const wchar_t* caption_ = L"";
    bool cancelPending_ = false;
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// A font of the face at a height designed for designPpi, scaled to ppi.
HFONT MakeFont(const wchar_t* face, int designHeight, int designPpi, int ppi, bool bold = false);

} // namespace hg::win32
