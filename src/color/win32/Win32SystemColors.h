#pragma once
#include "color/SystemColors.h"

namespace hg::win32 {

// The system colour table through GetSysColor.
class Win32SystemColors final : public ISystemColors {
public:
    TColor SystemColor(int index) const override;
};

} // namespace hg::win32
