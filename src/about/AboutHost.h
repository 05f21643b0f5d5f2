#pragma once
// Port: the About box, as the main window's logic opens it. It is one of the
// program's modal windows (brought forward by a second request, closed as
// cancelled by "E&xit").
#include "platform/ModalWindows.h"

namespace hg {

class IAboutBoxHost : public IModalWindow {
public:
    // Shows the About box modally; returns when it is closed.
    virtual void ShowAboutBox() = 0;
};

} // namespace hg
