#pragma once
#include "color/Wallpaper.h"

namespace hg::win32 {

// Icons and TIFF pictures through the Windows imaging component, metafiles
// (enhanced, and placeable Windows metafiles) played by GDI onto white.
class Win32Pictures final : public IPlatformPictures {
public:
    PictureResult Decode(PictureKind kind, std::span<const std::uint8_t> bytes) override;
};

} // namespace hg::win32
