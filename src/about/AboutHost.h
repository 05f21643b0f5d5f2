#pragma once
// Port: the About box, as the main window's logic opens it.
namespace hg {

class IAboutBoxHost {
public:
    virtual ~IAboutBoxHost() = default;
    // Shows the About box modally; brings it forward when it is open already.
    virtual void ShowAboutBox() = 0;
};

} // namespace hg
