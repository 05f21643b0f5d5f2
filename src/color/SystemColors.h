#pragma once
// Port: the platform's table of system colours (window text, button shadow...).
#include "color/Color.h"

namespace hg {

class ISystemColors {
public:
    virtual ~ISystemColors() = default;
    // The current plain colour of a system colour index (0..255).
    virtual TColor SystemColor(int index) const = 0;
};

} // namespace hg
