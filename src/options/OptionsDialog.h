#pragma once
// Port: the options dialog's window, as "&Settings..." opens it.
#include "options/OptionsForm.h"
#include "platform/ModalWindows.h"

namespace hg {

// Identifiers of the dialog's controls (OK and Cancel are the platform's
// IDOK 1 and IDCANCEL 2); tests find the controls by them.
inline constexpr int kOptionsTabsId = 190;
inline constexpr int kOptionsLinkId = 191;
constexpr int OptionsControlId(OptionsControl control) {
    return 200 + static_cast<int>(control);
}

class IOptionsDialog : public IModalWindow {
public:
    // Creates the dialog over form, runs it modally and destroys it: the
    // form's FormCreate before it shows, its handlers while the user works,
    // its FormClose as it closes. The modal result: kOptionsOk or
    // kOptionsCancel (also when it could not be shown or was closed as
    // cancelled).
    virtual int ShowModal(OptionsForm& form) = 0;
};

} // namespace hg
